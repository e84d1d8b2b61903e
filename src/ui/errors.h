// Exceptions carry a message text; the application shows it in the
// standard error box and goes on.
#pragma once

#include <stdexcept>
#include <string>

namespace nv {

class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A string that is not a number where a number was expected.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A list was asked for an item it does not have.
class EListError : public Exception {
 public:
  using Exception::Exception;
};

// printf-style formatting into std::string (only %d, %s, %u and %% used).
std::string Format(const char* fmt, ...);

// The standard error box shows the text with a full stop appended when its
// last character has a code above that of the full stop.
std::string ErrorBoxText(const std::string& message);

// "List index out of bounds (%d)"
[[noreturn]] void ThrowListIndexError(long index);

}  // namespace nv
