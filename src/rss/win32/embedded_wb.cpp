#include "rss/win32/embedded_wb.h"

#include <exdisp.h>
#include <exdispid.h>
#include <ocidl.h>
#include <ole2.h>
#include <shellapi.h>

#include "rss/feed_text.h"
#include "rss/win32/browser_emulation.h"
#include "ui/win32/com_object.h"
#include "ui/win32/icons.h"
#include "ui/win32/win_text.h"

namespace nv::rss {

namespace {
constexpr UINT_PTR kProbeTimer = 1;
int g_browserWorks = -1;  // -1 not yet known, 0 no, 1 yes: one probe a session
}  // namespace

// The container side of in-place activation: just enough for the browser
// to live in our window, with no menus, tool space or status bar.
class BrowserSite final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
 public:
  explicit BrowserSite(HWND w) : hwnd_(w) {}
  virtual ~BrowserSite() = default;
  void Detach() { hwnd_ = nullptr; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite) *out = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite) *out = static_cast<IOleInPlaceSite*>(this);
    else if (riid == IID_IOleInPlaceFrame || riid == IID_IOleInPlaceUIWindow) *out = static_cast<IOleInPlaceFrame*>(this);
    else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return refs_.AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return refs_.Release(this); }
  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP GetContainer(IOleContainer** c) override {
    *c = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
  // IOleWindow
  STDMETHODIMP GetWindow(HWND* w) override {
    *w = hwnd_;
    return hwnd_ ? S_OK : E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos, LPRECT clip,
                                LPOLEINPLACEFRAMEINFO info) override {
    *frame = this;
    AddRef();
    *doc = nullptr;
    ::GetClientRect(hwnd_, pos);
    ::GetClientRect(hwnd_, clip);
    info->fMDIApp = FALSE;
    info->hwndFrame = ::GetAncestor(hwnd_, GA_ROOT);
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }
  // IOleInPlaceUIWindow / IOleInPlaceFrame
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  HWND hwnd_;
  ComRefCount refs_;
};

namespace {

// The text of an event argument that holds an address: a BSTR, possibly
// behind a reference or a VARIANT reference.
std::wstring ArgText(const VARIANT& v) {
  const VARIANT* p = &v;
  if (p->vt == (VT_BYREF | VT_VARIANT) && p->pvarVal) p = p->pvarVal;
  if (p->vt == VT_BSTR && p->bstrVal) return std::wstring(p->bstrVal, ::SysStringLen(p->bstrVal));
  if (p->vt == (VT_BYREF | VT_BSTR) && p->pbstrVal && *p->pbstrVal)
    return std::wstring(*p->pbstrVal, ::SysStringLen(*p->pbstrVal));
  return {};
}

IDispatch* ArgDispatch(const VARIANT& v) {
  if (v.vt == VT_DISPATCH) return v.pdispVal;
  if (v.vt == (VT_BYREF | VT_DISPATCH) && v.ppdispVal) return *v.ppdispVal;
  return nullptr;
}

VARIANT_BOOL* ArgCancel(const VARIANT& v) { return v.vt == (VT_BYREF | VT_BOOL) ? v.pboolVal : nullptr; }

}  // namespace

// Receives the control's navigation events and hands them to the view.
// Nothing thrown leaves Invoke: the control calls it.
class BrowserEvents final : public TComObject<IDispatch> {
 public:
  explicit BrowserEvents(TEmbeddedWB* owner) : owner_(owner) {}
  void Detach() { owner_ = nullptr; }

  STDMETHODIMP GetTypeInfoCount(UINT* n) override {
    if (n) *n = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  // Arguments arrive last first.
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override {
    if (!p) return E_INVALIDARG;
    try {
      switch (id) {
        case DISPID_BEFORENAVIGATE2: {  // frame, URL, Flags, TargetFrameName, PostData, Headers, Cancel
          if (p->cArgs != 7) return DISP_E_BADPARAMCOUNT;
          VARIANT_BOOL* cancel = ArgCancel(p->rgvarg[0]);
          if (!cancel) return DISP_E_TYPEMISMATCH;
          // With the view gone nothing more is shown.
          const bool stop = !owner_ || owner_->BeforeNavigate2(ArgDispatch(p->rgvarg[6]), ArgText(p->rgvarg[5]));
          *cancel = stop ? VARIANT_TRUE : VARIANT_FALSE;
          return S_OK;
        }
        case DISPID_NEWWINDOW3: {  // ppDisp, Cancel, dwFlags, bstrUrlContext, bstrUrl
          if (p->cArgs != 5) return DISP_E_BADPARAMCOUNT;
          VARIANT_BOOL* cancel = ArgCancel(p->rgvarg[3]);
          if (!cancel) return DISP_E_TYPEMISMATCH;
          *cancel = VARIANT_TRUE;
          if (owner_) owner_->NewWindow3(ArgText(p->rgvarg[0]));
          return S_OK;
        }
        case DISPID_NAVIGATECOMPLETE2:  // frame, URL
          if (p->cArgs != 2) return DISP_E_BADPARAMCOUNT;
          if (owner_) owner_->NavigateComplete2(ArgDispatch(p->rgvarg[1]), ArgText(p->rgvarg[0]));
          return S_OK;
        default:
          return S_OK;
      }
    } catch (...) {
      // A navigation that could not be judged is not made.
      if (id == DISPID_BEFORENAVIGATE2 && p->cArgs == 7)
        if (VARIANT_BOOL* cancel = ArgCancel(p->rgvarg[0])) *cancel = VARIANT_TRUE;
      return E_UNEXPECTED;
    }
  }

 protected:
  bool Answers(REFIID riid) const override { return riid == IID_IDispatch || riid == DIID_DWebBrowserEvents2; }

 private:
  TEmbeddedWB* owner_;
};

std::function<void(const std::wstring&)>& TEmbeddedWB::ShellOpen() {
  static std::function<void(const std::wstring&)> open = [](const std::wstring& url) {
    ::ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  };
  return open;
}

unsigned& TEmbeddedWB::ProbeMs() {
  static unsigned ms = 5000;
  return ms;
}

void TEmbeddedWB::ForgetProbe() { g_browserWorks = -1; }

void TEmbeddedWB::AssumeBrowserWorks() { g_browserWorks = 1; }

IDispatch* TEmbeddedWB::BrowserEventSink() const { return events_; }

TEmbeddedWB::~TEmbeddedWB() { DropBrowser(); }

void TEmbeddedWB::Create(TControl* parent, const std::string& name, Prompter& prompter) {
  Name = name;
  prompter_ = &prompter;
  ClassParams cls;
  cls.background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  CreateOwnChild(parent, L"NookvaleEmbeddedWB", "", WS_VISIBLE, cls);
  // An edit is multi-line from its creation on or never: the style cannot
  // be added later.
  Text.Create(this, "txtItem", true);
  Text.Perform(EM_SETREADONLY, TRUE);
  Text.SetAlign(TAlign::alClient);
  OpenBtn.Create(this, "OpenBtn", "Open in browser");
  OpenBtn.SetAlign(TAlign::alBottom);
  OpenBtn.SetHeight(ui::Scaled(28));
  OpenBtn.OnClick = [this] {
    // The page view hands on the page it shows, wherever the user went in it.
    const std::wstring& link = mode_ == Mode::Browser ? location_ : fallbackLink_;
    if (!link.empty() && Allowed(link)) ShellOpen()(link);
  };
  Text.SetVisible(false);
  OpenBtn.SetVisible(false);
  if (g_browserWorks == 0) {
    Resolve(Mode::Fallback);
  } else {
    StartBrowser();
  }
}

void TEmbeddedWB::StartBrowser() {
  const HRESULT init = ::OleInitialize(nullptr);
  oleInit_ = SUCCEEDED(init);
  if (!oleInit_) return Resolve(Mode::Fallback);
  // The document mode is read when the control is made.
  EnsureBrowserEmulation();
  site_ = new BrowserSite(Handle());
  RECT rc;
  ::GetClientRect(Handle(), &rc);
  bool ok = SUCCEEDED(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                         reinterpret_cast<void**>(&ole_))) &&
            SUCCEEDED(ole_->SetClientSite(site_));
  if (ok) {
    ::OleSetContainedObject(ole_, TRUE);
    ok = SUCCEEDED(ole_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_, 0, Handle(), &rc)) &&
         SUCCEEDED(ole_->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&web_)));
  }
  if (!ok) return Resolve(Mode::Fallback);
  web_->put_Silent(VARIANT_TRUE);
  ConnectEvents();
  PlaceBrowser();
  if (g_browserWorks == 1) return Resolve(Mode::Browser);
  // Whether pages can be shown is found out by showing one.
  filter_.ExpectBlank();
  BSTR blank = ::SysAllocString(L"about:blank");
  const HRESULT nav = web_->Navigate(blank, nullptr, nullptr, nullptr, nullptr);
  ::SysFreeString(blank);
  if (FAILED(nav)) return Resolve(Mode::Fallback);
  probeStart_ = ::GetTickCount64();
  ::SetTimer(Handle(), kProbeTimer, 50, nullptr);
}

void TEmbeddedWB::ConnectEvents() {
  // Without the events the control would go wherever a page leads it: no
  // events, no page view.
  IConnectionPointContainer* container = nullptr;
  if (FAILED(web_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)))) return;
  const HRESULT found = container->FindConnectionPoint(DIID_DWebBrowserEvents2, &eventSource_);
  container->Release();
  if (FAILED(found)) {
    eventSource_ = nullptr;
    return;
  }
  events_ = new BrowserEvents(this);
  if (FAILED(eventSource_->Advise(events_, &eventCookie_))) {
    eventCookie_ = 0;
    events_->Detach();
    events_->Release();
    events_ = nullptr;
    eventSource_->Release();
    eventSource_ = nullptr;
  }
}

bool TEmbeddedWB::IsTopFrame(IDispatch* frame) const {
  if (!frame || !web_) return false;
  // COM identity: the same object answers the same IUnknown.
  IUnknown *a = nullptr, *b = nullptr;
  frame->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a));
  web_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b));
  const bool same = a && a == b;
  if (a) a->Release();
  if (b) b->Release();
  return same;
}

bool TEmbeddedWB::BeforeNavigate2(IDispatch*, const std::wstring& url) { return !filter_.Allow(Narrow(url)); }

void TEmbeddedWB::NewWindow3(const std::wstring& url) {
  if (IsWebAddress(Narrow(url)) && mode_ == Mode::Browser) Navigate(url);
}

void TEmbeddedWB::NavigateComplete2(IDispatch* frame, const std::wstring& url) {
  if (IsTopFrame(frame) && IsWebAddress(Narrow(url))) location_ = url;
}

void TEmbeddedWB::DropBrowser() {
  if (HandleAllocated()) ::KillTimer(Handle(), kProbeTimer);
  if (eventSource_) {
    if (eventCookie_) eventSource_->Unadvise(eventCookie_);
    eventSource_->Release();
    eventSource_ = nullptr;
    eventCookie_ = 0;
  }
  if (events_) {
    events_->Detach();
    events_->Release();
    events_ = nullptr;
  }
  if (web_) {
    web_->Stop();
    web_->Release();
    web_ = nullptr;
  }
  if (ole_) {
    ole_->Close(OLECLOSE_NOSAVE);
    ole_->SetClientSite(nullptr);
    ole_->Release();
    ole_ = nullptr;
  }
  if (site_) {
    site_->Detach();
    site_->Release();
    site_ = nullptr;
  }
  if (oleInit_) {
    ::OleUninitialize();
    oleInit_ = false;
  }
}

void TEmbeddedWB::Resolve(Mode m) {
  mode_ = m;
  filter_.ForgetBlank();
  // A control whose navigations cannot be watched does not show pages.
  if (m == Mode::Browser && !events_) m = mode_ = Mode::Fallback;
  g_browserWorks = m == Mode::Browser ? 1 : 0;
  if (m == Mode::Fallback) {
    DropBrowser();
    Text.SetVisible(true);
    OpenBtn.SetVisible(true);
    AlignControls();
  }
  if (!pending_.empty()) {
    const std::wstring url = std::move(pending_);
    pending_.clear();
    Navigate(url);
  }
}

void TEmbeddedWB::PlaceBrowser() {
  if (!ole_) return;
  RECT rc;
  ::GetClientRect(Handle(), &rc);
  // Above the button, when the button is there.
  const LONG below = OpenBtn.Visible() ? OpenBtn.Height() : 0;
  rc.bottom = rc.bottom > below ? rc.bottom - below : 0;
  // The container places an in-place object through its in-place side; the
  // control's own size properties only ask the container to.
  IOleInPlaceObject* inplace = nullptr;
  if (SUCCEEDED(ole_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inplace)))) {
    inplace->SetObjectRects(&rc, &rc);
    inplace->Release();
  }
}

void TEmbeddedWB::ShowOpenButton(bool show) {
  OpenBtn.SetVisible(show);
  AlignControls();
  PlaceBrowser();
}

bool TEmbeddedWB::Allowed(const std::wstring& url) {
  const std::string u = Narrow(url);
  if (IsWebAddress(u)) return true;
  prompter_->ShowMessage("The item's link \"" + u + "\" was not opened: only http and https addresses are shown.");
  return false;
}

void TEmbeddedWB::SetItemText(const std::string& title, const std::string& date, const std::string& description) {
  title_ = title;
  date_ = date;
  description_ = description;
}

void TEmbeddedWB::ShowFallback(const std::wstring& url) {
  fallbackLink_ = url;
  std::string text = title_;
  if (!date_.empty()) text += "\n" + date_;
  if (!description_.empty()) text += "\n\n" + description_;
  if (!url.empty()) text += "\n\n" + Narrow(url);
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  Text.SetCaption(crlf);
}

void TEmbeddedWB::ShowItem() {
  pending_.clear();
  ShowFallback(L"");
  Text.SetVisible(true);
  ShowOpenButton(false);
  ::SetWindowPos(Text.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TEmbeddedWB::Navigate(const std::wstring& url) {
  if (!Allowed(url)) return;
  location_ = url;
  switch (mode_) {
    case Mode::Probing:
      pending_ = url;
      ShowFallback(url);
      break;
    case Mode::Fallback:
      ShowFallback(url);
      ShowOpenButton(true);
      break;
    case Mode::Browser: {
      Text.SetVisible(false);
      ShowOpenButton(true);
      BSTR b = ::SysAllocString(url.c_str());
      web_->Navigate(b, nullptr, nullptr, nullptr, nullptr);
      ::SysFreeString(b);
      break;
    }
  }
}

LRESULT TEmbeddedWB::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER && wp == kProbeTimer) {
    READYSTATE state = READYSTATE_UNINITIALIZED;
    IDispatch* doc = nullptr;
    if (web_) {
      web_->get_ReadyState(&state);
      web_->get_Document(&doc);
    }
    const bool loaded = state == READYSTATE_COMPLETE && doc;
    if (doc) doc->Release();
    if (loaded) {
      ::KillTimer(Handle(), kProbeTimer);
      Resolve(Mode::Browser);
    } else if (::GetTickCount64() - probeStart_ >= ProbeMs()) {
      ::KillTimer(Handle(), kProbeTimer);
      Resolve(Mode::Fallback);
    }
    return 0;
  }
  if (msg == WM_SIZE) {
    const LRESULT r = TControl::HandleMessage(msg, wp, lp);
    PlaceBrowser();
    return r;
  }
  if (msg == WM_DESTROY) DropBrowser();
  return TControl::HandleMessage(msg, wp, lp);
}

}  // namespace nv::rss
