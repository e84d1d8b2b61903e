#include "richview/win32/drag_source.h"

#include <shlobj.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "richview/win32/rich_view_edit.h"
#include "ui/win32/win_text.h"

namespace nv {

namespace {

class TDragData final : public TComObject<IDataObject> {
 public:
  explicit TDragData(const TRVClipboardData& forms) {
    if (!forms.rvf.empty()) forms_.emplace_back(TRichViewEdit::RVFClipboardFormat(), forms.rvf);
    if (!forms.rtf.empty()) forms_.emplace_back(TRichViewEdit::RTFClipboardFormat(), forms.rtf + '\0');
    std::string unicode(reinterpret_cast<const char*>(forms.unicodeText.c_str()),
                        (forms.unicodeText.size() + 1) * sizeof(char16_t));
    forms_.emplace_back(static_cast<UINT>(CF_UNICODETEXT), std::move(unicode));
    const std::u16string& u = forms.unicodeText;
    forms_.emplace_back(static_cast<UINT>(CF_TEXT),
                        Utf8ToAnsi(Narrow(std::wstring(u.begin(), u.end()))) + '\0');
  }

  STDMETHODIMP GetData(FORMATETC* fe, STGMEDIUM* medium) override {
    if (!fe || !medium) return E_INVALIDARG;
    const std::string* bytes = Find(*fe);
    if (!bytes) return DV_E_FORMATETC;
    HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, bytes->size());
    if (!h) return E_OUTOFMEMORY;
    void* p = ::GlobalLock(h);
    if (!p) {
      ::GlobalFree(h);
      return E_OUTOFMEMORY;
    }
    std::memcpy(p, bytes->data(), bytes->size());
    ::GlobalUnlock(h);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = h;
    medium->pUnkForRelease = nullptr;  // the receiver frees it
    return S_OK;
  }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC* fe) override {
    if (!fe) return E_INVALIDARG;
    return Find(*fe) ? S_OK : DV_E_FORMATETC;
  }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
  }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    std::vector<FORMATETC> list;
    for (const auto& form : forms_)
      list.push_back({static_cast<CLIPFORMAT>(form.first), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
    return ::SHCreateStdEnumFmtEtc(static_cast<UINT>(list.size()), list.data(), out);
  }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 protected:
  bool Answers(REFIID riid) const override { return riid == IID_IDataObject; }

 private:
  const std::string* Find(const FORMATETC& fe) const {
    if (!(fe.tymed & TYMED_HGLOBAL) || fe.dwAspect != DVASPECT_CONTENT) return nullptr;
    for (const auto& form : forms_)
      if (form.first == fe.cfFormat) return &form.second;
    return nullptr;
  }
  std::vector<std::pair<UINT, std::string>> forms_;  // richest first
};

class TDropSource final : public TComObject<IDropSource> {
 public:
  STDMETHODIMP QueryContinueDrag(BOOL escape, DWORD keys) override {
    if (escape) return DRAGDROP_S_CANCEL;
    return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
  }
  STDMETHODIMP GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 protected:
  bool Answers(REFIID riid) const override { return riid == IID_IDropSource; }
};

}  // namespace

IDataObject* MakeDragDataObject(const TRVClipboardData& forms) { return new TDragData(forms); }

IDropSource* MakeDropSource() { return new TDropSource(); }

}  // namespace nv
