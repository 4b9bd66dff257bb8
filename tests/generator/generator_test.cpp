// The silent MP3 writer and its ID3v1 tag: the bytes against a full encode, files read
// back by independent decoders and a frame walker, names, every failure, signals, a full
// disk, what a replaced file keeps, the clock, and the tag writer's cases.
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <regex>

#include "generator/hushmaker.h"
#include "generator/id3v1_tag.h"
#include "platform/platform.h"
#include "resources/version_info.h"
#include "support/io_time.h"
#include "tests/test_support.h"

namespace {

using namespace std::string_literals;
constexpr uint64_t kRate = 44100;
constexpr int kYear = 2031;

// Walks the MPEG-1 Layer III 44.1 kHz frames chained from the file's start, reading only
// their headers: each must follow the writer's settings, the Xing/Info first frame must
// count the frames after it, and the chain must end where the ID3v1 tag starts.
void ExpectWellFormedFrames(const Bytes& bytes) {
  static const int kBitRates[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224,
                                    256, 320, 0};  // kbit/s; 0: no frame may use it
  constexpr size_t kXingAt = 4 + 17;  // behind the header and a mono frame's side information
  size_t frames = 0, offFrames = 0, at = 0;
  uint32_t xingFrames = 0;
  const size_t end = bytes.size() >= 128 ? bytes.size() - 128 : 0;
  while (at + 4 <= end) {
    const uint8_t* p = &bytes[at];
    const int rate = kBitRates[p[2] >> 4];
    // Sync, MPEG-1, Layer III, 44.1 kHz; anything else ends the chain.
    if (p[0] != 0xFF || (p[1] & 0xFE) != 0xFA || rate == 0 || (p[2] & 0x0C) != 0) break;
    const size_t length = 144 * rate * 1000 / 44100 + ((p[2] >> 1) & 1);
    if (at + length > end) break;
    // Off: a CRC, the private bit, not mono, copyright or original not set, over 128 kbit/s.
    offFrames += !(p[1] & 1) || (p[2] & 1) || (p[3] & 0xCC) != 0xCC || rate > 128;
    const uint8_t* x = p + kXingAt;  // the frame count follows the four flag bytes
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
  TAG_TITLE = 3, TAG_ARTIST = 33, TAG_ALBUM = 63, TAG_YEAR = 93,
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

// The user nobody, when this process may become another user.
const passwd* Nobody() { return geteuid() == 0 ? getpwnam("nobody") : nullptr; }

// Runs body in a child process (as nobody when asked) and meanwhile in this one with the
// child's id; gives the child's wait status, and its peak memory in usage.
int InChild(const std::function<int()>& body, bool asNobody = false,
            const std::function<void(pid_t)>& meanwhile = nullptr, rusage* usage = nullptr) {
  const pid_t child = fork();
  if (child == 0) {
    const passwd* nobody = Nobody();
    if (asNobody && (!nobody || setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 ||
                     setuid(nobody->pw_uid) != 0)) {
      _exit(99);
    }
    _exit(body());
  }
  if (meanwhile) meanwhile(child);
  int status = -1;
  wait4(child, &status, 0, usage);
  return status;
}

// The file, tag aside, is byte for byte a full encode of its samples with the program's
// settings. 44,100 is 38 frames of 1,152 samples and 324 more, and 32 x 324 is a multiple
// of 1,152: seconds 1 to 32 end at each of the 32 places within a frame that whole seconds
// can end at. Then an hour, and both sides of 24,347 s, where the sample buffer passes
// 4 GiB: a minute of full encoding each, so only in the plain build (under the sanitizers
// they run the same code of ours as the shorter lengths, in a library the sanitizers do not
// look into). Eight hours, too long to encode fully, and a few shorter lengths are read by
// the decoders. Each run is a child process so that its peak memory is its own.
TEST_F(CreateBlankMP3Test, WritesTheBytesOfAFullEncodeThatDecodersReadExactly) {
  std::vector<int> lengths;
  for (int seconds = 1; seconds <= 32; ++seconds) lengths.push_back(seconds);
  lengths.insert(lengths.end(), {59, 60, 61, 600, 1151, 3600, 24346, 24348, 28800});
  for (int seconds : lengths) {
#ifdef __SANITIZE_ADDRESS__
    if (seconds > 3600 && seconds < 28800) continue;
#endif
    SCOPED_TRACE(std::to_string(seconds) + " s");
    ScratchDirectory scratch;
    const std::string path = scratch.path + "/voice.mp3";
    rusage usage = {};
    ASSERT_EQ(InChild([&] {
      return CreateBlankMP3(seconds, scratch.Own().c_str(), "voice") < 0 || !boxes.empty();
    }, false, nullptr, &usage), 0) << "the writer reported a failure";
    // The eight-hour sample buffer (some 5 GB) is silence the system hands out already zero
    // and that is never written: about 120 MB in a plain build, 730 MB under AddressSanitizer.
    EXPECT_LT(usage.ru_maxrss / 1024, 1500) << "a touched sample buffer alone takes 4,845 MB";
    const Bytes written = ReadWholeFile(path);
    if (seconds < 28800) {
      const Bytes full = EncodeZeros(WriterSettings(), seconds * kRate, 1152 * 256, false,
                                     scratch.path + "/full").file;
      ASSERT_EQ(written.size(), full.size() + 128);
      EXPECT_TRUE(std::equal(full.begin(), full.end(), written.begin()));
    }
    if (seconds != 1 && seconds != 10 && seconds != 61 && seconds != 28800) continue;
    ExpectWellFormedFrames(written);
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

// A name loses one extension, once: the file a second cut would make stays untouched.
// Without a name or a directory the file is blankfile.mp3 in the working directory. Each
// target exists already: the run replaces it and keeps its permission bits.
TEST_F(CreateBlankMP3Test, WritesTheNamedFileWithItsTag) {
  const Bytes tag = Tagged({}, {{TAG_TITLE, ">>> Empty file <<<"},
                                {TAG_ARTIST, VERSION_CONTACT_ADDRESS},
                                {TAG_YEAR, std::to_string(kYear)},
                                {TAG_COMMENT, "Made by Hushmaker"},
                                {TAG_GENRE, "\x65"}});  // 101, Speech
  const struct { const char* name; const char* file; const char* untouched; } rows[] = {
      {nullptr, "blankfile.mp3", nullptr},
      {"voice", "voice.mp3", nullptr},
      {"voice.MP3", "voice.mp3", nullptr},
      {"npc.greeting.mp3", "npc.greeting.mp3", "npc.mp3"},
      {"voice.01.wav", "voice.01.mp3", "voice.mp3"},
      {"a.b.c.d", "a.b.c.mp3", "a.b"},
      {".voice", ".voice.mp3", nullptr},  // a leading dot is no extension
  };
  const std::string previous = std::filesystem::current_path();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name ? row.name : "no name");
    ScratchDirectory scratch;
    ASSERT_EQ(chdir(scratch.path.c_str()), 0);
    WriteWholeFile(row.file, Bytes(10, 'x'));
    ASSERT_EQ(chmod(row.file, 0640), 0);
    if (row.untouched) WriteWholeFile(row.untouched, Bytes(10, 'u'));
    EXPECT_GE(CreateBlankMP3(1, row.name ? scratch.Own().c_str() : nullptr, row.name), 0);
    if (row.untouched) {
      EXPECT_EQ(ReadWholeFile(row.untouched), Bytes(10, 'u'));
      std::remove(row.untouched);
    }
    EXPECT_EQ(scratch.List(), row.file + std::string("\n")) << "nothing left over";
    const Bytes bytes = ReadWholeFile(row.file);
    ASSERT_GT(bytes.size(), 128u);
    EXPECT_EQ(Bytes(bytes.end() - 128, bytes.end()), tag);
    struct stat info = {};
    EXPECT_EQ(stat(row.file, &info) == 0 ? info.st_mode & 0777 : 0, 0640u);
  }
  ASSERT_EQ(chdir(previous.c_str()), 0);
}

// A folder open to every user holding the target voice.mp3 (8,000 bytes) and a folder
// named folder.mp3: the states the writer must keep.
struct Arranged {
  ScratchDirectory scratch;
  Bytes old;
  Arranged() {
    RunCommand("cd " + scratch.path + " && chmod 755 . && mkdir folder.mp3 && "
               "head -c 8000 /dev/urandom >voice.mp3");
    old = ReadWholeFile(scratch.path + "/voice.mp3");
  }
  void ExpectUntouched() const {
    EXPECT_EQ(ReadWholeFile(scratch.path + "/voice.mp3"), old);
    EXPECT_EQ(scratch.List(), "folder.mp3\nvoice.mp3\n") << "a file was left over";
  }
};

// The hidden file a run writes has a random name; boxes show it as .hushmaker-*.tmp.
std::string WithoutRandomName(const std::string& text) {
  return std::regex_replace(text, std::regex("\\.hushmaker-[a-z0-9]{8}\\.tmp"),
                            ".hushmaker-*.tmp");
}

// Every failure a run can meet, real where the system can be made to fail and through the
// writer's step check elsewhere: one box naming the file and the reason, -1, and the
// target and its folder as they were.
TEST_F(CreateBlankMP3Test, EachFailureIsToldWithTheFileAndReasonAndChangesNothing) {
  Arranged arranged;
  const std::string& dir = arranged.scratch.path;
  const std::string own = arranged.scratch.Own();
  // The length of a file, so that a file-size limit can stop the tag's last byte.
  ScratchDirectory reference;
  ASSERT_GE(CreateBlankMP3(10, reference.Own().c_str(), "r"), 0);
  const rlim_t fileSize = ReadWholeFile(reference.path + "/r.mp3").size();
  const std::string written = dir + "/.hushmaker-*.tmp: ";
  const std::string kOpen = "fopen() failure\n>>> Cannot open target MP3 file for writing "
                            "encoded WAV data\n>>> ";
  const std::string kWrite = "fwrite() failure\n>>> Cannot write encoded WAV data to target "
                             "MP3 file\n>>> " + written;
  const std::string kRemaining = "Cannot write remaining MP3 data to target MP3 file\n>>> " +
                                 written;
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
      // Some 40 kB of audio in one write, which stops at the limit.
      {FILE_SIZE_LIMIT, own, "voice", 335, kWrite + "File too large", 2000},
      {FILE_SIZE_LIMIT, own, "voice", 411, kTag + "File too large", fileSize - 1},
      {STEP, own, "voice", 252, "beInitStream() failure\n>>> Unable to open the encoding "
       "stream" + kEncoder, 0, WriterStep::InitStream},
      {STEP, own, "voice", 293, "beEncodeChunk() failure\n>>> Unable to encode the WAV "
       "frames" + kEncoder, 0, WriterStep::EncodeChunk},
      {STEP, own, "voice", 335, kWrite + "Input/output error", 0, WriterStep::WriteEncoded},
      {STEP, own, "voice", 368, "beDeinitStream() failure\n>>> Unable to flush the encoder" +
       kEncoder, 0, WriterStep::DeinitStream},
      {STEP, own, "voice", 404, "fwrite() failure\n>>> " + kRemaining + "Input/output error",
       0, WriterStep::WriteRemaining},
      {STEP, own, "voice", 411, kTag + "Input/output error", 0, WriterStep::WriteTag},
      {STEP, own, "voice", 417, "fclose() failure\n>>> " + kRemaining + "Input/output error",
       0, WriterStep::CloseFile},
      {STEP, own, "voice", 437, "beWriteVBRHeader() failure\n>>> Unable to write the Xing "
       "frame into the MP3 file" + kEncoder + "\n>>> " + written + "Input/output error", 0,
       WriterStep::WriteXingFrame},
      {STEP, own, "voice", 466, "rename() failure\n>>> Cannot put the finished MP3 file in "
       "place of the target MP3 file\n>>> " + dir + "/voice.mp3: Input/output error", 0,
       WriterStep::ReplaceTarget},
  };
  for (const auto& row : rows) {
    const std::string box = "Called from: \"hushmaker\", line " + std::to_string(row.line) +
                            "\n*********** WARNING ***********\nCreateBlankMP3(): " + row.text +
                            "\n";
    if (row.how == AS_NOBODY && !Nobody()) {
      std::printf("Skipped, this process may not become the user nobody: %s", box.c_str());
      continue;
    }
    const int status = InChild([&] {
      if (chdir(dir.c_str()) != 0) return 2;
      if (row.how == IN_DELETED_FOLDER && (mkdir("gone", 0700) != 0 || chdir("gone") != 0 ||
                                           rmdir((dir + "/gone").c_str()) != 0)) {
        return 3;
      }
      signal(SIGXFSZ, SIG_IGN);  // so that the write itself fails at the limit
      const rlimit size = {row.limit, row.limit};
      if (row.how == FILE_SIZE_LIMIT) setrlimit(RLIMIT_FSIZE, &size);
      if (row.how == STEP) ReplaceWriterStepCheck([&](WriterStep s) { return s == row.step; });
      const int result = CreateBlankMP3(10, row.directory.empty() ? nullptr : row.directory.c_str(),
                                        row.name.c_str());
      std::string shown;
      for (const std::string& one : boxes) shown += WithoutRandomName(one);
      std::printf("%s", shown.c_str());
      return result == -1 && shown == box ? 0 : 1;
    }, row.how == AS_NOBODY);
    EXPECT_EQ(status, 0) << "expected only this box and -1:\n" << box;
    arranged.ExpectUntouched();
  }
}

// Each signal comes while the child waits in a known step with the whole file written
// beside the target; a file-size signal also comes from the system itself.
TEST_F(CreateBlankMP3Test, SignalsRemoveTheWrittenFileAndEndTheRunAsTheyWould) {
  Arranged arranged;
  for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ, 0}) {
    SCOPED_TRACE(signalNumber ? strsignal(signalNumber) : "file-size limit");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const int status = InChild([&] {
      for (int each : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) signal(each, SIG_DFL);
      const rlimit size = {2000, 2000};
      if (signalNumber == 0) setrlimit(RLIMIT_FSIZE, &size);
      ReplaceWriterStepCheck([&](WriterStep step) {
        if (step == WriterStep::WriteXingFrame && write(ready[1], "w", 1) == 1) pause();
        return false;
      });
      return CreateBlankMP3(10, arranged.scratch.Own().c_str(), "voice");
    }, false, [&](pid_t child) {
      close(ready[1]);
      char got = 0;
      if (signalNumber != 0 && read(ready[0], &got, 1) == 1) {
        // The file being written: hidden, the user's alone, not matched by *.mp3.
        const std::string listed = arranged.scratch.List();
        EXPECT_TRUE(std::regex_match(listed, std::regex("\\.hushmaker-[a-z0-9]{8}\\.tmp\n"
                                                        "folder\\.mp3\nvoice\\.mp3\n")))
            << listed;
        EXPECT_EQ(RunCommand("stat -c %a " + arranged.scratch.path + "/.hushmaker-*").output,
                  "600\n");
        kill(child, signalNumber);
      }
      close(ready[0]);
    });
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

// What users rely on in the file that is replaced; where renaming cannot keep it, the
// target is written over in place (its inode stays). Each folder starts open to every user
// with voice.mp3, root's and 0644; a run sets umask 027.
TEST_F(CreateBlankMP3Test, ReplacingKeepsLinksOwnersAndModesAndWritesInPlaceWhereItMust) {
  if (!Nobody()) GTEST_SKIP() << "needs to run as root, with a user nobody to switch to";
  const struct {
    const char* what; bool asNobody, inPlace;
    const char* arrange;  // shell commands run in the folder
    const char* file;     // where the new MP3 must be, and its mode, owner and group
    const char* kept;
    const char* listed;
  } rows[] = {
      {"a link stays a link and the file it points to is replaced", false, false,
       "mkdir real && mv voice.mp3 real/target.mp3 && ln -s real/target.mp3 voice.mp3",
       "real/target.mp3", "644 root:root", "real\nvoice.mp3\n"},
      {"the file a dangling link points to is made, as any new file", false, false,
       "rm voice.mp3 && ln -s made.mp3 voice.mp3", "made.mp3", "640 root:root",
       "made.mp3\nvoice.mp3\n"},
      {"every hard link sees the new file", false, true, "ln voice.mp3 other.mp3", "other.mp3",
       "644 root:root", "other.mp3\nvoice.mp3\n"},
      {"owner, group and mode stay", false, false,
       "chown nobody: voice.mp3 && chmod 604 voice.mp3", "voice.mp3", "604 nobody:nogroup",
       "voice.mp3\n"},
      {"a file its user may write but not read", true, false,
       "chown nobody: voice.mp3 . && chmod 200 voice.mp3", "voice.mp3", "200 nobody:nogroup",
       "voice.mp3\n"},
      {"a read-only folder", true, true, "chown nobody: voice.mp3 && chmod 555 .", "voice.mp3",
       "644 nobody:nogroup", "voice.mp3\n"},
      {"a shared sticky folder and another user's file", true, true,
       "chmod 666 voice.mp3 && chmod 1777 .", "voice.mp3", "666 root:root", "voice.mp3\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ScratchDirectory scratch;
    const auto shell = [&](const std::string& commands) {
      return RunCommand("cd " + scratch.path + " && " + commands).output;
    };
    shell("chmod 755 . && head -c 5000 /dev/zero >voice.mp3 && chmod 644 voice.mp3 && " +
          std::string(row.arrange));
    const std::string inode = shell("stat -L -c %i voice.mp3 2>&1");
    const std::string type = shell("stat -c %F voice.mp3");
    EXPECT_EQ(InChild([&] {
      umask(027);
      return CreateBlankMP3(1, scratch.Own().c_str(), "voice") >= 0 && boxes.empty() ? 0 : 1;
    }, row.asNobody), 0);
    ExpectWellFormedFrames(ReadWholeFile(scratch.path + "/" + row.file));
    EXPECT_EQ(shell("stat -L -c '%a %U:%G' " + std::string(row.file)), row.kept + "\n"s);
    EXPECT_EQ(shell("stat -L -c %i voice.mp3 2>&1") == inode, row.inPlace) << "in place";
    EXPECT_EQ(shell("stat -c %F voice.mp3"), type) << "a link stays a link";
    EXPECT_EQ(scratch.List(), row.listed);
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

// Each case of the tag writer: the file (none when initial is empty), the calls made on
// it, and the bytes it must hold after them (none: still no file).
TEST(CID3v1Tag, EveryCaseOfTheTable) {
  using Calls = void (*)(CID3v1Tag& tag, const char* path);
  const Bytes audio(300, 0x11);  // not zero, so that a write into it shows
  const Calls every = [](auto& t, auto p) {
    t.WriteEmptyTag(p); t.SetTitle(p, "t"); t.SetArtist(p, "a"); t.SetAlbum(p, "l");
    t.SetYear(p, "y"); t.SetComment(p, "c"); t.SetGenre(p, 511); t.SetTrack(p, 258);
  };
  const Bytes everySet = Tagged(audio, {{TAG_TITLE, "t"}, {TAG_ARTIST, "a"}, {TAG_ALBUM, "l"},
                                        {TAG_YEAR, "y"}, {TAG_COMMENT, "c"},
                                        {TAG_GENRE, "\xFF"}, {TAG_TRACK, "\x02"}});
  const struct { const char* what; const char* name; Bytes initial; Calls calls; Bytes expected; }
      rows[] = {
      {"every field, in any case of the extension; a number's low byte", "a.Mp3", audio, every,
       everySet},
      {"no second tag; a shorter text leaves nothing of a longer, an empty one clears", "a.mp3",
       Tagged(audio, {{TAG_TITLE, "old title"}, {TAG_ALBUM, "album"}}),
       [](auto& t, auto p) { t.WriteEmptyTag(p); t.SetTitle(p, "new"); t.SetAlbum(p, ""); },
       Tagged(audio, {{TAG_TITLE, "new"}})},
      {"texts cut to their fields, with no zero after; the comment stops before the zero byte "
       "and the track", "a.mp3", Tagged(audio, {{TAG_ZERO_BYTE, "\x09"}, {TAG_TRACK, "\x07"}}),
       [](auto& t, auto p) {
         t.SetComment(p, "0123456789012345678901234567890"); t.SetYear(p, "20265");
         t.SetTitle(p, "A title of forty-five characters, far too lon");
       },
       Tagged(audio, {{TAG_TITLE, "A title of forty-five characte"}, {TAG_YEAR, "2026"},
                      {TAG_COMMENT, "0123456789012345678901234567"}, {TAG_ZERO_BYTE, "\x09"},
                      {TAG_TRACK, "\x07"}})},
      {"each setter's own marker clears its field", "a.mp3", everySet,
       [](auto& t, auto p) {
         t.SetTitle(p, t.ID3_NO_TITLE); t.SetArtist(p, t.ID3_NO_ARTIST);
         t.SetAlbum(p, t.ID3_NO_ALBUM); t.SetYear(p, t.ID3_NO_YEAR);
         t.SetComment(p, t.ID3_NO_COMMENT);
       },
       Tagged(audio, {{TAG_GENRE, "\xFF"}, {TAG_TRACK, "\x02"}})},
      {"a.mp3x left alone", "a.mp3x", audio, every, audio},
      {"mp3 left alone", "mp3", audio, every, audio},
      {"a file shorter than a tag left alone", "short.mp3", Bytes(127, 1), every, Bytes(127, 1)},
      {"a missing file not created", "missing.mp3", {}, every, {}},
  };
  for (const auto& row : rows) {
    ScratchDirectory scratch;
    const std::string path = scratch.path + "/" + row.name;
    if (!row.initial.empty()) WriteWholeFile(path, row.initial);
    CID3v1Tag tag;
    row.calls(tag, path.c_str());
    EXPECT_EQ(scratch.List(), row.expected.empty() ? "" : row.name + std::string("\n"))
        << row.what;
    EXPECT_EQ(ReadWholeFile(path), row.expected) << row.what;
  }
}

}  // namespace
