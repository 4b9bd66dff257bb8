// Tests of the encoder's stream interface where the writer's own tests cannot reach it,
// on the writer's configuration record: refusals, the silent stream against a full encode
// call by call, and which file a Xing/Info frame may go into.
#include "encoder/encoder_stream.h"

#include <gtest/gtest.h>
#include <lame/lame.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "generator/hushmaker.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

// A file name under /tmp that is removed at the end of the scope.
struct ScratchFile {
  std::string path;
  ScratchFile() {
    char pattern[] = "/tmp/hushmaker-stream-XXXXXX";
    const int handle = mkstemp(pattern);
    path = pattern;
    if (handle >= 0) close(handle);
  }
  ~ScratchFile() { std::remove(path.c_str()); }
};

// What one stream gave: the output of each call (the chunks' and then the flush's) and the
// file they make once the Xing/Info frame is written into it.
struct Encoded {
  std::vector<Bytes> calls;
  Bytes file;
};

// Encodes `samples` zero samples per channel in chunks of `chunk`, through the six calls.
Encoded EncodeZeros(const BE_CONFIG& config, size_t samples, size_t chunk, bool told) {
  Encoded encoded;
  uint32_t chunkSamples = 0, bufferSize = 0, count = 0;
  HBE_STREAM stream = nullptr;
  EXPECT_EQ(beInitStream(&config, &chunkSamples, &bufferSize, &stream), BE_ERR_SUCCESSFUL);
  if (told) {
    EXPECT_EQ(SetStreamInputSilent(stream), BE_ERR_SUCCESSFUL);
  }
  const size_t channels = config.nMode == BE_MP3_MODE_MONO ? 1 : 2;
  const std::vector<int16_t> zeros(std::min(chunk, samples) * channels, 0);
  Bytes output(zeros.size() + 8192);
  for (size_t done = 0; done < samples; done += chunk) {
    const size_t pass = std::min(chunk, samples - done);
    EXPECT_EQ(beEncodeChunk(stream, static_cast<uint32_t>(pass * channels), zeros.data(),
                            output.data(), &count),
              BE_ERR_SUCCESSFUL);
    encoded.calls.emplace_back(output.begin(), output.begin() + count);
  }
  EXPECT_EQ(beDeinitStream(stream, output.data(), &count), BE_ERR_SUCCESSFUL);
  encoded.calls.emplace_back(output.begin(), output.begin() + count);
  EXPECT_EQ(beCloseStream(stream), BE_ERR_SUCCESSFUL);
  ScratchFile file;
  Bytes all;
  for (const Bytes& call : encoded.calls) all.insert(all.end(), call.begin(), call.end());
  WriteWholeFile(file.path, all);
  EXPECT_EQ(beWriteVBRHeader(file.path.c_str()), BE_ERR_SUCCESSFUL);
  encoded.file = ReadWholeFile(file.path);
  return encoded;
}

TEST(BeVersion, ReportsAdapterEngineAndHomepage) {
  BE_VERSION version;
  std::memset(&version, 0xAA, sizeof(version));
  beVersion(&version);
  EXPECT_EQ(version.byDLLMajorVersion, 1);
  EXPECT_EQ(version.byDLLMinorVersion, 0);
  // Printed as the start-up text prints it, the engine version is the library's own.
  char engine[16];
  snprintf(engine, sizeof(engine), "%u.%02u", unsigned{version.byMajorVersion},
           unsigned{version.byMinorVersion});
  EXPECT_STREQ(engine, get_lame_short_version());
  EXPECT_STREQ(version.zHomepage, get_lame_url());
}

TEST(StreamCalls, RefuseWhatTheyCannotUseAndNeverWritePastTheOutputLimit) {
  // The writer closes the handle a failed init left, which is 0.
  EXPECT_EQ(beCloseStream(nullptr), BE_ERR_INVALID_HANDLE);
  InitEncoderConfig();
  BE_CONFIG config = GetEncoderConfig();
  config.dwConfig = BE_CONFIG_MP3;  // a layout this encoder does not read
  uint32_t chunk = 0, bufferSize = 0, count = 0;
  HBE_STREAM stream = reinterpret_cast<HBE_STREAM>(0x1234);
  EXPECT_EQ(beInitStream(&config, &chunk, &bufferSize, &stream), BE_ERR_INVALID_FORMAT);
  EXPECT_EQ(stream, nullptr);
  // One second of silence needs some 3.7 kB, more than the 300 bytes the stream may use;
  // ten seconds some 40 kB, more than 20,000, reached among the repeated frames.
  for (const auto& [seconds, limit, told] :
       {std::tuple{1, 300, false}, std::tuple{10, 20000, true}}) {
    ASSERT_EQ(beInitStream(&GetEncoderConfig(), &chunk, &bufferSize, &stream),
              BE_ERR_SUCCESSFUL);
    ASSERT_EQ(SetStreamOutputLimit(stream, limit), BE_ERR_SUCCESSFUL);
    if (told) {
      ASSERT_EQ(SetStreamInputSilent(stream), BE_ERR_SUCCESSFUL);
    }
    const std::vector<int16_t> pcm(44100 * seconds, 0);
    std::vector<uint8_t> out(65536, 0x5A);
    EXPECT_EQ(beEncodeChunk(stream, 44100 * seconds, pcm.data(), out.data(), &count),
              BE_ERR_BUFFER_TOO_SMALL);
    EXPECT_EQ(std::count(out.begin() + limit, out.end(), 0x5A), 65536 - limit);
    // Silence can only be announced before the first chunk.
    EXPECT_EQ(SetStreamInputSilent(stream), BE_ERR_INVALID_HANDLE);
    beCloseStream(stream);
  }
}

// A stream told that its input is silence gives, call by call, the bytes of a full encode
// and the same Xing/Info frame. Lengths run from below the point where the encoder's output
// settles to well past it, ending at every kind of place within a frame (remainders of
// 1,152 samples); chunks are the whole length, the 1,152 samples the stream asks for, a
// size that leaves a remainder in every call, and one shorter than a frame, which is
// never repeated.
TEST(SilentStream, GivesTheBytesOfAFullEncodeCallByCall) {
  InitEncoderConfig();
  BE_CONFIG joint = GetEncoderConfig();
  joint.nMode = BE_MP3_MODE_JSTEREO;
  const size_t kFrame = 1152;
  const struct { size_t samples; size_t chunk; bool stereo; } rows[] = {
      {1000, 1000, false},           {kFrame, kFrame, false},
      {2 * kFrame + 1, 5000, false}, {3 * kFrame + 575, 5000, false},
      {10 * kFrame, 10 * kFrame, false},
      {59 * kFrame + 576, 59 * kFrame + 576, false},
      {60 * kFrame + 577, kFrame, false},
      {61 * kFrame + 1151, 61 * kFrame + 1151, false},
      {600 * kFrame + 1, 5000, false},
      {1151 * kFrame + 1151, 1151 * kFrame + 1151, false},
      {1151 * kFrame, 1151, false},
      {100 * kFrame + 300, 7777, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.samples) + " samples in chunks of " +
                 std::to_string(row.chunk) + (row.stereo ? ", joint stereo" : ""));
    const BE_CONFIG& config = row.stereo ? joint : GetEncoderConfig();
    const Encoded full = EncodeZeros(config, row.samples, row.chunk, false);
    const Encoded told = EncodeZeros(config, row.samples, row.chunk, true);
    ASSERT_EQ(told.calls.size(), full.calls.size());
    for (size_t call = 0; call < full.calls.size(); ++call) {
      ASSERT_EQ(told.calls[call].size(), full.calls[call].size()) << "call " << call;
    }
    EXPECT_TRUE(told.file == full.file);
  }
}

// The frame waits for beWriteVBRHeader in one slot for the whole process; it may only ever
// go into the file of the stream that made it.
TEST(BeWriteVBRHeader, WritesAFrameOnlyIntoTheFileOfItsStream) {
  InitEncoderConfig();
  const BE_CONFIG& config = GetEncoderConfig();
  uint32_t chunk = 0, bufferSize = 0, count = 0;
  const std::vector<int16_t> pcm(44100, 0);
  Bytes out(65536);
  // One second through the six calls, without the frame written: the stream's bytes.
  const auto encode = [&](HBE_STREAM* stream) {
    Bytes bytes;
    EXPECT_EQ(beInitStream(&config, &chunk, &bufferSize, stream), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(beEncodeChunk(*stream, 44100, pcm.data(), out.data(), &count), BE_ERR_SUCCESSFUL);
    bytes.assign(out.begin(), out.begin() + count);
    EXPECT_EQ(beDeinitStream(*stream, out.data(), &count), BE_ERR_SUCCESSFUL);
    bytes.insert(bytes.end(), out.begin(), out.begin() + count);
    return bytes;
  };
  ScratchFile first, second;
  HBE_STREAM stream = nullptr, other = nullptr;
  const Bytes stream1 = encode(&stream);
  WriteWholeFile(first.path, stream1);
  // A stream opened after the frame was left: the frame is no longer the one meant.
  beCloseStream(stream);
  ASSERT_EQ(beInitStream(&config, &chunk, &bufferSize, &other), BE_ERR_SUCCESSFUL);
  EXPECT_EQ(beWriteVBRHeader(first.path.c_str()), BE_ERR_INVALID_HANDLE);
  beCloseStream(other);
  // A stream opened before but closed after, without a frame of its own: likewise.
  ASSERT_EQ(beInitStream(&config, &chunk, &bufferSize, &other), BE_ERR_SUCCESSFUL);
  encode(&stream);
  beCloseStream(stream);
  beCloseStream(other);
  EXPECT_EQ(beWriteVBRHeader(first.path.c_str()), BE_ERR_INVALID_HANDLE);
  EXPECT_EQ(ReadWholeFile(first.path), stream1);

  // A second stream's frame goes neither over a frame already written nor into a file
  // shorter than its stream.
  const Bytes stream2 = encode(&stream);
  beCloseStream(stream);
  WriteWholeFile(second.path, stream2);
  ASSERT_EQ(beWriteVBRHeader(second.path.c_str()), BE_ERR_SUCCESSFUL);
  const Bytes headed = ReadWholeFile(second.path);
  EXPECT_NE(headed, stream2);
  encode(&stream);
  beCloseStream(stream);
  EXPECT_EQ(beWriteVBRHeader(second.path.c_str()), BE_ERR_INVALID_FORMAT);
  EXPECT_EQ(ReadWholeFile(second.path), headed);
  encode(&stream);
  beCloseStream(stream);
  WriteWholeFile(first.path, Bytes(stream1.begin(), stream1.end() - 1));
  EXPECT_EQ(beWriteVBRHeader(first.path.c_str()), BE_ERR_INVALID_FORMAT);
  EXPECT_EQ(ReadWholeFile(first.path), Bytes(stream1.begin(), stream1.end() - 1));
}

}  // namespace
