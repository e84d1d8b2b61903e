// A Windows INI file, read and written key by key through the
// private-profile functions (ANSI forms: the values are decimal numbers and
// the file is shared with anything else that edits it). Nothing is cached
// between calls.
#pragma once

#include <string>

namespace nv {

class TIniFile {
 public:
  explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

  const std::string& FileName() const { return fileName_; }
  // A missing file, section or key gives the default.
  std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
  // Raises "Unable to write to <file>" when the file cannot be written.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);

 private:
  std::string fileName_;  // UTF-8
};

// Main.ini beside the running executable.
std::string MainIniPath();
// Nookvale.mdb beside the running executable (no trailing backslash issue).
std::string SettingsDatabasePath();

}  // namespace nv
