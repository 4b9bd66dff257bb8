// The encoder's six-call stream interface (records, results and calls) over libmp3lame.
#pragma once

#include <cstddef>
#include <cstdint>

typedef uint32_t BE_ERR;

enum : BE_ERR {
  BE_ERR_SUCCESSFUL = 0x00000000,
  BE_ERR_INVALID_FORMAT = 0x00000001,
  BE_ERR_INVALID_FORMAT_PARAMETERS = 0x00000002,
  BE_ERR_NO_MORE_HANDLES = 0x00000003,
  BE_ERR_INVALID_HANDLE = 0x00000004,
  BE_ERR_BUFFER_TOO_SMALL = 0x00000005,
};

// Kinds of configuration record (dwConfig). Only the LAME layout is understood.
enum : uint32_t {
  BE_CONFIG_MP3 = 0,
  BE_CONFIG_LAME = 256,
};

// Channel modes (nMode).
enum : int32_t {
  BE_MP3_MODE_STEREO = 0,
  BE_MP3_MODE_JSTEREO = 1,
  BE_MP3_MODE_DUALCHANNEL = 2,
  BE_MP3_MODE_MONO = 3,
};

// MPEG versions (dwMpegVersion).
enum : uint32_t {
  MPEG2 = 0,
  MPEG1 = 1,
};

// VBR methods (nVbrMethod); VBR_METHOD_DEFAULT lets the encoder choose.
enum : int32_t {
  VBR_METHOD_NONE = -1,
  VBR_METHOD_DEFAULT = 0,
  VBR_METHOD_OLD = 1,
  VBR_METHOD_NEW = 2,
  VBR_METHOD_MTRH = 3,
  VBR_METHOD_ABR = 4,
};

constexpr uint32_t BE_CONFIG_SIZE = 331;
constexpr size_t BE_MAX_HOMEPAGE = 128;

#pragma pack(push, 1)

// Configuration handed to beInitStream: 331 bytes, no padding, little-endian.
struct BE_CONFIG {
  uint32_t dwConfig;         // BE_CONFIG_LAME
  uint32_t dwStructVersion;  // 1
  uint32_t dwStructSize;     // 331
  uint32_t dwSampleRate;     // input rate, Hz
  uint32_t dwReSampleRate;   // output rate, Hz; 0 lets the encoder choose
  int32_t nMode;             // BE_MP3_MODE_*
  uint32_t dwBitrate;        // kbit/s; the lowest rate under VBR
  uint32_t dwMaxBitrate;     // kbit/s; the highest rate under VBR
  int32_t nPreset;           // not used by this encoder
  uint32_t dwMpegVersion;    // MPEG1 or MPEG2
  uint32_t dwPsyModel;       // not used by this encoder
  uint32_t dwEmphasis;
  int32_t bPrivate;
  int32_t bCRC;
  int32_t bCopyright;
  int32_t bOriginal;
  int32_t bWriteVBRHeader;  // first frame kept for beWriteVBRHeader
  int32_t bEnableVBR;
  int32_t nVBRQuality;  // 0 (highest) .. 9 (lowest)
  uint32_t dwVbrAbr_bps;
  int32_t nVbrMethod;  // VBR_METHOD_*
  int32_t bNoRes;
  int32_t bStrictIso;
  uint16_t nQuality;  // low byte 0..9 and high byte its complement, else ignored
  uint8_t btReserved[237];
};

// Description of the encoder, filled by beVersion.
struct BE_VERSION {
  uint8_t byDLLMajorVersion;  // this interface's own version
  uint8_t byDLLMinorVersion;
  uint8_t byMajorVersion;  // the encoder library's version
  uint8_t byMinorVersion;
  uint8_t byDay;  // release date of the interface
  uint8_t byMonth;
  uint16_t wYear;
  char zHomepage[BE_MAX_HOMEPAGE + 1];
  uint8_t byAlphaLevel;
  uint8_t byBetaLevel;
  uint8_t byMMXEnabled;
  uint8_t btReserved[125];
};

#pragma pack(pop)

static_assert(sizeof(BE_CONFIG) == BE_CONFIG_SIZE, "BE_CONFIG is 331 packed bytes");
static_assert(offsetof(BE_CONFIG, dwConfig) == 0, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, dwStructVersion) == 4, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, dwStructSize) == 8, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, dwSampleRate) == 12, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, dwReSampleRate) == 16, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, nMode) == 20, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, dwBitrate) == 24, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, dwMaxBitrate) == 28, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, nPreset) == 32, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, dwMpegVersion) == 36, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, dwPsyModel) == 40, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, dwEmphasis) == 44, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, bPrivate) == 48, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, bCRC) == 52, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, bCopyright) == 56, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, bOriginal) == 60, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, bWriteVBRHeader) == 64, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, bEnableVBR) == 68, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, nVBRQuality) == 72, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, dwVbrAbr_bps) == 76, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, nVbrMethod) == 80, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, bNoRes) == 84, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, bStrictIso) == 88, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, nQuality) == 92, "BE_CONFIG layout");
static_assert(offsetof(BE_CONFIG, btReserved) == 94, "BE_CONFIG layout");
static_assert(offsetof(BE_VERSION, zHomepage) == 8, "BE_VERSION layout");
static_assert(sizeof(BE_VERSION) == 265, "BE_VERSION is 265 packed bytes");

// Opaque per-stream state; 0 (nullptr) is never a valid stream.
struct BEStream;
typedef BEStream* HBE_STREAM;

// Opens a stream for the configuration. Clears the three out-values first, then reports
// the samples the encoder prefers per chunk, the output bytes such a chunk may need and
// the new stream.
BE_ERR beInitStream(const BE_CONFIG* pbeConfig, uint32_t* dwSamples, uint32_t* dwBufferSize,
                    HBE_STREAM* phbeStream);

// Encodes nSamples 16-bit samples (interleaved when stereo) into pOutput and reports the
// bytes written. Any number of samples may be passed in one call.
BE_ERR beEncodeChunk(HBE_STREAM hbeStream, uint32_t nSamples, const int16_t* pSamples,
                     uint8_t* pOutput, uint32_t* pdwOutput);

// Flushes the last frames into pOutput and reports the bytes written. After it the
// stream's Xing/Info frame is final.
BE_ERR beDeinitStream(HBE_STREAM hbeStream, uint8_t* pOutput, uint32_t* pdwOutput);

// Releases the stream. A handle that beInitStream never set (0) is refused harmlessly.
// A stream opened with bWriteVBRHeader and flushed leaves its Xing/Info frame for the
// next beWriteVBRHeader.
BE_ERR beCloseStream(HBE_STREAM hbeStream);

// Fills the version record (cleared first).
void beVersion(BE_VERSION* pbeVersion);

// Writes the Xing/Info frame of the last closed stream over the first frame of the
// finished file at lpszFileName (a native path). The frame is used once, and only over
// the empty first frame kept for it in a file at least as long as the stream. Opening a
// stream, or closing one that made no frame, leaves no frame to write.
BE_ERR beWriteVBRHeader(const char* lpszFileName);

// Gives the stream the size of the output buffers that later beEncodeChunk and
// beDeinitStream calls receive, so that the encoder never writes past them: an output
// that would not fit fails with BE_ERR_BUFFER_TOO_SMALL. Without it the encoder trusts
// the caller's buffers to be large enough, as the six calls carry no size.
BE_ERR SetStreamOutputLimit(HBE_STREAM hbeStream, uint32_t bytes);

// Tells a stream, before its first chunk, that every sample it will be given is zero. It
// then encodes only until the encoder's output settles into one frame repeated, writes
// each further whole frame of silence as a copy of that frame without reading its samples,
// and fills the Info frame for the whole stream: the same bytes, call by call, as a full
// encode, at the speed of copying them. Should the encoder's own Info frame disagree with
// what the stream saw of its output, beDeinitStream fails instead of guessing. A stream
// whose encoder resamples its input, or pads some frames as it does at constant bit rates
// from 44,100 Hz, encodes every frame. Refused once a chunk has been encoded.
BE_ERR SetStreamInputSilent(HBE_STREAM hbeStream);
