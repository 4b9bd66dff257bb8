// Tests of the ID3v1 tag writer on real files, one table of cases.
#include "generator/id3v1_tag.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "mp3_test_tools.h"

namespace {

// Calls of the tag writer, each named by the field it writes (the marker: WriteEmptyTag)
// with its text; genre and track take theirs as a number.
using Calls = std::vector<std::pair<TagField, const char*>>;

void Apply(const Calls& calls, const char* path) {
  CID3v1Tag tag;
  for (const auto& [field, text] : calls) {
    switch (field) {
      case TAG_MARKER: tag.WriteEmptyTag(path); break;
      case TAG_TITLE: tag.SetTitle(path, text); break;
      case TAG_ARTIST: tag.SetArtist(path, text); break;
      case TAG_ALBUM: tag.SetAlbum(path, text); break;
      case TAG_YEAR: tag.SetYear(path, text); break;
      case TAG_COMMENT: tag.SetComment(path, text); break;
      case TAG_GENRE: tag.SetGenre(path, std::atoi(text)); break;
      case TAG_TRACK: tag.SetTrack(path, std::atoi(text)); break;
      case TAG_ZERO_BYTE: break;
    }
  }
}

TEST(CID3v1Tag, EveryCaseOfTheTable) {
  const Bytes audio(300, 0x11);  // not zero, so that a write into it shows
  const Bytes emptyTag = Tagged(audio, {});
  const Calls every = {{TAG_MARKER, ""}, {TAG_TITLE, "t"}, {TAG_ARTIST, "a"},
                       {TAG_ALBUM, "l"}, {TAG_YEAR, "y"},  {TAG_COMMENT, "c"},
                       {TAG_GENRE, "1"}, {TAG_TRACK, "2"}};
  const Bytes everySet = Tagged(audio, {{TAG_TITLE, "t"}, {TAG_ARTIST, "a"}, {TAG_ALBUM, "l"},
                                        {TAG_YEAR, "y"}, {TAG_COMMENT, "c"},
                                        {TAG_GENRE, "\x01"}, {TAG_TRACK, "\x02"}});
  const std::string notitle = "notitle";  // equal to the marker, but another object
  struct Row {
    const char* what;
    const char* name;
    Bytes initial;  // empty: no file
    Calls calls;
    Bytes expected;  // empty: still no file
  };
  const Row rows[] = {
      {"empty tag appended", "a.mp3", audio, {{TAG_MARKER, ""}}, emptyTag},
      {"upper-case extension", "a.MP3", audio, every, everySet},
      {"mixed-case extension", "a.Mp3", audio, every, everySet},
      {"no second tag; the setters fill the one there", "a.mp3",
       Tagged(audio, {{TAG_TITLE, "old"}, {TAG_ALBUM, "album"}}),
       {{TAG_MARKER, ""}, {TAG_TITLE, "new"}},
       Tagged(audio, {{TAG_TITLE, "new"}, {TAG_ALBUM, "album"}})},
      {"45-character title cut to 30, no zero after", "a.mp3", emptyTag,
       {{TAG_TITLE, "A title of forty-five characters, far too lon"}},
       Tagged(audio, {{TAG_TITLE, "A title of forty-five characte"}})},
      {"five-digit year cut to four", "a.mp3", emptyTag, {{TAG_YEAR, "20265"}},
       Tagged(audio, {{TAG_YEAR, "2026"}})},
      {"a full comment stops before the zero byte and the track", "a.mp3",
       Tagged(audio, {{TAG_ZERO_BYTE, "\x09"}, {TAG_TRACK, "\x07"}}),
       {{TAG_COMMENT, "0123456789012345678901234567890"}},
       Tagged(audio, {{TAG_COMMENT, "0123456789012345678901234567"}, {TAG_ZERO_BYTE, "\x09"},
                      {TAG_TRACK, "\x07"}})},
      {"an empty text clears; a shorter one leaves nothing of a longer", "a.mp3",
       Tagged(audio, {{TAG_TITLE, "old title"}, {TAG_ARTIST, "old"}}),
       {{TAG_TITLE, "new"}, {TAG_ARTIST, ""}}, Tagged(audio, {{TAG_TITLE, "new"}})},
      {"each setter's own marker clears its field", "a.mp3", everySet,
       {{TAG_TITLE, CID3v1Tag::ID3_NO_TITLE}, {TAG_ARTIST, CID3v1Tag::ID3_NO_ARTIST},
        {TAG_ALBUM, CID3v1Tag::ID3_NO_ALBUM}, {TAG_YEAR, CID3v1Tag::ID3_NO_YEAR},
        {TAG_COMMENT, CID3v1Tag::ID3_NO_COMMENT}},
       Tagged(audio, {{TAG_GENRE, "\x01"}, {TAG_TRACK, "\x02"}})},
      {"a text equal to a marker is text", "a.mp3", emptyTag, {{TAG_TITLE, notitle.c_str()}},
       Tagged(audio, {{TAG_TITLE, "notitle"}})},
      {"genre and track take the low byte", "a.mp3", emptyTag,
       {{TAG_GENRE, "511"}, {TAG_TRACK, "261"}},
       Tagged(audio, {{TAG_TRACK, "\x05"}, {TAG_GENRE, "\xFF"}})},
      {"a.mp4 left alone", "a.mp4", audio, every, audio},
      {"a.mp3x left alone", "a.mp3x", audio, every, audio},
      {"mp3 left alone", "mp3", audio, every, audio},
      {"a file shorter than a tag left alone", "short.mp3", Bytes(127, 1), every, Bytes(127, 1)},
      {"a missing file not created", "missing.mp3", {}, every, {}},
  };
  for (const Row& row : rows) {
    ScratchDirectory scratch;
    const std::string path = scratch.path() + "/" + row.name;
    if (!row.initial.empty()) WriteWholeFile(path, row.initial);
    Apply(row.calls, path.c_str());
    EXPECT_EQ(scratch.List(), row.expected.empty() ? "" : row.name + std::string("\n"))
        << row.what;
    EXPECT_EQ(ReadWholeFile(path), row.expected) << row.what;
  }
}

}  // namespace
