// Tests of the silent MP3 writer and its ID3v1 tag: the record handed to the encoder,
// paths, tag bytes, failures, and files read back by independent decoders and a frame walker.
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "generator/hushmaker.h"
#include "generator/id3v1_tag.h"
#include "platform/platform.h"
#include "resources/version_info.h"
#include "support/io_time.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint64_t kRate = 44100;
constexpr int kYear = 2031;

Bytes ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

// A shell command's wait status (0: it exited with 0), its output up to a megabyte, and
// how many bytes it wrote and how many of them were not zero.
struct CommandRun { int status = -1; std::string output; uint64_t bytes = 0, nonZero = 0; };

CommandRun RunCommand(const std::string& command) {
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

// A new empty directory under /tmp, removed with its contents at the end of the scope. Its
// path has no character the shell would read, so commands take it as it is.
struct ScratchDirectory {
  std::string path;  // native, no trailing slash
  ScratchDirectory() {
    char pattern[] = "/tmp/hushmaker-test-XXXXXX";
    path = mkdtemp(pattern) ? pattern : "/nonexistent";
  }
  ~ScratchDirectory() { RunCommand("rm -rf " + path); }
  // The program's form: backslashes, one at the end.
  std::string Own() const {
    std::string own = path + "/";
    std::replace(own.begin(), own.end(), '/', '\\');
    return own;
  }
  // Entry names, one a line, sorted.
  std::string List() const { return RunCommand("LC_ALL=C ls -A " + path).output; }
};

// Walks the MPEG-1 Layer III 44.1 kHz frames chained from the file's start, reading only
// their headers: each must follow the writer's configuration, the Xing/Info first frame
// must count the frames after it, and the chain must end where the ID3v1 tag starts.
void ExpectWellFormedFrames(const Bytes& bytes) {
  // Bit rates in kbit/s by index; 0 marks an index no frame may use.
  static const int kBitRates[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                    112, 128, 160, 192, 224, 256, 320, 0};
  constexpr size_t kXingAt = 4 + 17;  // behind the header and a mono frame's side information
  size_t frames = 0, offFrames = 0;
  uint32_t xingFrames = 0;
  const size_t end = bytes.size() >= 128 ? bytes.size() - 128 : 0;
  size_t at = 0;
  while (at + 4 <= end) {
    const uint8_t* p = &bytes[at];
    const int rate = kBitRates[p[2] >> 4];
    // Sync, MPEG-1, Layer III, 44.1 kHz; anything else ends the chain.
    if (p[0] != 0xFF || (p[1] & 0xFE) != 0xFA || rate == 0 || (p[2] & 0x0C) != 0) break;
    const size_t length = 144 * rate * 1000 / 44100 + ((p[2] >> 1) & 1);
    if (at + length > end) break;
    // Off: a CRC, the private bit, not mono, copyright or original not set, over 128 kbit/s.
    offFrames += !(p[1] & 1) || (p[2] & 1) || (p[3] & 0xCC) != 0xCC || rate > 128;
    // The Xing/Info frame's frame count follows its four flag bytes.
    const uint8_t* x = p + kXingAt;
    if (frames++ == 0 && at + kXingAt + 12 <= end &&
        (std::memcmp(x, "Xing", 4) == 0 || std::memcmp(x, "Info", 4) == 0)) {
      xingFrames = uint32_t{x[8]} << 24 | uint32_t{x[9]} << 16 | x[10] << 8 | x[11];
    }
    at += length;
  }
  EXPECT_GT(frames, 1u);
  EXPECT_EQ(offFrames, 0u);
  EXPECT_EQ(xingFrames, frames - 1);
  EXPECT_TRUE(frames > 0 && at == end && std::memcmp(&bytes[end], "TAG", 3) == 0);
}

// Offsets of the ID3v1.1 fields in the tag.
enum TagField : size_t {
  TAG_MARKER = 0, TAG_TITLE = 3, TAG_ARTIST = 33, TAG_ALBUM = 63, TAG_YEAR = 93,
  TAG_COMMENT = 97, TAG_ZERO_BYTE = 125, TAG_TRACK = 126, TAG_GENRE = 127,
};

// audio followed by a tag holding the given fields and zero elsewhere.
Bytes Tagged(const Bytes& audio, const std::vector<std::pair<TagField, std::string>>& fields) {
  Bytes bytes = audio;
  bytes.insert(bytes.end(), {'T', 'A', 'G'});
  bytes.resize(audio.size() + 128, 0);
  for (const auto& [at, text] : fields) {
    std::memcpy(&bytes[audio.size() + at], text.data(), text.size());
  }
  return bytes;
}

std::vector<std::string> boxes;  // caption and text of each box the writer shows

// Boxes are recorded instead of shown, and the local year is fixed.
struct CreateBlankMP3Test : ::testing::Test {
  void SetUp() override {
    boxes.clear();
    ReplaceBoxPresenter([](const char* caption, const char* text, BoxIcon icon) {
      EXPECT_EQ(icon, BoxIcon::Warning) << "the writer shows warnings only";
      boxes.push_back(std::string(caption) + "\n" + text);
    });
    ReplaceLocalClock([] { return LocalDateTime{kYear, 6, 15, 12, 0, 0}; });
  }
};

// Each length runs in a child process so that its peak memory is its own. The eight-hour
// sample buffer (some 5 GB) is silence the system hands out already zero and that is never
// written, so it costs next to no physical memory.
TEST_F(CreateBlankMP3Test, DecodersReadExactlyTheLengthAskedInLittleMemory) {
  // One second, a round length, one that ends inside a frame past a minute, the longest.
  for (uint64_t seconds : {1, 10, 61, 28800}) {
    SCOPED_TRACE(std::to_string(seconds) + " s");
    ScratchDirectory scratch;
    const pid_t child = fork();
    if (child == 0) {
      _exit(CreateBlankMP3(static_cast<int>(seconds), scratch.Own().c_str(), "voice") < 0 ||
            !boxes.empty());
    }
    int status = -1;
    rusage usage = {};
    ASSERT_EQ(wait4(child, &status, 0, &usage), child);
    ASSERT_EQ(status, 0) << "the writer reported a failure";
    // About 120 MB in a plain build, some 730 MB under AddressSanitizer.
    EXPECT_LT(usage.ru_maxrss / 1024, 1500) << "a touched sample buffer alone takes 4,845 MB";
    const std::string path = scratch.path + "/voice.mp3";
    ExpectWellFormedFrames(ReadWholeFile(path));
    for (const std::string& decoder :
         {"mpg123 -q -s " + path, "ffmpeg -v error -i " + path + " -f s16le -"}) {
      const CommandRun pcm = RunCommand(decoder);
      EXPECT_EQ(pcm.bytes, seconds * kRate * 2) << decoder;
      EXPECT_TRUE(pcm.status == 0 && pcm.nonZero == 0) << decoder;
      if (seconds == 28800) break;  // one decoder is enough over eight hours
    }
    EXPECT_EQ(RunCommand("ffprobe -v error -show_entries stream=codec_name,sample_rate,channels "
                         "-of default=nw=1 " + path).output,
              "codec_name=mp3\nsample_rate=44100\nchannels=1\n");
    // mp3val reports INFO for what it found and WARNING or ERROR for any problem.
    const std::string report = RunCommand("mp3val " + path + " 2>&1").output;
    EXPECT_TRUE(report.find("WARNING") == report.npos && report.find("ERROR") == report.npos &&
                report.find("MPEG 1 Layer III") != report.npos) << report;
  }
}

// A full encode of `seconds` of zero samples through the six stream calls, the stream not
// told that they are silence, with its Xing/Info frame written: the file without its tag.
Bytes EncodeFully(int seconds, const std::string& path) {
  constexpr size_t kPass = 1152 * 256;
  static const std::vector<int16_t> zeros(kPass, 0);
  uint32_t chunk = 0, bufferSize = 0, count = 0;
  HBE_STREAM stream = nullptr;
  InitEncoderConfig();
  EXPECT_EQ(beInitStream(&GetEncoderConfig(), &chunk, &bufferSize, &stream), BE_ERR_SUCCESSFUL);
  Bytes output(kPass * 5 / 4 + 7200);
  FILE* file = std::fopen(path.c_str(), "wb");
  for (uint64_t done = 0, total = seconds * kRate; done < total; done += kPass) {
    const auto pass = static_cast<uint32_t>(std::min<uint64_t>(kPass, total - done));
    EXPECT_EQ(beEncodeChunk(stream, pass, zeros.data(), output.data(), &count),
              BE_ERR_SUCCESSFUL);
    std::fwrite(output.data(), 1, count, file);
  }
  EXPECT_EQ(beDeinitStream(stream, output.data(), &count), BE_ERR_SUCCESSFUL);
  std::fwrite(output.data(), 1, count, file);
  beCloseStream(stream);
  std::fclose(file);
  EXPECT_EQ(beWriteVBRHeader(path.c_str()), BE_ERR_SUCCESSFUL);
  return ReadWholeFile(path);
}

#ifdef __SANITIZE_ADDRESS__
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// The writer's file, tag aside, is byte for byte a full encode of its samples. 44,100 is
// 38 frames of 1,152 samples and 324 more, and 32 x 324 is a multiple of 1,152: seconds 1
// to 32 end at each of the 32 places within a frame that whole seconds can end at. Then an
// hour, and both sides of 24,347 s, where the sample buffer passes 4 GiB. Those two take a
// minute of full encoding each; under the sanitizers they would run the same code of ours
// as the shorter lengths (only the count of repeated frames grows), in a library the
// sanitizers do not look into, so they run in the plain build only.
TEST_F(CreateBlankMP3Test, WritesTheBytesOfAFullEncode) {
  std::vector<int> lengths(32);
  for (int i = 0; i < 32; ++i) lengths[i] = i + 1;
  lengths.insert(lengths.end(), {59, 60, 61, 600, 1151, 3600, 24346, 24348});
  for (int seconds : lengths) {
    if (kSanitized && seconds > 3600) continue;
    SCOPED_TRACE(std::to_string(seconds) + " s");
    ScratchDirectory scratch;
    ASSERT_GE(CreateBlankMP3(seconds, scratch.Own().c_str(), "voice"), 0);
    const Bytes written = ReadWholeFile(scratch.path + "/voice.mp3");
    const Bytes full = EncodeFully(seconds, scratch.path + "/full");
    ASSERT_EQ(written.size(), full.size() + 128);
    EXPECT_TRUE(std::equal(full.begin(), full.end(), written.begin()));
  }
}

TEST_F(CreateBlankMP3Test, HandsTheEncoderExactlyTheFixedRecord) {
  // Offsets and values of the stored fields; the other bytes are zero.
  const std::pair<size_t, uint32_t> kStored[] = {
      {0, 256}, {4, 1}, {8, 331},    // dwConfig (the LAME layout), dwStructVersion, dwStructSize
      {12, 44100}, {20, 3},          // dwSampleRate, nMode (mono)
      {24, 32}, {28, 128}, {36, 1},  // dwBitrate, dwMaxBitrate, dwMpegVersion (MPEG-1)
      {56, 1}, {60, 1}, {64, 1},     // bCopyright, bOriginal, bWriteVBRHeader
      {68, 1}, {72, 9}};             // bEnableVBR, nVBRQuality
  Bytes expected(331, 0);
  for (const auto& [at, value] : kStored) std::memcpy(&expected[at], &value, 4);
  // Whatever an earlier run left in the record, a run starts from a cleared one.
  std::memset(const_cast<BE_CONFIG*>(&GetEncoderConfig()), 0xEE, sizeof(BE_CONFIG));
  ScratchDirectory scratch;
  ASSERT_GE(CreateBlankMP3(1, scratch.Own().c_str(), "a"), 0);
  const auto* bytes = reinterpret_cast<const uint8_t*>(&GetEncoderConfig());
  EXPECT_EQ(Bytes(bytes, bytes + sizeof(BE_CONFIG)), expected);
}

TEST_F(CreateBlankMP3Test, WritesTheNamedFileWithItsTag) {
  const Bytes tag = Tagged({}, {{TAG_TITLE, ">>> Empty file <<<"},
                                {TAG_ARTIST, VERSION_CONTACT_ADDRESS},
                                {TAG_YEAR, std::to_string(kYear)},
                                {TAG_COMMENT, "Made by Hushmaker"},
                                {TAG_GENRE, "\x65"}});  // 101, Speech
  // Without a name or a directory the file is .\blankfile.mp3, in the working directory.
  // A name loses one extension, once: the file a second cut would make stays untouched.
  const struct { const char* name; const char* file; const char* untouched; } rows[] = {
      {nullptr, "blankfile.mp3", nullptr},
      {"voice", "voice.mp3", nullptr},
      {"voice.MP3", "voice.mp3", nullptr},
      {"npc.greeting.mp3", "npc.greeting.mp3", "npc.mp3"},
      {"voice.01.wav", "voice.01.mp3", "voice.mp3"},
      {"a.b.c.d", "a.b.c.mp3", "a.b"},
      {".voice", ".voice.mp3", nullptr},  // a leading dot is no extension
  };
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
  // Each target exists already: the run replaces it and keeps its permission bits.
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name ? row.name : "no name");
    ScratchDirectory scratch;
    const std::string path = scratch.path + "/" + row.file;
    WriteWholeFile(path, Bytes(10, 'x'));
    if (row.untouched) WriteWholeFile(scratch.path + "/" + row.untouched, Bytes(10, 'u'));
    ASSERT_EQ(chmod(path.c_str(), 0640) | chdir(scratch.path.c_str()), 0);
    EXPECT_EQ(ComposeTargetPath(nullptr, row.name), std::string(".\\") + row.file);
    EXPECT_GE(CreateBlankMP3(1, row.name ? scratch.Own().c_str() : nullptr, row.name), 0);
    if (row.untouched) {
      EXPECT_EQ(ReadWholeFile(scratch.path + "/" + row.untouched), Bytes(10, 'u'));
      std::remove((scratch.path + "/" + row.untouched).c_str());
    }
    EXPECT_EQ(scratch.List(), row.file + std::string("\n")) << "nothing left over";
    const Bytes bytes = ReadWholeFile(path);
    ASSERT_GT(bytes.size(), 128u);
    EXPECT_EQ(Bytes(bytes.end() - 128, bytes.end()), tag);
    struct stat info = {};
    EXPECT_EQ(stat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 0, 0640u);
  }
  ASSERT_EQ(chdir(previous), 0);
}

// The file and folder states the writer must keep. The scratch folder holds the target
// voice.mp3 (8,000 bytes of 0x5A, root's, 0644) and a folder named folder.mp3, and nobody
// may look into it.
struct Arranged {
  ScratchDirectory scratch;
  const Bytes old = Bytes(8000, 0x5A);
  Arranged() {
    WriteWholeFile(scratch.path + "/voice.mp3", old);
    mkdir((scratch.path + "/folder.mp3").c_str(), 0755);
    chmod(scratch.path.c_str(), 0755);
  }
  void ExpectUntouched() const {
    EXPECT_EQ(ReadWholeFile(scratch.path + "/voice.mp3"), old);
    EXPECT_EQ(scratch.List(), "folder.mp3\nvoice.mp3\n") << "a file was left over";
  }
};

// The user nobody's ids, or none when this process may not become another user.
bool FindNobody(uid_t* uid, gid_t* gid) {
  const passwd* nobody = getpwnam("nobody");
  if (geteuid() != 0 || !nobody) return false;
  *uid = nobody->pw_uid;
  *gid = nobody->pw_gid;
  return true;
}

// Runs body in a child process, as the user nobody when asked, and gives its wait status.
int InChild(bool asNobody, const std::function<int()>& body) {
  uid_t uid = 0;
  gid_t gid = 0;
  const pid_t child = fork();
  if (child == 0) {
    if (asNobody && (!FindNobody(&uid, &gid) || setgroups(0, nullptr) != 0 ||
                     setgid(gid) != 0 || setuid(uid) != 0)) {
      _exit(99);
    }
    _exit(body());
  }
  int status = -1;
  waitpid(child, &status, 0);
  return status;
}

// The hidden file a run writes has a random name; boxes show it as .hushmaker-*.tmp.
std::string WithoutRandomName(const std::string& text) {
  return std::regex_replace(text, std::regex("\\.hushmaker-[a-z0-9]{8}\\.tmp"),
                            ".hushmaker-*.tmp");
}

std::string Box(int line, const std::string& text) {
  return "Called from: \"hushmaker\", line " + std::to_string(line) +
         "\n*********** WARNING ***********\nCreateBlankMP3(): " + text + "\n";
}

// Every failure a run can meet, real where the system can be made to fail and through the
// writer's step check elsewhere: one box naming the file and the reason, -1, and the
// target and its folder as they were.
TEST_F(CreateBlankMP3Test, EachFailureIsToldWithTheFileAndReasonAndChangesNothing) {
  uid_t uid = 0;
  gid_t gid = 0;
  const bool withNobody = FindNobody(&uid, &gid);
  Arranged arranged;
  const std::string& dir = arranged.scratch.path;
  const std::string own = arranged.scratch.Own();
  const std::string written = dir + "/.hushmaker-*.tmp: ";
  // The length of 1 s of audio, so that a file-size limit can stop the tag's last byte.
  ScratchDirectory reference;
  ASSERT_GE(CreateBlankMP3(1, reference.Own().c_str(), "r"), 0);
  const rlim_t oneSecond = ReadWholeFile(reference.path + "/r.mp3").size();
  const std::string kOpen = "fopen() failure\n>>> Cannot open target MP3 file for writing "
                            "encoded WAV data\n>>> ";
  const std::string kWrite = "fwrite() failure\n>>> Cannot write encoded WAV data to target "
                             "MP3 file\n>>> " + written;
  const std::string kRemaining = "fwrite() failure\n>>> Cannot write remaining MP3 data to "
                                 "target MP3 file\n>>> " + written;
  const std::string kTag = "AppendTag() failure\n>>> Cannot write the ID3v1 tag to target MP3 "
                           "file\n>>> " + written;
  const std::string kEncoder = ">>> Error code: 2";
  const std::string n252(252, 'n');  // with ".mp3" one over the longest name, in a short path
  enum How { REAL, AS_NOBODY, IN_DELETED_FOLDER, FILE_SIZE_LIMIT, STEP };
  const struct {
    How how; std::string directory, name; int line; std::string text; rlim_t limit = 0;
    WriterStep step = WriterStep::InitStream;
  } rows[] = {
      {REAL, own + "missing\\", "voice", 215,
       kOpen + dir + "/missing/voice.mp3: No such file or directory"},
      {REAL, own + "voice.mp3\\", "voice", 215,
       kOpen + dir + "/voice.mp3/voice.mp3: Not a directory"},
      {REAL, own, "folder", 215, kOpen + dir + "/folder.mp3: Is a directory"},
      {REAL, "", n252, 215, kOpen + "./" + n252 + ".mp3: File name too long"},
      {IN_DELETED_FOLDER, "", "voice", 215, kOpen + "./voice.mp3: No such file or directory"},
      {AS_NOBODY, own, "voice", 215, kOpen + dir + "/voice.mp3: Permission denied"},
      {AS_NOBODY, own, "fresh", 215, kOpen + dir + "/fresh.mp3: Permission denied"},
      {REAL, own, "npc\nline", 124, "file name failure\n>>> The file name holds a control "
       "character (a line break or a tab, for instance); type the name without it"},
      {REAL, own + std::string(250 - own.size(), 'd') + "\\", "voice", 131,
       "path length failure\n>>> The target directory and file name are longer than 259 "
       "characters"},
      // 10 s give some 40 kB in one write, which stops at the limit.
      {FILE_SIZE_LIMIT, own, "voice", 335, kWrite + "File too large", 2000},
      {FILE_SIZE_LIMIT, own, "voice", 411, kTag + "File too large", oneSecond - 1},
      {STEP, own, "voice", 252, "beInitStream() failure\n>>> Unable to open the encoding "
       "stream" + kEncoder, 0, WriterStep::InitStream},
      {STEP, own, "voice", 293, "beEncodeChunk() failure\n>>> Unable to encode the WAV "
       "frames" + kEncoder, 0, WriterStep::EncodeChunk},
      {STEP, own, "voice", 335, kWrite + "Input/output error", 0, WriterStep::WriteEncoded},
      {STEP, own, "voice", 368, "beDeinitStream() failure\n>>> Unable to flush the encoder" +
       kEncoder, 0, WriterStep::DeinitStream},
      {STEP, own, "voice", 404, kRemaining + "Input/output error", 0,
       WriterStep::WriteRemaining},
      {STEP, own, "voice", 411, kTag + "Input/output error", 0, WriterStep::WriteTag},
      {STEP, own, "voice", 417, "fclose() failure\n>>> Cannot write remaining MP3 data to "
       "target MP3 file\n>>> " + written + "Input/output error", 0, WriterStep::CloseFile},
      {STEP, own, "voice", 437, "beWriteVBRHeader() failure\n>>> Unable to write the Xing "
       "frame into the MP3 file" + kEncoder + "\n>>> " + written + "Input/output error", 0,
       WriterStep::WriteXingFrame},
      {STEP, own, "voice", 466, "rename() failure\n>>> Cannot put the finished MP3 file in "
       "place of the target MP3 file\n>>> " + dir + "/voice.mp3: Input/output error", 0,
       WriterStep::ReplaceTarget},
  };
  for (const auto& row : rows) {
    const std::string box = Box(row.line, row.text);
    if (row.how == AS_NOBODY && !withNobody) {
      std::printf("Skipped, this process may not become the user nobody: %s", box.c_str());
      continue;
    }
    const int status = InChild(row.how == AS_NOBODY, [&] {
      if (chdir(dir.c_str()) != 0) return 2;
      if (row.how == IN_DELETED_FOLDER && (mkdir("gone", 0700) != 0 || chdir("gone") != 0 ||
                                           rmdir((dir + "/gone").c_str()) != 0)) {
        return 3;
      }
      signal(SIGXFSZ, SIG_IGN);  // so that the write itself fails at the limit
      const rlimit size = {row.limit, row.limit};
      if (row.how == FILE_SIZE_LIMIT) setrlimit(RLIMIT_FSIZE, &size);
      if (row.how == STEP) {
        ReplaceWriterStepCheck([&](WriterStep step) { return step == row.step; });
      }
      const int seconds = row.how == FILE_SIZE_LIMIT && row.line == 335 ? 10 : 1;
      const int result = CreateBlankMP3(seconds, row.directory.empty() ? nullptr
                                                                       : row.directory.c_str(),
                                        row.name.c_str());
      std::string shown;
      for (const std::string& one : boxes) shown += WithoutRandomName(one);
      std::printf("%s", shown.c_str());
      return result == -1 && shown == box ? 0 : 1;
    });
    EXPECT_EQ(status, 0) << "expected only this box and -1:\n" << box;
    arranged.ExpectUntouched();
  }
}

// Each signal comes while the child waits in a known step with the whole file written
// beside the target; a file-size signal also comes from the system itself.
TEST_F(CreateBlankMP3Test, SignalsRemoveTheWrittenFileAndEndTheRunAsTheyWould) {
  Arranged arranged;
  const std::string& dir = arranged.scratch.path;
  for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ, 0}) {
    SCOPED_TRACE(signalNumber ? strsignal(signalNumber) : "file-size limit");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
      for (int each : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) signal(each, SIG_DFL);
      const rlimit size = {2000, 2000};
      if (signalNumber == 0) setrlimit(RLIMIT_FSIZE, &size);
      ReplaceWriterStepCheck([&](WriterStep step) {
        if (step == WriterStep::WriteXingFrame && write(ready[1], "w", 1) == 1) pause();
        return false;
      });
      _exit(CreateBlankMP3(10, arranged.scratch.Own().c_str(), "voice"));
    }
    close(ready[1]);
    char got = 0;
    if (signalNumber != 0) {
      ASSERT_EQ(read(ready[0], &got, 1), 1) << "the child never reached the step";
      // The file being written: hidden, the user's alone, not matched by *.mp3.
      const std::string listed = arranged.scratch.List();
      EXPECT_TRUE(std::regex_match(
          listed, std::regex("\\.hushmaker-[a-z0-9]{8}\\.tmp\nfolder\\.mp3\nvoice\\.mp3\n")))
          << listed;
      struct stat info = {};
      const std::string written = dir + "/" + listed.substr(0, listed.find('\n'));
      EXPECT_EQ(stat(written.c_str(), &info) == 0 ? info.st_mode & 0777 : 1, 0600u);
      kill(child, signalNumber);
    }
    close(ready[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == (signalNumber ? signalNumber : SIGXFSZ))
        << "wait status " << status;
    arranged.ExpectUntouched();
  }
}

// A real file system that is nearly full: the new file does not fit beside the old one.
TEST_F(CreateBlankMP3Test, AFullDiskIsAFailureAndKeepsTheOldFile) {
  ScratchDirectory scratch;
  if (mount("tmpfs", scratch.path.c_str(), "tmpfs", 0, "size=168k") != 0) {
    GTEST_SKIP() << "cannot mount a tmpfs here (" << std::strerror(errno)
                 << "); the file-size limit rows of the failure table stand in for it";
  }
  const std::unique_ptr<ScratchDirectory, void (*)(ScratchDirectory*)> unmount(
      &scratch, [](ScratchDirectory* mounted) { umount(mounted->path.c_str()); });
  ASSERT_GE(CreateBlankMP3(1, scratch.Own().c_str(), "voice"), 0);
  const Bytes old = ReadWholeFile(scratch.path + "/voice.mp3");
  boxes.clear();
  EXPECT_EQ(CreateBlankMP3(41, scratch.Own().c_str(), "voice"), -1);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find(": No space left on device\n"), std::string::npos) << boxes[0];
  EXPECT_EQ(ReadWholeFile(scratch.path + "/voice.mp3"), old);
  EXPECT_EQ(scratch.List(), "voice.mp3\n");
}

// What users rely on in the file that is replaced. Where renaming cannot keep it, the
// target is written over in place (its inode stays).
TEST_F(CreateBlankMP3Test, ReplacingKeepsLinksOwnersAndModesAndWritesInPlaceWhereItMust) {
  uid_t nobody = 0;
  gid_t nogroup = 0;
  if (!FindNobody(&nobody, &nogroup)) {
    GTEST_SKIP() << "needs to run as root, with a user nobody to switch to";
  }
  const auto info = [](const std::string& path, bool followLinks = true) {
    struct stat result = {};
    (followLinks ? stat : lstat)(path.c_str(), &result);
    return result;
  };
  // The target voice.mp3 as given: old content, owner and mode.
  const auto old = [&](const std::string& d, uid_t user, gid_t group, mode_t mode) {
    WriteWholeFile(d + "/voice.mp3", Bytes(5000, 0x33));
    chown((d + "/voice.mp3").c_str(), user, group);
    chmod((d + "/voice.mp3").c_str(), mode);
  };
  const struct {
    const char* what; bool asNobody, inPlace;
    std::function<void(const std::string& d)> arrange;
    const char* file;  // where the new MP3 must be read, and its mode and owner
    mode_t mode; uid_t user; gid_t group;
    const char* listed;
  } rows[] = {
      {"a link stays a link and the file it points to is replaced", false, false,
       [&](const std::string& d) {
         mkdir((d + "/real").c_str(), 0755);
         WriteWholeFile(d + "/real/target.mp3", Bytes(5000, 0x33));
         symlink("real/target.mp3", (d + "/voice.mp3").c_str());
       },
       "real/target.mp3", 0644, 0, 0, "real\nvoice.mp3\n"},
      {"the file a dangling link points to is made, as any new file", false, false,
       [&](const std::string& d) { symlink("made.mp3", (d + "/voice.mp3").c_str()); },
       "made.mp3", 0640, 0, 0, "made.mp3\nvoice.mp3\n"},
      {"every hard link sees the new file", false, true,
       [&](const std::string& d) {
         old(d, 0, 0, 0644);
         link((d + "/voice.mp3").c_str(), (d + "/other.mp3").c_str());
       },
       "other.mp3", 0644, 0, 0, "other.mp3\nvoice.mp3\n"},
      {"owner, group and mode stay", false, false,
       [&](const std::string& d) { old(d, nobody, nogroup, 0604); },
       "voice.mp3", 0604, nobody, nogroup, "voice.mp3\n"},
      {"a file its user may write but not read", true, false,
       [&](const std::string& d) {
         old(d, nobody, nogroup, 0200);
         chown(d.c_str(), nobody, nogroup);
       },
       "voice.mp3", 0200, nobody, nogroup, "voice.mp3\n"},
      {"a read-only folder", true, true,
       [&](const std::string& d) {
         old(d, nobody, nogroup, 0644);
         chmod(d.c_str(), 0555);
       },
       "voice.mp3", 0644, nobody, nogroup, "voice.mp3\n"},
      {"a shared sticky folder and another user's file", true, true,
       [&](const std::string& d) {
         old(d, 0, 0, 0666);
         chmod(d.c_str(), 01777);
       },
       "voice.mp3", 0666, 0, 0, "voice.mp3\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ScratchDirectory scratch;
    const std::string& d = scratch.path;
    chmod(d.c_str(), 0755);
    row.arrange(d);
    const struct stat before = info(d + "/voice.mp3"), link = info(d + "/voice.mp3", false);
    const int status = InChild(row.asNobody, [&] {
      umask(027);
      return CreateBlankMP3(1, scratch.Own().c_str(), "voice") >= 0 && boxes.empty() ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    ExpectWellFormedFrames(ReadWholeFile(d + "/" + row.file));
    const struct stat after = info(d + "/" + row.file);
    EXPECT_EQ(std::vector<unsigned>({after.st_mode & 07777u, after.st_uid, after.st_gid}),
              std::vector<unsigned>({row.mode, row.user, row.group}));
    EXPECT_EQ(info(d + "/voice.mp3").st_ino == before.st_ino, row.inPlace) << "in place";
    EXPECT_EQ(info(d + "/voice.mp3", false).st_mode & S_IFMT, link.st_mode & S_IFMT);
    EXPECT_EQ(scratch.List(), row.listed);
    chmod(d.c_str(), 0755);
  }
}

// The run is timed by the calendar clock, which may be set back while it runs.
TEST_F(CreateBlankMP3Test, ElapsedTimeIsTheClocksDifferenceAndNeverNegative) {
  ScratchDirectory scratch;
  const struct { int start, end, result; } rows[] = {
      {1000, 1000, 0}, {1000, 1001, 1}, {1000, 1042, 42}, {1000, 999, 0}, {1000, 0, 0},
  };
  for (const auto& row : rows) {
    std::vector<int> readings = {row.start, row.end};
    size_t read = 0;
    ReplaceTimeNow([&] { return readings[std::min(read++, readings.size() - 1)]; });
    EXPECT_EQ(CreateBlankMP3(1, scratch.Own().c_str(), "voice"), row.result)
        << row.start << " to " << row.end;
    EXPECT_EQ(read, 2u);
  }
  ReplaceTimeNow(nullptr);
}

// Calls of the tag writer, each named by the field it writes (the marker: WriteEmptyTag)
// with its text; genre and track take theirs as a number.
using Calls = std::vector<std::pair<TagField, const char*>>;

void ApplyTagCalls(const Calls& calls, const char* path) {
  CID3v1Tag tag;
  for (const auto& [field, text] : calls) {
    switch (field) {
      case TAG_TITLE: tag.SetTitle(path, text); break;
      case TAG_ARTIST: tag.SetArtist(path, text); break;
      case TAG_ALBUM: tag.SetAlbum(path, text); break;
      case TAG_YEAR: tag.SetYear(path, text); break;
      case TAG_COMMENT: tag.SetComment(path, text); break;
      case TAG_GENRE: tag.SetGenre(path, std::atoi(text)); break;
      case TAG_TRACK: tag.SetTrack(path, std::atoi(text)); break;
      default: tag.WriteEmptyTag(path); break;  // TAG_MARKER
    }
  }
}

TEST(CID3v1Tag, EveryCaseOfTheTable) {
  const Bytes audio(300, 0x11);  // not zero, so that a write into it shows
  const Bytes emptyTag = Tagged(audio, {});
  const Calls every = {{TAG_MARKER, ""}, {TAG_TITLE, "t"}, {TAG_ARTIST, "a"},
                       {TAG_ALBUM, "l"}, {TAG_YEAR, "y"},  {TAG_COMMENT, "c"},
                       {TAG_GENRE, "1"}, {TAG_TRACK, "2"}};
  const Bytes everySet = Tagged(audio, {{TAG_TITLE, "t"}, {TAG_ARTIST, "a"}, {TAG_ALBUM, "l"},
                                        {TAG_YEAR, "y"}, {TAG_COMMENT, "c"},
                                        {TAG_GENRE, "\x01"}, {TAG_TRACK, "\x02"}});
  // An empty initial means no file; an empty expected, still no file.
  const struct { const char* what; const char* name; Bytes initial; Calls calls; Bytes expected; }
      rows[] = {
      {"empty tag appended", "a.mp3", audio, {{TAG_MARKER, ""}}, emptyTag},
      {"upper-case extension", "a.MP3", audio, every, everySet},
      {"mixed-case extension", "a.Mp3", audio, every, everySet},
      {"no second tag; the setters fill the one there", "a.mp3",
       Tagged(audio, {{TAG_TITLE, "old"}, {TAG_ALBUM, "album"}}),
       {{TAG_MARKER, ""}, {TAG_TITLE, "new"}},
       Tagged(audio, {{TAG_TITLE, "new"}, {TAG_ALBUM, "album"}})},
      {"45-character title cut to 30, no zero after", "a.mp3", emptyTag,
       {{TAG_TITLE, "A title of forty-five characters, far too lon"}},
       Tagged(audio, {{TAG_TITLE, "A title of forty-five characte"}})},
      {"five-digit year cut to four", "a.mp3", emptyTag, {{TAG_YEAR, "20265"}},
       Tagged(audio, {{TAG_YEAR, "2026"}})},
      {"a full comment stops before the zero byte and the track", "a.mp3",
       Tagged(audio, {{TAG_ZERO_BYTE, "\x09"}, {TAG_TRACK, "\x07"}}),
       {{TAG_COMMENT, "0123456789012345678901234567890"}},
       Tagged(audio, {{TAG_COMMENT, "0123456789012345678901234567"}, {TAG_ZERO_BYTE, "\x09"},
                      {TAG_TRACK, "\x07"}})},
      {"an empty text clears; a shorter one leaves nothing of a longer", "a.mp3",
       Tagged(audio, {{TAG_TITLE, "old title"}, {TAG_ARTIST, "old"}}),
       {{TAG_TITLE, "new"}, {TAG_ARTIST, ""}}, Tagged(audio, {{TAG_TITLE, "new"}})},
      {"each setter's own marker clears its field", "a.mp3", everySet,
       {{TAG_TITLE, CID3v1Tag::ID3_NO_TITLE}, {TAG_ARTIST, CID3v1Tag::ID3_NO_ARTIST},
        {TAG_ALBUM, CID3v1Tag::ID3_NO_ALBUM}, {TAG_YEAR, CID3v1Tag::ID3_NO_YEAR},
        {TAG_COMMENT, CID3v1Tag::ID3_NO_COMMENT}},
       Tagged(audio, {{TAG_GENRE, "\x01"}, {TAG_TRACK, "\x02"}})},
      {"genre and track take the low byte", "a.mp3", emptyTag,
       {{TAG_GENRE, "511"}, {TAG_TRACK, "261"}},
       Tagged(audio, {{TAG_TRACK, "\x05"}, {TAG_GENRE, "\xFF"}})},
      {"a.mp4 left alone", "a.mp4", audio, every, audio},
      {"a.mp3x left alone", "a.mp3x", audio, every, audio},
      {"mp3 left alone", "mp3", audio, every, audio},
      {"a file shorter than a tag left alone", "short.mp3", Bytes(127, 1), every, Bytes(127, 1)},
      {"a missing file not created", "missing.mp3", {}, every, {}},
  };
  for (const auto& row : rows) {
    ScratchDirectory scratch;
    const std::string path = scratch.path + "/" + row.name;
    if (!row.initial.empty()) WriteWholeFile(path, row.initial);
    ApplyTagCalls(row.calls, path.c_str());
    EXPECT_EQ(scratch.List(), row.expected.empty() ? "" : row.name + std::string("\n"))
        << row.what;
    EXPECT_EQ(ReadWholeFile(path), row.expected) << row.what;
  }
}

}  // namespace
