// The master mute: the default playback endpoint through Core Audio, and
// the first mixer's speakers line only where Core Audio is absent (the
// mixer's controls reach our own audio session alone since Windows Vista).
#pragma once

#include <windows.h>
#include <mmdeviceapi.h>
#include <endpointvolume.h>

#include <functional>

namespace nv {

// Mutes or unmutes the system's sound. Raises "SetMasterMuteValue failure,
// audio endpoint error 0x<HRESULT>" when Core Audio cannot do it, and the
// mixer's own failure where the mixer (device number mixer) is used.
void SetMasterMuteValue(UINT mixer, bool mute);

// The default playback endpoint's volume control, opened afresh at every
// call: the default device may change between two calls (headphones
// plugged in, a monitor's speakers chosen).
HRESULT OpenDefaultEndpointVolume(IMMDeviceEnumerator& devices, IAudioEndpointVolume** volume);

// Reads the default endpoint's mute back (for tests and diagnostics); false
// when there is no default playback endpoint.
bool GetEndpointMuteValue(bool& muted);

// How OpenDefaultEndpointVolume gets the volume control of the endpoint it
// found; an empty one restores IMMDevice::Activate. Wine keeps an endpoint's
// mute in the object that set it, so a test checks the endpoint it is given
// and hands out one object whose mute it reads back.
using EndpointVolumeActivator = std::function<HRESULT(IMMDevice&, IAudioEndpointVolume**)>;
void SetEndpointVolumeActivator(EndpointVolumeActivator activator);

}  // namespace nv
