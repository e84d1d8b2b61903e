#include "settings/win32/ini_file.h"

#include <windows.h>

#include <vector>

#include "settings/main_ini.h"
#include "ui/errors.h"
#include "ui/win32/win_text.h"

namespace nv {

std::string TIniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
  std::vector<char> buf(2048, '\0');
  const DWORD n = ::GetPrivateProfileStringA(Utf8ToAnsi(section).c_str(), Utf8ToAnsi(key).c_str(),
                                             Utf8ToAnsi(def).c_str(), buf.data(),
                                             static_cast<DWORD>(buf.size()), Utf8ToAnsi(fileName_).c_str());
  return AnsiToUtf8(std::string(buf.data(), n));
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  if (!::WritePrivateProfileStringA(Utf8ToAnsi(section).c_str(), Utf8ToAnsi(key).c_str(),
                                    Utf8ToAnsi(value).c_str(), Utf8ToAnsi(fileName_).c_str()))
    throw Exception(Format("Unable to write to %s", fileName_.c_str()));
}

std::string MainIniPath() { return ExeDirectory() + kMainIniName; }

std::string SettingsDatabasePath() {
  std::string dir = ExeDirectory();
  if (!dir.empty() && dir.back() == '\\') dir.pop_back();
  return dir + "\\" + kSettingsDatabaseName;
}

}  // namespace nv
