// Voice files of any bytes: the checker gives every one a verdict and a line, within the
// bytes it was given, and reading them from a file gives what reading them from memory
// gives, window and all.
#include <cstdint>
#include <cstdio>
#include <string>

#include "checker/voice_check.h"
#include "fuzz/fuzz_check.h"

namespace {

void CheckOne(const VoiceCheck& check, bool mpeg) {
  const std::string line = DescribeVoiceCheck("f", check);
  FUZZ_CHECK(line.size() > 3 && line.find('\n') == std::string::npos);
  FUZZ_CHECK(check.verdict != VoiceVerdict::NotJudged && check.verdict != VoiceVerdict::Unreadable);
  FUZZ_CHECK((check.verdict == VoiceVerdict::Plays) == (check.problem == VoiceProblem::None));
  if (check.verdict != VoiceVerdict::Plays) return;
  FUZZ_CHECK(check.samples > 0 && check.samples <= INT32_MAX);
  // The game counts the caption in single precision: a millisecond off, and a little
  // more for hours.
  const uint64_t exact = check.samples * 1000 / 44100, slack = 1 + exact / 1000000;
  FUZZ_CHECK(check.captionMs + slack >= exact && check.captionMs <= exact + slack);
  if (mpeg) {
    FUZZ_CHECK(check.mpeg && check.sampleRate == 44100 && check.layer >= 1 && check.layer <= 3);
    FUZZ_CHECK(check.loaderBytes > 0 && check.loaderBytes + 2304 <= INT32_MAX);
  }
}

bool Same(const VoiceCheck& a, const VoiceCheck& b) {
  return a.verdict == b.verdict && a.problem == b.problem && a.loaderBytes == b.loaderBytes &&
         a.samples == b.samples && a.captionMs == b.captionMs && a.vbr == b.vbr &&
         a.sampleRate == b.sampleRate && a.channels == b.channels;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const VoiceCheck mp3 = CheckMp3Bytes(data, size);
  const VoiceCheck wav = CheckWavBytes(data, size);
  CheckOne(mp3, true);
  CheckOne(wav, false);
  if (size == 0) return 0;
  for (const VoiceFormat format : {VoiceFormat::Mp3, VoiceFormat::Wav}) {
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    FUZZ_CHECK(file != nullptr);
    const VoiceCheck read = CheckVoiceStream(file, size, format);
    std::fclose(file);
    FUZZ_CHECK(Same(read, format == VoiceFormat::Mp3 ? mp3 : wav));
  }
  return 0;
}
