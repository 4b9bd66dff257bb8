// The repeat step of the Info frame's CRC-16 against plain updates.
#include "encoder/crc16.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Blocks of one byte, a few bytes and the lengths of frames the encoder repeats (104 bytes
// at 32 kbit/s, 417 at 128); counts on both sides of the powers of two where the step is
// squared, and for one byte the frames of eight hours. The CRC before is not 0, so a step
// that loses it shows.
TEST(Crc16, RepeatedStepEqualsThatManyPlainUpdates) {
  std::vector<uint8_t> block(417);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 151 + 7);
  for (size_t length : {1, 5, 104, 417}) {
    for (uint64_t times : {0, 1, 2, 3, 4, 7, 8, 9, 255, 256, 1000, 1102500}) {
      if (times > 1000 && length > 1) continue;
      uint16_t plain = 0x1D0F;
      for (uint64_t i = 0; i < times; ++i) plain = UpdateCrc16(plain, block.data(), length);
      EXPECT_EQ(UpdateCrc16Repeated(0x1D0F, block.data(), length, times), plain)
          << length << " bytes " << times << " times";
    }
  }
}

}  // namespace
