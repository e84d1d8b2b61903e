// The mute of a mixer's speakers line (winmm mixer API): the master mute
// where Core Audio is absent (see master_mute.h).
#pragma once

#include <windows.h>
#include <mmsystem.h>

namespace nv {

// Finds the mute control of the speakers line; answers 0 or the
// multimedia error code of the call that failed.
UINT LookUpSpeakerMuteControl(UINT mixer, MIXERCONTROLA& control);

// Mutes or unmutes; raises "SetMasterMuteValue failure, multimedia system
// error #<code>" when the mixer cannot do it.
void SetMixerMuteValue(UINT mixer, bool mute);

// Reads the mute state back (for tests and diagnostics); false when there
// is no such control.
bool GetMixerMuteValue(UINT mixer, bool& muted);

}  // namespace nv
