// What the core's tests share: scratch folders, whole files, shell commands and the
// decoders they run, a box recorder, and the writer's settings with full encodes made
// apart from the writer.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "encoder/encoder_stream.h"
#include "encoder/mpeg_frame.h"
#include "platform/platform.h"

using Bytes = std::vector<uint8_t>;

inline Bytes ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

// Reads a text file as text: the log has CRLF line ends on Windows.
inline std::string ReadFile(const std::filesystem::path& name) {
  std::ifstream file(name);
  return {std::istreambuf_iterator<char>(file), {}};
}

// A shell command's wait status (0: it exited with 0), its output up to a megabyte, and
// how many bytes it wrote and how many of them were not zero: a decoder's output of
// silence is all zero.
struct CommandRun { int status = -1; std::string output; uint64_t bytes = 0, nonZero = 0; };

inline CommandRun RunCommand(const std::string& command) {
  CommandRun run;
  FILE* pipe = popen(command.c_str(), "r");
  static char block[65536];
  for (size_t got; pipe && (got = std::fread(block, 1, sizeof(block), pipe)) > 0;) {
    if (run.output.size() < (1 << 20)) run.output.append(block, got);
    run.bytes += got;
    run.nonZero += got - static_cast<size_t>(std::count(block, block + got, '\0'));
  }
  run.status = pipe ? pclose(pipe) : -1;
  return run;
}

// Independent decoders read the file at path as exactly `seconds` of 44,100 Hz silence:
// mpg123, and unless `oneDecoder` also ffmpeg and mp3val's verdict. The stream's format is
// the frame walk's below.
inline void ExpectDecodersReadSilence(const std::string& path, uint64_t seconds,
                                      bool oneDecoder = false) {
  std::vector<std::string> decoders = {"mpg123 -q -s " + path};
  if (!oneDecoder) decoders.push_back("ffmpeg -v error -i " + path + " -f s16le -");
  for (const std::string& decoder : decoders) {
    const CommandRun pcm = RunCommand(decoder);
    EXPECT_EQ(pcm.bytes, seconds * 44100 * 2) << decoder;
    EXPECT_TRUE(pcm.status == 0 && pcm.nonZero == 0) << decoder;
  }
  if (oneDecoder) return;
  // mp3val reports INFO for what it found and WARNING or ERROR for any problem.
  const std::string report = RunCommand("mp3val " + path + " 2>&1").output;
  EXPECT_TRUE(report.find("WARNING") == report.npos && report.find("ERROR") == report.npos &&
              report.find("MPEG 1 Layer III") != report.npos) << report;
}

// Walks the frames chained from the file's start, reading only their headers: the
// Xing/Info first frame must count the frames after it, and the chain must end where the
// 128-byte ID3v1 tag starts. (What each frame's header says follows from the writer's
// bytes being a full encode with WriterSettings(); the header reader is held to
// hand-worked headers in the encoder's tests.) Gives the number of frames, the Xing/Info
// frame included.
inline size_t ExpectWellFormedFrames(const Bytes& bytes) {
  size_t frames = 0, at = 0;
  const size_t end = bytes.size() >= 128 ? bytes.size() - 128 : 0;
  MpegFrameHeader frame;
  while (at < end && ReadMpegFrameHeader(&bytes[at], end - at, &frame) &&
         at + frame.length <= end) {
    ++frames;
    at += frame.length;
  }
  const size_t info = FindInfoTag(bytes.data(), end);
  EXPECT_GT(frames, 1u);
  EXPECT_EQ(info ? ReadBigEndian32(&bytes[info + INFO_XING_FRAMES]) : 0, frames - 1);
  EXPECT_TRUE(frames > 0 && at == end && std::memcmp(&bytes[end], "TAG", 3) == 0);
  return frames;
}

// Three MPEG-1 Layer III mono frames at 128 kbit/s whose first granule codes some sound: a
// recording, as far as telling silence goes.
inline Bytes Recording() {
  Bytes frame(417, 0);
  const uint8_t header[] = {0xFF, 0xFB, 0x90, 0xC0};
  std::copy(header, header + 4, frame.begin());
  frame[4 + 3] = 0x20;  // within part2_3_length, which begins 18 bits into the side information
  Bytes stream;
  for (int count = 0; count < 3; ++count) stream.insert(stream.end(), frame.begin(), frame.end());
  return stream;
}

// A folder's entry names, one a line, sorted byte by byte.
inline std::string ListFolder(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  std::string list;
  for (const std::string& name : names) list += name + "\n";
  return list;
}

// A new empty folder in the system's temporary folder, removed with its contents at the
// end of the scope. Its name has no character the shell would read, so commands take its
// path as it is.
struct ScratchDirectory {
  std::string path = "/nonexistent";  // native, no trailing separator
  ScratchDirectory() {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::filesystem::path candidate = std::filesystem::temp_directory_path() /
                                              ("hushmaker-test-" + std::to_string(random()));
      if (std::filesystem::create_directory(candidate)) {
        path = candidate.string();
        break;
      }
    }
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  // The program's form: backslashes, one at the end.
  std::string Own() const {
    std::string own = path + "/";
    std::replace(own.begin(), own.end(), '/', '\\');
    return own;
  }
};

// Runs each test in a scratch folder as its working directory, since process.log is
// opened by its relative name.
class ScratchDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::current_path(scratch_.path); }
  void TearDown() override { std::filesystem::current_path(previous_); }
  std::filesystem::path previous_ = std::filesystem::current_path();
  ScratchDirectory scratch_;
};

// Boxes shown since the last RecordBoxes, each as "[box N, icon I] caption | text" with
// I = 0 warning, 1 error, 2 information.
inline std::string g_shown_boxes;

// Replaces the real box with a recorder that also writes each box to stderr, for death
// tests and child processes. A box beyond the allowed count ends the process with status
// 7, so a report that keeps raising reports shows up as the wrong status instead of a
// stack overflow.
inline void RecordBoxes(int allowed = 99) {
  g_shown_boxes.clear();
  ReplaceBoxPresenter([allowed, shown = 0](const char* caption, const char* text,
                                           BoxIcon icon) mutable {
    const std::string box = "[box " + std::to_string(++shown) + ", icon " +
                            std::to_string(static_cast<int>(icon)) + "] " + caption + " | " + text;
    fputs(box.c_str(), stderr);
    g_shown_boxes += box;
    if (shown > allowed) std::_Exit(7);
  });
}

// The files the program must make: 44,100 Hz mono MPEG-1, VBR quality 9 between 32 and
// 128 kbit/s, copyright and original bits, a Xing/Info frame.
inline BE_CONFIG WriterSettings() {
  // dwConfig, dwStructVersion, dwStructSize, dwSampleRate, dwReSampleRate, nMode, dwBitrate,
  // dwMaxBitrate, nPreset, dwMpegVersion, dwPsyModel, dwEmphasis, bPrivate, bCRC, bCopyright,
  // bOriginal, bWriteVBRHeader, bEnableVBR, nVBRQuality, and the rest.
  return {BE_CONFIG_LAME, 1, BE_CONFIG_SIZE, 44100, 0, BE_MP3_MODE_MONO, 32, 128, 0, MPEG1,
          0, 0, 0, 0, 1, 1, 1, 1, 9, 0, 0, 0, 0, 0, {}};
}

// What one stream gave: the byte count of each call (the chunks' and then the flush's)
// and its bytes, with the Xing/Info frame written in when they went into a file.
struct Encoded { std::vector<uint32_t> calls; Bytes file; };

// Encodes the samples of pcm (interleaved when stereo) through the stream calls, `chunk`
// samples per channel a call, the stream told first that they are silence when `told`; the
// flush must give `flush`. With a path, the bytes go into that file and beWriteVBRHeader
// writes the Xing/Info frame that the close left into it.
inline Encoded Encode(const BE_CONFIG& config, const std::vector<int16_t>& pcm, uint64_t chunk,
                      bool told, const std::string& path = "", BE_ERR flush = BE_ERR_SUCCESSFUL) {
  Encoded encoded;
  uint32_t chunkSamples = 0, bufferSize = 0, count = 0;
  HBE_STREAM stream = nullptr;
  EXPECT_EQ(beInitStream(&config, &chunkSamples, &bufferSize, &stream), BE_ERR_SUCCESSFUL);
  EXPECT_EQ(told ? SetStreamInputSilent(stream) : BE_ERR_SUCCESSFUL, BE_ERR_SUCCESSFUL);
  chunk *= config.nMode == BE_MP3_MODE_MONO ? 1 : 2;
  Bytes output(std::min<uint64_t>(chunk, pcm.size()) * 5 / 4 + 7200);
  const auto take = [&] {
    encoded.calls.push_back(count);
    encoded.file.insert(encoded.file.end(), output.begin(), output.begin() + count);
  };
  for (uint64_t done = 0; done < pcm.size(); done += chunk) {
    const auto pass = static_cast<uint32_t>(std::min(chunk, pcm.size() - done));
    EXPECT_EQ(beEncodeChunk(stream, pass, &pcm[done], output.data(), &count), BE_ERR_SUCCESSFUL);
    take();
  }
  EXPECT_EQ(beDeinitStream(stream, output.data(), &count), flush);
  take();
  EXPECT_EQ(beCloseStream(stream), BE_ERR_SUCCESSFUL);
  if (path.empty()) return encoded;
  WriteWholeFile(path, encoded.file);
  EXPECT_EQ(beWriteVBRHeader(path.c_str()), BE_ERR_SUCCESSFUL);
  encoded.file = ReadWholeFile(path);
  return encoded;
}

// `seconds` of mono silence with the writer's settings in one call, as a file at path.
inline Bytes FullEncode(uint64_t seconds, const std::string& path) {
  return Encode(WriterSettings(), std::vector<int16_t>(seconds * 44100), seconds * 44100, false,
                path).file;
}
