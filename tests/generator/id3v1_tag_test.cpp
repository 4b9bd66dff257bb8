// Tests of the ID3v1 tag writer on real files, one table of cases.
#include "generator/id3v1_tag.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "mp3_test_tools.h"

namespace {

using Bytes = std::vector<uint8_t>;

// 300 bytes of stand-in audio: long enough for a tag position, and not zero so that a
// write into it shows.
Bytes Audio(size_t size = 300) { return Bytes(size, 0x11); }

// A 128-byte tag, field by field; unnamed fields are zero.
class Tag {
 public:
  Tag& Title(const std::string& text) { return Put(3, text); }
  Tag& Artist(const std::string& text) { return Put(33, text); }
  Tag& Album(const std::string& text) { return Put(63, text); }
  Tag& Year(const std::string& text) { return Put(93, text); }
  Tag& Comment(const std::string& text) { return Put(97, text); }
  Tag& ZeroByte(uint8_t value) { return Put(125, std::string(1, char(value))); }
  Tag& Track(uint8_t value) { return Put(126, std::string(1, char(value))); }
  Tag& Genre(uint8_t value) { return Put(127, std::string(1, char(value))); }
  Bytes ToBytes() const { return bytes_; }

 private:
  Tag& Put(size_t at, const std::string& text) {
    std::memcpy(bytes_.data() + at, text.data(), text.size());
    return *this;
  }
  Bytes bytes_ = [] {
    Bytes b(128, 0);
    std::memcpy(b.data(), "TAG", 3);
    return b;
  }();
};

Bytes Join(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

TEST(CID3v1Tag, EveryCaseOfTheTable) {
  const std::string kTitle45 = "A title of forty-five characters, far too lon";
  const std::string kMarkerText = "notitle";  // equal to the marker, but another object
  using Act = std::function<void(CID3v1Tag&, const char*)>;
  const Act every = [](CID3v1Tag& t, const char* p) {
    t.WriteEmptyTag(p);
    t.SetTitle(p, "x");
    t.SetArtist(p, "x");
    t.SetAlbum(p, "x");
    t.SetYear(p, "x");
    t.SetComment(p, "x");
    t.SetGenre(p, 1);
    t.SetTrack(p, 1);
  };
  const Bytes tagged = Join(Audio(), Tag().ToBytes());
  Bytes genreOverAudio = Audio();
  genreOverAudio.back() = 101;

  struct Row {
    const char* what;
    const char* name;
    Bytes initial;  // empty: no file
    Act act;
    Bytes expected;  // empty: still no file
  };
  const std::vector<Row> rows = {
      {"empty tag appended", "a.mp3", Audio(),
       [](CID3v1Tag& t, const char* p) { t.WriteEmptyTag(p); }, tagged},
      {"upper-case extension", "a.MP3", Audio(),
       [](CID3v1Tag& t, const char* p) { t.WriteEmptyTag(p); }, tagged},
      {"mixed-case extension", "a.Mp3", Audio(),
       [](CID3v1Tag& t, const char* p) { t.WriteEmptyTag(p); }, tagged},
      {"no second tag; the setters fill the one there", "a.mp3",
       Join(Audio(), Tag().Title("old").Album("album").Year("1999").Track(4).ToBytes()),
       [](CID3v1Tag& t, const char* p) {
         t.WriteEmptyTag(p);
         t.SetTitle(p, "new");
         t.SetGenre(p, 101);
       },
       Join(Audio(), Tag().Title("new").Album("album").Year("1999").Track(4).Genre(101).ToBytes())},
      {"45-character title cut to 30, no zero after", "a.mp3", tagged,
       [&](CID3v1Tag& t, const char* p) { t.SetTitle(p, kTitle45.c_str()); },
       Join(Audio(), Tag().Title(kTitle45.substr(0, 30)).ToBytes())},
      {"five-digit year cut to four", "a.mp3", tagged,
       [](CID3v1Tag& t, const char* p) { t.SetYear(p, "20265"); },
       Join(Audio(), Tag().Year("2026").ToBytes())},
      {"a full comment stops before the zero byte and the track", "a.mp3",
       Join(Audio(), Tag().ZeroByte(9).Track(7).ToBytes()),
       [](CID3v1Tag& t, const char* p) { t.SetComment(p, "0123456789012345678901234567890"); },
       Join(Audio(), Tag().Comment("0123456789012345678901234567").ZeroByte(9).Track(7).ToBytes())},
      {"empty texts and the markers clear; a shorter text leaves nothing of a longer one",
       "a.mp3",
       Join(Audio(), Tag().Title("old title").Artist("old").Album("old").Year("1999")
                         .Comment("old").ToBytes()),
       [](CID3v1Tag& t, const char* p) {
         t.SetTitle(p, "new");
         t.SetArtist(p, "");
         t.SetAlbum(p, CID3v1Tag::ID3_NO_ALBUM);
         t.SetYear(p, CID3v1Tag::ID3_NO_YEAR);
         t.SetComment(p, CID3v1Tag::ID3_NO_COMMENT);
       },
       Join(Audio(), Tag().Title("new").ToBytes())},
      {"title and artist markers clear too", "a.mp3",
       Join(Audio(), Tag().Title("t").Artist("a").ToBytes()),
       [](CID3v1Tag& t, const char* p) {
         t.SetTitle(p, CID3v1Tag::ID3_NO_TITLE);
         t.SetArtist(p, CID3v1Tag::ID3_NO_ARTIST);
       },
       tagged},
      {"a text equal to a marker is text", "a.mp3", tagged,
       [&](CID3v1Tag& t, const char* p) { t.SetTitle(p, kMarkerText.c_str()); },
       Join(Audio(), Tag().Title("notitle").ToBytes())},
      {"genre and track take the low byte", "a.mp3", tagged,
       [](CID3v1Tag& t, const char* p) {
         t.SetGenre(p, 300);
         t.SetTrack(p, 5);
       },
       Join(Audio(), Tag().Track(5).Genre(300 & 0xFF).ToBytes())},
      {"a setter on an untagged file writes over its audio", "a.mp3", Audio(),
       [](CID3v1Tag& t, const char* p) { t.SetGenre(p, 101); }, genreOverAudio},
      {"a.mp4 left alone", "a.mp4", Audio(), every, Audio()},
      {"a.mp3x left alone", "a.mp3x", Audio(), every, Audio()},
      {"mp3 left alone", "mp3", Audio(), every, Audio()},
      {"a file shorter than a tag left alone", "short.mp3", Audio(127), every, Audio(127)},
      {"a missing file not created", "missing.mp3", Bytes{}, every, Bytes{}},
  };
  for (const Row& row : rows) {
    ScratchDirectory scratch;
    const std::string path = scratch.path() + "/" + row.name;
    if (!row.initial.empty()) WriteFile(path, row.initial);
    CID3v1Tag tag;
    row.act(tag, path.c_str());
    EXPECT_EQ(scratch.List().size(), row.expected.empty() ? 0u : 1u) << row.what;
    EXPECT_EQ(ReadWholeFile(path), row.expected) << row.what;
  }
}

TEST(CID3v1Tag, ReachesTheFileThroughThePathsOwnSeparators) {
  ScratchDirectory scratch;
  const std::string native = scratch.path() + "/a.mp3";
  WriteFile(native, Audio());
  // The program's own form uses backslashes; the file is the same.
  std::string own = native;
  own[scratch.path().size()] = '\\';
  CID3v1Tag tag;
  EXPECT_EQ(tag.WriteEmptyTag(own.c_str()), 1);
  EXPECT_EQ(tag.SetArtist(own.c_str(), "someone"), 1);
  EXPECT_EQ(ReadWholeFile(native), Join(Audio(), Tag().Artist("someone").ToBytes()));
}

}  // namespace
