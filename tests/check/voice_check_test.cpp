// The checker against voice files that LAME and SoX make, as map makers' editors would,
// and against the writer's own files; the file reader against the same bytes in memory;
// a folder that cannot be listed.
#include "checker/voice_check.h"

#include "generator/hushmaker.h"
#include "platform/platform.h"
#include "tests/test_support.h"

namespace {

// Made once for every test here: a tone of 3 s mono, 5 s mono (a sweep, so that VBR
// frames vary) and 3 s stereo at 44,100 Hz, 3 s mono at 48,000 Hz, with SoX's dither off so
// that each run makes the same bytes; and the writer's own files of 7 s and of 61 s, which
// spans several of the reader's windows.
class ToolFiles : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder = new ScratchDirectory();
    Make("sox -R -D -n -r 44100 -c 1 -b 16 tone3.wav synth 3 sine 440 vol 0.5");
    Make("sox -R -D -n -r 44100 -c 1 -b 16 tone5.wav synth 5 sine 300-900 vol 0.5");
    Make("sox -R -D -n -r 44100 -c 2 -b 16 tone3s.wav synth 3 sine 440 sine 660 vol 0.5");
    Make("sox -R -D -n -r 48000 -c 1 -b 16 tone48.wav synth 3 sine 440 vol 0.5");
    ASSERT_NE(CreateBlankMP3(7, folder->Own().c_str(), "own7"), -1);
    ASSERT_NE(CreateBlankMP3(61, folder->Own().c_str(), "own61"), -1);
  }
  static void TearDownTestSuite() { delete folder; }
  static void Make(const std::string& command) {
    ASSERT_EQ(RunCommand("cd " + folder->path + " && " + command + " 2>&1").status, 0) << command;
  }
  static std::string Path(const std::string& name) { return folder->path + "/" + name; }
  static ScratchDirectory* folder;
};
ScratchDirectory* ToolFiles::folder = nullptr;

// MP3 captions: the decoded bytes counted by the loader's own decode-size routine
// (C_MP3_GetUnpackedSize of the game's mp3code), built in a harness apart from this project
// and run on these very files (LAME 3.100, SoX 14.4.2 with twolame), as 16-bit samples,
// plus the frame the game adds to a voice file it keeps as MP3, in whole milliseconds: the
// three figures the game is known to show (3.082 s, 5.067 s, 6.974 s) come out so. The
// writer's files end in a Xing frame's worth of delay and padding and an ID3v1 tag.
TEST_F(ToolFiles, TellsWhatTheGameDoesWithEachFile) {
  const struct { const char* name; const char* make; const char* after; } rows[] = {
      {"cbr_mono.mp3", "lame --quiet -b 128 tone3.wav cbr_mono.mp3",
       "plays it, caption 3.082 s (MPEG-1 Layer III, 44,100 Hz, mono, CBR)"},
      {"vbr_mono.mp3", "lame --quiet -V 2 tone5.wav vbr_mono.mp3",
       "plays it, caption 5.067 s (MPEG-1 Layer III, 44,100 Hz, mono, VBR)"},
      {"vbr_stereo.mp3", "lame --quiet -V 4 tone3s.wav vbr_stereo.mp3",
       "plays it, caption 3.082 s (MPEG-1 Layer III, 44,100 Hz, stereo, VBR)"},
      {"own7.mp3", ":", "plays it, caption 6.974 s (MPEG-1 Layer III, 44,100 Hz, mono, VBR)"},
      {"own61.mp3", ":", "plays it, caption 60.995 s (MPEG-1 Layer III, 44,100 Hz, mono, VBR)"},
      {"r48000.mp3", "lame --quiet -b 64 tone48.wav r48000.mp3",
       "refuses it: sampled at 48,000 Hz; the game takes only 44,100 Hz"},
      // LAME writes the title in UTF-16, whose byte order mark FF FE the loader takes for
      // a Layer I header at 48,000 Hz.
      {"id3v2.mp3", "lame --quiet -b 128 --id3v2-only --tt Guard tone3.wav id3v2.mp3",
       "refuses it: it starts with an ID3v2 tag, which the game reads as sound; the tag must "
       "go (an ID3v1 tag at the end is fine)"},
      {"layer2.mp3", "sox -R tone3.wav -t mp2 -C 128 layer2.mp3",
       "plays it, caption 3.030 s (MPEG-1 Layer II, 44,100 Hz, mono, CBR)"},
      {"renamed.mp3", "cp tone3.wav renamed.mp3",
       "does not play it: a WAV file under an .mp3 name, which the game decodes as MP3; name "
       "it .wav"},
      {"stereo.wav", "cp tone3s.wav stereo.wav",
       "refuses it: 2 channels; the game takes only mono WAV files"},
      {"float.wav", "sox -R -n -r 44100 -e floating-point -b 32 float.wav synth 1 sine 440",
       "does not play it: its samples are floating point (format 3), not plain PCM; the game "
       "keeps none of them"},
      {"w24.wav", "sox -R -D -n -r 44100 -b 24 -t wavpcm w24.wav synth 1 sine 440",
       "does not play it: 24-bit samples; the game reads only 8 and 16 bits"},
      {"wcut.wav", "head -c 10000 tone3.wav > wcut.wav",
       "does not play it: cut short: its samples run past the end of the file"},
      {"mp3.wav", "cp own7.mp3 mp3.wav", "refuses it: not a WAV file"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Make(row.make);
    const VoiceCheck check = CheckVoiceFile(Path(row.name));
    EXPECT_EQ(DescribeVoiceCheck(row.name, check),
              std::string(row.name) + ": Jedi Outcast " + row.after);
    // The file read through its window says what the whole file in memory says.
    const Bytes bytes = ReadWholeFile(Path(row.name));
    const VoiceCheck inMemory = std::string(row.name).find(".wav") != std::string::npos
                                    ? CheckWavBytes(bytes.data(), bytes.size())
                                    : CheckMp3Bytes(bytes.data(), bytes.size());
    EXPECT_EQ(DescribeVoiceCheck(row.name, inMemory), DescribeVoiceCheck(row.name, check));
  }
}

// Found missing or no file before the name is judged. A folder that cannot be listed is told
// with the system's reason (the folder walk's order is the --check script's).
TEST_F(ToolFiles, TellsAFileOrFolderItCannotReadOrDoesNotJudge) {
  Make("mkdir folder.mp3 && touch notes.txt");
  const VoiceFolder missing = ListVoiceFiles(Path("gone"));
  ASSERT_EQ(missing.failures.size(), 1u);
  EXPECT_EQ(missing.failures[0].reason, "No such file or directory");
  EXPECT_EQ(CheckVoiceFile(Path("gone")).verdict, VoiceVerdict::Unreadable) << "a mistyped folder";
  EXPECT_EQ(CheckVoiceFile(Path("folder.mp3")).verdict, VoiceVerdict::Unreadable);
  EXPECT_EQ(DescribeVoiceCheck("notes.txt", CheckVoiceFile(Path("notes.txt"))),
            "notes.txt: not judged: the game loads voice files named .mp3 or .wav");
}

}  // namespace
