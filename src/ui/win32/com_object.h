// COM objects of our own, handed to the system (a site, an event sink, a
// drop target, the data of a drag): each deletes itself when the last
// reference goes.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace nv {

// The reference count, for objects that answer several interfaces.
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

// IUnknown for an object of one interface: counted references, deleted
// with the last one. It starts with one reference.
template <class Interface>
class TComObject : public Interface {
 public:
  virtual ~TComObject() = default;
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || Answers(riid)) {
      *out = static_cast<Interface*>(this);
      this->AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return refs_.AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return refs_.Release(this); }

 protected:
  // Whether the object answers riid (besides IUnknown) with its interface.
  virtual bool Answers(REFIID riid) const = 0;

 private:
  ComRefCount refs_;
};

}  // namespace nv
