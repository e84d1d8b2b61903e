// Which system control the master mute goes through. Since Windows Vista
// the legacy mixer's controls act on the calling program's own audio
// session only, so muting there would silence Nookvale and nothing else;
// the default playback endpoint (Core Audio) is the system-wide switch.
// The mixer is kept for systems without Core Audio (Windows XP).
#pragma once

#include <cstdint>
#include <string>

namespace nv {

enum class MuteRoute {
  kEndpoint,  // Core Audio is there: mute the default playback endpoint
  kMixer,     // no Core Audio on this system: the first mixer's speakers line
  kFailure,   // Core Audio should be there but could not be reached: report it
};

// Decides by the HRESULT that creating the audio device enumerator answered.
MuteRoute ChooseMuteRoute(std::int32_t enumeratorResult);

// "SetMasterMuteValue failure, audio endpoint error 0x%08X": the same
// wording as the mixer's failure, with the HRESULT as Windows prints it.
std::string EndpointMuteFailureText(std::int32_t result);

}  // namespace nv
