// The silent MP3 writer: builds the path, drives the encoder, writes, heads and tags the file.
#include "generator/hushmaker.h"

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <cinttypes>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "generator/id3v1_tag.h"
#include "platform/platform.h"
#include "resources/version_info.h"
#include "support/message_box.h"
#include "support/path_helpers.h"
#include "support/process_log.h"

namespace {

constexpr const char* HM_SOURCE = "hushmaker";
constexpr const char* HM_DEFAULT_DIRECTORY = ".\\";
constexpr const char* HM_DEFAULT_NAME = "blankfile";
constexpr const char* HM_MP3_EXTENSION = ".mp3";
constexpr size_t HM_YEAR_SIZE = 16;
constexpr int HM_GENRE_SPEECH = 101;
constexpr const char* HM_TAG_TITLE = ">>> Empty file <<<";
constexpr const char* HM_TAG_COMMENT = "Made by Hushmaker";
constexpr BE_ERR HM_INJECTED_ENCODER_RESULT = BE_ERR_INVALID_FORMAT_PARAMETERS;
constexpr const char* HM_TEXT_TARGET_KEPT = "\n>>> The target MP3 file was not changed";
constexpr const char* HM_TEXT_TARGET_TORN = "\n>>> The target MP3 file may be incomplete";
constexpr int64_t HM_BYTES_PER_MIB = 1024 * 1024;

constexpr int HM_BYTES_PER_SAMPLE_SLOT = 4;  // the sample buffer holds 4 bytes per sample
constexpr int HM_OUTPUT_DIVISOR = 5;         // the output buffer holds N / 5 bytes

// The line numbers that the failure reports' captions must show, one per report.
constexpr int HM_LINE_LENGTH = 119;
constexpr int HM_LINE_REFUSED_NAME = 124;
constexpr int HM_LINE_PATH_TOO_LONG = 131;
constexpr int HM_LINE_NO_SAMPLE_MEMORY = 157;
constexpr int HM_LINE_NO_OUTPUT_MEMORY = 185;
constexpr int HM_LINE_OPEN = 215;
constexpr int HM_LINE_INIT_STREAM = 252;
constexpr int HM_LINE_ENCODE = 293;
constexpr int HM_LINE_FLUSH_AFTER_WRITE = 308;
constexpr int HM_LINE_WRITE_ENCODED = 335;
constexpr int HM_LINE_FLUSH = 368;
constexpr int HM_LINE_WRITE_REMAINING = 404;
constexpr int HM_LINE_TAG = 411;
constexpr int HM_LINE_CLOSE = 417;
constexpr int HM_LINE_XING = 437;
constexpr int HM_LINE_MOVE = 466;

BE_CONFIG encoder_config;
WriterStepCheck step_check;

// Asks the test seam whether step is to fail; errno then holds the system's reason.
bool IsMadeToFail(WriterStep step) {
  if (!step_check || !step_check(step)) return false;
  errno = EIO;
  return true;
}

// What one run holds. Release() gives it all back; it is safe to call more than once.
struct Run {
  int startTime = 0;
  BE_ERR encoderResult = BE_ERR_SUCCESSFUL;  // of the last encoder call
  CID3v1Tag* tag = nullptr;
  char* year = nullptr;
  int16_t* samples = nullptr;  // zeroed by the system, never by a loop
  uint8_t* output = nullptr;
  size_t outputSize = 0;  // N / 5 bytes
  HBE_STREAM stream = nullptr;
  FILE* file = nullptr;
  std::string target;                  // native
  Replacement* replacement = nullptr;  // the file written to take the target's place

  // After an encoder step has failed: close the stream and the file, release the rest
  // and take away what was written.
  void Abandon() {
    beCloseStream(stream);
    stream = nullptr;
    DiscardWrittenFile();
    Release();
  }

  // Closes the file if it is open and removes it; the target stays as it was.
  void DiscardWrittenFile() {
    if (file) std::fclose(file);
    file = nullptr;
    AbandonReplacement(replacement);
    replacement = nullptr;
  }

  void Release() {
    delete tag;
    tag = nullptr;
    delete[] year;
    year = nullptr;
    std::free(samples);
    samples = nullptr;
    delete[] output;
    output = nullptr;
  }
};

int FinishRun(Run* run) {
  run->Release();
  const int endTime = GetTimeNow();
  // A clock set back during the run must not make a written file look like a failure.
  return std::max(0, endTime - run->startTime);
}

// A failure while no encoder stream is open: gives back what the run holds, removes what
// was written, then reports; the caller returns -1.
template <typename... Arguments>
void Fail(Run* run, int line, const char* format, Arguments... arguments) {
  run->Release();
  run->DiscardWrittenFile();
  ShowMessageBox(BOX_WARNING, HM_SOURCE, line, format, arguments...);
}

// A failure while the stream may be open: closes it first, then as Fail.
template <typename... Arguments>
void FailWithOpenStream(Run* run, int line, const char* format, Arguments... arguments) {
  run->Abandon();
  ShowMessageBox(BOX_WARNING, HM_SOURCE, line, format, arguments...);
}

void ReportEncoderFailure(Run* run, int line, const char* format) {
  FailWithOpenStream(run, line, format, static_cast<unsigned long>(run->encoderResult));
}

// A failed write to the file being written: the target, the reason that errno holds, and
// that the target is still as it was (only the finished file ever goes over it).
void ReportWriteFailure(Run* run, int line, const char* format) {
  const std::string reason = std::strerror(errno);
  FailWithOpenStream(run, line, format, run->target.c_str(), reason.c_str(),
                     HM_TEXT_TARGET_KEPT);
}

// Whole mebibytes, rounded up, so that a failed request never reads as 0.
int64_t ToMebibytes(int64_t bytes) { return (bytes + HM_BYTES_PER_MIB - 1) / HM_BYTES_PER_MIB; }

// The sample buffer comes zeroed from the system and is never touched by a clearing
// loop, so eight hours of silence do not cost five gigabytes.
bool AllocateBuffers(Run* run, int64_t samples) {
  if (samples >= 0 && samples <= INT32_MAX) {
    run->samples = static_cast<int16_t*>(
        std::calloc(static_cast<size_t>(samples), HM_BYTES_PER_SAMPLE_SLOT));
  }
  if (!run->samples) {
    Fail(run, HM_LINE_NO_SAMPLE_MEMORY,
         "CreateBlankMP3(): memory allocation failure\n>>> Operator new failed to allocate "
         "%" PRId64 " MiB of memory to store WAV data",
         ToMebibytes(samples * HM_BYTES_PER_SAMPLE_SLOT));
    return false;
  }
  run->outputSize = static_cast<size_t>(samples / HM_OUTPUT_DIVISOR);
  run->output = new (std::nothrow) uint8_t[run->outputSize];
  if (!run->output) {
    Fail(run, HM_LINE_NO_OUTPUT_MEMORY,
         "CreateBlankMP3(): memory allocation failure\n>>> Operator new failed to allocate "
         "%" PRId64 " MiB of memory to store MP3 data",
         ToMebibytes(static_cast<int64_t>(run->outputSize)));
    return false;
  }
  WriteLog("Blank WAV data initialized\n");
  return true;
}

bool WriteOutput(Run* run, uint32_t count, WriterStep step) {
  return !IsMadeToFail(step) && std::fwrite(run->output, 1, count, run->file) == count;
}

// Encodes all samples in one call, then the flush, writing both into the file.
bool EncodeIntoFile(Run* run, uint32_t samples) {
  uint32_t chunkSamples = 0;
  uint32_t chunkOutputSize = 0;
  run->encoderResult =
      IsMadeToFail(WriterStep::InitStream)
          ? HM_INJECTED_ENCODER_RESULT
          : beInitStream(&encoder_config, &chunkSamples, &chunkOutputSize, &run->stream);
  if (run->encoderResult != BE_ERR_SUCCESSFUL) {
    ReportEncoderFailure(run, HM_LINE_INIT_STREAM,
                         "CreateBlankMP3(): beInitStream() failure\n>>> Unable to open the "
                         "encoding stream>>> Error code: %lu");
    return false;
  }
  SetStreamOutputLimit(run->stream, static_cast<uint32_t>(run->outputSize));
  // The samples are zero because the buffer came zeroed and was never written. The stream
  // is told so rather than left to find out: reading them would touch every page of the
  // buffer (2.5 GB for eight hours) and take longer than writing the file.
  SetStreamInputSilent(run->stream);

  uint32_t outputCount = 0;
  run->encoderResult =
      IsMadeToFail(WriterStep::EncodeChunk)
          ? HM_INJECTED_ENCODER_RESULT
          : beEncodeChunk(run->stream, samples, run->samples, run->output, &outputCount);
  if (run->encoderResult != BE_ERR_SUCCESSFUL) {
    ReportEncoderFailure(run, HM_LINE_ENCODE,
                         "CreateBlankMP3(): beEncodeChunk() failure\n>>> Unable to encode the "
                         "WAV frames>>> Error code: %lu");
    return false;
  }
  WriteLog("Amount of encoded data written: %d bytes\n", static_cast<int>(outputCount));
  if (!WriteOutput(run, outputCount, WriterStep::WriteEncoded)) {
    const int writeError = errno;
    // The encoder is flushed all the same; a failing flush gets its own box first.
    run->encoderResult = beDeinitStream(run->stream, run->output, &outputCount);
    if (run->encoderResult != BE_ERR_SUCCESSFUL) {
      ShowMessageBox(BOX_WARNING, HM_SOURCE, HM_LINE_FLUSH_AFTER_WRITE,
                     "CreateBlankMP3(): beDeinitStream() failure\n>>> Unable to flush the "
                     "encoder>>> Error code: %lu",
                     static_cast<unsigned long>(run->encoderResult));
    }
    errno = writeError;
    ReportWriteFailure(run, HM_LINE_WRITE_ENCODED,
                       "CreateBlankMP3(): fwrite() failure\n>>> Cannot write encoded WAV data "
                       "to target MP3 file\n>>> %s: %s%s");
    return false;
  }

  run->encoderResult = IsMadeToFail(WriterStep::DeinitStream)
                            ? HM_INJECTED_ENCODER_RESULT
                            : beDeinitStream(run->stream, run->output, &outputCount);
  if (run->encoderResult != BE_ERR_SUCCESSFUL) {
    ReportEncoderFailure(run, HM_LINE_FLUSH,
                         "CreateBlankMP3(): beDeinitStream() failure\n>>> Unable to flush the "
                         "encoder>>> Error code: %lu");
    return false;
  }
  if (outputCount != 0) {
    WriteLog("Remaining MP3 data to write: %d bytes\n", static_cast<int>(outputCount));
  }
  // The audio is flushed at once, so that a failure to store it is told as such.
  if (!WriteOutput(run, outputCount, WriterStep::WriteRemaining) || std::fflush(run->file) != 0) {
    ReportWriteFailure(run, HM_LINE_WRITE_REMAINING,
                       "CreateBlankMP3(): fwrite() failure\n>>> Cannot write remaining MP3 data "
                       "to target MP3 file\n>>> %s: %s%s");
    return false;
  }
  beCloseStream(run->stream);
  run->stream = nullptr;
  return true;
}

// The tag goes on through the file's own handle, then the file is closed.
bool TagAndClose(Run* run) {
  std::snprintf(run->year, HM_YEAR_SIZE, "%d", GetLocalDateTime().year);
  const CID3v1Tag::Fields fields = {HM_TAG_TITLE, VERSION_CONTACT_ADDRESS, nullptr, run->year,
                                    HM_TAG_COMMENT, 0, HM_GENRE_SPEECH};
  if (IsMadeToFail(WriterStep::WriteTag) || !CID3v1Tag::AppendTag(run->file, fields)) {
    ReportWriteFailure(run, HM_LINE_TAG,
                       "CreateBlankMP3(): AppendTag() failure\n>>> Cannot write the ID3v1 tag "
                       "to target MP3 file\n>>> %s: %s%s");
    return false;
  }
  const bool madeToFail = IsMadeToFail(WriterStep::CloseFile);
  const bool closed = std::fclose(run->file) == 0 && !madeToFail;
  if (madeToFail) errno = EIO;
  run->file = nullptr;
  if (!closed) {
    ReportWriteFailure(run, HM_LINE_CLOSE,
                       "CreateBlankMP3(): fclose() failure\n>>> Cannot write remaining MP3 "
                       "data to target MP3 file\n>>> %s: %s%s");
    return false;
  }
  return true;
}

// The Xing frame fills the frame kept at the start of the audio. A failure names the
// file when the system gave a reason.
bool WriteXingFrame(Run* run) {
  if (!encoder_config.bWriteVBRHeader) return true;
  errno = 0;
  const BE_ERR result = IsMadeToFail(WriterStep::WriteXingFrame)
                            ? HM_INJECTED_ENCODER_RESULT
                            : beWriteVBRHeader(GetReplacementPath(run->replacement));
  if (result != BE_ERR_SUCCESSFUL) {
    const std::string reason = errno != 0 ? std::strerror(errno) : "";
    if (!reason.empty()) {
      Fail(run, HM_LINE_XING,
           "CreateBlankMP3(): beWriteVBRHeader() failure\n>>> Unable to write the Xing frame "
           "into the MP3 file>>> Error code: %lu\n>>> %s: %s%s",
           static_cast<unsigned long>(result), run->target.c_str(), reason.c_str(),
           HM_TEXT_TARGET_KEPT);
    } else {
      Fail(run, HM_LINE_XING,
           "CreateBlankMP3(): beWriteVBRHeader() failure\n>>> Unable to write the Xing frame "
           "into the MP3 file>>> Error code: %lu",
           static_cast<unsigned long>(result));
    }
    return false;
  }
  WriteLog("I have added in front of it a Xing header\n");
  return true;
}

void LogWhereTheFileWent(const std::string& target) {
  const char* fileDirectory = GetDirectory(target.c_str());
  if (std::strcmp(fileDirectory, ".") == 0) {
    WriteLog("File \"%s\" created in current directory\n", GetFileName(target.c_str()));
  } else {
    const std::string nativeDirectory = NativePath(fileDirectory);
    WriteLog("File \"%s\" created in \"%s\"\n", GetFileName(target.c_str()),
             nativeDirectory.c_str());
  }
}

std::vector<std::string> SplitAtBackslashes(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t end = path.find('\\', start);
    parts.push_back(path.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

bool IsOnlyDots(const std::string& part) {
  return !part.empty() && part.find_first_not_of('.') == std::string::npos;
}

// Why the name can be no file's name, or an empty text.
std::string FindRefusal(const std::string& name) {
  if (HasControlCharacter(name.c_str())) {
    return "the file name holds a control character (a line break or a tab, for instance); "
           "type the name without it";
  }
  if (name[0] == '\\') {
    return "the name starts with a separator, as a full path does; a name is relative to the "
           "target folder, which is given apart";
  }
  if (name.back() == '\\') return "the name ends in a separator, so it names a folder, not a file";
  const std::vector<std::string> parts = SplitAtBackslashes(name);
  if (IsOnlyDots(parts.back())) return "the name's last part is only dots, which names no file";
  for (const std::string& part : parts) {
    switch (CheckSystemName(part)) {
      case NameClash::Allowed:
        break;
      case NameClash::DriveOrStream:
        return "the name holds ':', which names a drive or a stream here, not a file; a name "
               "is relative to the target folder and cannot hold ':'";
      case NameClash::ReservedCharacter:
        return "the name holds one of < > \" | ? *, which this system does not allow in names";
      case NameClash::DeviceName:
        return "\"" + part + "\" is a device name that this system reserves (CON, PRN, AUX, "
               "NUL, COM1 to COM9 and LPT1 to LPT9, with any extension); choose another name";
    }
  }
  return "";
}

// Why the file's path is too long, or an empty text.
std::string FindExcessLength(const std::string& target) {
  for (const std::string& part : SplitAtBackslashes(target)) {
    if (part.size() > SILENCE_NAME_MAX) {
      return "a file or folder name in the path is longer than " +
             std::to_string(SILENCE_NAME_MAX) + " characters";
    }
  }
  if (target.size() >= IO_PATH_BUFFER_SIZE) {
    return "the target directory and file name are longer than " +
           std::to_string(IO_PATH_BUFFER_SIZE - 1) + " characters";
  }
  std::string fullPath;
  size_t limit = 0;
  if (!FitsSystemPathLimit(NativePath(target.c_str()).c_str(), &fullPath, &limit)) {
    return "the file's full path, or that of the temporary file written beside it, is "
           "longer than the " + std::to_string(limit) + " characters this system takes: " +
           fullPath;
  }
  return "";
}

}  // namespace

NameVerdict CheckFileName(const char* directory, const char* fileName, std::string* problem) {
  if (fileName && fileName[0]) *problem = FindRefusal(fileName);
  if (!problem->empty()) return NameVerdict::Refused;
  *problem = FindExcessLength(ComposeTargetPath(directory, fileName));
  return problem->empty() ? NameVerdict::Writable : NameVerdict::TooLong;
}

std::string GetTargetFileKey(const char* directory, const char* fileName) {
  const std::string target = ComposeTargetPath(directory, fileName);
  const bool fromRoot = target[0] == '\\';
  std::vector<std::string> kept;
  for (const std::string& part : SplitAtBackslashes(target)) {
    if (part.empty() || part == ".") continue;
    if (part == ".." && !kept.empty() && kept.back() != "..") {
      kept.pop_back();
    } else if (part != ".." || !fromRoot || !kept.empty()) {
      kept.push_back(part);  // above the root is the root
    }
  }
  std::string resolved = fromRoot ? "\\" : "";
  for (size_t i = 0; i < kept.size(); ++i) resolved += (i ? "\\" : "") + kept[i];
  return FileNameKey(NativePath(resolved.c_str()));
}

bool HasControlCharacter(const char* fileName) {
  for (const char* c = fileName; c && *c; ++c) {
    const unsigned char byte = static_cast<unsigned char>(*c);
    if (byte < 0x20 || byte == 0x7F) return true;
  }
  return false;
}

std::string MakeMP3FileName(const char* fileName) {
  std::string name = fileName ? fileName : "";
  StripExtensionInPlace(&name[0]);
  name.resize(std::strlen(name.c_str()));
  return name + HM_MP3_EXTENSION;
}

std::string ComposeTargetPath(const char* directory, const char* fileName) {
  return std::string(directory ? directory : HM_DEFAULT_DIRECTORY) +
         MakeMP3FileName(fileName ? fileName : HM_DEFAULT_NAME);
}

void InitEncoderConfig() {
  std::memset(&encoder_config, 0, sizeof(encoder_config));
  encoder_config.dwConfig = BE_CONFIG_LAME;
  encoder_config.dwStructVersion = 1;
  encoder_config.dwStructSize = BE_CONFIG_SIZE;
  encoder_config.dwSampleRate = 44100;
  encoder_config.dwReSampleRate = 0;
  encoder_config.nMode = BE_MP3_MODE_MONO;
  encoder_config.dwBitrate = 32;
  encoder_config.dwMaxBitrate = 128;
  encoder_config.dwMpegVersion = MPEG1;
  encoder_config.bPrivate = 0;
  encoder_config.bCRC = 0;
  encoder_config.bCopyright = 1;
  encoder_config.bOriginal = 1;
  encoder_config.bWriteVBRHeader = 1;
  encoder_config.bEnableVBR = 1;
  encoder_config.nVBRQuality = 9;
}

const BE_CONFIG& GetEncoderConfig() { return encoder_config; }

int CreateBlankMP3(int seconds, const char* directory, const char* fileName) {
  Run run;
  run.tag = new CID3v1Tag;
  run.year = new char[HM_YEAR_SIZE];
  run.startTime = GetTimeNow();

  if (seconds < 1 || seconds > SILENCE_MAX_SECONDS) {
    Fail(&run, HM_LINE_LENGTH,
         "CreateBlankMP3(): length failure\n>>> The length must be 1 to %d seconds, not %d",
         SILENCE_MAX_SECONDS, seconds);
    return -1;
  }

  std::string problem;
  const NameVerdict verdict = CheckFileName(directory, fileName, &problem);
  if (verdict != NameVerdict::Writable) {
    problem[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(problem[0])));
    if (verdict == NameVerdict::Refused) {
      Fail(&run, HM_LINE_REFUSED_NAME, "CreateBlankMP3(): file name failure\n>>> %s",
           problem.c_str());
    } else {
      Fail(&run, HM_LINE_PATH_TOO_LONG, "CreateBlankMP3(): path length failure\n>>> %s",
           problem.c_str());
    }
    return -1;
  }
  const std::string target = ComposeTargetPath(directory, fileName);
  run.target = NativePath(target.c_str());
  const std::string& nativeTarget = run.target;

  WriteLog("I am gonna create a %d second long MP3 file\n", seconds);
  InitEncoderConfig();
  const int64_t samples = int64_t{seconds} * encoder_config.dwSampleRate;
  if (!AllocateBuffers(&run, samples)) return -1;

  FileFailure failure;
  run.replacement = BeginReplacement(nativeTarget.c_str(), &run.file, &failure);
  if (!run.replacement) {
    Fail(&run, HM_LINE_OPEN,
         "CreateBlankMP3(): fopen() failure\n>>> Cannot open target MP3 file for writing "
         "encoded WAV data\n>>> %s: %s",
         failure.path.c_str(), failure.reason.c_str());
    return -1;
  }
  if (!EncodeIntoFile(&run, static_cast<uint32_t>(samples)) || !TagAndClose(&run)) return -1;
  LogWhereTheFileWent(target);
  if (!WriteXingFrame(&run)) return -1;

  bool replaced = false;
  if (IsMadeToFail(WriterStep::ReplaceTarget)) {
    failure = {nativeTarget, std::strerror(errno)};
  } else {
    replaced = FinishReplacement(run.replacement, &failure);
    run.replacement = nullptr;  // ended either way
  }
  if (!replaced) {
    Fail(&run, HM_LINE_MOVE,
         "CreateBlankMP3(): rename() failure\n>>> Cannot put the finished MP3 file in place "
         "of the target MP3 file\n>>> %s: %s%s",
         failure.path.c_str(), failure.reason.c_str(),
         failure.targetKept ? HM_TEXT_TARGET_KEPT : HM_TEXT_TARGET_TORN);
    return -1;
  }
  return FinishRun(&run);
}

WriterStepCheck ReplaceWriterStepCheck(WriterStepCheck check) {
  WriterStepCheck previous = std::move(step_check);
  step_check = std::move(check);
  return previous;
}
