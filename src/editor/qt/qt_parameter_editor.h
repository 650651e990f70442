// The parameter editor of the main window: builds one tab per profile page into the main
// window's tab control and binds every control to its place in the profile.
#pragma once

#include <QHash>
#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "editor/parameter_editor.h"
#include "editor/qt/qt_page_tabs.h"
#include "editor/value_tracker.h"
#include "profile/command_profile.h"

class QWidget;
class QGroupBox;
class QTableWidget;
class QWheelEvent;

namespace quillon {

class TLogModel;
class TMaskMatcher;
class TTextEdit;
class THexEdit;
class TAnchorKeeper;
class TQtEditorViews;

// The buttons' handlers; the editor only tells them which address was clicked.
struct TEditorCallbacks {
  using Click = std::function<void(const ParamAddress&)>;
  Click CmdApplyClick;            // "Применить" of a command or an instance
  Click CmdPollClick;             // "Получить"
  Click CmdApplyAllClick;         // "Применить страницу"
  Click CmdPollAllClick;          // "Получить страницу"
  Click CmdApplyAllIndexedClick;  // "Применить все"
  // A mask that is no valid regular expression (Windows-1251 text). Unset: written to the
  // protocol log with kind 4.
  std::function<void(const std::string& message)> MaskError;
};

class TQtParameterEditor : public QObject, public IParameterEditor {
  Q_OBJECT

 public:
  // The profile, the log and the matcher must outlive the editor; the tab control holds what
  // BuildEditor makes.
  TQtParameterEditor(TQtPageTabs* pageControl, const CommandProfile& profile, TLogModel& log,
                     TMaskMatcher& maskRegex, QObject* parent = nullptr);
  // Takes the tabs it built with it.
  ~TQtParameterEditor() override;

  // Width and height of a caption-less check box in the tab control's font: the layout units.
  static QSize MeasureUnits(QWidget* context);

  // Replaces every tab with the profile's pages, laid out in units of unitWidth, unitHeight and
  // the profile's InputWidth (at least 20). The first page's controls are made at once, those
  // of every other page when its tab is first shown or when FindParameterControl (or anything
  // built on it) first asks for that page; the answers are the same either way.
  void BuildEditor(int unitWidth, int unitHeight);
  // Makes the controls of every page now (for callers that walk the widget tree themselves).
  void BuildAllPages();
  bool PageBuilt(int page) const {
    return page >= 0 && static_cast<size_t>(page) < built_.size() && built_[page];
  }
  // A page holding more parameter rows than this (instances times parameters, over all its
  // commands) gets the rows of an indexed command's first instance with the page; the other
  // instance groups stand empty, at their full height, until they first come into view or
  // FindParameterControl asks for one of their controls. A profile of a few kilobytes could
  // otherwise ask for 65536 rows at once. What is written into them meanwhile (a poll, a loaded
  // file) is kept and answered without building them, and their controls are made with it.
  static constexpr int kEagerRowsPerPage = 4096;
  // Whether the instance's controls exist (true for every instance of a page built whole).
  bool InstanceBuilt(int page, int command, int instance) const {
    return pendingInstances_.isEmpty() ||
           !pendingInstances_.contains({page, command, instance, 0, ckGroup});
  }
  // The changed-only view and the search.
  TQtEditorViews& Views() { return *views_; }

  // Whether the pages built from now on follow each value's origin and changes (the default).
  // Off only serves to measure what that costs.
  void SetTracking(bool on) { tracking_ = on; }

  void SetCallbacks(TEditorCallbacks callbacks) { callbacks_ = std::move(callbacks); }
  TEditorCallbacks& Callbacks() { return callbacks_; }

  // Page from the tab the control lies on (-1 off the editor), the rest from the address kept
  // with the control.
  ParamAddress GetControlAddress(const QWidget* control) const;
  // The control of that kind at that address, or null. Only direct children of the group box
  // are searched, and the class must be exactly the one of the kind.
  QWidget* FindParameterControl(int page, int command, int instance, int param,
                                TControlKind kind) const;

  // Handlers of the fields and boxes.
  void CheckBoxClick(QWidget* sender);
  bool EditChange(TTextEdit* sender);
  void EditExit(TTextEdit* sender);
  void HexEditKeyPress(THexEdit* sender, QChar& key);
  void HexEditExit(THexEdit* sender);
  // Greys out a command group box and disables everything in it.
  void MarkCommandUnsupported(QWidget* group);

  // IParameterEditor.
  bool HasControl(int page, int command, int instance, int param, TControlKind kind) const override;
  bool Checked(int page, int command, int instance, int param) const override;
  void SetChecked(int page, int command, int instance, int param, bool checked) override;
  std::string InputText(int page, int command, int instance, int param) const override;
  void SetInputText(int page, int command, int instance, int param,
                    const std::string& text) override;
  int OptionIndex(int page, int command, int instance, int param) const override;
  TParameterReading ReadParameter(int page, int command, int instance, int param, bool optional,
                                  bool option) const override;
  void SetOptionIndex(int page, int command, int instance, int param, int index) override;
  bool InputEnabled(int page, int command, int instance, int param) const override;
  void MarkValueUnread(int page, int command, int instance, int param) override;
  bool ValueUnread(int page, int command, int instance, int param) const override;
  TValueOrigin ValueOrigin(int page, int command, int instance, int param) const override;
  void SetValueOrigin(int page, int command, int instance, int param, TValueOrigin origin) override;
  std::optional<std::string> LastReadValue(int page, int command, int instance,
                                           int param) const override;
  void SetLastReadValue(int page, int command, int instance, int param,
                        const std::string& value) override;
  bool ValueChanged(int page, int command, int instance, int param) const override;
  int ChangedCount(int page = -1) const override;
  // Every changed parameter, in profile order.
  std::vector<ParamAddress> ChangedAddresses() const { return tracker_.ChangedAddresses(); }
  // The terminal stored a written value differently (clamped or ignored): the input shows it,
  // with both values in its hint, until the operator edits it or writes it again.
  void MarkWriteDiffers(int page, int command, int instance, int param, const std::string& sent,
                        const std::string& stored);
  void ClearWriteDiffers(int page, int command, int instance, int param);
  bool GroupEnabled(int page, int command) const override;
  void MarkCommandUnsupported(int page, int command) override;
  bool HasTable(int page, int command, int instance, int param) const override;
  void ClearTableRows(int page, int command, int instance, int param) override;
  int TableColumnCount(int page, int command, int instance, int param) const override;
  void AddTableColumn(int page, int command, int instance, int param) override;
  void AddTableRow(int page, int command, int instance, int param,
                   const std::vector<std::string>& cells) override;
  std::vector<std::vector<std::string>> TableRows(int page, int command, int instance,
                                                  int param) const override;

  // Every tagged control carries its packed tag in this dynamic property; the editor keeps the
  // unpacked address beside it, since the packed fields overflow past 255.
  static constexpr const char* kTagProperty = "ControlTag";
  // Set on the inputs that ignore the wheel while they do not have the focus.
  static constexpr const char* kWheelGuardProperty = "WheelNeedsFocus";
  // Set on an input whose value is the profile's default ("Default") or differs from the value
  // last read ("Changed"); the looks follow them.
  static constexpr const char* kDefaultOriginProperty = "ValueFromDefault";
  static constexpr const char* kChangedProperty = "ValueChanged";
  // Set on an input whose written value the terminal stored differently; the hint's extra line.
  static constexpr const char* kWriteDiffersProperty = "WriteDiffers";
  // Set on an input while it shows that mark.
  static constexpr const char* kShownDiffersProperty = "ShownDiffers";
  // Set on an input whose value the terminal sent but the input could not take.
  static constexpr const char* kUnreadProperty = "ValueUnread";
  struct TControlAddress {
    int Command = 0;
    int Instance = 0;
    int Param = 0;
  };

 signals:
  // The number of changed values (on every page) became count.
  void ChangedCountChanged(int count);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct TMetrics;
  struct TControlKey {
    int Page, Command, Instance, Param;
    TControlKind Kind;
    bool operator==(const TControlKey&) const = default;
    friend size_t qHash(const TControlKey& k, size_t seed = 0) {
      return qHashMulti(seed, k.Page, k.Command, k.Instance, k.Param, static_cast<int>(k.Kind));
    }
  };

  // A control found earlier for one address, with the two widgets above it then and the
  // address generation it was last checked in.
  struct TKnownControl {
    QPointer<QWidget> Control;
    const QWidget* Parent = nullptr;
    const QWidget* GrandParent = nullptr;
    quint64 Generation = 0;
  };

  // Whether a control found earlier still answers that address in place.
  bool StillAt(const QWidget* control, const QWidget* pageContents, const TControlKey& key) const;
  // The slot kept for that address, null for an address outside the profile.
  TKnownControl* KnownSlot(const TControlKey& key) const;
  void Remember(TKnownControl& known, QWidget* control) const;
  // Whether a slot checked in the current generation still stands where it stood.
  static bool StillInPlace(const TKnownControl& known, const QWidget* pageContents, int depth);
  QWidget* SearchParameterControl(const QWidget* pageContents, int page, int command, int instance,
                                  int param, TControlKind kind) const;

  // The text an integer, string or hex input shows; "" for anything else.
  static std::string TextOf(const QWidget* input);
  void EnsurePageBuilt(int page);
  // Fills an instance group left empty when its page was built.
  void EnsureInstanceBuilt(int page, int command, int instance);
  void BuildPendingInstances();
  static QWidget* LastTabStop(const QWidget* container);
  // What a control of an instance not built yet answers: what the first instance's answered when
  // it was new, read once per command as the page was built. Null where the instance is built.
  struct TNewAnswers {
    bool HasCheck = false, HasInput = false, Checked = false, Enabled = false;
    std::string Text;
    int Option = -1;
  };
  void KeepNewAnswers(int page);
  const TNewAnswers* UnbuiltAnswers(int page, int command, int instance, int param) const;
  // What the controls of one parameter show, kept apart from the widgets: for a built instance
  // as the controls' change signals report it, so that a save reads no widget; for an instance
  // not built yet what was written into it, which its controls are made with.
  struct TShownValue {
    bool Watched = false;  // built, and the change signals are connected
    bool Known = false;    // built: Value holds what the controls show
    bool Pending = false;  // not built: Value holds what was written into it
    bool Unread = false;   // not built: the value was marked unread
    TNewAnswers Value;
  };
  TShownValue* ShownSlot(int page, int command, int instance, int param) const;
  // The slot if one was made, null otherwise.
  const TShownValue* PeekShown(int page, int command, int instance, int param) const;
  // The kept value of a built instance's parameter, null where the widgets must be read.
  const TShownValue* KnownShown(int page, int command, int instance, int param) const;
  // Takes what the input and its box show now into the slot.
  static void KeepShown(TShownValue& shown, const QWidget* input, const QWidget* box);
  // Whether a command's group box stands and is enabled, kept as it changes (a save asks of
  // every command); null where the box must be looked at.
  struct TGroupState {
    bool Known = false;
    bool Enabled = false;
  };
  const TGroupState* KnownGroup(int page, int command) const;
  void WatchGroup(QWidget* group, int page, int command);
  // The slot a write into an instance not built yet goes to, holding from now on what its
  // controls answer (unbuilt: what they answered so far); null for an address outside it.
  TShownValue* WrittenSlot(int page, int command, int instance, int param,
                           const TNewAnswers& unbuilt);
  // The text the input of that parameter shows after being given text.
  std::string AsShown(const TCmdParameter& param, const std::string& text);
  // Gives the controls of an instance just built what was written into it before.
  void GiveWritten(int page, int command, int instance, int param, const TShownValue& written);
  // The rows, table and button of one instance; returns the container's height.
  int BuildInstanceContents(QWidget* container, const QString& name, const QString& base,
                            const TDevCommand& cmd, int command, int instance, int yc);
  std::unique_ptr<TMetrics> MeasureControls() const;
  int BuildCommandGroup(QWidget* box, int page, int command, int y);
  int BuildParameterRow(QWidget* container, const QString& name, const TCmdParameter& param,
                        int command, int instance, int index, int yc);
  int InputHeight(TParamType type) const;
  int BuildTableView(QWidget* container, const QString& name, const TDevCommand& cmd, int command,
                     int instance, int yc);
  QWidget* CreateInput(QWidget* container, const TCmdParameter& param);
  void GuardAgainstWheel(QWidget* input);
  static void ScrollPageOf(QWidget* input, QWheelEvent* wheel);
  bool ConfirmApply(QWidget* button, const ParamAddress& address, bool wholePage);
  static void ShowUnread(QWidget* input, bool unread);
  QWidget* CreateButton(QWidget* container, const QString& caption, const QString& name,
                        const TEditorCallbacks::Click TEditorCallbacks::*handler);
  void PlaceButton(QWidget* button, int left, int top, int width) const;
  int FollowingLeft(const QWidget* previous, int left) const;
  // Where the contents of a group box begin: H, or lower when the caption needs more room.
  int GroupTop() const;
  void RemoveAllTabs();
  void SetAddress(QObject* control, int command, int instance, int param);
  int WrappedHeight(const QString& text, int width);
  int TextWidth(const QString& text) const;

  const TCmdParameter* ParameterAt(const ParamAddress& address) const;
  QTableWidget* FindTable(int page, int command) const;
  // Keeps the tracker informed of what the input and its box show, and of the operator's edits.
  void WatchValue(QWidget* input, QWidget* box, const TCmdParameter& param,
                  const ParamAddress& address);
  // Compares the shown value with the last read one and shows the outcome.
  void RefreshChanged(const ParamAddress& address);
  void ShowTracking(QWidget* input, const ParamAddress& address);
  // The looks of the tracking properties; a new input (fresh) has none of them yet.
  void ShowLook(QWidget* input, bool fromDefault, bool changed, bool differs, bool fresh = false);
  QPalette LookPalette(const QPalette& base, bool fromDefault, bool changed, bool differs);
  void ShowPageCount(int page);
  void ReportMaskError(const std::string& mask);

  QPointer<TQtPageTabs> pageControl_;
  const CommandProfile& profile_;
  TLogModel& log_;
  TMaskMatcher& maskRegex_;
  TEditorCallbacks callbacks_;
  TAnchorKeeper* anchors_;
  TQtEditorViews* views_;
  std::unique_ptr<TMetrics> metrics_;
  std::vector<bool> built_;  // per page: its controls exist
  bool tearingDown_ = false;
  QHash<QString, int> wrappedHeights_;
  QHash<const QObject*, TControlAddress> addresses_;
  TValueTracker tracker_;
  int buildingPage_ = 0;
  bool tracking_ = true;
  // The instance groups still empty, by address (Param 0, ckGroup) and by group.
  bool deferInstances_ = false;
  QHash<TControlKey, QPointer<QWidget>> pendingInstances_;
  QHash<const QObject*, TControlKey> pendingBoxes_;
  // Per command with instances still empty (key: Instance and Param 0, ckGroup), per parameter.
  QHash<TControlKey, std::vector<TNewAnswers>> newAnswers_;
  // Per page and command: the group box, then a check box and an input per instance and
  // parameter. Made on first use; every new address (SetAddress) starts a new generation.
  mutable std::vector<std::vector<std::vector<TKnownControl>>> controlIndex_;
  // Per page and command: the shown values, per instance and parameter. Made on first use.
  mutable std::vector<std::vector<std::vector<TShownValue>>> shownValues_;
  // Per page and command, made as the page is built; and the page and command of each box.
  std::vector<std::vector<TGroupState>> groupStates_;
  QHash<const QObject*, ParamAddress> groupBoxes_;
  // While written values are given to a new instance, the change of each is worked out once
  // they all stand.
  bool holdRefresh_ = false;
  // One masked hex field per number of positions, to learn what such a field makes of a text.
  std::map<int, std::unique_ptr<THexEdit>> hexProbes_;
  quint64 addressGeneration_ = 1;
  // The palette of a default value, made once for the palette it was made from.
  QPalette defaultLook_;
  qint64 defaultLookBase_ = -1;
  int W = 1, H = 1, IW = 20;
};

}  // namespace quillon
