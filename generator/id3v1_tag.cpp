// The ID3v1.1 tag writer: each operation opens, patches and closes the file by itself.
#include "generator/id3v1_tag.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/platform.h"

namespace {

// Positions count back from the end of the file, which is how the fields are reached.
constexpr long ID3_TAG_SIZE = 128;
constexpr size_t ID3_MARKER_WIDTH = 3;
constexpr long ID3_TITLE_FROM_END = -125;
constexpr long ID3_ARTIST_FROM_END = -95;
constexpr long ID3_ALBUM_FROM_END = -65;
constexpr long ID3_YEAR_FROM_END = -35;
constexpr long ID3_COMMENT_FROM_END = -31;
constexpr long ID3_TRACK_FROM_END = -2;
constexpr long ID3_GENRE_FROM_END = -1;
constexpr size_t ID3_TITLE_WIDTH = 30;
constexpr size_t ID3_ARTIST_WIDTH = 30;
constexpr size_t ID3_ALBUM_WIDTH = 30;
constexpr size_t ID3_YEAR_WIDTH = 4;
constexpr size_t ID3_COMMENT_WIDTH = 28;
constexpr size_t ID3_MAX_FIELD_WIDTH = 30;

static_assert(ID3_TAG_SIZE + ID3_TITLE_FROM_END == 3, "title at tag byte 3");
static_assert(ID3_TAG_SIZE + ID3_ARTIST_FROM_END == 33, "artist at tag byte 33");
static_assert(ID3_TAG_SIZE + ID3_ALBUM_FROM_END == 63, "album at tag byte 63");
static_assert(ID3_TAG_SIZE + ID3_YEAR_FROM_END == 93, "year at tag byte 93");
static_assert(ID3_TAG_SIZE + ID3_COMMENT_FROM_END == 97, "comment at tag byte 97");
static_assert(ID3_TAG_SIZE + ID3_TRACK_FROM_END == 126, "track at tag byte 126");
static_assert(ID3_TAG_SIZE + ID3_GENRE_FROM_END == 127, "genre at tag byte 127");
static_assert(ID3_COMMENT_FROM_END + static_cast<long>(ID3_COMMENT_WIDTH) == -3,
              "the comment stops before the zero byte of the 1.1 layout");

const char ID3_MARKER[] = "TAG";

// Opens an existing file for reading and writing, only when it can hold a tag.
FILE* OpenTaggable(const char* path) {
  FILE* file = std::fopen(NativePath(path).c_str(), "r+b");
  if (!file) return nullptr;
  if (std::fseek(file, 0, SEEK_END) != 0 || std::ftell(file) < ID3_TAG_SIZE) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}

int SetTextField(const char* path, const char* text, const char* marker, long fromEnd,
                 size_t width) {
  if (!CID3v1Tag::HasMP3Extension(path)) return 1;
  FILE* file = OpenTaggable(path);
  if (!file) return 1;
  static const char zeros[ID3_MAX_FIELD_WIDTH] = {};
  // The field is cleared first so that no character of an earlier value survives.
  if (std::fseek(file, fromEnd, SEEK_END) == 0 && std::fwrite(zeros, 1, width, file) == width &&
      text != marker && text != nullptr && text[0] != '\0') {
    const size_t length = strnlen(text, width);
    if (std::fseek(file, fromEnd, SEEK_END) == 0) std::fwrite(text, 1, length, file);
  }
  std::fclose(file);
  return 1;
}

int SetByteField(const char* path, int value, long fromEnd) {
  if (!CID3v1Tag::HasMP3Extension(path)) return 1;
  FILE* file = OpenTaggable(path);
  if (!file) return 1;
  const unsigned char byte = static_cast<unsigned char>(value & 0xFF);
  if (std::fseek(file, fromEnd, SEEK_END) == 0) std::fwrite(&byte, 1, 1, file);
  std::fclose(file);
  return 1;
}

}  // namespace

const char CID3v1Tag::ID3_NO_TITLE[] = "notitle";
const char CID3v1Tag::ID3_NO_ARTIST[] = "noartist";
const char CID3v1Tag::ID3_NO_ALBUM[] = "noalbum";
const char CID3v1Tag::ID3_NO_YEAR[] = "noyear";
const char CID3v1Tag::ID3_NO_COMMENT[] = "nocomment";

bool CID3v1Tag::HasMP3Extension(const char* path) {
  if (!path) return false;
  const size_t length = std::strlen(path);
  if (length < 4) return false;
  static const char* const forms[] = {".mp3", ".Mp3", ".mP3", ".MP3"};
  for (const char* form : forms) {
    if (std::memcmp(path + length - 4, form, 4) == 0) return true;
  }
  return false;
}

bool CID3v1Tag::AppendTag(FILE* file, const Fields& fields) {
  unsigned char tag[ID3_TAG_SIZE] = {};
  std::memcpy(tag, ID3_MARKER, ID3_MARKER_WIDTH);
  const struct { const char* text; long fromEnd; size_t width; } texts[] = {
      {fields.title, ID3_TITLE_FROM_END, ID3_TITLE_WIDTH},
      {fields.artist, ID3_ARTIST_FROM_END, ID3_ARTIST_WIDTH},
      {fields.album, ID3_ALBUM_FROM_END, ID3_ALBUM_WIDTH},
      {fields.year, ID3_YEAR_FROM_END, ID3_YEAR_WIDTH},
      {fields.comment, ID3_COMMENT_FROM_END, ID3_COMMENT_WIDTH},
  };
  for (const auto& field : texts) {
    if (field.text) {
      std::memcpy(tag + ID3_TAG_SIZE + field.fromEnd, field.text, strnlen(field.text, field.width));
    }
  }
  tag[ID3_TAG_SIZE + ID3_TRACK_FROM_END] = static_cast<unsigned char>(fields.track & 0xFF);
  tag[ID3_TAG_SIZE + ID3_GENRE_FROM_END] = static_cast<unsigned char>(fields.genre & 0xFF);
  return file && std::fseek(file, 0, SEEK_END) == 0 &&
         std::fwrite(tag, 1, sizeof(tag), file) == sizeof(tag) && std::fflush(file) == 0;
}

int CID3v1Tag::WriteEmptyTag(const char* path) {
  if (!HasMP3Extension(path)) return 1;
  FILE* file = OpenTaggable(path);
  if (!file) return 1;
  char marker[ID3_MARKER_WIDTH] = {};
  const bool read = std::fseek(file, -ID3_TAG_SIZE, SEEK_END) == 0 &&
                    std::fread(marker, 1, sizeof(marker), file) == sizeof(marker);
  if (read && std::memcmp(marker, ID3_MARKER, ID3_MARKER_WIDTH) != 0 &&
      std::fseek(file, 0, SEEK_END) == 0) {
    unsigned char tag[ID3_TAG_SIZE] = {};
    std::memcpy(tag, ID3_MARKER, ID3_MARKER_WIDTH);
    std::fwrite(tag, 1, sizeof(tag), file);
  }
  std::fclose(file);
  return 1;
}

int CID3v1Tag::SetTitle(const char* path, const char* text) {
  return SetTextField(path, text, ID3_NO_TITLE, ID3_TITLE_FROM_END, ID3_TITLE_WIDTH);
}

int CID3v1Tag::SetArtist(const char* path, const char* text) {
  return SetTextField(path, text, ID3_NO_ARTIST, ID3_ARTIST_FROM_END, ID3_ARTIST_WIDTH);
}

int CID3v1Tag::SetAlbum(const char* path, const char* text) {
  return SetTextField(path, text, ID3_NO_ALBUM, ID3_ALBUM_FROM_END, ID3_ALBUM_WIDTH);
}

int CID3v1Tag::SetYear(const char* path, const char* text) {
  return SetTextField(path, text, ID3_NO_YEAR, ID3_YEAR_FROM_END, ID3_YEAR_WIDTH);
}

int CID3v1Tag::SetComment(const char* path, const char* text) {
  return SetTextField(path, text, ID3_NO_COMMENT, ID3_COMMENT_FROM_END, ID3_COMMENT_WIDTH);
}

int CID3v1Tag::SetGenre(const char* path, int value) {
  return SetByteField(path, value, ID3_GENRE_FROM_END);
}

int CID3v1Tag::SetTrack(const char* path, int value) {
  return SetByteField(path, value, ID3_TRACK_FROM_END);
}
