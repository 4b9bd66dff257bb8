// The silent MP3 writer: its bytes against a full encode, read back by independent decoders
// and a frame walker, names and the tag, every failure, signals, a full disk, what a
// replaced file keeps, and the clock.
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <regex>
#include <utility>

#include "generator/hushmaker.h"
#include "platform/platform.h"
#include "resources/version_info.h"
#include "tests/test_support.h"

namespace {

using namespace std::string_literals;
constexpr int K_YEAR = 2031;
constexpr long long K_MID_YEAR = 1939291200;  // 15 June 2031, 12:00 UTC: kYear in every zone

// Boxes are recorded instead of shown, and the local year is fixed.
struct CreateBlankMP3Test : ::testing::Test {
  void SetUp() override {
    RecordBoxes();
    ReplaceCalendarClock([] { return K_MID_YEAR; });
  }
};

// The user nobody, when this process may become another user.
const passwd* Nobody() { return geteuid() == 0 ? getpwnam("nobody") : nullptr; }

// Runs body in a child process (as nobody when asked) and meanwhile in this one with the
// child's id; gives the child's wait status.
int InChild(const std::function<int()>& body, bool asNobody = false,
            const std::function<void(pid_t)>& meanwhile = nullptr) {
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
  waitpid(child, &status, 0);
  return status;
}

// The writer's settings and its one chunk for the whole length give the bytes of a full
// encode with the program's settings (the stream's silent path is checked against full
// encodes length by length in the encoder's tests), and decoders read exactly one second
// of silence. Files of hours are long_file_test's.
TEST_F(CreateBlankMP3Test, WritesTheBytesOfAFullEncodeThatDecodersReadAsExactSilence) {
  ScratchDirectory scratch;
  const std::string path = scratch.path + "/voice.mp3";
  ASSERT_GE(CreateBlankMP3(1, scratch.Own().c_str(), "voice"), 0);
  EXPECT_EQ(g_shown_boxes, "");
  const Bytes written = ReadWholeFile(path);
  const Bytes full =
      EncodeZeros(WriterSettings(), 44100, 44100, false, scratch.path + "/full").file;
  ASSERT_EQ(written.size(), full.size() + 128);
  EXPECT_TRUE(std::equal(full.begin(), full.end(), written.begin()));
  ExpectWellFormedFrames(written);
  ExpectDecodersReadSilence(path, 1);
}

// A name loses one extension, once: the file a second cut would make stays untouched.
// Without a name or a directory the file is blankfile.mp3 in the working directory. Each
// target exists already: the run replaces it and keeps its permission bits.
TEST_F(CreateBlankMP3Test, WritesTheNamedFileWithItsTag) {
  Bytes tag(128, 0);
  const auto put = [&tag](size_t at, const std::string& text) {
    std::copy(text.begin(), text.end(), tag.begin() + at);
  };
  put(0, "TAG");
  put(3, ">>> Empty file <<<");       // title
  put(33, VERSION_CONTACT_ADDRESS);   // artist; album empty
  put(93, std::to_string(K_YEAR));     // year
  put(97, "Made by Hushmaker");       // comment; track 0
  tag[127] = 101;                     // genre: Speech
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

// The hidden file a run writes has a random name of eight small letters and digits; boxes
// and listings show it here as .hushmaker-*.tmp.
std::string WithoutRandomName(std::string text) {
  const auto random = [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); };
  for (size_t at = 0; (at = text.find(".hushmaker-", at)) != std::string::npos; at += 16) {
    if (text.size() >= at + 23 && text.compare(at + 19, 4, ".tmp") == 0 &&
        std::all_of(&text[at + 11], &text[at + 19], random)) {
      text.replace(at + 11, 8, "*");
    }
  }
  return text;
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
  // A failure while the new file is written names the target, which stays as it was.
  const std::string written = dir + "/voice.mp3: ";
  const std::string kKept = "\n>>> The target MP3 file was not changed";
  const std::string kOpen = "fopen() failure\n>>> Cannot open target MP3 file for writing "
                            "encoded WAV data\n>>> ";
  const std::string kRemaining = "Cannot write remaining MP3 data to target MP3 file\n>>> " +
                                 written;
  const std::string kEncoder = ">>> Error code: 2";
  const std::string kControl = "file name failure\n>>> The file name holds a control character "
                               "(a line break or a tab, for instance); type the name without it";
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
      {REAL, "", n252, 131, "path length failure\n>>> A file or folder name in the path is "
       "longer than 255 characters"},
      {IN_DELETED_FOLDER, "", "voice", 215, kOpen + "./voice.mp3: No such file or directory"},
      {AS_NOBODY, own, "voice", 215, kOpen + dir + "/voice.mp3: Permission denied"},
      {AS_NOBODY, own, "fresh", 215, kOpen + dir + "/fresh.mp3: Permission denied"},
      {REAL, own, "npc\nline", 124, kControl},
      {REAL, own, "npc\x7F", 124, kControl},  // DEL, a control character too
      {REAL, own, "sub\\", 124, "file name failure\n>>> The name ends in a separator, so it "
       "names a folder, not a file"},
      {REAL, own + std::string(250 - own.size(), 'd') + "\\", "voice", 131,
       "path length failure\n>>> The target directory and file name are longer than 259 "
       "characters"},
      // Some 40 kB of audio in one write, which stops at the limit.
      {FILE_SIZE_LIMIT, own, "voice", 335, "fwrite() failure\n>>> Cannot write encoded WAV data "
       "to target MP3 file\n>>> " + written + "File too large" + kKept, 2000},
      // The limit one byte short of the audio: the flush of the audio's last bytes fails.
      {FILE_SIZE_LIMIT, own, "voice", 404, "fwrite() failure\n>>> " + kRemaining +
       "File too large" + kKept, fileSize - 128 - 1},
      {FILE_SIZE_LIMIT, own, "voice", 411, "AppendTag() failure\n>>> Cannot write the ID3v1 tag "
       "to target MP3 file\n>>> " + written + "File too large" + kKept, fileSize - 1},
      {STEP, own, "voice", 252, "beInitStream() failure\n>>> Unable to open the encoding "
       "stream" + kEncoder, 0, WriterStep::InitStream},
      {STEP, own, "voice", 293, "beEncodeChunk() failure\n>>> Unable to encode the WAV "
       "frames" + kEncoder, 0, WriterStep::EncodeChunk},
      {STEP, own, "voice", 368, "beDeinitStream() failure\n>>> Unable to flush the encoder" +
       kEncoder, 0, WriterStep::DeinitStream},
      {STEP, own, "voice", 404, "fwrite() failure\n>>> " + kRemaining + "Input/output error" +
       kKept, 0, WriterStep::WriteRemaining},
      {STEP, own, "voice", 417, "fclose() failure\n>>> " + kRemaining + "Input/output error" +
       kKept, 0, WriterStep::CloseFile},
      {STEP, own, "voice", 437, "beWriteVBRHeader() failure\n>>> Unable to write the Xing "
       "frame into the MP3 file" + kEncoder + "\n>>> " + written + "Input/output error" + kKept,
       0, WriterStep::WriteXingFrame},
      {STEP, own, "voice", 466, "rename() failure\n>>> Cannot put the finished MP3 file in "
       "place of the target MP3 file\n>>> " + dir + "/voice.mp3: Input/output error" + kKept, 0,
       WriterStep::ReplaceTarget},
  };
  for (const auto& row : rows) {
    const std::string box = "[box 1, icon 0] Called from: \"hushmaker\", line " +
                            std::to_string(row.line) + " | *********** WARNING ***********\n"
                            "CreateBlankMP3(): " + row.text + "\n";
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
      return result == -1 && WithoutRandomName(g_shown_boxes) == box ? 0 : 1;
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
        // The file being written has no name yet and is the user's alone.
        EXPECT_EQ(arranged.scratch.List(), "folder.mp3\nvoice.mp3\n");
        EXPECT_EQ(RunCommand("find /proc/" + std::to_string(child) +
                             "/fd -lname '*(deleted)' -exec stat -L -c %a {} +").output,
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
      {"a group other than the owner's stays", false, false, "chgrp audio voice.mp3",
       "voice.mp3", "644 root:audio", "voice.mp3\n"},
      {"the setgid and sticky bits stay", false, false, "chmod 3644 voice.mp3", "voice.mp3",
       "3644 root:root", "voice.mp3\n"},
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
      return CreateBlankMP3(1, scratch.Own().c_str(), "voice") >= 0 && g_shown_boxes.empty() ? 0 : 1;
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
    // The start is the first reading; the tag's year and the end read the clock later.
    bool started = false;
    ReplaceCalendarClock([&] { return std::exchange(started, true) ? row.end : row.start; });
    EXPECT_EQ(CreateBlankMP3(1, scratch.Own().c_str(), "voice"), row.result)
        << row.start << " to " << row.end;
  }
  ReplaceCalendarClock(nullptr);
}

}  // namespace
