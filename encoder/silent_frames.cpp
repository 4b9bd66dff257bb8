// Follows the encoder library's output of silence, repeats its settled frame and extends
// its Info frame over the repeated frames.
#include "encoder/silent_frames.h"

#include <algorithm>
#include <cstring>

#include "encoder/crc16.h"

namespace {

// The output counts as settled only after this many audio frames, the last three of them
// byte for byte alike.
constexpr uint32_t SILENT_FRAMES_BEFORE_REPEAT = 24;
constexpr size_t SILENT_FRAMES_ALIKE = 3;
constexpr size_t SILENT_RECENT_BYTES = SILENT_FRAMES_ALIKE * MPEG_LAYER3_MAX_FRAME_BYTES;
// Repeated frames are first laid out this far, then copied on in blocks of that size.
constexpr size_t SILENT_REPEAT_BLOCK_BYTES = 64 * 1024;

}  // namespace

void SilentFrames::Follow(const uint8_t* bytes, size_t count) {
  WalkHeaders(bytes, count);
  UpdateCrcs(bytes, count);
  libraryBytes += count;
  KeepLatest(bytes, count);
  if (!settled) settled = HasSettled();
}

void SilentFrames::WalkHeaders(const uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count && !lost;) {
    const uint64_t at = libraryBytes + i;
    if (at < nextHeaderAt) {
      i += static_cast<size_t>(std::min<uint64_t>(count - i, nextHeaderAt - at));
      continue;
    }
    header[headerHave++] = bytes[i++];
    if (headerHave == MPEG_HEADER_BYTES) CountFrame();
  }
}

void SilentFrames::CountFrame() {
  headerHave = 0;
  MpegFrameHeader frame;
  if (!ReadMpegFrameHeader(header, MPEG_HEADER_BYTES, &frame) || frame.layer != 3) {
    lost = true;
    return;
  }
  if (firstFrameRead) {
    libraryTable.Add(frame.bitRate, 1);
    fileTable.Add(frame.bitRate, 1);
  } else {
    firstFrameRead = true;
    firstFrameBytes = frame.length;
  }
  padded = padded || frame.padding;
  lastFrame = frame;
  nextHeaderAt += frame.length;
}

void SilentFrames::UpdateCrcs(const uint8_t* bytes, size_t count) {
  if (!firstFrameRead) return;
  const uint64_t skip = firstFrameBytes > libraryBytes ? firstFrameBytes - libraryBytes : 0;
  if (skip >= count) return;
  libraryCrc = UpdateCrc16(libraryCrc, bytes + skip, count - skip);
  fileCrc = UpdateCrc16(fileCrc, bytes + skip, count - skip);
}

void SilentFrames::KeepLatest(const uint8_t* bytes, size_t count) {
  recent.insert(recent.end(), bytes, bytes + count);
  if (recent.size() > SILENT_RECENT_BYTES) {
    recent.erase(recent.begin(), recent.end() - static_cast<ptrdiff_t>(SILENT_RECENT_BYTES));
  }
}

bool SilentFrames::HasSettled() const {
  const size_t length = lastFrame.length;
  if (lost || padded || libraryTable.Frames() < SILENT_FRAMES_BEFORE_REPEAT || length == 0 ||
      recent.size() < SILENT_FRAMES_ALIKE * length) {
    return false;
  }
  const uint8_t* last = recent.data() + recent.size() - length;
  for (size_t back = 1; back < SILENT_FRAMES_ALIKE; ++back) {
    if (std::memcmp(last - back * length, last, length) != 0) return false;
  }
  return true;
}

void SilentFrames::Repeat(uint64_t frames, uint8_t* out) {
  if (frames == 0) return;
  const size_t length = lastFrame.length;
  const size_t total = static_cast<size_t>(frames * length);
  const uint8_t* copy = recent.data() + recent.size() - length;
  const size_t block = std::min(total, SILENT_REPEAT_BLOCK_BYTES / length * length);
  std::memcpy(out, copy, length);
  for (size_t laid = length; laid < block;) {
    const size_t more = std::min(laid, block - laid);
    std::memcpy(out + laid, out, more);
    laid += more;
  }
  for (size_t laid = block; laid < total;) {
    const size_t more = std::min(block, total - laid);
    std::memcpy(out + laid, out, more);
    laid += more;
  }
  fileCrc = UpdateCrc16Repeated(fileCrc, copy, length, frames);
  fileTable.Add(lastFrame.bitRate, frames);
  addedFrames += frames;
  addedBytes += total;
}

bool SilentFrames::ExtendInfoFrame(uint8_t* frame, size_t length) const {
  const size_t mark = FindFullInfoTag(frame, length);
  if (mark == 0 || lost || headerHave != 0 || nextHeaderAt != libraryBytes ||
      !AsFollowed(frame + mark)) {
    return false;
  }
  uint8_t* info = frame + mark;
  const auto fileBytes = static_cast<uint32_t>(libraryBytes + addedBytes);
  WriteBigEndian32(info + INFO_XING_FRAMES, fileTable.Frames());
  WriteBigEndian32(info + INFO_XING_BYTES, fileBytes);
  fileTable.Fill(info + INFO_XING_TOC);
  WriteBigEndian32(info + INFO_LAME_MUSIC_LENGTH, fileBytes);
  WriteBigEndian16(info + INFO_LAME_MUSIC_CRC, fileCrc);
  WriteBigEndian16(info + INFO_LAME_TAG_CRC, UpdateCrc16(0, frame, mark + INFO_LAME_TAG_CRC));
  return true;
}

// The counts, table, length and CRC of the library's Info frame, at its mark, against
// those followed of its output.
bool SilentFrames::AsFollowed(const uint8_t* info) const {
  uint8_t toc[INFO_TOC_ENTRIES];
  libraryTable.Fill(toc);
  const auto bytes = static_cast<uint32_t>(libraryBytes);
  return ReadBigEndian32(info + INFO_XING_FRAMES) == libraryTable.Frames() &&
         ReadBigEndian32(info + INFO_XING_BYTES) == bytes &&
         std::memcmp(info + INFO_XING_TOC, toc, INFO_TOC_ENTRIES) == 0 &&
         ReadBigEndian32(info + INFO_LAME_MUSIC_LENGTH) == bytes &&
         ReadBigEndian16(info + INFO_LAME_MUSIC_CRC) == libraryCrc;
}
