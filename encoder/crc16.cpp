// The LAME tag's CRC-16 by table, and its repeat step.
#include "encoder/crc16.h"

namespace {

struct CrcTable {
  uint16_t entry[256] = {};
  constexpr CrcTable() {
    for (unsigned byte = 0; byte < 256; ++byte) {
      unsigned crc = byte;
      for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001u : crc >> 1;
      entry[byte] = static_cast<uint16_t>(crc);
    }
  }
};
constexpr CrcTable CRC16_TABLE;
static_assert(CRC16_TABLE.entry[1] == 0xC0C1 && CRC16_TABLE.entry[255] == 0x4040,
              "CRC-16 table");

// The CRC after a block of bytes is an affine function of the CRC before it (a 16 x 16 bit
// matrix and a constant), so the CRC over a block repeated m times takes log m steps.
struct CrcStep {
  uint16_t column[16] = {};  // what each bit of the CRC before becomes
  uint16_t constant = 0;

  uint16_t Apply(uint16_t crc) const {
    uint16_t result = constant;
    for (int bit = 0; bit < 16; ++bit) {
      if (crc >> bit & 1) result ^= column[bit];
    }
    return result;
  }
};

CrcStep StepOfBlock(const uint8_t* block, size_t length) {
  CrcStep step;
  step.constant = UpdateCrc16(0, block, length);
  for (int bit = 0; bit < 16; ++bit) {
    step.column[bit] = static_cast<uint16_t>(
        UpdateCrc16(static_cast<uint16_t>(1u << bit), block, length) ^ step.constant);
  }
  return step;
}

// later after earlier.
CrcStep ComposeCrcSteps(const CrcStep& later, const CrcStep& earlier) {
  CrcStep both;
  both.constant = later.Apply(earlier.constant);
  for (int bit = 0; bit < 16; ++bit) {
    both.column[bit] = static_cast<uint16_t>(later.Apply(earlier.column[bit]) ^ later.constant);
  }
  return both;
}

}  // namespace

uint16_t UpdateCrc16(uint16_t crc, const uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    crc = static_cast<uint16_t>((crc >> 8) ^ CRC16_TABLE.entry[(crc ^ bytes[i]) & 0xFF]);
  }
  return crc;
}

uint16_t UpdateCrc16Repeated(uint16_t crc, const uint8_t* block, size_t length, uint64_t times) {
  CrcStep once = StepOfBlock(block, length);
  CrcStep all;  // identity
  for (int bit = 0; bit < 16; ++bit) all.column[bit] = static_cast<uint16_t>(1u << bit);
  for (; times > 0; times >>= 1) {
    if (times & 1) all = ComposeCrcSteps(once, all);
    once = ComposeCrcSteps(once, once);
  }
  return all.Apply(crc);
}
