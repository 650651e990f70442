// The parameter editor as the command engine and the configuration files see it: controls
// found by their address (page, command, instance, parameter) and kind. The Qt editor and the
// headless editor held in memory both implement it, with the same answers for the same
// profile.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon {

struct ParamAddress {
  int32_t Page = 0;
  int32_t Command = 0;
  int32_t Instance = 0;
  int32_t Param = 0;
};

enum TControlKind { ckCheckBox, ckInput, ckGroup };

// Where a shown value came from.
enum TValueOrigin { voDefault, voRead, voFile, voTyped };

// Command in bits 16-31, instance in bits 8-15, parameter in bits 0-7, without masking.
uint32_t EncodeControlTag(int32_t command, int32_t instance, int32_t parameter);
void DecodeControlTag(uint32_t tag, int32_t& command, int32_t& instance, int32_t& parameter);

// One parameter as a save reads it.
struct TParameterReading {
  bool HasInput = false;  // HasControl with ckInput
  bool Checked = false;   // Checked, asked only of an optional parameter
  std::string Text;       // InputText, asked only of a parameter that is no option
  int Option = -1;        // OptionIndex, asked only of an option
};

class IParameterEditor {
 public:
  virtual ~IParameterEditor() = default;

  // Whether FindParameterControl finds a control of that kind at that address. Every accessor
  // below answers its neutral value (false, "", -1, 0) and every setter does nothing where this
  // is false.
  virtual bool HasControl(int page, int command, int instance, int param,
                          TControlKind kind) const = 0;

  // ckCheckBox: the optional parameter's check box. Setting it behaves like a click: the input
  // is enabled exactly while the box is ticked.
  virtual bool Checked(int page, int command, int instance, int param) const = 0;
  virtual void SetChecked(int page, int command, int instance, int param, bool checked) = 0;

  // ckInput of an integer, string or hex parameter: the text as shown.
  virtual std::string InputText(int page, int command, int instance, int param) const = 0;
  // Sets the text as the system does (answers, files): no mask or range test, no cut.
  virtual void SetInputText(int page, int command, int instance, int param,
                            const std::string& text) = 0;

  // ckInput of an option parameter: the selected position, -1 for none.
  virtual int OptionIndex(int page, int command, int instance, int param) const = 0;
  virtual void SetOptionIndex(int page, int command, int instance, int param, int index) = 0;

  // The answers of HasControl (ckInput), Checked (if optional) and InputText or OptionIndex (by
  // whether it is an option) in one question, for the saves that read every parameter.
  // Implementations may answer it without finding the controls again for each part.
  virtual TParameterReading ReadParameter(int page, int command, int instance, int param,
                                          bool optional, bool option) const;

  // ckInput: whether the input takes input (an optional parameter's input is enabled exactly
  // while its box is ticked). Implementations that do not track it answer HasControl.
  virtual bool InputEnabled(int page, int command, int instance, int param) const;

  // ckInput: a value of the terminal that the input could not take (a hexadecimal value longer
  // than its field). The input keeps its text and shows that it was not read; an apply of the
  // command is refused until the operator types a value or a later answer fits. Setting the
  // text (SetInputText) clears the mark. Implementations that do not track it answer false.
  virtual void MarkValueUnread(int page, int command, int instance, int param);
  virtual bool ValueUnread(int page, int command, int instance, int param) const;

  // ckInput: where the shown value came from and the value the terminal last sent for it (as
  // an answer gives it; an option by its Value), nothing before the first answer. Setting a
  // value does not change its origin: whoever sets it says where it came from. A value is
  // "changed" while it differs from the last read one. Implementations that do not track
  // answer voDefault, nothing, false and 0.
  virtual TValueOrigin ValueOrigin(int page, int command, int instance, int param) const;
  virtual void SetValueOrigin(int page, int command, int instance, int param, TValueOrigin origin);
  virtual std::optional<std::string> LastReadValue(int page, int command, int instance,
                                                   int param) const;
  virtual void SetLastReadValue(int page, int command, int instance, int param,
                                const std::string& value);
  virtual bool ValueChanged(int page, int command, int instance, int param) const;
  // Changed values on every page, or on one page.
  virtual int ChangedCount(int page = -1) const;

  // ckGroup: the command's group box.
  virtual bool GroupEnabled(int page, int command) const = 0;
  virtual void MarkCommandUnsupported(int page, int command) = 0;

  // The table view lying directly in the group box found with ckGroup at that address (the
  // view of a table command that is not indexed). False where there is none.
  virtual bool HasTable(int page, int command, int instance, int param) const = 0;
  virtual void ClearTableRows(int page, int command, int instance, int param) = 0;
  virtual int TableColumnCount(int page, int command, int instance, int param) const = 0;
  virtual void AddTableColumn(int page, int command, int instance, int param) = 0;
  virtual void AddTableRow(int page, int command, int instance, int param,
                           const std::vector<std::string>& cells) = 0;
  virtual std::vector<std::vector<std::string>> TableRows(int page, int command, int instance,
                                                          int param) const = 0;
};

}  // namespace quillon
