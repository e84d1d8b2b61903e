#include "privacy/mute_route.h"

#include <gtest/gtest.h>

namespace nv {
namespace {

constexpr std::int32_t Hr(std::uint32_t bits) { return static_cast<std::int32_t>(bits); }

TEST(MuteRoute, EndpointWhereCoreAudioIsMixerOnlyWhereItIsAbsent) {
  EXPECT_EQ(ChooseMuteRoute(0), MuteRoute::kEndpoint);  // S_OK
  EXPECT_EQ(ChooseMuteRoute(1), MuteRoute::kEndpoint);  // S_FALSE is a success too
  // Windows XP: no such class, or its server cannot be loaded.
  for (std::uint32_t absent : {0x80040154u, 0x80040111u, 0x80004002u, 0x800401F8u, 0x8007007Eu})
    EXPECT_EQ(ChooseMuteRoute(Hr(absent)), MuteRoute::kMixer) << std::hex << absent;
  // Core Audio is there but did not answer: falling back to the mixer would
  // mute Nookvale alone and look like success, so it is reported.
  for (std::uint32_t failed : {0x8007000Eu /* E_OUTOFMEMORY */, 0x800401F0u /* CO_E_NOTINITIALIZED */,
                               0x80070005u /* E_ACCESSDENIED */, 0x80004005u /* E_FAIL */})
    EXPECT_EQ(ChooseMuteRoute(Hr(failed)), MuteRoute::kFailure) << std::hex << failed;
}

TEST(MuteRoute, FailureTextShowsTheResultAsEightHexDigits) {
  // E_NOTFOUND, what a system without a playback device answers.
  EXPECT_EQ(EndpointMuteFailureText(Hr(0x80070490)), "SetMasterMuteValue failure, audio endpoint error 0x80070490");
  EXPECT_EQ(EndpointMuteFailureText(Hr(0x0000001F)), "SetMasterMuteValue failure, audio endpoint error 0x0000001F");
}

}  // namespace
}  // namespace nv
