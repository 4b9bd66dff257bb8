// The silent MP3 writer: its bytes against a full encode, read back by independent decoders
// and a frame walker, names and the tag, every failure, signals, what a replaced file
// keeps, and the clock; and the Generate command without a window: the folder it writes
// into and the texts it shows (the window's tests hold the default name, the game's limit,
// the other refusals and which folder a run uses).
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <utility>

#include "generator/generate_command.h"
#include "generator/hushmaker.h"
#include "platform/platform.h"
#include "resources/version_info.h"
#include "support/path_helpers.h"
#include "tests/test_support.h"

namespace {

constexpr long long K_MID_YEAR = 1939291200;  // 15 June 2031, 12:00 UTC: 2031 in every zone

// Each test runs in a scratch folder open to every user, holding the target voice.mp3
// (8,000 bytes) and a folder named folder.mp3: the states the writer must keep. Boxes are
// recorded instead of shown, and the local year is fixed.
struct CreateBlankMP3Test : ScratchDirectoryTest {
  void SetUp() override {
    ScratchDirectoryTest::SetUp();
    RecordBoxes();
    ReplaceCalendarClock([] { return K_MID_YEAR; });
    RunCommand("chmod 755 . && mkdir folder.mp3 && head -c 8000 /dev/urandom >voice.mp3");
    old_ = ReadWholeFile("voice.mp3");
  }
  void ExpectUntouched() const {
    EXPECT_EQ(ReadWholeFile("voice.mp3"), old_);
    EXPECT_EQ(ListFolder(scratch_.path), "folder.mp3\nvoice.mp3\n") << "a file was left over";
  }
  Bytes old_;
};

// The user nobody, when this process may become another user.
const passwd* Nobody() { return geteuid() == 0 ? getpwnam("nobody") : nullptr; }

// Runs body in a child process (as nobody when asked); gives the child's wait status.
int InChild(const std::function<int()>& body, bool asNobody = false) {
  const pid_t child = fork();
  if (child == 0) {
    const passwd* nobody = Nobody();
    if (asNobody && (!nobody || setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 ||
                     setuid(nobody->pw_uid) != 0)) {
      _exit(99);
    }
    _exit(body());
  }
  int status = -1;
  waitpid(child, &status, 0);
  return status;
}

// The writer's settings and its one chunk for the whole length give the bytes of a full
// encode with the program's settings (the stream's silent path is checked against full
// encodes length by length in the encoder's tests), then the tag; decoders read exactly
// one second of silence. Files of hours are long_file_test's. A name loses its last
// extension, once, and a leading dot is none; without a name the file is blankfile.mp3 in
// the working directory. The target existed and is replaced; what it keeps is the
// replacing test's.
TEST_F(CreateBlankMP3Test, WritesAFullEncodeAndTheTagUnderTheNameLessItsLastExtension) {
  EXPECT_GE(CreateBlankMP3(1, nullptr, nullptr), 0);
  for (const char* name : {"voice", "voice.01.wav", ".voice"}) {
    EXPECT_GE(CreateBlankMP3(1, scratch_.Own().c_str(), name), 0) << name;
  }
  EXPECT_EQ(ListFolder(scratch_.path), ".voice.mp3\nblankfile.mp3\nfolder.mp3\nvoice.01.mp3\nvoice.mp3\n");
  const auto field = [](std::string text, size_t size) { text.resize(size, '\0'); return text; };
  // Title, artist, an empty album, the year, the comment with track 0, genre 101 (Speech).
  const std::string tag = "TAG" + field(">>> Empty file <<<", 30) +
                          field(VERSION_CONTACT_ADDRESS, 60) + "2031" +
                          field("Made by Hushmaker", 30) + "\x65";
  Bytes expected = FullEncode(1, "full");
  expected.insert(expected.end(), tag.begin(), tag.end());
  EXPECT_TRUE(ReadWholeFile("voice.mp3") == expected) << "not the full encode and the tag";
  ExpectDecodersReadSilence("voice.mp3", 1);
}

// Every failure a run can meet, real where the system can be made to fail and through the
// writer's step check elsewhere: one box naming the file and the reason, -1, and the
// target and its folder as they were. The name rules' other refusals are CheckFileName's
// tests'; a missing folder is told end to end in cli_e2e.sh.
TEST_F(CreateBlankMP3Test, EachFailureIsToldWithTheFileAndReasonAndChangesNothing) {
  const std::string& dir = scratch_.path;
  const std::string own = scratch_.Own(), target = dir + "/voice.mp3: ";
  const std::string kept = "\n>>> The target MP3 file was not changed";
  // The length of a file, so that a file-size limit can stop the tag's last byte.
  ScratchDirectory reference;
  ASSERT_GE(CreateBlankMP3(10, reference.Own().c_str(), "r"), 0);
  const rlim_t fileSize = ReadWholeFile(reference.path + "/r.mp3").size();
  const std::string tooLarge = target + "File too large" + kept;
  const std::string io = target + "Input/output error" + kept, code = "Error code: 2";
  enum How { REAL, AS_NOBODY, IN_DELETED_FOLDER, FILE_SIZE_LIMIT, STEP };
  // The box's source line names the failure; its end is what varies: the file and reason.
  const struct {
    How how; std::string directory, name; int line; std::string end; rlim_t limit = 0;
    WriterStep step = WriterStep::InitStream; int seconds = 10;
  } rows[] = {
      {REAL, own, "voice", 119, "seconds, not 0", 0, {}, 0},
      {REAL, own, "voice", 119, "seconds, not 28801", 0, {}, SILENCE_MAX_SECONDS + 1},
      // A file as a folder in the path: the link walk's own failure.
      {REAL, own + "voice.mp3\\", "v", 215, dir + "/voice.mp3/v.mp3: Not a directory"},
      {REAL, own, "folder", 215, dir + "/folder.mp3: Is a directory"},
      {IN_DELETED_FOLDER, "", "voice", 215, "\n>>> ./voice.mp3: No such file or directory"},
      {AS_NOBODY, own, "voice", 215, target + "Permission denied"},
      {AS_NOBODY, own, "fresh", 215, dir + "/fresh.mp3: Permission denied"},
      {REAL, own, "npc\nline", 124, "type the name without it"},
      {REAL, own + std::string(250 - own.size(), 'd') + "\\", "voice", 131, "259 characters"},
      // Some 40 kB of audio in one write, which stops at the limit.
      {FILE_SIZE_LIMIT, own, "voice", 335, tooLarge, 2000},
      // The limit one byte short of the audio: the flush of the audio's last bytes fails.
      {FILE_SIZE_LIMIT, own, "voice", 404, tooLarge, fileSize - 128 - 1},
      {FILE_SIZE_LIMIT, own, "voice", 411, tooLarge, fileSize - 1},
      {STEP, own, "voice", 252, code, 0, WriterStep::InitStream},
      {STEP, own, "voice", 293, code, 0, WriterStep::EncodeChunk},
      {STEP, own, "voice", 368, code, 0, WriterStep::DeinitStream},
      {STEP, own, "voice", 404, io, 0, WriterStep::WriteRemaining},
      {STEP, own, "voice", 417, io, 0, WriterStep::CloseFile},
      {STEP, own, "voice", 437, code + "\n>>> " + io, 0, WriterStep::WriteXingFrame},
      {STEP, own, "voice", 466, io, 0, WriterStep::ReplaceTarget},
  };
  for (const auto& row : rows) {
    const std::string start = "[box 1, icon 0] Called from: \"hushmaker\", line " +
                              std::to_string(row.line) + " | ", end = row.end + "\n";
    if (row.how == AS_NOBODY && !Nobody()) continue;  // needs root
    const int status = InChild([&] {
      if (row.how == IN_DELETED_FOLDER && (mkdir("gone", 0700) != 0 || chdir("gone") != 0 ||
                                           rmdir((dir + "/gone").c_str()) != 0)) {
        return 3;
      }
      signal(SIGXFSZ, SIG_IGN);  // so that the write itself fails at the limit
      const rlimit size = {row.limit, row.limit};
      if (row.how == FILE_SIZE_LIMIT) setrlimit(RLIMIT_FSIZE, &size);
      if (row.how == STEP) ReplaceWriterStepCheck([&](WriterStep s) { return s == row.step; });
      const int result = CreateBlankMP3(
          row.seconds, row.directory.empty() ? nullptr : row.directory.c_str(), row.name.c_str());
      const std::string& box = g_shown_boxes;
      const bool ends = box.size() >= end.size() && box.substr(box.size() - end.size()) == end;
      return result == -1 && box.rfind(start, 0) == 0 && box.find("[box 2") == box.npos && ends
                 ? 0
                 : 1;
    }, row.how == AS_NOBODY);
    EXPECT_EQ(status, 0) << "expected -1 and only one box, from " << start << "ending in " << end;
    ExpectUntouched();
  }
}

// Each signal comes with the whole file written beside the target, under no name and the
// user's alone: it ends the run as it would have, and leaves nothing.
TEST_F(CreateBlankMP3Test, SignalsRemoveTheWrittenFileAndEndTheRunAsTheyWould) {
  for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) {
    const int status = InChild([&] {
      signal(signalNumber, SIG_DFL);
      ReplaceWriterStepCheck([&](WriterStep step) {
        if (step != WriterStep::WriteXingFrame) return false;
        const std::string fd = "find /proc/" + std::to_string(getpid()) + "/fd -lname '*(deleted)'";
        if (RunCommand(fd + " -exec stat -L -c %a {} +").output == "600\n" &&
            ListFolder(scratch_.path) == "folder.mp3\nvoice.mp3\n") {
          raise(signalNumber);
        }
        return false;
      });
      return CreateBlankMP3(10, scratch_.Own().c_str(), "voice");
    });
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << strsignal(signalNumber)
        << ": wait status " << status << "; not raised where the written file had a name";
    ExpectUntouched();
  }
}

// What users rely on in the file that is replaced; where renaming cannot keep it, the
// target is written over in place (its inode stays). Each folder starts open to every user
// with voice.mp3, root's and 0644; a run sets umask 027. A hard-linked target, written in
// place, is replacement_e2e.sh's (its writers race on one).
TEST_F(CreateBlankMP3Test, ReplacingKeepsLinksOwnersAndModesAndWritesInPlaceWhereItMust) {
  if (!Nobody()) GTEST_SKIP() << "needs to run as root, with a user nobody to switch to";
  // arrange: shell commands run in the folder; file: where the new MP3 must be, and kept:
  // its mode, owner and group.
  const struct { bool asNobody, inPlace; const char *arrange, *file, *kept; } rows[] = {
      // A link stays a link: the file it points to is replaced, or made when it is missing.
      {false, false, "mkdir real && mv voice.mp3 real/target.mp3 && ln -s real/target.mp3 "
       "voice.mp3", "real/target.mp3", "644 root:root"},
      {false, false, "rm voice.mp3 && ln -s made.mp3 voice.mp3", "made.mp3", "640 root:root"},
      {false, false, "chown nobody: voice.mp3 && chmod 604 voice.mp3", "voice.mp3",
       "604 nobody:nogroup"},
      {false, false, "chgrp audio voice.mp3", "voice.mp3", "644 root:audio"},
      {false, false, "chmod 3644 voice.mp3", "voice.mp3", "3644 root:root"},
      // As nobody: a file it may write but not read; a read-only folder; a shared sticky
      // folder and another user's file.
      {true, false, "chown nobody: voice.mp3 . && chmod 200 voice.mp3", "voice.mp3",
       "200 nobody:nogroup"},
      {true, true, "chown nobody: voice.mp3 && chmod 555 .", "voice.mp3", "644 nobody:nogroup"},
      {true, true, "chmod 666 voice.mp3 && chmod 1777 .", "voice.mp3", "666 root:root"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.arrange);
    ScratchDirectory scratch;
    const auto shell = [&](const std::string& commands) {
      return RunCommand("cd " + scratch.path + " && " + commands).output;
    };
    shell("chmod 755 . && head -c 5000 /dev/zero >voice.mp3 && chmod 644 voice.mp3 && " +
          std::string(row.arrange));
    const std::string inode = shell("stat -L -c %i voice.mp3 2>&1");
    EXPECT_EQ(InChild([&] {
      umask(027);
      return CreateBlankMP3(1, scratch.Own().c_str(), "voice") < 0 || !g_shown_boxes.empty();
    }, row.asNobody), 0);
    ExpectWellFormedFrames(ReadWholeFile(scratch.path + "/" + row.file));
    EXPECT_EQ(shell("stat -L --printf '%a %U:%G' " + std::string(row.file)), row.kept);
    EXPECT_EQ(shell("stat -L -c %i voice.mp3 2>&1") == inode, row.inPlace) << "in place";
    EXPECT_EQ(shell("ls -A | grep hushmaker"), "") << "a file was left over";
  }
}

// The run is timed by the calendar clock, which may be set back while it runs. The start
// is its first reading; the tag's year and the end read it later.
TEST_F(CreateBlankMP3Test, ElapsedTimeIsTheClocksDifferenceAndNeverNegative) {
  const std::pair<int, int> rows[] = {{1000, 0}, {1001, 1}, {1042, 42}, {999, 0}, {0, 0}};
  for (const auto& [end, result] : rows) {
    bool started = false;
    ReplaceCalendarClock([&, end = end] { return std::exchange(started, true) ? end : 1000; });
    EXPECT_EQ(CreateBlankMP3(1, scratch_.Own().c_str(), "voice"), result) << "1000 to " << end;
  }
}

const std::string OK = "\n>>> Compilation has been successful :)\n>>> Elapsed time: ";
const std::string WARNING = std::string("\n>>> ") + GENERATE_TEXT_GAME_LIMIT;

TEST(GenerateCommand, FoldersAreTakenWholeInTheProgramsOwnFormOrRefused) {
  const std::string longest(IO_DIRECTORY_BLOCK_SIZE - 2, 'd');
  const struct { std::string native; DirectoryProblem problem; std::string own; } rows[] = {
      {"/home/ann/maps/", DirectoryProblem::None, "\\home\\ann\\maps\\"},
      {"sounds/..", DirectoryProblem::None, "sounds\\..\\"},  // the parent, as typed
      {longest, DirectoryProblem::None, longest + "\\"},
      {longest + "d", DirectoryProblem::TooLong, ""},
  };
  for (const auto& row : rows) {
    std::string own;
    EXPECT_EQ(PrepareTargetDirectory(row.native.c_str(), &own), row.problem) << row.native;
    EXPECT_EQ(own, row.own);  // a refusal leaves it empty
  }
}

TEST(GenerateCommand, AChoiceReplacesTheFolderBeforeACancelKeepsItARefusalIsShown) {
  RecordBoxes();
  char target[IO_DIRECTORY_BLOCK_SIZE] = "\\before\\";
  EXPECT_TRUE(TakeChosenDirectory(nullptr, target) && TakeChosenDirectory("", target));
  EXPECT_STREQ(target, "\\before\\");
  // The chooser's "." entry names the folder it was picked in.
  EXPECT_TRUE(TakeChosenDirectory("/home/ann/maps/.", target));
  EXPECT_STREQ(target, "\\home\\ann\\maps\\");
  EXPECT_EQ(g_shown_boxes, "");
  EXPECT_FALSE(TakeChosenDirectory(("/" + std::string(300, 'd')).c_str(), target));
  EXPECT_STREQ(target, "\\home\\ann\\maps\\");
  EXPECT_NE(g_shown_boxes.find("longer than 254 characters"), std::string::npos);
}

TEST(GenerateCommand, TextsNameTheFileAndElapsedTimeWarnPastTheGameAndCutOnWholeCharacters) {
  const std::pair<int, std::string> results[] = {
      {0, OK + "0 seconds"}, {1, OK + "1 second"}, {2, OK + "2 seconds"}};
  char buffer[512];
  for (const auto& [result, shown] : results) {
    ComposeResultText(buffer, sizeof buffer, result);
    EXPECT_EQ(std::string(buffer), shown);
  }
  // Names are shown in native form, never read as a format, and cut to the buffer but
  // not inside a character; a long name is cut to keep the warning whole.
  const std::string in = "\n>>> Output file: \"";
  const std::string longName(600, 'n');
  const struct { const char* name; int seconds; size_t size; std::string shown; } cases[] = {
      {"sub\\100%s", 1, 512, in + "sub/100%s.mp3\"\n>>> Target directory: \"/w/\""},
      {"ab\xE2\x82\xAC", 1, 24, in + "ab"},
      {longName.c_str(), SILENCE_MAX_SECONDS, 512,
       (in + longName).substr(0, 511 - WARNING.size()) + WARNING},
  };
  for (const auto& c : cases) {
    std::string storage(700, '#');
    ComposeAnnouncement(storage.data(), c.size, c.name, "\\w\\", c.seconds);
    EXPECT_EQ(std::string(storage.c_str()), c.shown) << c.size;
    EXPECT_EQ(storage.substr(c.size), std::string(700 - c.size, '#')) << "written past the end";
  }
}

}  // namespace
