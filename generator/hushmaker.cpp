// The silent MP3 writer: builds the path, drives the encoder, writes, heads and tags the file.
#include "generator/hushmaker.h"

#include <cerrno>
#include <cinttypes>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "generator/id3v1_tag.h"
#include "platform/platform.h"
#include "resources/version_info.h"
#include "support/io_time.h"
#include "support/io_tools.h"

namespace {

constexpr const char* HM_SOURCE = "hushmaker";
constexpr const char* HM_DEFAULT_DIRECTORY = ".\\";
constexpr const char* HM_DEFAULT_NAME = "blankfile";
constexpr const char* HM_MP3_EXTENSION = ".mp3";
// The suffix of the file being written when the target gets no tag: the tag writer
// decides by the name it is given, and that must agree with the target's name.
constexpr const char* HM_UNTAGGED_SUFFIX = ".part";
constexpr size_t HM_NATIVE_PATH_SIZE = 4096;
constexpr size_t HM_YEAR_SIZE = 16;
constexpr int HM_GENRE_SPEECH = 101;
constexpr const char* HM_TAG_TITLE = ">>> Empty file <<<";
constexpr const char* HM_TAG_COMMENT = "Made by Hushmaker";

constexpr int HM_BYTES_PER_SAMPLE_SLOT = 4;  // the sample buffer holds 4 bytes per sample
constexpr int HM_OUTPUT_DIVISOR = 5;         // the output buffer holds N / 5 bytes

// Lines under which the failures are reported.
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
constexpr int HM_LINE_CLOSE = 417;
constexpr int HM_LINE_MOVE = 466;

BE_CONFIG encoder_config;
BE_ERR last_encoder_result = BE_ERR_SUCCESSFUL;
int run_start_time = 0;
int run_end_time = 0;

// What one run holds. Release() gives it all back; it is safe to call more than once.
struct Run {
  CID3v1Tag* tag = nullptr;
  char* year = nullptr;
  int16_t* samples = nullptr;  // zeroed by the system, never by a loop
  uint8_t* output = nullptr;
  size_t outputSize = 0;  // N / 5 bytes
  HBE_STREAM stream = nullptr;
  FILE* file = nullptr;
  std::string temporaryPath;  // native; removed unless it was moved onto the target

  // After an encoder step has failed: close the stream and the file, release the rest
  // and take away what was written.
  void Abandon() {
    beCloseStream(stream);
    stream = nullptr;
    if (file) std::fclose(file);
    file = nullptr;
    Release();
    DiscardTemporaryFile();
  }

  void DiscardTemporaryFile() {
    if (!temporaryPath.empty()) RemoveFile(temporaryPath.c_str());
    temporaryPath.clear();
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

// An existing target that this user could not overwrite in place is refused as such a
// file always was; the run does not replace it by renaming.
bool IsTargetWritable(const std::string& nativeTarget) {
  FILE* probe = std::fopen(nativeTarget.c_str(), "r+b");
  if (probe) {
    std::fclose(probe);
    return true;
  }
  return errno == ENOENT;
}

// Creates the file the run writes into, beside the target.
bool OpenTemporaryFile(const char* target, const std::string& nativeTarget, Run* run) {
  if (!IsTargetWritable(nativeTarget)) return false;
  const size_t length = std::strlen(target);
  const std::string suffix = CID3v1Tag::HasMP3Extension(target)
                                 ? std::string(target + length - 4)
                                 : std::string(HM_UNTAGGED_SUFFIX);
  char temporary[HM_NATIVE_PATH_SIZE];
  if (!CreateTemporaryFileBeside(nativeTarget.c_str(), suffix.c_str(), temporary,
                                 sizeof(temporary))) {
    return false;
  }
  run->temporaryPath = temporary;
  run->file = std::fopen(temporary, "wb+");
  if (!run->file) {
    run->DiscardTemporaryFile();
    return false;
  }
  return true;
}

int FinishRun(Run* run) {
  run->Release();
  run_end_time = GetTimeNow();
  return run_end_time - run_start_time;
}

// Gives back what the run holds (closing the stream and the file first when abandon is
// set) and then reports the failure; the caller returns -1.
template <typename... Arguments>
void Fail(Run* run, bool abandon, int line, const char* format, Arguments... arguments) {
  if (abandon) {
    run->Abandon();
  } else {
    run->Release();
    run->DiscardTemporaryFile();
  }
  ShowMessageBox(BOX_WARNING, HM_SOURCE, line, format, arguments...);
}

void ReportEncoderFailure(Run* run, int line, const char* format) {
  Fail(run, true, line, format, static_cast<unsigned long>(last_encoder_result));
}

// The sample buffer comes zeroed from the system and is never touched by a clearing
// loop, so eight hours of silence do not cost five gigabytes.
bool AllocateBuffers(Run* run, int64_t samples) {
  if (samples >= 0 && samples <= INT32_MAX) {
    run->samples = static_cast<int16_t*>(
        std::calloc(static_cast<size_t>(samples), HM_BYTES_PER_SAMPLE_SLOT));
  }
  if (!run->samples) {
    Fail(run, false, HM_LINE_NO_SAMPLE_MEMORY,
         "CreateBlankMP3(): memory allocation failure\n>>> Operator new failed to allocate "
         "%" PRId64 " of memory to store WAV data",
         samples);
    return false;
  }
  run->outputSize = static_cast<size_t>(samples / HM_OUTPUT_DIVISOR);
  run->output = new (std::nothrow) uint8_t[run->outputSize];
  if (!run->output) {
    Fail(run, false, HM_LINE_NO_OUTPUT_MEMORY,
         "CreateBlankMP3(): memory allocation failure\n>>> Operator new failed to allocate "
         "%" PRId64 " of memory to store MP3 data",
         samples);
    return false;
  }
  WriteLog("Blank WAV data initialized\n");
  return true;
}

// Encodes all samples in one call, then the flush, and closes the stream and the file.
bool EncodeIntoFile(Run* run, uint32_t samples) {
  uint32_t chunkSamples = 0;
  uint32_t chunkOutputSize = 0;
  last_encoder_result =
      beInitStream(&encoder_config, &chunkSamples, &chunkOutputSize, &run->stream);
  if (last_encoder_result != BE_ERR_SUCCESSFUL) {
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
  last_encoder_result =
      beEncodeChunk(run->stream, samples, run->samples, run->output, &outputCount);
  if (last_encoder_result != BE_ERR_SUCCESSFUL) {
    ReportEncoderFailure(run, HM_LINE_ENCODE,
                         "CreateBlankMP3(): beEncodeChunk() failure\n>>> Unable to encode the "
                         "WAV frames>>> Error code: %lu");
    return false;
  }
  WriteLog("Amount of encoded data written: %d bytes\n", static_cast<int>(outputCount));
  if (std::fwrite(run->output, 1, outputCount, run->file) != outputCount) {
    // The encoder is flushed all the same; a failing flush gets its own box first.
    last_encoder_result = beDeinitStream(run->stream, run->output, &outputCount);
    if (last_encoder_result != BE_ERR_SUCCESSFUL) {
      ShowMessageBox(BOX_WARNING, HM_SOURCE, HM_LINE_FLUSH_AFTER_WRITE,
                     "CreateBlankMP3(): beDeinitStream() failure\n>>> Unable to flush the "
                     "encoder>>> Error code: %lu",
                     static_cast<unsigned long>(last_encoder_result));
    }
    Fail(run, true, HM_LINE_WRITE_ENCODED,
         "CreateBlankMP3(): fwrite() failure\n>>> Cannot write encoded WAV data to target "
         "MP3 file");
    return false;
  }

  last_encoder_result = beDeinitStream(run->stream, run->output, &outputCount);
  if (last_encoder_result != BE_ERR_SUCCESSFUL) {
    ReportEncoderFailure(run, HM_LINE_FLUSH,
                         "CreateBlankMP3(): beDeinitStream() failure\n>>> Unable to flush the "
                         "encoder>>> Error code: %lu");
    return false;
  }
  if (outputCount != 0) {
    WriteLog("Remaining MP3 data to write: %d bytes\n", static_cast<int>(outputCount));
    if (std::fwrite(run->output, 1, outputCount, run->file) != outputCount) {
      Fail(run, true, HM_LINE_WRITE_REMAINING,
           "CreateBlankMP3(): fwrite() failure\n>>> Cannot write remaining MP3 data to "
           "target MP3 file");
      return false;
    }
  }

  beCloseStream(run->stream);
  run->stream = nullptr;
  // Data still buffered reaches the disk only here, so a full disk can show up now.
  const bool closed = std::fclose(run->file) == 0;
  run->file = nullptr;
  if (!closed) {
    Fail(run, true, HM_LINE_CLOSE,
         "CreateBlankMP3(): fclose() failure\n>>> Cannot write remaining MP3 data to target "
         "MP3 file");
    return false;
  }
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

// The Xing frame fills the frame kept at the start of the audio; the tag comes last.
void HeadAndTag(Run* run) {
  const char* written = run->temporaryPath.c_str();
  if (encoder_config.bWriteVBRHeader) {
    beWriteVBRHeader(written);
    WriteLog("I have added in front of it a Xing header\n");
  }
  std::snprintf(run->year, HM_YEAR_SIZE, "%d", GetLocalDateTime().year);
  run->tag->WriteEmptyTag(written);
  run->tag->SetTitle(written, HM_TAG_TITLE);
  run->tag->SetArtist(written, VERSION_CONTACT_ADDRESS);
  run->tag->SetYear(written, run->year);
  run->tag->SetGenre(written, HM_GENRE_SPEECH);
  run->tag->SetComment(written, HM_TAG_COMMENT);
}

}  // namespace

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
  run_start_time = GetTimeNow();

  const std::string target = ComposeTargetPath(directory, fileName);
  if (target.size() >= IO_PATH_BUFFER_SIZE) {
    Fail(&run, false, HM_LINE_PATH_TOO_LONG,
         "CreateBlankMP3(): path length failure\n>>> The target directory and file name are "
         "longer than %d characters",
         static_cast<int>(IO_PATH_BUFFER_SIZE - 1));
    return -1;
  }
  const std::string nativeTarget = NativePath(target.c_str());

  WriteLog("I am gonna create a %d second long MP3 file\n", seconds);
  InitEncoderConfig();
  const int64_t samples = int64_t{seconds} * encoder_config.dwSampleRate;
  if (!AllocateBuffers(&run, samples)) return -1;

  if (!OpenTemporaryFile(target.c_str(), nativeTarget, &run)) {
    Fail(&run, false, HM_LINE_OPEN,
         "CreateBlankMP3(): fopen() failure\n>>> Cannot open target MP3 file for writing "
         "encoded WAV data");
    return -1;
  }
  if (!EncodeIntoFile(&run, static_cast<uint32_t>(samples))) return -1;
  LogWhereTheFileWent(target);
  HeadAndTag(&run);

  if (!MoveFileOver(run.temporaryPath.c_str(), nativeTarget.c_str())) {
    Fail(&run, false, HM_LINE_MOVE,
         "CreateBlankMP3(): rename() failure\n>>> Cannot put the finished MP3 file in place "
         "of the target MP3 file");
    return -1;
  }
  run.temporaryPath.clear();
  return FinishRun(&run);
}
