// The CRC-16 that the Info frame's LAME tag carries, and the same CRC over a block written
// many times in a row.
#pragma once

#include <cstddef>
#include <cstdint>

// crc continued over count bytes. The tag's CRCs start from 0; the polynomial is
// x^16 + x^15 + x^2 + 1, bits reflected.
uint16_t UpdateCrc16(uint16_t crc, const uint8_t* bytes, size_t count);

// crc continued over the `length` bytes of block written `times` times in a row, in about
// log2(times) steps of 16 x 16 bits instead of times x length byte steps.
uint16_t UpdateCrc16Repeated(uint16_t crc, const uint8_t* block, size_t length, uint64_t times);
