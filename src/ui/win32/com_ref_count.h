// The reference count of a COM object of our own, handed to the system
// (a site, an event sink, a drop target): the object deletes itself when
// the last reference goes.
#pragma once

#include <windows.h>

namespace nv {

class ComRefCount {
 public:
  ULONG AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
  template <class Object>
  ULONG Release(Object* self) {
    const LONG n = ::InterlockedDecrement(&refs_);
    if (n == 0) delete self;
    return static_cast<ULONG>(n);
  }

 private:
  LONG refs_ = 1;  // the creator's
};

}  // namespace nv
