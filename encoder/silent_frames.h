// The frames a stream of silence copies instead of encoding: what the stream learns from
// the encoder library's output, so that once that output has settled into one frame
// repeated, it can repeat the frame itself and still write the Info frame the library
// would have written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "encoder/mpeg_frame.h"

class SilentFrames {
 public:
  // Follows the library's output, every byte of it in order: walks its frame headers,
  // feeds the Info frame's CRCs and tables, keeps the latest bytes and notes when the
  // output has settled (well past the first frames, and its latest bytes one frame's
  // length of bytes repeated). Once settled, it stays so. Output with a padded frame never
  // settles: the library pads frames in a pattern that no one frame repeats.
  void Follow(const uint8_t* bytes, size_t count);

  bool Settled() const { return settled; }

  // What Repeat writes per frame: the length of the library's last frame.
  size_t FrameLength() const { return lastFrame.length; }

  // Once settled: writes `frames` copies of the settled frame at out, frames x FrameLength()
  // bytes, as the library would have written them for that many more frames of silence.
  // The library's output may end inside a frame, so the copy is its last frame's length of
  // bytes, which continues it at any point.
  void Repeat(uint64_t frames, uint8_t* out);

  uint64_t RepeatedFrames() const { return addedFrames; }

  // Turns the library's Info frame (`length` bytes), made for the frames it encoded, into
  // the frame for the whole stream. False, and the frame left alone, unless the frame
  // counts, table, length and CRC that the library wrote are exactly those followed here of
  // its own output.
  bool ExtendInfoFrame(uint8_t* frame, size_t length) const;

 private:
  void WalkHeaders(const uint8_t* bytes, size_t count);
  void CountFrame();
  void UpdateCrcs(const uint8_t* bytes, size_t count);
  void KeepLatest(const uint8_t* bytes, size_t count);
  bool HasSettled() const;
  bool AsFollowed(const uint8_t* info) const;

  bool settled = false;
  bool lost = false;          // the output stopped being a chain of frames: never repeat
  bool padded = false;        // a frame was padded: never repeat
  uint64_t libraryBytes = 0;  // the library's output so far, its kept first frame included
  uint64_t nextHeaderAt = 0;  // where in that output the next frame header starts
  uint8_t header[MPEG_HEADER_BYTES] = {};
  size_t headerHave = 0;
  bool firstFrameRead = false;
  uint64_t firstFrameBytes = 0;  // the kept first frame counts neither in CRC nor tables
  MpegFrameHeader lastFrame;
  std::vector<uint8_t> recent;  // the library's latest bytes
  XingSeekTable libraryTable;   // the library's frames only, to check its Info frame
  XingSeekTable fileTable;      // the frames of the file, repeated ones included
  uint16_t libraryCrc = 0;
  uint16_t fileCrc = 0;
  uint64_t addedFrames = 0;
  uint64_t addedBytes = 0;
};
