#include "privacy/mute_route.h"

#include "ui/errors.h"

namespace nv {

namespace {

constexpr std::int32_t Hresult(std::uint32_t bits) { return static_cast<std::int32_t>(bits); }

// What COM answers when the class is unknown to the system or its server
// cannot be loaded: the marks of a system that predates Core Audio.
constexpr std::int32_t kClassMissing[] = {
    Hresult(0x80040154),  // REGDB_E_CLASSNOTREG
    Hresult(0x80040111),  // CLASS_E_CLASSNOTAVAILABLE
    Hresult(0x80004002),  // E_NOINTERFACE
    Hresult(0x800401F8),  // CO_E_DLLNOTFOUND
    Hresult(0x8007007E),  // HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)
};

}  // namespace

MuteRoute ChooseMuteRoute(std::int32_t enumeratorResult) {
  if (enumeratorResult >= 0) return MuteRoute::kEndpoint;  // S_OK and other successes
  for (std::int32_t missing : kClassMissing)
    if (enumeratorResult == missing) return MuteRoute::kMixer;
  return MuteRoute::kFailure;
}

std::string EndpointMuteFailureText(std::int32_t result) {
  return Format("SetMasterMuteValue failure, audio endpoint error 0x%08X", static_cast<unsigned>(result));
}

}  // namespace nv
