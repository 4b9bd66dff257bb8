// The two loaders' rules over the checker's reader (not part of the checker's interface).
#pragma once

#include <cstdint>

#include "checker/byte_source.h"
#include "checker/voice_check.h"

VoiceCheck CheckMp3Source(ByteSource& source);
VoiceCheck CheckWavSource(ByteSource& source);

// The check as far as it went, with its verdict and the problem that gave it.
inline VoiceCheck Judged(VoiceCheck check, VoiceVerdict verdict, VoiceProblem problem) {
  check.verdict = verdict;
  check.problem = problem;
  return check;
}

// The game mixes at 44,100 Hz unless its player chose otherwise, resamples every WAV file
// to that rate and counts every sound's length at it.
constexpr int64_t LOADER_MIX_RATE = 44100;

// How long the caption stays up for `samples` at the mixing rate, in whole milliseconds as
// the game works them out: seconds in single precision, times 1,000, cut to an int.
inline uint32_t CountCaptionMs(int64_t samples) {
  const float seconds = static_cast<float>(samples) / static_cast<float>(LOADER_MIX_RATE);
  return static_cast<uint32_t>(static_cast<int32_t>(seconds * 1000.0f));
}
