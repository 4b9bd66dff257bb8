// What a stream of silence checks before it extends the encoder library's Info frame over
// the frames it repeated.
#include "encoder/silent_frames.h"

#include <algorithm>

#include "tests/test_support.h"

namespace {

// Fed the real output of a full encode, the library's frame passes as it is and comes back
// the same, as no frame was repeated; a frame with any field that disagrees with the output
// followed is refused and left alone.
TEST(SilentFrames, ExtendOnlyAnInfoFrameThatCountsTheOutputFollowed) {
  ScratchDirectory scratch;
  const Bytes file =
      EncodeZeros(WriterSettings(), 3 * 44100, 1152, false, scratch.path + "/full").file;
  MpegFrameHeader header;
  ASSERT_TRUE(ReadMpegFrameHeader(file.data(), file.size(), &header));
  const Bytes frame(file.begin(), file.begin() + header.length);
  const size_t mark = FindFullInfoTag(frame.data(), frame.size());
  ASSERT_NE(mark, 0u);
  // The library gave out the same bytes with its first frame kept empty for the Info frame.
  Bytes output = file;
  std::fill(output.begin() + MPEG_HEADER_BYTES, output.begin() + frame.size(), 0);
  SilentFrames followed;
  for (size_t at = 0; at < output.size(); at += 1000) {  // pieces that split frames and headers
    followed.Follow(output.data() + at, std::min<size_t>(1000, output.size() - at));
  }

  Bytes same = frame;
  EXPECT_TRUE(followed.ExtendInfoFrame(same.data(), same.size()));
  EXPECT_EQ(same, frame);
  // The mark, the frame and byte counts, the seek table, the music length and its CRC.
  for (const size_t at : {size_t{0}, INFO_XING_FRAMES + 3, INFO_XING_BYTES + 3, INFO_XING_TOC + 50,
                          INFO_LAME_MUSIC_LENGTH + 3, INFO_LAME_MUSIC_CRC + 1}) {
    Bytes changed = frame;
    changed[mark + at] ^= 1;
    const Bytes before = changed;
    EXPECT_FALSE(followed.ExtendInfoFrame(changed.data(), changed.size())) << "byte " << at;
    EXPECT_EQ(changed, before) << "byte " << at;
  }
}

}  // namespace
