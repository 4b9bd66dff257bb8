// Whether Jedi Outcast plays a voice file, and how long it keeps the line's caption up:
// the game's own sound loader's rules, followed by a reader of our own, for the files a
// map maker records, exports and drops into a level.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "encoder/mpeg_frame.h"

// What the game does with a file.
enum class VoiceVerdict {
  Plays,
  Refuses,     // the loader turns it down: the line has no sound and no caption time
  Misplays,    // the loader takes it but plays nothing of it, or noise
  Quits,       // the game stops while it loads the file
  NotJudged,   // a name the game does not load as a voice file
  Unreadable,  // the file could not be read
};

// Why the game does not play a file.
enum class VoiceProblem {
  None,
  Empty,
  NotMpeg,         // no MPEG audio where the loader looks for it
  WavNamedMp3,     // WAV bytes under an .mp3 name, which the MP3 loader decodes
  Id3v2AtStart,    // the loader reads the ID3v2 tag that starts the file as sound
  Id3v2CutShort,   // the file ends inside the ID3v2 tag it starts with
  SampleRate,      // not sampled at 44,100 Hz
  BitRateForMode,  // a Layer II bit rate that the frame's channel mode does not allow
  NoWholeFrame,    // cut short before the first frame the loader counts
  DividesByZero,   // the loader's first header has no sample rate its decoder can use
  TooLong,         // the decoded sound overflows the game's 32-bit byte count
  NotWav,          // no RIFF/WAVE header or no fmt chunk
  WavNotMono,
  WavNotPcm,        // a format other than plain PCM (1): the loader keeps no sample
  WavNoSamples,     // no data chunk, an empty one, or none left once resampled
  WavSampleWidth,   // not 8 or 16 bits: misread; under 8 bits the loader divides by zero
  WavCutShort,      // the loader reads its samples on past the end of the file
  WavWrapsRound,    // past 2^24 samples the loader's resampler starts over
  WavNoSampleRate,  // a rate the game cannot resample (0 or less, or far too low)
  NotVoiceName,
  ReadFailed,
};

// The loader's answer for one file, and what was found in it.
struct VoiceCheck {
  VoiceVerdict verdict = VoiceVerdict::Unreadable;
  VoiceProblem problem = VoiceProblem::ReadFailed;
  bool mpeg = false;  // MPEG audio; else a WAV file, when anything was found
  MpegVersion version = MpegVersion::Mpeg1;
  int layer = 0;
  int bitRate = 0;     // kbit/s of the loader's first frame
  bool vbr = false;    // the frames' bit rates vary, or a Xing tag says they may
  int sampleRate = 0;  // Hz, as the loader reads it
  int channels = 0;
  int wavFormat = 0;            // the fmt chunk's format code
  int wavBits = 0;              // bits per sample
  uint64_t loaderBytes = 0;     // MPEG: the bytes of 16-bit mono sound the loader counts
  uint64_t samples = 0;         // the samples the game counts; for TooLong, the file's
  uint32_t captionMs = 0;       // how long the caption stays up: whole milliseconds
  uint64_t longestSeconds = 0;  // TooLong: the most this kind of file may hold;
                                // WavWrapsRound: what the game plays before it starts over
  bool cutShort = false;        // WAV: the data chunk claims more than the file holds
  std::string reason;           // ReadFailed: the system's reason
};

// The MP3 loader's longest file: its decoded bytes, plus one frame it adds, must fit a
// signed 32-bit count.
constexpr uint64_t CHECK_MP3_LONGEST_SECONDS = 24347;

// The rules of the loader the game uses for a name that ends in .mp3, and for any other.
VoiceCheck CheckMp3Bytes(const uint8_t* data, size_t size);
VoiceCheck CheckWavBytes(const uint8_t* data, size_t size);

enum class VoiceFormat { Mp3, Wav };

// The same for an open file of `size` bytes, read from its start; it stays open.
VoiceCheck CheckVoiceStream(std::FILE* file, uint64_t size, VoiceFormat format);

// Whether a path names a file the game loads as a voice file: .mp3 or .wav, in any case.
bool IsVoiceFileName(const std::string& path);

// The file at a native path, by the rules its name picks: .mp3 files by the MP3
// loader's, .wav files by the WAV loader's; any other name is not judged. A path that is
// missing or no file is Unreadable, with the system's reason.
VoiceCheck CheckVoiceFile(const std::string& path);

// Whether a native path names a folder (a link to one included).
bool IsFolder(const std::string& path);

// The voice files in a folder and all its subfolders, in name order, each folder's
// entries mixed as their names sort (byte by byte); links to folders are not followed.
// A folder that cannot be read is told in `failures` and the rest is still listed.
struct VoiceFolder {
  struct Failure {
    std::string path;  // native
    std::string reason;
  };
  std::vector<std::string> files;  // native paths, each beginning with the folder's
  std::vector<Failure> failures;
};
VoiceFolder ListVoiceFiles(const std::string& folder);

// The parts of a file's report, each as the report line words it; a view that shows
// them in columns tells what the line tells.
struct VoiceCheckWords {
  std::string verdict;  // "Jedi Outcast plays it", "... refuses it", "not judged", ...
  std::string caption;  // "6.974 s" when the game plays the file, else empty
  std::string detail;   // what the file is when the game plays it, else why not
};
VoiceCheckWords DescribeVoiceCheckWords(const VoiceCheck& check);

// The report line for a file shown as `name`, without a line end, made of its words:
//   voice.mp3: Jedi Outcast plays it, caption 6.974 s (MPEG-1 Layer III, 44,100 Hz, mono, VBR)
//   line.mp3: Jedi Outcast refuses it: sampled at 22,050 Hz; the game takes only 44,100 Hz
std::string DescribeVoiceCheck(const std::string& name, const VoiceCheck& check);
