// Voice files from disk and folders, and the line that tells a map maker what the game
// does with each.
#include "checker/voice_check.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "checker/loader_rules.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* CHECK_GAME = "Jedi Outcast";
constexpr int CHECK_GAME_SAMPLE_RATE = 44100;

std::string LowerExtension(const std::string& path) {
  std::string extension = fs::u8path(path).extension().u8string();
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return extension;
}

VoiceCheck Unreadable(const std::string& reason) {
  VoiceCheck check;
  check.verdict = VoiceVerdict::Unreadable;
  check.problem = VoiceProblem::ReadFailed;
  check.reason = reason;
  return check;
}

// 24347 as "24,347".
std::string WithThousands(uint64_t value) {
  std::string digits = std::to_string(value);
  for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

// Whole milliseconds as seconds with three decimals: "6.974 s".
std::string Seconds(uint64_t milliseconds) {
  std::string thousandths = std::to_string(milliseconds % 1000);
  thousandths.insert(0, 3 - thousandths.size(), '0');
  return WithThousands(milliseconds / 1000) + "." + thousandths + " s";
}

std::string Hertz(int rate) { return WithThousands(static_cast<uint64_t>(rate)) + " Hz"; }

std::string DescribeMpeg(const VoiceCheck& check) {
  static const char* const versions[] = {"MPEG-1", "MPEG-2", "MPEG-2.5"};
  static const char* const layers[] = {"", "Layer I", "Layer II", "Layer III"};
  return std::string(versions[static_cast<int>(check.version)]) + " " +
         layers[check.layer < 0 || check.layer > 3 ? 0 : check.layer] + ", " +
         Hertz(check.sampleRate) + ", " + (check.channels == 1 ? "mono" : "stereo") + ", " +
         (check.vbr ? "VBR" : "CBR");
}

std::string DescribeWav(const VoiceCheck& check) {
  return "WAV, " + std::to_string(check.wavBits) + "-bit PCM, " + Hertz(check.sampleRate) +
         ", mono";
}

std::string WavFormatName(int format) {
  switch (format) {
    case 3:
      return "floating point (format 3)";
    case 0xFFFE:
      return "extensible (format 65534)";
    default:
      return "format " + std::to_string(format);
  }
}

std::string Because(const VoiceCheck& check) {
  switch (check.problem) {
    case VoiceProblem::Empty:
      return "the file is empty";
    case VoiceProblem::NotMpeg:
      return "not an MP3 file";
    case VoiceProblem::WavNamedMp3:
      return "a WAV file under an .mp3 name, which the game decodes as MP3; name it .wav";
    case VoiceProblem::Id3v2AtStart:
      return "it starts with an ID3v2 tag, which the game reads as sound; the tag must go "
             "(an ID3v1 tag at the end is fine)";
    case VoiceProblem::Id3v2CutShort:
      return "cut short inside the ID3v2 tag it starts with, it holds no sound";
    case VoiceProblem::SampleRate:
      return (check.sampleRate > 1 ? "sampled at " + Hertz(check.sampleRate)
                                   : std::string("no valid sample rate")) +
             "; the game takes only " + Hertz(CHECK_GAME_SAMPLE_RATE);
    case VoiceProblem::BitRateForMode:
      return "Layer II at " + std::to_string(check.bitRate) + " kbit/s is not allowed in " +
             (check.channels == 1 ? "mono" : "stereo") + ", and the game's decoder stops there";
    case VoiceProblem::DividesByZero:
      return "the bytes it takes for the first frame's header give no valid sample rate, and "
             "its decoder divides by zero";
    case VoiceProblem::NoWholeFrame:
      return "cut short before its first whole frame, it holds no sound the game counts";
    case VoiceProblem::TooLong:
      // The game sets aside what the header claims, whatever the file holds.
      return (check.cutShort ? "cut short, but its header claims " : "") +
             Seconds(check.samples * 1000 / static_cast<uint64_t>(check.sampleRate)) +
             (check.cutShort ? "" : " long") + ", over the " +
             WithThousands(check.longestSeconds) +
             " s the game takes: it stops with a fatal memory error";
    case VoiceProblem::NotWav:
      return "not a WAV file";
    case VoiceProblem::WavNotMono:
      return std::to_string(check.channels) + " channels; the game takes only mono WAV files";
    case VoiceProblem::WavNotPcm:
      return "its samples are " + WavFormatName(check.wavFormat) +
             ", not plain PCM; the game keeps none of them";
    case VoiceProblem::WavNoSamples:
      return "it holds no samples";
    case VoiceProblem::WavSampleWidth:
      return std::to_string(check.wavBits) + "-bit samples; the game reads only 8 and 16 bits" +
             (check.verdict == VoiceVerdict::Quits ? " and crashes on fewer than 8" : "");
    case VoiceProblem::WavCutShort:
      return "cut short: the game reads its samples on past the end of the file, and may "
             "crash or play noise";
    case VoiceProblem::WavWrapsRound:
      return "too long for the game's resampler, it plays the first " +
             WithThousands(check.longestSeconds) + " s and then starts over";
    case VoiceProblem::WavNoSampleRate:
      return "its sample rate is " + std::to_string(check.sampleRate);
    case VoiceProblem::NotVoiceName:
      return "the game loads voice files named .mp3 or .wav";
    case VoiceProblem::ReadFailed:
      return check.reason;
    case VoiceProblem::None:
      break;
  }
  return "";
}

// Lists one folder into `listing`, its subfolders in their place among the names.
void ListFolder(const fs::path& folder, VoiceFolder* listing) {
  std::error_code error;
  fs::directory_iterator entries(folder, error);
  if (error) {
    listing->failures.push_back({folder.u8string(), error.message()});
    return;
  }
  std::vector<fs::directory_entry> found;
  for (const fs::directory_iterator end; entries != end; entries.increment(error)) {
    found.push_back(*entries);
  }
  if (error) listing->failures.push_back({folder.u8string(), error.message()});
  std::sort(found.begin(), found.end(),
            [](const fs::directory_entry& a, const fs::directory_entry& b) {
              return a.path().filename().u8string() < b.path().filename().u8string();
            });
  for (const fs::directory_entry& entry : found) {
    std::error_code ignored;
    if (entry.is_directory(ignored) && !entry.is_symlink(ignored)) {
      ListFolder(entry.path(), listing);
    } else if (IsVoiceFileName(entry.path().u8string()) && entry.is_regular_file(ignored)) {
      listing->files.push_back(entry.path().u8string());
    }
  }
}

}  // namespace

VoiceCheck CheckVoiceStream(std::FILE* file, uint64_t size, VoiceFormat format) {
  ByteSource source(file, size);
  VoiceCheck check = format == VoiceFormat::Mp3 ? CheckMp3Source(source) : CheckWavSource(source);
  if (source.Failed()) return Unreadable(std::strerror(source.Error()));
  return check;
}

bool IsVoiceFileName(const std::string& path) {
  const std::string extension = LowerExtension(path);
  return extension == ".mp3" || extension == ".wav";
}

VoiceCheck CheckVoiceFile(const std::string& path) {
  std::error_code error;
  const uint64_t size = fs::file_size(fs::u8path(path), error);
  if (error) return Unreadable(error.message());
  if (!IsVoiceFileName(path)) {
    VoiceCheck check;
    check.verdict = VoiceVerdict::NotJudged;
    check.problem = VoiceProblem::NotVoiceName;
    return check;
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return Unreadable(std::strerror(errno));
  const VoiceFormat format = LowerExtension(path) == ".mp3" ? VoiceFormat::Mp3 : VoiceFormat::Wav;
  const VoiceCheck check = CheckVoiceStream(file, size, format);
  std::fclose(file);
  return check;
}

bool IsFolder(const std::string& path) {
  std::error_code ignored;
  return fs::is_directory(fs::u8path(path), ignored);
}

VoiceFolder ListVoiceFiles(const std::string& folder) {
  VoiceFolder listing;
  ListFolder(fs::u8path(folder), &listing);
  return listing;
}

VoiceCheckWords DescribeVoiceCheckWords(const VoiceCheck& check) {
  const std::string game = CHECK_GAME;
  switch (check.verdict) {
    case VoiceVerdict::Plays:
      return {game + " plays it", Seconds(check.captionMs),
              check.mpeg ? DescribeMpeg(check) : DescribeWav(check)};
    case VoiceVerdict::Refuses:
      return {game + " refuses it", "", Because(check)};
    case VoiceVerdict::Misplays:
      return {game + " does not play it", "", Because(check)};
    case VoiceVerdict::Quits:
      return {game + " quits on it", "", Because(check)};
    case VoiceVerdict::NotJudged:
      return {"not judged", "", Because(check)};
    case VoiceVerdict::Unreadable:
      break;
  }
  return {"cannot be read", "", Because(check)};
}

std::string DescribeVoiceCheck(const std::string& name, const VoiceCheck& check) {
  const VoiceCheckWords words = DescribeVoiceCheckWords(check);
  if (check.verdict == VoiceVerdict::Plays) {
    return name + ": " + words.verdict + ", caption " + words.caption + " (" + words.detail + ")";
  }
  return name + ": " + words.verdict + ": " + words.detail;
}
