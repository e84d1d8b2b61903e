// Values read from Main.ini (hotkeys as decimal text) and the settings
// database's connection string: any text gives a number or the conversion
// error, never anything else.
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/ado.h"
#include "ui/errors.h"
#include "ui/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const std::int32_t v = nv::StrToInt(text);
    // A number that was accepted reads back the same from its decimal text.
    if (nv::StrToInt(std::to_string(v)) != v) __builtin_trap();
  } catch (const nv::EConvertError& e) {
    // what() is a C string: it ends at the first NUL the text holds.
    std::string expected = "'" + text + "' is not a valid integer value";
    expected = expected.substr(0, expected.find('\0'));
    if (std::string(e.what()) != expected) __builtin_trap();
  }
  const nv::ConnectionSettings cs = nv::ParseConnectionString(text);
  if (cs.provider.size() > size || cs.dataSource.size() > size || cs.password.size() > size) __builtin_trap();
  return 0;
}
