// The encoder's stream calls where the writer's tests cannot reach them: the version text,
// refusals, the output limit, the silent stream against a full encode call by call and its
// refusal of an Info frame it cannot extend, and which file a Xing/Info frame may go into.
#include <lame/lame.h>

#include <tuple>

#include "encoder/encoder_version.h"
#include "tests/test_support.h"

namespace {

TEST(StreamCalls, TellTheLibrarysVersionAndHomepageInAlignedLines) {
  BE_VERSION version;
  beVersion(&version);
  char text[256];
  ComposeVersionText(version, text, sizeof(text));
  EXPECT_EQ(text, "\n>>> DLL version:               1.00\n>>> Engine version:            " +
                      std::string(get_lame_short_version()) +
                      "\n>>> Official Project homepage: " + get_lame_url());
  version.byMinorVersion = 5;
  ComposeVersionText(version, text, sizeof(text));
  EXPECT_NE(std::string(text).find("Engine version:            3.05\n"), std::string::npos);
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
  config = WriterSettings();
  for (const auto& [seconds, limit, told] :
       {std::tuple{1, 300, false}, std::tuple{10, 20000, true}}) {
    ASSERT_EQ(beInitStream(&config, &chunk, &bufferSize, &stream), BE_ERR_SUCCESSFUL);
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
// settings: joint stereo; joint stereo at 22,050 Hz from 8 kbit/s, whose output is not yet
// one frame repeated when the stream first looks; 128 kbit/s constant, whose frames the
// encoder pads in a pattern; and output resampled to 22,050 Hz.
TEST(SilentStream, GivesTheBytesOfAFullEncodeCallByCall) {
  const BE_CONFIG writer = WriterSettings();
  BE_CONFIG joint = writer, slow = writer, padded = writer, resampled = writer;
  joint.nMode = slow.nMode = BE_MP3_MODE_JSTEREO;
  slow.dwSampleRate = 22050;
  slow.dwMpegVersion = MPEG2;
  slow.dwBitrate = 8;
  padded.bEnableVBR = 0;
  padded.dwBitrate = 128;
  resampled.dwReSampleRate = 22050;
  constexpr size_t K_FRAME = 1152;
  const struct { size_t samples, chunk; const BE_CONFIG* config = nullptr; const char* name = ""; }
      rows[] = {
      {1000, 1000}, {K_FRAME, K_FRAME}, {2 * K_FRAME + 1, 5000}, {3 * K_FRAME + 575, 5000},
      {10 * K_FRAME, 10 * K_FRAME}, {59 * K_FRAME + 576, 59 * K_FRAME + 576},
      {60 * K_FRAME + 577, K_FRAME}, {61 * K_FRAME + 1151, 61 * K_FRAME + 1151},
      {600 * K_FRAME + 1, 5000}, {1151 * K_FRAME + 1151, 1151 * K_FRAME + 1151},
      {1151 * K_FRAME, 1151}, {100 * K_FRAME + 300, 7777, &joint, "joint stereo"},
      {100 * K_FRAME + 300, 7777, &slow, "joint stereo from 8 kbit/s at 22,050 Hz"},
      {100 * K_FRAME + 300, 7777, &padded, "128 kbit/s constant"},
      {100 * K_FRAME + 300, 7777, &resampled, "resampled"},
  };
  ScratchDirectory scratch;
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.samples) + " samples in chunks of " +
                 std::to_string(row.chunk) + " " + row.name);
    const BE_CONFIG& config = row.config ? *row.config : writer;
    const Encoded full = EncodeZeros(config, row.samples, row.chunk, false, scratch.path + "/f");
    const Encoded told = EncodeZeros(config, row.samples, row.chunk, true, scratch.path + "/t");
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
  const std::vector<int16_t> pcm(8000 * 10, 0);
  Bytes out(65536);
  for (const bool told : {false, true}) {
    uint32_t chunk = 0, bufferSize = 0, count = 0;
    HBE_STREAM stream = nullptr;
    ASSERT_EQ(beInitStream(&config, &chunk, &bufferSize, &stream), BE_ERR_SUCCESSFUL);
    ASSERT_EQ(told ? SetStreamInputSilent(stream) : BE_ERR_SUCCESSFUL, BE_ERR_SUCCESSFUL);
    ASSERT_EQ(beEncodeChunk(stream, 8000 * 10, pcm.data(), out.data(), &count), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(beDeinitStream(stream, out.data(), &count),
              told ? BE_ERR_INVALID_FORMAT : BE_ERR_SUCCESSFUL);
    beCloseStream(stream);
  }
}

// The frame waits for beWriteVBRHeader in one slot for the whole process; it may only ever
// go into the file of the stream that made it.
TEST(BeWriteVBRHeader, WritesAFrameOnlyIntoTheFileOfItsStream) {
  const BE_CONFIG config = WriterSettings();
  uint32_t chunk = 0, bufferSize = 0, count = 0;
  const std::vector<int16_t> pcm(44100, 0);
  Bytes out(65536);
  HBE_STREAM stream = nullptr, other = nullptr;
  // One second through the calls up to the flush: the stream's bytes, without the frame.
  const auto encode = [&] {
    EXPECT_EQ(beInitStream(&config, &chunk, &bufferSize, &stream), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(beEncodeChunk(stream, 44100, pcm.data(), out.data(), &count), BE_ERR_SUCCESSFUL);
    Bytes bytes(out.begin(), out.begin() + count);
    EXPECT_EQ(beDeinitStream(stream, out.data(), &count), BE_ERR_SUCCESSFUL);
    bytes.insert(bytes.end(), out.begin(), out.begin() + count);
    return bytes;
  };
  ScratchDirectory scratch;
  const std::string first = scratch.path + "/first", second = scratch.path + "/second";
  const Bytes stream1 = encode();
  WriteWholeFile(first, stream1);
  beCloseStream(stream);
  // A stream opened after the frame was left: the frame is no longer the one meant.
  ASSERT_EQ(beInitStream(&config, &chunk, &bufferSize, &other), BE_ERR_SUCCESSFUL);
  EXPECT_EQ(beWriteVBRHeader(first.c_str()), BE_ERR_INVALID_HANDLE);
  beCloseStream(other);
  // A stream opened before but closed after, without a frame of its own: likewise.
  ASSERT_EQ(beInitStream(&config, &chunk, &bufferSize, &other), BE_ERR_SUCCESSFUL);
  encode();
  beCloseStream(stream);
  beCloseStream(other);
  EXPECT_EQ(beWriteVBRHeader(first.c_str()), BE_ERR_INVALID_HANDLE);
  EXPECT_EQ(ReadWholeFile(first), stream1);

  // A frame goes neither over a frame already written nor into a file shorter than its
  // stream.
  const Bytes stream2 = encode();
  beCloseStream(stream);
  WriteWholeFile(second, stream2);
  ASSERT_EQ(beWriteVBRHeader(second.c_str()), BE_ERR_SUCCESSFUL);
  const Bytes headed = ReadWholeFile(second);
  EXPECT_NE(headed, stream2);
  encode();
  beCloseStream(stream);
  EXPECT_EQ(beWriteVBRHeader(second.c_str()), BE_ERR_INVALID_FORMAT);
  EXPECT_EQ(ReadWholeFile(second), headed);
  encode();
  beCloseStream(stream);
  const Bytes shorter(stream1.begin(), stream1.end() - 1);
  WriteWholeFile(first, shorter);
  EXPECT_EQ(beWriteVBRHeader(first.c_str()), BE_ERR_INVALID_FORMAT);
  EXPECT_EQ(ReadWholeFile(first), shorter);
}

}  // namespace
