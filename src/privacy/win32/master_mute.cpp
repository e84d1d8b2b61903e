#include "privacy/win32/master_mute.h"

#include <utility>

#include "privacy/mute_route.h"
#include "privacy/win32/mixer.h"
#include "ui/errors.h"
#include "ui/win32/unique_handle.h"

namespace nv {

namespace {

EndpointVolumeActivator& Activator() {
  static EndpointVolumeActivator activator;
  return activator;
}

HRESULT CreateDeviceEnumerator(UniqueCom<IMMDeviceEnumerator>& devices) {
  return ::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                            __uuidof(IMMDeviceEnumerator), reinterpret_cast<void**>(devices.put()));
}

[[noreturn]] void ThrowEndpointFailure(HRESULT hr) { throw Exception(EndpointMuteFailureText(hr)); }

}  // namespace

HRESULT OpenDefaultEndpointVolume(IMMDeviceEnumerator& devices, IAudioEndpointVolume** volume) {
  *volume = nullptr;
  UniqueCom<IMMDevice> speakers;
  HRESULT hr = devices.GetDefaultAudioEndpoint(eRender, eConsole, speakers.put());
  if (FAILED(hr)) return hr;
  if (Activator()) return Activator()(*speakers.get(), volume);
  return speakers.get()->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr,
                                  reinterpret_cast<void**>(volume));
}

void SetMasterMuteValue(UINT mixer, bool mute) {
  const ComScope com;  // outlives every interface below
  UniqueCom<IMMDeviceEnumerator> devices;
  const HRESULT created = CreateDeviceEnumerator(devices);
  switch (ChooseMuteRoute(created)) {
    case MuteRoute::kMixer:
      return SetMixerMuteValue(mixer, mute);
    case MuteRoute::kFailure:
      ThrowEndpointFailure(created);
    case MuteRoute::kEndpoint:
      break;
  }
  UniqueCom<IAudioEndpointVolume> volume;
  HRESULT hr = OpenDefaultEndpointVolume(*devices.get(), volume.put());
  if (SUCCEEDED(hr)) hr = volume.get()->SetMute(mute ? TRUE : FALSE, nullptr);
  if (FAILED(hr)) ThrowEndpointFailure(hr);
}

bool GetEndpointMuteValue(bool& muted) {
  const ComScope com;
  UniqueCom<IMMDeviceEnumerator> devices;
  UniqueCom<IAudioEndpointVolume> volume;
  BOOL value = FALSE;
  if (FAILED(CreateDeviceEnumerator(devices)) || FAILED(OpenDefaultEndpointVolume(*devices.get(), volume.put())) ||
      FAILED(volume.get()->GetMute(&value)))
    return false;
  muted = value != FALSE;
  return true;
}

void SetEndpointVolumeActivator(EndpointVolumeActivator activator) { Activator() = std::move(activator); }

}  // namespace nv
