// The encoder's stream calls where the writer's tests cannot reach them: the version text,
// refusals, the output limit, the silent stream against a full encode call by call and its
// refusal of an Info frame it cannot extend, which file a Xing/Info frame may go into, and
// the frame's seek table against the one the encoder library writes.
#include <lame/lame.h>

#include <tuple>
#include <utility>

#include "encoder/encoder_version.h"
#include "encoder/mpeg_frame.h"
#include "tests/test_support.h"

namespace {

HBE_STREAM Open(const BE_CONFIG& config) {
  uint32_t chunk = 0, bufferSize = 0;
  HBE_STREAM stream = nullptr;
  EXPECT_EQ(beInitStream(&config, &chunk, &bufferSize, &stream), BE_ERR_SUCCESSFUL);
  return stream;
}

// Mono samples (one second of zeros by default) through a new stream in one call up to its
// close, which leaves its Xing/Info frame for beWriteVBRHeader: the stream's bytes, without
// that frame.
Bytes Flushed(const std::vector<int16_t>& pcm = std::vector<int16_t>(44100)) {
  return Encode(WriterSettings(), pcm, pcm.size(), false).file;
}

// The library's numbers and address in the window's banner are the startup test's; here the
// interface's own version and two digits for a one-digit minor version.
TEST(StreamCalls, TellTheLibrarysVersionAndHomepageInAlignedLines) {
  BE_VERSION version;
  beVersion(&version);
  version.byMajorVersion = 3;
  version.byMinorVersion = 5;
  char text[256];
  ComposeVersionText(version, text, sizeof(text));
  EXPECT_EQ(text, "\n>>> DLL version:               1.00\n>>> Engine version:            3.05"
                  "\n>>> Official Project homepage: " + std::string(get_lame_url()));
}

TEST(StreamCalls, RefuseWhatTheyCannotUseAndNeverWritePastTheOutputLimit) {
  EXPECT_EQ(beCloseStream(nullptr), BE_ERR_INVALID_HANDLE);  // what a failed init leaves
  BE_CONFIG config = WriterSettings();
  config.dwConfig = BE_CONFIG_MP3;  // a layout this encoder does not read
  uint32_t chunk = 0, bufferSize = 0, count = 0;
  HBE_STREAM stream = reinterpret_cast<HBE_STREAM>(0x1234);
  EXPECT_EQ(beInitStream(&config, &chunk, &bufferSize, &stream), BE_ERR_INVALID_FORMAT);
  EXPECT_EQ(stream, nullptr);
  // One second of silence needs some 3.7 kB, more than 300 bytes; ten seconds some 40 kB,
  // more than 20,000, reached among the repeated frames.
  for (const auto& [seconds, limit, told] :
       {std::tuple{1, 300, false}, std::tuple{10, 20000, true}}) {
    stream = Open(WriterSettings());
    ASSERT_EQ(SetStreamOutputLimit(stream, limit), BE_ERR_SUCCESSFUL);
    ASSERT_EQ(told ? SetStreamInputSilent(stream) : BE_ERR_SUCCESSFUL, BE_ERR_SUCCESSFUL);
    const std::vector<int16_t> pcm(44100 * seconds, 0);
    Bytes out(65536, 0x5A);
    EXPECT_EQ(beEncodeChunk(stream, 44100 * seconds, pcm.data(), out.data(), &count),
              BE_ERR_BUFFER_TOO_SMALL);
    EXPECT_EQ(std::count(out.begin() + limit, out.end(), 0x5A), 65536 - limit);
    EXPECT_EQ(SetStreamInputSilent(stream), BE_ERR_INVALID_HANDLE) << "after a chunk";
    beCloseStream(stream);
  }
}

// Lengths run from below the point where the encoder's output settles to well past it,
// ending at every kind of place within a frame of 1,152 samples; chunks are the whole
// length, the 1,152 samples the stream asks for, a size that leaves a remainder in every
// call, and one shorter than a frame, which is never repeated. Besides the writer's
// settings: joint stereo at 22,050 Hz from 8 kbit/s, whose output is not yet one frame
// repeated when the stream first looks; 128 kbit/s constant, whose frames the encoder pads
// in a pattern; and output resampled to 22,050 Hz.
TEST(SilentStream, GivesTheBytesOfAFullEncodeCallByCall) {
  const BE_CONFIG writer = WriterSettings();
  BE_CONFIG slow = writer, padded = writer, resampled = writer;
  slow.nMode = BE_MP3_MODE_JSTEREO;
  slow.dwSampleRate = 22050;
  slow.dwMpegVersion = MPEG2;
  slow.dwBitrate = 8;
  padded.bEnableVBR = 0;
  padded.dwBitrate = 128;
  resampled.dwReSampleRate = 22050;
  constexpr size_t K = 1152;
  const struct { size_t samples, chunk; const BE_CONFIG* config = nullptr; const char* name = ""; }
      rows[] = {
      {1000, 1000}, {3 * K + 575, 5000}, {59 * K + 576, 59 * K + 576}, {60 * K + 577, K},
      {61 * K + 1151, 61 * K + 1151}, {600 * K + 1, 5000}, {1151 * K + 1151, 1151 * K + 1151},
      {1151 * K, 1151}, {100 * K + 300, 7777, &slow, "joint stereo from 8 kbit/s at 22,050 Hz"},
      {100 * K + 300, 7777, &padded, "128 kbit/s constant"},
      {100 * K + 300, 7777, &resampled, "resampled"},
  };
  ScratchDirectory scratch;
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.samples) + " samples in chunks of " +
                 std::to_string(row.chunk) + " " + row.name);
    const BE_CONFIG& config = row.config ? *row.config : writer;
    const std::vector<int16_t> zeros(row.samples * (config.nMode == BE_MP3_MODE_MONO ? 1 : 2));
    const Encoded full = Encode(config, zeros, row.chunk, false, scratch.path + "/f");
    const Encoded told = Encode(config, zeros, row.chunk, true, scratch.path + "/t");
    EXPECT_EQ(told.calls, full.calls);
    EXPECT_TRUE(told.file == full.file);
  }
}

// At 8 kbit/s and 8 kHz a frame (72 bytes) has no room for an Info frame, and the library
// makes none. A stream that repeated frames then has no frame to extend over them and fails
// the flush rather than finish a file whose first frame would not count them; told nothing,
// the same stream flushes and simply leaves no frame.
TEST(SilentStream, FailsTheFlushWhenTheEncodersInfoFrameCannotBeExtended) {
  BE_CONFIG config = WriterSettings();
  config.dwSampleRate = 8000;
  config.dwMpegVersion = MPEG2;
  config.bEnableVBR = 0;
  config.dwBitrate = 8;
  const std::vector<int16_t> tenSeconds(8000 * 10);
  Encode(config, tenSeconds, tenSeconds.size(), false);
  Encode(config, tenSeconds, tenSeconds.size(), true, "", BE_ERR_INVALID_FORMAT);
}

// The frame waits for beWriteVBRHeader in one slot for the whole process; it may only ever
// go into the file of the stream that made it.
TEST(BeWriteVBRHeader, WritesAFrameOnlyIntoTheFileOfItsStream) {
  ScratchDirectory scratch;
  const std::string first = scratch.path + "/first", second = scratch.path + "/second";
  const Bytes stream = Flushed();
  WriteWholeFile(first, stream);
  WriteWholeFile(second, stream);
  // A stream opened after the frame was left: the frame is no longer the one meant.
  HBE_STREAM other = Open(WriterSettings());
  EXPECT_EQ(beWriteVBRHeader(first.c_str()), BE_ERR_INVALID_HANDLE);
  // A stream opened before but closed after, without a frame of its own: likewise.
  Flushed();
  beCloseStream(other);
  EXPECT_EQ(beWriteVBRHeader(first.c_str()), BE_ERR_INVALID_HANDLE);
  EXPECT_EQ(ReadWholeFile(first), stream);

  Flushed();
  ASSERT_EQ(beWriteVBRHeader(second.c_str()), BE_ERR_SUCCESSFUL);
  const Bytes headed = ReadWholeFile(second);
  // A frame goes neither over a frame already written nor into a file shorter than its
  // stream.
  const Bytes shorter(stream.begin(), stream.end() - 1);
  WriteWholeFile(first, shorter);
  for (const auto& [path, bytes] : {std::pair{second, headed}, std::pair{first, shorter}}) {
    Flushed();
    EXPECT_EQ(beWriteVBRHeader(path.c_str()), BE_ERR_INVALID_FORMAT);
    EXPECT_EQ(ReadWholeFile(path), bytes);
  }
}

// The library's own table for 1,000 frames that swing between noise and silence in runs of
// 1 to 23 frames: its 400 slots are halved at 400 and again at 800 frames, and with uneven
// rates a slip in which sums are kept moves entries. The frames are counted in runs of one
// rate, as repeated frames are.
TEST(InfoFrame, SeekTableHalvesAsTheEncodersOwn) {
  std::vector<int16_t> pcm(1000 * 1152);
  std::mt19937 random(1);
  for (size_t frame = 0, run = 0; frame < 1000; ++run) {
    for (size_t k = 0; k <= run * 7 % 23 && frame < 1000; ++k, ++frame) {
      if (run % 2 == 0) continue;
      for (size_t i = 0; i < 1152; ++i) pcm[frame * 1152 + i] = static_cast<int16_t>(random());
    }
  }
  ScratchDirectory scratch;
  const std::string path = scratch.path + "/noise.mp3";
  WriteWholeFile(path, Flushed(pcm));
  ASSERT_EQ(beWriteVBRHeader(path.c_str()), BE_ERR_SUCCESSFUL);
  const Bytes file = ReadWholeFile(path);
  MpegFrameHeader header;
  ASSERT_TRUE(ReadMpegFrameHeader(file.data(), file.size(), &header));
  const uint8_t* info = file.data() + MPEG_HEADER_BYTES + header.sideInfo;

  XingSeekTable table;
  int rate = 0;
  uint64_t run = 0;
  for (size_t at = header.length;
       at < file.size() && ReadMpegFrameHeader(file.data() + at, file.size() - at, &header);
       at += header.length, ++run) {
    if (header.bitRate != rate) table.Add(std::exchange(rate, header.bitRate),
                                          std::exchange(run, 0));
  }
  table.Add(rate, run);
  uint8_t toc[INFO_TOC_ENTRIES];
  table.Fill(toc);
  EXPECT_EQ(Bytes(toc, toc + INFO_TOC_ENTRIES),
            Bytes(info + INFO_XING_TOC, info + INFO_XING_TOC + INFO_TOC_ENTRIES));
}

}  // namespace
