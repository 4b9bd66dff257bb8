// Voice files from anywhere, as the level looks at a file before writing over it: whatever
// the bytes, the reader stays within them, and silence stays silence when an ID3v1 tag is
// added to an MP3 file without one, as the writer adds one.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "checker/sound_content.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FUZZ_CHECK(FindSoundContent(data, size, false) != SoundContent::Unreadable);
  const SoundContent content = FindSoundContent(data, size, true);
  FUZZ_CHECK(content != SoundContent::Unreadable);
  const bool tagged = size >= 128 && std::memcmp(data + size - 128, "TAG", 3) == 0;
  if (content == SoundContent::Silence && size > 0 && !tagged) {
    std::string withTag(reinterpret_cast<const char*>(data), size);
    withTag += "TAG" + std::string(125, '\0');
    FUZZ_CHECK(FindSoundContent(reinterpret_cast<const uint8_t*>(withTag.data()), withTag.size(),
                                true) == SoundContent::Silence);
  }
  return 0;
}
