// The six stream calls implemented over libmp3lame's native interface.
#include "encoder/encoder_stream.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "encoder/mpeg_frame.h"
#include "encoder/silent_frames.h"

namespace {

constexpr uint8_t ENC_DLL_MAJOR_VERSION = 1;
constexpr uint8_t ENC_DLL_MINOR_VERSION = 0;
constexpr uint8_t ENC_RELEASE_DAY = 1;
constexpr uint8_t ENC_RELEASE_MONTH = 11;
constexpr uint16_t ENC_RELEASE_YEAR = 2026;

// Samples per channel handed to the library in one go. The library converts its input
// into an internal buffer as large as each call's sample count, so a whole length in one
// call would cost four bytes per sample; a few hundred frames keep that small.
constexpr size_t ENC_SAMPLES_PER_PASS = 1152 * 256;
// Worst-case output of one pass, by the library's own rule (1.25 x samples + 7,200).
constexpr size_t ENC_PASS_OUTPUT_BYTES = ENC_SAMPLES_PER_PASS * 5 / 4 + 7200;

// A stream whose input is silence hands the library this many samples per channel at a
// time until the library's output settles.
constexpr size_t ENC_SETTLING_PASS = 1152 * 4;

void IgnoreLibraryReport(const char*, va_list) {}

}  // namespace

struct BEStream {
  lame_global_flags* lame = nullptr;
  uint32_t channels = 1;
  bool limited = false;  // unless limited, the caller's buffers are trusted
  uint32_t outputLimit = 0;
  bool writeVbrHeader = false;
  bool flushed = false;
  bool started = false;            // a chunk has been encoded
  std::vector<uint8_t> scratch;    // one pass of output before it is copied out
  std::vector<uint8_t> xingFrame;  // final Xing/Info frame, once flushed
  bool inputSilent = false;        // every sample is zero: settled frames are copied
  SilentFrames silence;

  ~BEStream() {
    if (lame) lame_close(lame);
  }
};

namespace {

// The stream interface names the file for the Xing/Info frame only after the stream is
// closed, so the closed stream's frame waits here until beWriteVBRHeader takes it.
std::mutex pending_frame_mutex;
std::vector<uint8_t> pending_xing_frame;

bool IsUsable(HBE_STREAM stream) { return stream != nullptr && stream->lame != nullptr; }

// Copies a pass's output behind what the call has already written, within the limit.
BE_ERR AppendOutput(HBE_STREAM stream, const uint8_t* bytes, size_t count, uint8_t* output,
                    size_t* written) {
  if (count == 0) return BE_ERR_SUCCESSFUL;
  if (stream->limited && count > stream->outputLimit - *written) {
    return BE_ERR_BUFFER_TOO_SMALL;
  }
  std::memcpy(output + *written, bytes, count);
  *written += count;
  return BE_ERR_SUCCESSFUL;
}

BE_ERR ErrorOfLibraryResult(int result) {
  return result == -1 ? BE_ERR_BUFFER_TOO_SMALL : BE_ERR_INVALID_FORMAT_PARAMETERS;
}

MPEG_mode ModeOfConfig(int32_t nMode) {
  switch (nMode) {
    case BE_MP3_MODE_MONO:
      return MONO;
    case BE_MP3_MODE_JSTEREO:
      return JOINT_STEREO;
    case BE_MP3_MODE_DUALCHANNEL:
      return DUAL_CHANNEL;
    default:
      return STEREO;
  }
}

bool IsMpeg1Rate(uint32_t rate) { return rate == 32000 || rate == 44100 || rate == 48000; }

void ApplyBitRates(lame_global_flags* lame, const BE_CONFIG& config) {
  if (!config.bEnableVBR) {
    lame_set_VBR(lame, vbr_off);
    lame_set_brate(lame, static_cast<int>(config.dwBitrate));
    return;
  }
  switch (config.nVbrMethod) {
    case VBR_METHOD_OLD:
      lame_set_VBR(lame, vbr_rh);
      break;
    case VBR_METHOD_NEW:
    case VBR_METHOD_MTRH:
      lame_set_VBR(lame, vbr_mtrh);
      break;
    case VBR_METHOD_ABR:
      lame_set_VBR(lame, vbr_abr);
      lame_set_VBR_mean_bitrate_kbps(lame, static_cast<int>(config.dwVbrAbr_bps / 1000));
      break;
    default:
      lame_set_VBR(lame, vbr_default);
      break;
  }
  lame_set_VBR_q(lame, std::clamp(config.nVBRQuality, 0, 9));
  if (config.dwBitrate != 0) {
    // Otherwise the library treats the lowest rate as a hint and goes below it in silence.
    lame_set_VBR_min_bitrate_kbps(lame, static_cast<int>(config.dwBitrate));
    lame_set_VBR_hard_min(lame, 1);
  }
  if (config.dwMaxBitrate != 0) {
    lame_set_VBR_max_bitrate_kbps(lame, static_cast<int>(config.dwMaxBitrate));
  }
}

void ApplyConfig(lame_global_flags* lame, const BE_CONFIG& config, uint32_t channels) {
  lame_set_errorf(lame, IgnoreLibraryReport);
  lame_set_debugf(lame, IgnoreLibraryReport);
  lame_set_msgf(lame, IgnoreLibraryReport);

  lame_set_num_channels(lame, static_cast<int>(channels));
  lame_set_mode(lame, ModeOfConfig(config.nMode));
  lame_set_in_samplerate(lame, static_cast<int>(config.dwSampleRate));
  // Left alone, the library drops a low-quality VBR stream to a lower MPEG-2 rate;
  // an MPEG-1 request without a resample rate keeps the input rate.
  if (config.dwReSampleRate != 0) {
    lame_set_out_samplerate(lame, static_cast<int>(config.dwReSampleRate));
  } else if (config.dwMpegVersion == MPEG1 && IsMpeg1Rate(config.dwSampleRate)) {
    lame_set_out_samplerate(lame, static_cast<int>(config.dwSampleRate));
  }

  ApplyBitRates(lame, config);

  lame_set_copyright(lame, config.bCopyright ? 1 : 0);
  lame_set_original(lame, config.bOriginal ? 1 : 0);
  lame_set_error_protection(lame, config.bCRC ? 1 : 0);
  lame_set_extension(lame, config.bPrivate ? 1 : 0);
  lame_set_emphasis(lame, static_cast<int>(config.dwEmphasis));
  lame_set_strict_ISO(lame, config.bStrictIso ? 1 : 0);
  lame_set_disable_reservoir(lame, config.bNoRes ? 1 : 0);

  // The quality word counts only when its high byte is the complement of its low byte.
  const unsigned low = config.nQuality & 0xFFu;
  const unsigned high = (config.nQuality >> 8) & 0xFFu;
  if (high == (~low & 0xFFu) && low <= 9) lame_set_quality(lame, static_cast<int>(low));

  lame_set_bWriteVbrTag(lame, config.bWriteVBRHeader ? 1 : 0);
  lame_set_write_id3tag_automatic(lame, 0);
}

// Follows and copies out the `produced` bytes the library left in the scratch buffer, or
// turns its failure into the stream's.
BE_ERR TakeLibraryOutput(HBE_STREAM stream, int produced, uint8_t* output, size_t* written) {
  if (produced < 0) return ErrorOfLibraryResult(produced);
  const size_t count = static_cast<size_t>(produced);
  if (stream->inputSilent) stream->silence.Follow(stream->scratch.data(), count);
  return AppendOutput(stream, stream->scratch.data(), count, output, written);
}

// Hands `count` samples per channel to the library and copies what it gives out.
BE_ERR EncodePass(HBE_STREAM stream, const int16_t* input, size_t count, uint8_t* output,
                  size_t* written) {
  int produced;
  if (stream->channels == 1) {
    produced = lame_encode_buffer(stream->lame, input, input, static_cast<int>(count),
                                  stream->scratch.data(), static_cast<int>(stream->scratch.size()));
  } else {
    produced = lame_encode_buffer_interleaved(stream->lame, const_cast<short*>(input),
                                              static_cast<int>(count), stream->scratch.data(),
                                              static_cast<int>(stream->scratch.size()));
  }
  return TakeLibraryOutput(stream, produced, output, written);
}

// Writes `frames` more copies of the settled frame behind what the call has written.
BE_ERR RepeatSettledFrame(HBE_STREAM stream, uint64_t frames, uint8_t* output, size_t* written) {
  const uint64_t bytes = frames * stream->silence.FrameLength();
  if (bytes > UINT32_MAX - *written ||
      (stream->limited && bytes > stream->outputLimit - *written)) {
    return BE_ERR_BUFFER_TOO_SMALL;
  }
  stream->silence.Repeat(frames, output + *written);
  *written += static_cast<size_t>(bytes);
  return BE_ERR_SUCCESSFUL;
}

// Silence is handed to the library until its output settles; after that every whole
// frame's worth of samples is written as a copy of the settled frame, and only what is
// left over (less than a frame) goes to the library, which keeps it for its next frame.
// The samples are read only where they are handed to the library.
BE_ERR EncodeSilence(HBE_STREAM stream, size_t frames, const int16_t* samples, uint8_t* output,
                     size_t* written) {
  const size_t frameSamples = static_cast<size_t>(lame_get_framesize(stream->lame));
  for (size_t done = 0; done < frames;) {
    size_t pass = frames - done;
    if (stream->silence.Settled()) {
      const uint64_t whole = pass / frameSamples;
      if (whole > 0) {
        const BE_ERR repeated = RepeatSettledFrame(stream, whole, output, written);
        if (repeated != BE_ERR_SUCCESSFUL) return repeated;
        done += whole * frameSamples;
        pass -= whole * frameSamples;
        if (pass == 0) break;
      }
    } else {
      pass = std::min(pass, ENC_SETTLING_PASS);
    }
    const BE_ERR encoded =
        EncodePass(stream, samples + done * stream->channels, pass, output, written);
    if (encoded != BE_ERR_SUCCESSFUL) return encoded;
    done += pass;
  }
  return BE_ERR_SUCCESSFUL;
}

// Takes the library's final Xing/Info frame, extended over the repeated frames. A frame
// that cannot be made right for them is no frame.
BE_ERR KeepInfoFrame(HBE_STREAM stream) {
  std::vector<uint8_t>& frame = stream->xingFrame;
  // Asked with no room, the library answers with the size the frame needs.
  const size_t needed = lame_get_lametag_frame(stream->lame, nullptr, 0);
  if (needed > 0) {
    frame.resize(needed);
    if (lame_get_lametag_frame(stream->lame, frame.data(), needed) != needed) frame.clear();
  }
  SilentFrames& silence = stream->silence;
  if (silence.RepeatedFrames() > 0 && !silence.ExtendInfoFrame(frame.data(), frame.size())) {
    frame.clear();
    return BE_ERR_INVALID_FORMAT;
  }
  return BE_ERR_SUCCESSFUL;
}

// The frame only replaces the frame that was kept for it: a header of its length followed
// by nothing but zeros, at `offset` in a file that holds the whole stream from there.
bool HoldsFrameKeptFor(FILE* file, long offset, const std::vector<uint8_t>& frame) {
  std::vector<uint8_t> kept(frame.size());
  MpegFrameHeader header;
  const bool empty =
      std::fseek(file, offset, SEEK_SET) == 0 &&
      std::fread(kept.data(), 1, kept.size(), file) == kept.size() &&
      ReadMpegFrameHeader(kept.data(), kept.size(), &header) && header.layer == 3 &&
      header.length == kept.size() &&
      std::all_of(kept.begin() + MPEG_HEADER_BYTES, kept.end(), [](uint8_t b) { return b == 0; });
  if (!empty) return false;
  const size_t mark = FindFullInfoTag(frame.data(), frame.size());
  if (mark == 0) return true;
  const long streamBytes = static_cast<long>(ReadBigEndian32(&frame[mark + INFO_XING_BYTES]));
  return std::fseek(file, 0, SEEK_END) == 0 && std::ftell(file) >= offset + streamBytes;
}

}  // namespace

BE_ERR beInitStream(const BE_CONFIG* pbeConfig, uint32_t* dwSamples, uint32_t* dwBufferSize,
                    HBE_STREAM* phbeStream) {
  if (dwSamples) *dwSamples = 0;
  if (dwBufferSize) *dwBufferSize = 0;
  if (phbeStream) *phbeStream = nullptr;
  if (!pbeConfig || !dwSamples || !dwBufferSize || !phbeStream) {
    return BE_ERR_INVALID_FORMAT_PARAMETERS;
  }
  {
    // From here on a frame left by an earlier stream can no longer be the one meant.
    std::lock_guard<std::mutex> lock(pending_frame_mutex);
    pending_xing_frame.clear();
  }
  const BE_CONFIG& config = *pbeConfig;
  if (config.dwConfig != BE_CONFIG_LAME || config.dwStructVersion < 1 ||
      config.dwStructSize < BE_CONFIG_SIZE) {
    return BE_ERR_INVALID_FORMAT;
  }

  std::unique_ptr<BEStream> stream(new (std::nothrow) BEStream);
  if (stream) stream->lame = lame_init();
  if (!stream || !stream->lame) return BE_ERR_NO_MORE_HANDLES;
  stream->channels = config.nMode == BE_MP3_MODE_MONO ? 1 : 2;
  stream->writeVbrHeader = config.bWriteVBRHeader != 0;
  ApplyConfig(stream->lame, config, stream->channels);
  if (lame_init_params(stream->lame) < 0) return BE_ERR_INVALID_FORMAT_PARAMETERS;
  try {
    stream->scratch.resize(ENC_PASS_OUTPUT_BYTES);
  } catch (const std::bad_alloc&) {
    return BE_ERR_NO_MORE_HANDLES;
  }

  const uint32_t samples = static_cast<uint32_t>(lame_get_framesize(stream->lame)) *
                           stream->channels;
  *dwSamples = samples;
  *dwBufferSize = samples * 5 / 4 + 7200;
  *phbeStream = stream.release();
  return BE_ERR_SUCCESSFUL;
}

BE_ERR beEncodeChunk(HBE_STREAM hbeStream, uint32_t nSamples, const int16_t* pSamples,
                     uint8_t* pOutput, uint32_t* pdwOutput) {
  if (pdwOutput) *pdwOutput = 0;
  if (!IsUsable(hbeStream) || hbeStream->flushed) return BE_ERR_INVALID_HANDLE;
  if (!pdwOutput || (nSamples != 0 && (!pSamples || !pOutput))) {
    return BE_ERR_INVALID_FORMAT_PARAMETERS;
  }

  hbeStream->started = true;
  const size_t channels = hbeStream->channels;
  const size_t frames = nSamples / channels;  // samples per channel
  size_t written = 0;
  if (hbeStream->inputSilent) {
    const BE_ERR encoded = EncodeSilence(hbeStream, frames, pSamples, pOutput, &written);
    if (encoded != BE_ERR_SUCCESSFUL) return encoded;
  } else {
    for (size_t done = 0; done < frames;) {
      const size_t pass = std::min(ENC_SAMPLES_PER_PASS, frames - done);
      const BE_ERR encoded =
          EncodePass(hbeStream, pSamples + done * channels, pass, pOutput, &written);
      if (encoded != BE_ERR_SUCCESSFUL) return encoded;
      done += pass;
    }
  }
  *pdwOutput = static_cast<uint32_t>(written);
  return BE_ERR_SUCCESSFUL;
}

BE_ERR beDeinitStream(HBE_STREAM hbeStream, uint8_t* pOutput, uint32_t* pdwOutput) {
  if (pdwOutput) *pdwOutput = 0;
  if (!IsUsable(hbeStream) || hbeStream->flushed) return BE_ERR_INVALID_HANDLE;
  if (!pOutput || !pdwOutput) return BE_ERR_INVALID_FORMAT_PARAMETERS;

  const int produced = lame_encode_flush(hbeStream->lame, hbeStream->scratch.data(),
                                         static_cast<int>(hbeStream->scratch.size()));
  hbeStream->flushed = true;
  size_t written = 0;
  const BE_ERR copied = TakeLibraryOutput(hbeStream, produced, pOutput, &written);
  if (copied != BE_ERR_SUCCESSFUL) return copied;
  *pdwOutput = static_cast<uint32_t>(written);
  return hbeStream->writeVbrHeader ? KeepInfoFrame(hbeStream) : BE_ERR_SUCCESSFUL;
}

BE_ERR beCloseStream(HBE_STREAM hbeStream) {
  if (!IsUsable(hbeStream)) return BE_ERR_INVALID_HANDLE;
  {
    // The slot holds this stream's frame now, or none when it made none.
    std::lock_guard<std::mutex> lock(pending_frame_mutex);
    pending_xing_frame.swap(hbeStream->xingFrame);
    hbeStream->xingFrame.clear();
  }
  delete hbeStream;
  return BE_ERR_SUCCESSFUL;
}

void beVersion(BE_VERSION* pbeVersion) {
  if (!pbeVersion) return;
  std::memset(pbeVersion, 0, sizeof(*pbeVersion));
  lame_version_t engine;
  get_lame_version_numerical(&engine);
  pbeVersion->byDLLMajorVersion = ENC_DLL_MAJOR_VERSION;
  pbeVersion->byDLLMinorVersion = ENC_DLL_MINOR_VERSION;
  pbeVersion->byMajorVersion = static_cast<uint8_t>(engine.major);
  pbeVersion->byMinorVersion = static_cast<uint8_t>(engine.minor);
  pbeVersion->byDay = ENC_RELEASE_DAY;
  pbeVersion->byMonth = ENC_RELEASE_MONTH;
  pbeVersion->wYear = ENC_RELEASE_YEAR;
  pbeVersion->byAlphaLevel = static_cast<uint8_t>(engine.alpha);
  pbeVersion->byBetaLevel = static_cast<uint8_t>(engine.beta);
  const char* url = get_lame_url();
  snprintf(pbeVersion->zHomepage, sizeof(pbeVersion->zHomepage), "%s", url ? url : "");
}

BE_ERR beWriteVBRHeader(const char* lpszFileName) {
  std::vector<uint8_t> frame;
  {
    std::lock_guard<std::mutex> lock(pending_frame_mutex);
    frame.swap(pending_xing_frame);
  }
  if (frame.size() < MPEG_HEADER_BYTES) return BE_ERR_INVALID_HANDLE;
  if (!lpszFileName) return BE_ERR_INVALID_FORMAT_PARAMETERS;

  FILE* file = std::fopen(lpszFileName, "r+b");
  if (!file) return BE_ERR_INVALID_FORMAT_PARAMETERS;
  uint8_t start[ID3V2_HEADER_BYTES] = {};
  const size_t got = std::fread(start, 1, sizeof(start), file);
  const long offset = static_cast<long>(FirstFrameOffset(start, got));
  const bool fits = HoldsFrameKeptFor(file, offset, frame) &&
                    std::fseek(file, offset, SEEK_SET) == 0 &&
                    std::fwrite(frame.data(), 1, frame.size(), file) == frame.size();
  const bool closed = std::fclose(file) == 0;
  if (!fits) return BE_ERR_INVALID_FORMAT;
  return closed ? BE_ERR_SUCCESSFUL : BE_ERR_INVALID_FORMAT_PARAMETERS;
}

BE_ERR SetStreamOutputLimit(HBE_STREAM hbeStream, uint32_t bytes) {
  if (!IsUsable(hbeStream)) return BE_ERR_INVALID_HANDLE;
  hbeStream->limited = true;
  hbeStream->outputLimit = bytes;
  return BE_ERR_SUCCESSFUL;
}

BE_ERR SetStreamInputSilent(HBE_STREAM hbeStream) {
  if (!IsUsable(hbeStream) || hbeStream->started || hbeStream->flushed) {
    return BE_ERR_INVALID_HANDLE;
  }
  // A repeated frame stands for a frame's worth of input samples only where the library
  // keeps the input's sample rate; a stream it resamples encodes every frame.
  hbeStream->inputSilent =
      lame_get_in_samplerate(hbeStream->lame) == lame_get_out_samplerate(hbeStream->lame);
  return BE_ERR_SUCCESSFUL;
}
