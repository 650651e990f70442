// An INI file read and written the way the Windows private-profile functions treat it, so that
// files kept from earlier installations read the same: names match without regard to letter
// case, blanks around keys and values are dropped, a value in matching quotes loses them, ";"
// starts a comment line, and values are cut at 2047 characters. Text is kept as the bytes of the
// file (Windows-1251), without conversion.
//
// Writing changes only the lines the program writes; comments, unknown keys and other sections
// stay where they were. Nothing reaches the disk until UpdateFile, which replaces the file as a
// whole or not at all.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "profile/bounded_file.h"

namespace quillon {

enum class TIniLoadStatus {
  NotFound,    // no file yet: every value takes its default
  Loaded,      // the file was read
  Unreadable,  // the file exists but could not be read: defaults, and UpdateFile refuses
};

class TIniFile {
 public:
  static constexpr size_t kMaxValueLength = 2047;
  // Larger files, and anything but a regular file, are refused: they count as unreadable.
  static constexpr size_t kMaxFileSize = size_t{1} << 20;

  // Binds the object to a path and reads the file if there is one; never creates anything.
  explicit TIniFile(std::string fileName);

  const std::string& FileName() const { return fileName_; }
  TIniLoadStatus LoadStatus() const { return loadStatus_; }
  // How reading the file went; Refused with its reason when it was not taken.
  const TFileReadResult& ReadResult() const { return readResult_; }

  // Replaces the content with text in INI form (tests and tools); the bound path is kept.
  void LoadFromString(const std::string& text);
  // The content as it would be saved.
  std::string ToString() const;

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& fallback) const;
  // Decimal with sign, or hexadecimal after "$", "x", "X", "0x", "0X"; anything else, or a
  // value outside 32 bits, gives the fallback.
  int32_t ReadInteger(const std::string& section, const std::string& key, int32_t fallback) const;
  // Read as an integer: non-zero is true.
  bool ReadBool(const std::string& section, const std::string& key, bool fallback) const;

  bool SectionExists(const std::string& section) const;
  bool ValueExists(const std::string& section, const std::string& key) const;
  // Keys of a section, in file order.
  std::vector<std::string> ReadSection(const std::string& section) const;
  // Keys and values of a section, in file order, values read as ReadString reads them.
  std::vector<std::pair<std::string, std::string>> ReadSectionValues(
      const std::string& section) const;

  // Changes the content in memory: an existing key is rewritten in its place, a new key goes to
  // the end of its section, a new section to the end of the file.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int32_t value);
  void WriteBool(const std::string& section, const std::string& key, bool value);

  // Saves the content to the bound path through a temporary file in the same folder, so a
  // failure leaves the old file as it was. Throws std::runtime_error
  // "Unable to write to <full path>".
  void UpdateFile() const;

 private:
  struct Line {
    std::string raw;      // the line as stored, without its terminator
    bool header = false;  // "[name]"
    bool entry = false;   // "key=value"
    std::string name;     // section name or key, trimmed
    std::string value;    // value, trimmed, quotes still on
  };

  static Line ParseLine(const std::string& raw, bool firstLine);
  // Index of the header line of the first section of that name, or npos.
  size_t FindSection(const std::string& section) const;
  // One past the last line of the section that starts at header index h.
  size_t SectionEnd(size_t h) const;
  // Index of the first entry of that key in the section starting at h, or npos.
  size_t FindKey(size_t h, const std::string& key) const;
  std::string FullPath() const;

  std::string fileName_;
  TIniLoadStatus loadStatus_ = TIniLoadStatus::NotFound;
  TFileReadResult readResult_;
  std::vector<Line> lines_;
  std::string eol_ = "\n";
  bool finalEol_ = true;
};

}  // namespace quillon
