// The two loaders' rules over the checker's reader (not part of the checker's interface).
#pragma once

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
