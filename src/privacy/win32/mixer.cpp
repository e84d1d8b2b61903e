#include "privacy/win32/mixer.h"

#include "ui/errors.h"

namespace nv {

namespace {

HMIXEROBJ MixerObject(UINT mixer) { return reinterpret_cast<HMIXEROBJ>(static_cast<UINT_PTR>(mixer)); }

// The value record of one on/off control, all six fields set.
MIXERCONTROLDETAILS BooleanDetails(DWORD controlId, MIXERCONTROLDETAILS_BOOLEAN& value) {
  MIXERCONTROLDETAILS details;
  details.cbStruct = sizeof(MIXERCONTROLDETAILS);
  details.dwControlID = controlId;
  details.cChannels = 1;
  details.cMultipleItems = 0;
  details.cbDetails = sizeof(MIXERCONTROLDETAILS_BOOLEAN);
  details.paDetails = &value;
  return details;
}

}  // namespace

UINT LookUpSpeakerMuteControl(UINT mixer, MIXERCONTROLA& control) {
  MIXERLINEA line;
  ::ZeroMemory(&line, sizeof line);
  line.cbStruct = sizeof(MIXERLINEA);
  line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
  UINT r = ::mixerGetLineInfoA(MixerObject(mixer), &line, MIXER_GETLINEINFOF_COMPONENTTYPE);
  if (r != MMSYSERR_NOERROR) return r;
  MIXERLINECONTROLSA controls;
  ::ZeroMemory(&controls, sizeof controls);
  controls.cbStruct = sizeof(MIXERLINECONTROLSA);
  controls.dwLineID = line.dwLineID;
  controls.dwControlType = MIXERCONTROL_CONTROLTYPE_MUTE;
  controls.cControls = 1;
  controls.cbmxctrl = sizeof(MIXERCONTROLA);
  controls.pamxctrl = &control;
  return ::mixerGetLineControlsA(MixerObject(mixer), &controls, MIXER_GETLINECONTROLSF_ONEBYTYPE);
}

void SetMixerMuteValue(UINT mixer, bool mute) {
  MIXERCONTROLA control;
  ::ZeroMemory(&control, sizeof control);
  control.cbStruct = sizeof(MIXERCONTROLA);
  UINT r = LookUpSpeakerMuteControl(mixer, control);
  if (r == MMSYSERR_NOERROR) {
    MIXERCONTROLDETAILS_BOOLEAN value;
    value.fValue = mute ? -1 : 0;  // all 32 bits set to mute
    MIXERCONTROLDETAILS details = BooleanDetails(control.dwControlID, value);
    r = ::mixerSetControlDetails(MixerObject(mixer), &details, MIXER_SETCONTROLDETAILSF_VALUE);
  }
  if (r != MMSYSERR_NOERROR)
    throw Exception(Format("SetMasterMuteValue failure, multimedia system error #%d", static_cast<int>(r)));
}

bool GetMixerMuteValue(UINT mixer, bool& muted) {
  MIXERCONTROLA control;
  ::ZeroMemory(&control, sizeof control);
  control.cbStruct = sizeof(MIXERCONTROLA);
  if (LookUpSpeakerMuteControl(mixer, control) != MMSYSERR_NOERROR) return false;
  MIXERCONTROLDETAILS_BOOLEAN value{};
  MIXERCONTROLDETAILS details = BooleanDetails(control.dwControlID, value);
  if (::mixerGetControlDetailsA(MixerObject(mixer), &details, MIXER_GETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR)
    return false;
  muted = value.fValue != 0;
  return true;
}

}  // namespace nv
