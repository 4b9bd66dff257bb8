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

bool Exists(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file) std::fclose(file);
  return file != nullptr;
}

TEST(CID3v1Tag, EveryCaseOfTheTable) {
  const std::string kTitle45 = "A title of forty-five characters, far too lon";
  ASSERT_EQ(kTitle45.size(), 45u);
  const std::string kMarkerText = "notitle";  // equal to the marker, but another object

  struct Row {
    const char* what;
    const char* name;  // file name in the scratch folder; "" for none
    Bytes initial;     // empty: no file
    std::function<void(CID3v1Tag&, const std::string&)> act;
    Bytes expected;
    bool absent = false;  // the file must not exist afterwards
  };
  const std::vector<Row> rows = {
      {"empty tag appended", "a.mp3", Audio(),
       [](CID3v1Tag& t, const std::string& p) { t.WriteEmptyTag(p.c_str()); },
       Join(Audio(), Tag().ToBytes())},
      {"no second tag on a tagged file, the setters fill the one there", "a.mp3",
       Join(Audio(), Tag().Title("old").Album("album").Year("1999").Track(4).Genre(17).ToBytes()),
       [](CID3v1Tag& t, const std::string& p) {
         t.WriteEmptyTag(p.c_str());
         t.SetTitle(p.c_str(), "new");
         t.SetGenre(p.c_str(), 101);
       },
       Join(Audio(), Tag().Title("new").Album("album").Year("1999").Track(4).Genre(101).ToBytes())},
      {"a 45-character title is cut to 30 with no zero after", "a.mp3",
       Join(Audio(), Tag().ToBytes()),
       [&](CID3v1Tag& t, const std::string& p) { t.SetTitle(p.c_str(), kTitle45.c_str()); },
       Join(Audio(), Tag().Title(kTitle45.substr(0, 30)).ToBytes())},
      {"a five-digit year keeps its first four", "a.mp3", Join(Audio(), Tag().ToBytes()),
       [](CID3v1Tag& t, const std::string& p) { t.SetYear(p.c_str(), "20265"); },
       Join(Audio(), Tag().Year("2026").ToBytes())},
      {"a full comment stops before the zero byte and the track", "a.mp3",
       Join(Audio(), Tag().ZeroByte(9).Track(7).ToBytes()),
       [](CID3v1Tag& t, const std::string& p) {
         t.SetComment(p.c_str(), "0123456789012345678901234567890123");
       },
       Join(Audio(), Tag().Comment("0123456789012345678901234567").ZeroByte(9).Track(7).ToBytes())},
      {"an empty text clears what stood there", "a.mp3",
       Join(Audio(), Tag().Title("old title").Artist("old artist").Album("old album").Year("1999").Comment("old").ToBytes()),
       [](CID3v1Tag& t, const std::string& p) {
         t.SetTitle(p.c_str(), "");
         t.SetArtist(p.c_str(), "");
         t.SetAlbum(p.c_str(), "");
         t.SetYear(p.c_str(), "");
         t.SetComment(p.c_str(), "");
       },
       Join(Audio(), Tag().ToBytes())},
      {"a shorter text leaves no character of a longer one", "a.mp3",
       Join(Audio(), Tag().Title("a long old title").ToBytes()),
       [](CID3v1Tag& t, const std::string& p) { t.SetTitle(p.c_str(), "new"); },
       Join(Audio(), Tag().Title("new").ToBytes())},
      {"the markers clear their fields", "a.mp3",
       Join(Audio(), Tag().Title("t").Artist("a").Album("b").Year("1999").Comment("c").ToBytes()),
       [](CID3v1Tag& t, const std::string& p) {
         t.SetTitle(p.c_str(), CID3v1Tag::ID3_NO_TITLE);
         t.SetArtist(p.c_str(), CID3v1Tag::ID3_NO_ARTIST);
         t.SetAlbum(p.c_str(), CID3v1Tag::ID3_NO_ALBUM);
         t.SetYear(p.c_str(), CID3v1Tag::ID3_NO_YEAR);
         t.SetComment(p.c_str(), CID3v1Tag::ID3_NO_COMMENT);
       },
       Join(Audio(), Tag().ToBytes())},
      {"a text equal to a marker is written as text", "a.mp3", Join(Audio(), Tag().ToBytes()),
       [&](CID3v1Tag& t, const std::string& p) { t.SetTitle(p.c_str(), kMarkerText.c_str()); },
       Join(Audio(), Tag().Title("notitle").ToBytes())},
      {"genre and track take the low byte", "a.mp3", Join(Audio(), Tag().ToBytes()),
       [](CID3v1Tag& t, const std::string& p) {
         t.SetGenre(p.c_str(), 300);
         t.SetTrack(p.c_str(), 5);
       },
       Join(Audio(), Tag().Track(5).Genre(300 & 0xFF).ToBytes())},
      {"a setter on an untagged file writes over its last bytes", "a.mp3", Audio(),
       [](CID3v1Tag& t, const std::string& p) { t.SetGenre(p.c_str(), 101); },
       [] {
         Bytes b = Audio();
         b.back() = 101;
         return b;
       }()},
      {"upper-case extension is tagged", "a.MP3", Audio(),
       [](CID3v1Tag& t, const std::string& p) { t.WriteEmptyTag(p.c_str()); },
       Join(Audio(), Tag().ToBytes())},
      {"mixed-case extension is tagged", "a.Mp3", Audio(),
       [](CID3v1Tag& t, const std::string& p) { t.WriteEmptyTag(p.c_str()); },
       Join(Audio(), Tag().ToBytes())},
      {"a.mp4 is left alone", "a.mp4", Audio(),
       [](CID3v1Tag& t, const std::string& p) {
         t.WriteEmptyTag(p.c_str());
         t.SetTitle(p.c_str(), "x");
         t.SetGenre(p.c_str(), 1);
       },
       Audio()},
      {"a.mp3x is left alone", "a.mp3x", Audio(),
       [](CID3v1Tag& t, const std::string& p) {
         t.WriteEmptyTag(p.c_str());
         t.SetTrack(p.c_str(), 1);
       },
       Audio()},
      {"mp3 without a dot is left alone", "mp3", Audio(),
       [](CID3v1Tag& t, const std::string& p) { t.WriteEmptyTag(p.c_str()); }, Audio()},
      {"a file shorter than a tag gets nothing", "short.mp3", Audio(100),
       [](CID3v1Tag& t, const std::string& p) {
         t.WriteEmptyTag(p.c_str());
         t.SetTitle(p.c_str(), "x");
         t.SetComment(p.c_str(), "y");
         t.SetGenre(p.c_str(), 1);
         t.SetTrack(p.c_str(), 1);
       },
       Audio(100)},
      {"an empty file gets nothing", "empty.mp3", Bytes{},
       [](CID3v1Tag& t, const std::string& p) {
         WriteFile(p, Bytes{});
         t.WriteEmptyTag(p.c_str());
         t.SetGenre(p.c_str(), 1);
       },
       Bytes{}},
      {"a missing file is not created", "missing.mp3", Bytes{},
       [](CID3v1Tag& t, const std::string& p) {
         t.WriteEmptyTag(p.c_str());
         t.SetTitle(p.c_str(), "x");
         t.SetGenre(p.c_str(), 1);
       },
       Bytes{}, true},
  };

  for (const Row& row : rows) {
    ScratchDirectory scratch;
    const std::string path = scratch.path() + "/" + row.name;
    if (!row.initial.empty()) WriteFile(path, row.initial);
    CID3v1Tag tag;
    row.act(tag, path);
    if (row.absent) {
      EXPECT_FALSE(Exists(path)) << row.what;
    } else {
      EXPECT_EQ(ReadWholeFile(path), row.expected) << row.what;
    }
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
