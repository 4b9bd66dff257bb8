// The ID3v1.1 tag writer: appends a 128-byte tag to an MP3 file and fills it field by field.
#pragma once

#include <cstdio>

// Every operation but AppendTag takes the file's path in the program's own form, opens
// the file itself (it must exist; it is never created or truncated), touches only the
// bytes of its field and closes it again. A path that does not end in an MP3 extension (".mp3" in any case),
// a file that cannot be opened and a file shorter than a tag are left alone. The result
// is always 1.
class CID3v1Tag {
 public:
  // Handing a text setter its own marker (this very object) clears the field.
  static const char ID3_NO_TITLE[];    // "notitle"
  static const char ID3_NO_ARTIST[];   // "noartist"
  static const char ID3_NO_ALBUM[];    // "noalbum"
  static const char ID3_NO_YEAR[];     // "noyear"
  static const char ID3_NO_COMMENT[];  // "nocomment"

  CID3v1Tag() = default;
  virtual ~CID3v1Tag() = default;

  // Appends "TAG" and 125 zero bytes unless the file already ends in a tag.
  int WriteEmptyTag(const char* path);

  // Text fields: cut to the field's width, zero-padded, no terminator when full.
  int SetTitle(const char* path, const char* text);    // 30 bytes
  int SetArtist(const char* path, const char* text);   // 30 bytes
  int SetAlbum(const char* path, const char* text);    // 30 bytes
  int SetYear(const char* path, const char* text);     // 4 bytes
  int SetComment(const char* path, const char* text);  // 28 bytes

  // One-byte fields: the low byte of value.
  int SetGenre(const char* path, int value);
  int SetTrack(const char* path, int value);

  // The fields of a whole tag. A null or empty text leaves its field zero.
  struct Fields {
    const char* title;
    const char* artist;
    const char* album;
    const char* year;
    const char* comment;
    int track;
    int genre;
  };

  // Appends a whole tag holding fields, each cut to its width, to the end of an open file
  // and flushes the file. Unlike the operations above it reports: false, with errno set,
  // when the tag did not reach the file in full.
  static bool AppendTag(FILE* file, const Fields& fields);

  // True when the last four characters of path are ".mp3" in any mix of cases.
  static bool HasMP3Extension(const char* path);
};
