// String packages read as the games read them, over small packages written here. Each
// text the game shows and each package it refuses was taken from the games' own readers,
// built apart from this project and run on the same bytes. Then the characters a player
// reads of a text and the seconds a line needs.
#include "strings/reading_time.h"
#include "strings/string_package.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

std::string Join(const Lines& lines, const char* lineEnd = "\n") {
  std::string text;
  for (const std::string& line : lines) text += line + lineEnd;
  return text;
}

Lines Cat(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// A StripEd package: VERSION, the package's own REFERENCE and COUNT, then body from line 4.
std::string Strip(int count, const Lines& body, const char* lineEnd = "\n") {
  return Join(Cat({{"VERSION 1", "REFERENCE MYMAP", "COUNT " + std::to_string(count)}, body}),
              lineEnd);
}

// One StripEd line entry, lines 4 to 8 when it comes first.
Lines Entry(int index, const std::string& reference,
            const std::string& textLine = "TEXT_LANGUAGE1 \"a\"") {
  return {"INDEX " + std::to_string(index), "{", "REFERENCE " + reference, textLine, "}"};
}

// A StringEd file: VERSION and CONFIG, then body from line 3; ENDMARKER is the body's.
std::string Stringed(const Lines& body, const char* lineEnd = "\n") {
  return Join(Cat({{"VERSION \"1\"", "CONFIG \"W:\\bin\\stringed.cfg\""}, body}), lineEnd);
}

const std::string STR = "strings/english/mymap.str";

// A StripEd package is read as strip/mymap.sp, a StringEd file as STR; in the language
// given, else in the one the package's path tells.
StringPackage Read(const std::string& bytes, const std::string& path = "strip/mymap.sp",
                   std::optional<PackageLanguage> language = {}) {
  PackageSource source;
  source.path = path;
  source.languageGiven = language.has_value();
  source.language = language.value_or(source.language);
  return ReadStringPackage(bytes, source);
}

// Each line with a file as "LINE REFERENCE FILE: TEXT", then each report as "LINE: TEXT",
// a skipped line's as "LINE- TEXT", a refusal as "LINE! TEXT".
std::string Describe(const StringPackage& package) {
  std::string text;
  for (const VoiceLine& line : package.lines) {
    if (!line.noFile.empty()) continue;
    text += std::to_string(line.line) + " " + line.reference + " " + line.fileName + ": " +
            line.text + "\n";
  }
  for (const PackageReport& report : package.reports) {
    const char* marks[] = {"! ", "- ", ": "};
    text += std::to_string(report.line) + marks[static_cast<int>(report.kind)] + report.text + "\n";
  }
  return text;
}

// The languages a package can be read in, their names separated by blanks.
std::string ListLanguages(const StringPackage& package) {
  std::string names;
  for (const PackageLanguage language : package.languages) {
    names += (names.empty() ? "" : " ") + std::string(GetPackageLanguageName(language));
  }
  return names;
}

// The text of a package read as one line with a file and no report; else all it read.
std::string ReadOne(const StringPackage& read) {
  return read.lines.size() == 1 && read.reports.empty() ? read.lines[0].text : Describe(read);
}

TEST(ReadStringPackage, ReadsEveryKeywordOfEitherFormatInPackageOrder) {
  // As the editor saves it: CRLF, every keyword, entries out of INDEX order, blank lines last;
  // read as "mymap.str", as its content tells the format.
  const std::string strip = Join(
      {"VERSION 1", "CONFIG W:\\bin\\striped.cfg", "ID 42", "REFERENCE MYMAP",
       "DESCRIPTION \"my map\"", "COUNT 3", "INDEX 255", "{", "REFERENCE KYLE_HI",
       "FLAGS SP_FLAG1 SP_FLAG_ORIGINAL", "NOTES \"first\"", "TEXT_LANGUAGE1 \"Hello.\"", "}",
       "INDEX 2", "{", "REFERENCE JAN_01", "TEXT_LANGUAGE1 \"Kyle!\"", "}", "INDEX 3", "{",
       "REFERENCE FRENCH_ONLY", "TEXT_LANGUAGE2 \"b\"", "}", "", ""},
      "\r\n");
  // Blank and comment lines anywhere, a longer word that begins with a keyword, no VERSION.
  const std::string stringed = Join(
      {"FILENOTES \"x\"", "", "REFERENCE KYLE_HI  // first", "  ", "FLAGS FLAG_CAPTION",
       "NOTES \"n\"", "LANG_ENGLISH \"Hello.\"", "// done", "REFERENCE JAN_01",
       "LANG_ENGLISH \"Kyle!\"", "ENDMARKERS", ""});
  EXPECT_EQ(Describe(Read(strip, "strip/mymap.str")),
            "9 KYLE_HI kyle_hi.mp3: Hello.\n16 JAN_01 jan_01.mp3: Kyle!\n"
            "21: FRENCH_ONLY: no text yet, so no file\n");
  EXPECT_EQ(Describe(Read(stringed, STR)),
            "3 KYLE_HI kyle_hi.mp3: Hello.\n9 JAN_01 jan_01.mp3: Kyle!\n");
}

TEST(ReadStringPackage, ReadsEachTextAsTheGameShowsIt) {
  const auto strip = [](const std::string& textLine, const char* lineEnd = "\n") {
    return Read(Strip(1, Entry(0, "A", textLine), lineEnd));
  };
  const auto stringed = [](const std::string& textLine, const char* lineEnd = "\n") {
    return Read(Stringed({"REFERENCE A", textLine, "ENDMARKER"}, lineEnd), STR);
  };
  const std::pair<StringPackage, std::string> cases[] = {
      // A quote ends the text only where it ends the line; else the line break is the text's.
      {strip(R"(TEXT_LANGUAGE1 "He said "stop" twice")", "\r\n"), R"(He said "stop" twice)"},
      {strip(R"(TEXT_LANGUAGE1 "closed"  )"), "closed\"  \n"},
      {strip(R"(text_language1    "no end)"), "no end\n"},
      {strip("TEXT_LANGUAGE1 unquoted  a\tb ^1c"), "unquoted  a b ^1c"},
      {strip(R"(TEXT_LANGUAGE1 "one\ntwo\\n")"), "one\ntwo\\\n"},
      {strip(R"(TEXT_LANGUAGE1 "")" "\n" R"(TEXT_LANGUAGE1 "later")"), "later"},
      {stringed("LANG_ENGLISH \"Hello there.\"  \t", "\r\n"), "Hello there."},
      {stringed(R"(LANG_ENGLISH "LF then\nCR")", "\n\r"), "LF then\nCR"},
      {stringed(R"(lang_english	"He said "stop" twice")"), R"(He said "stop" twice)"},
      // A // is a comment only outside quotes.
      {stringed(R"(LANG_ENGLISH "see http://x" // a note)"), "see http://x"},
      // The editors' curly characters made plain; the ellipsis one dot or three.
      {strip("TEXT_LANGUAGE1 \"\x93Hi\x94 \x91q\x92 a\x96" "b\x97 \x85?.\tx\x0B\""),
       "\"Hi\" 'q' a-b- .?  x."},
      {stringed("LANG_ENGLISH \"\x93Hi\x94 \x85 ?.\""), "\"Hi\" ... ? "},
      // Windows-1252 shown in UTF-8.
      {strip("TEXT_LANGUAGE1 \"\x80 Gr\xFC\xDF\""), "€ Grüß"},
  };
  for (const auto& [package, expected] : cases) EXPECT_EQ(ReadOne(package), expected);
}

TEST(ReadStringPackage, TakesTheLanguageAsEachGameDoes) {
  // Jedi Outcast: English until the text of the language read, which wins wherever it
  // stands; TEXT_LANGUAGE10 is no language of its.
  const std::string strip = Strip(
      1, {"INDEX 0", "{", "REFERENCE A", "TEXT_LANGUAGE2 \"Salut\"", "TEXT_LANGUAGE1 \"Hello\"",
          "TEXT_LANGUAGE3 \"Hallo\"", "TEXT_LANGUAGE8 \"\"", "TEXT_LANGUAGE10 \"x\"", "}"});
  const std::pair<PackageLanguage, std::string> stripCases[] = {
      {PackageLanguage::English, "Hello"},
      {PackageLanguage::French, "Salut"},
      {PackageLanguage::German, "Hallo"},
      {PackageLanguage::Spanish, "6: A: no text yet, so no file\n"},  // its empty text wins
  };
  for (const auto& [language, expected] : stripCases) {
    EXPECT_EQ(ReadOne(Read(strip, "strip/mymap.sp", language)), expected)
        << GetPackageLanguageName(language);
  }
  EXPECT_EQ(ListLanguages(Read(strip, "strip/mymap.sp", PackageLanguage::Italian)),
            "english french german italian spanish");
  // Jedi Academy, in the language of the folder it loads the file from: read in English,
  // each text takes the place of the one before, whatever its language; read in another,
  // English and that language only, "#same" meaning the English text.
  const std::string stringed = Stringed(
      {"REFERENCE A", "LANG_ENGLISH \"Hello\"", "LANG_FRENCH \"Salut\"", "REFERENCE B",
       "LANG_ENGLISH \"Go\"", "LANG_FRENCH \"#SAME\"", "ENDMARKER"});
  const std::string english = "3 A a.mp3: Salut\n6 B b.mp3: #SAME\n";
  EXPECT_EQ(Describe(Read(stringed, STR)), english);
  EXPECT_EQ(Describe(Read(stringed, "strings/french/mymap.str", PackageLanguage::English)), english);
  EXPECT_EQ(Describe(Read(stringed, "french/mymap.str")), english);
  EXPECT_EQ(Describe(Read(stringed, "base/Strings/FRENCH/mymap.str")),
            "3 A a.mp3: Salut\n6 B b.mp3: Go\n");
  const StringPackage german = Read(stringed, "strings/german/mymap.str");
  EXPECT_EQ(Describe(german), "5! a FRENCH text (LANG_FRENCH) in a file read as german: the game "
                              "takes English and german texts only: Jedi Academy refuses the "
                              "file and quits at start-up\n");
  // A language word in any case counts, even past the line the game refuses.
  EXPECT_EQ(ListLanguages(german), "english french german");
  EXPECT_EQ(ListLanguages(Read(Stringed({"REFERENCE A", "LANG_Korean \"x\"", "LANG_POLISH \"x\"",
                                         "ENDMARKER"}), "strings/korean/mymap.str")), "english korean");

  PackageLanguage language = PackageLanguage::English;
  EXPECT_TRUE(FindPackageLanguage("Japanese", &language));
  EXPECT_EQ(language, PackageLanguage::Japanese);
  EXPECT_FALSE(FindPackageLanguage("englis", &language));
  EXPECT_FALSE(FindPackageLanguage("englishx", &language));
}

// Each case: a package and the lines it gives, as Describe writes them.
struct ReadCase {
  std::string package;
  std::string read;
};

void CheckReads(const std::vector<ReadCase>& cases, const std::string& path) {
  for (const ReadCase& c : cases) EXPECT_EQ(Describe(Read(c.package, path)), c.read) << c.package;
}

TEST(ReadStringPackage, JediOutcastStopsReadingWhereTheGameDoes) {
  const Lines first = Entry(0, "A");  // lines 4 to 8
  const Lines second = Entry(1, "B");
  const std::string stopsAt = "6 A a.mp3: a\n12- B: the game stops reading at line 9: ";
  const std::string past =
      ": the game holds entries 0 to 255 and would write this one past them; it may crash\n";
  CheckReads(
      {
          {Strip(2, Cat({first, {""}, second})),
           stopsAt + "a blank line where the game wants INDEX\n"},
          {Strip(2, Cat({first, {"\tNOTES \"x\""}, second})),
           stopsAt + "a line that begins with a tab where the game wants INDEX\n"},
          {Strip(2, Cat({first, {"NOTE \"x\""}, second})),
           stopsAt + "\"NOTE\", which is no keyword where the game wants INDEX\n"},
          {Strip(2, Cat({first, {"INDEX 1", "REFERENCE B", "}"}})),
           "6 A a.mp3: a\n10- B: the game stops reading at line 10: INDEX is not followed by {: "
           "\"REFERENCE\", not {\n"},
          {Strip(1, {"INDEX 0", "{", "REFERENCE\tB", "}"}),
           "6- B: the game stops reading at line 6: \"REFERENCE\\tB\", which is no keyword (a "
           "keyword ends at a space, not a tab)\n"},
          {"VERSION 2\n" + Strip(1, second).substr(10),
           "6- B: the game stops reading at line 1: VERSION 2: the game reads version 1 only\n"},
          {"\xEF\xBB\xBF" + Strip(1, second),
           "6- B: the game stops reading at line 1: a UTF-8 byte order mark before VERSION; "
           "save without it\n"},
          {"REFERENCE MYMAP\n" + Strip(1, second).substr(10),
           "6- B: the game stops reading at line 1: the package does not begin with VERSION 1\n"},
          // Entries before COUNT or beyond it are read as the header, their REFERENCE as the
          // package's.
          {Join(Cat({{"VERSION 1", "REFERENCE MYMAP"}, second, {"COUNT 0"}})),
           "5: the header's REFERENCE is B, not MYMAP, the file's name: the game looks this "
           "map's lines up as MYMAP_REFERENCE and finds none of them here\n"
           "5- B: a line entry before COUNT: the game reads none without it\n"},
          {Strip(1, Cat({first, second})),
           "6 A a.mp3: a\n11: the header's REFERENCE is B, not MYMAP, the file's name: the game "
           "looks this map's lines up as MYMAP_REFERENCE and finds none of them here\n"
           "11- B: more line entries than COUNT 1: the game reads none beyond them, and takes "
           "this REFERENCE for the package's own\n"},
          // An entry without its } takes the next one's lines into it.
          {Strip(2, {"INDEX 0", "{", "REFERENCE A", "TEXT_LANGUAGE1 \"a\"", "INDEX 1", "{",
                     "REFERENCE B", "TEXT_LANGUAGE1 \"b\"", "}"}),
           "10 B b.mp3: b\n6- A: the entry is not closed with } before line 10, whose "
           "REFERENCE the game reads in place of this one\n"},
          // A later entry with the same INDEX takes the earlier one's place.
          {Strip(2, Cat({first, Entry(0, "B", "TEXT_LANGUAGE1 \"b\"")})),
           "6 A a.mp3: b\n11 B b.mp3: b\n6: a later entry with the same INDEX (line 11's) takes "
           "this one's place: the game shows its text for this REFERENCE too\n"},
          // One REFERENCE twice: the later text wins.
          {Strip(2, Cat({first, Entry(1, "A", "TEXT_LANGUAGE1 \"later\"")})),
           "11 A a.mp3: later\n6: A: line 11 names it too, and the game shows line 11's text "
           "for both\n"},
          // An INDEX past the game's 256 entries would be written past them. The package is
          // refused, and its reports still come in line order: the refusal is found first.
          {Strip(3, Cat({first, Entry(0, "B"), Entry(256, "C")})),
           "6: a later entry with the same INDEX (line 11's) takes this one's place: the game "
           "shows its text for this REFERENCE too\n14! INDEX 256" + past},
          {Strip(1, Entry(-1, "A")), "4! INDEX -1" + past},
          // The game reads a line as several where it fills its buffer of 8,192 bytes, its
          // line break included: a line of 8,191 bytes is one, of 8,192 a line and a blank.
          {Strip(1, Entry(0, "A", "TEXT_LANGUAGE1 \"" + std::string(8174, 'x') + "\"")),
           "6 A a.mp3: " + std::string(8174, 'x') + "\n"},
          {Strip(1, Entry(0, "A", "TEXT_LANGUAGE1 \"" + std::string(8175, 'x') + "\"")),
           "6- A: the game stops reading at line 7, before this entry's }: a blank line\n"},
          {Strip(1, Entry(0, "A", "TEXT_LANGUAGE1 \"" + std::string(9000, 'x') + "\"")),
           "6- A: the game stops reading at line 7, before this entry's }: \"" +
               std::string(40, 'x') + "...\", which is no keyword\n"},
      },
      "strip/mymap.sp");
}

TEST(ReadStringPackage, JediAcademyRefusesTheWholeFileWhereTheGameDoes) {
  const std::string quits = ": Jedi Academy refuses the file and quits at start-up\n";
  CheckReads(
      {
          {Stringed({"REFERENCE A", "LANG_ENGLISH \"a\"", "", "// cut here"}),
           "4! no ENDMARKER: the file is cut short" + quits},
          {Stringed({"REFERENCE A", "LANGUAGE_ENGLISH \"a\"", "ENDMARKER"}),
           "4! \"LANGUAGE_ENGLISH\" is not a keyword of a StringEd file" + quits},
          {Stringed({"\tREFERENCE A", "ENDMARKER"}),
           "3! a line that begins with a blank: the game takes a keyword only at the line's "
           "start" + quits},
          {"\xEF\xBB\xBF" + Stringed({"ENDMARKER"}),
           "1! a UTF-8 byte order mark, which the game takes for part of the first keyword" +
               quits},
          {"VERSION \"2\"\nENDMARKER\n", "1! VERSION 2: the game reads version 1 only" + quits},
          {Stringed({"LANG_ENGLISH \"a\"", "REFERENCE A", "ENDMARKER"}),
           "3! LANG_ENGLISH without a REFERENCE before it" + quits},
          {Stringed({"FLAGS FLAG_CAPTION", "ENDMARKER"}),
           "3! FLAGS without a REFERENCE before it" + quits},
          {Stringed({"REFERENCE A", "LANG_ENGLISH \"\"", "ENDMARKER"}),
           "4! an empty text: the game copies it into a buffer of no size and crashes" + quits},
          // What it reads: the later of two texts, a reference holding a '/' (that no voice
          // file can have), and a file without VERSION.
          {Stringed({"REFERENCE A", "LANG_ENGLISH \"a\"", "REFERENCE A", "LANG_ENGLISH \"b\"",
                     "REFERENCE LAN/CABLE", "LANG_ENGLISH \"c\"", "ENDMARKER"}),
           "5 A a.mp3: b\n3: A: line 5 names it too, and the game shows line 5's text for both\n"
           "7- LAN/CABLE: it cannot be a voice file's name: it holds '/', and the game looks "
           "the caption up by the name after the last one\n"},
          {"REFERENCE A\nLANG_ENGLISH \"a\"\nENDMARKER", "1 A a.mp3: a\n"},
          // The game reads the file as one C string: a zero byte ends it.
          {Stringed({"REFERENCE A", "LANG_ENGLISH \"a\"", "ENDMARKER"}) + '\0' + "\nREFERENCE B\n",
           "3 A a.mp3: a\n"},
          // The game's line buffer holds 16,383 bytes.
          {Stringed({"REFERENCE A", "LANG_ENGLISH \"" + std::string(16368, 'x') + "\"", "ENDMARKER"}),
           "3 A a.mp3: " + std::string(16368, 'x') + "\n3: A: the caption holds 32 lines and 8191 "
           "bytes at most: the game shows 8191 of its 16368 characters\n"},
          {Stringed({"REFERENCE A", "LANG_ENGLISH \"" + std::string(16369, 'x') + "\"", "ENDMARKER"}),
           "4! a line of 16384 bytes, longer than the game's line buffer of 16,383: it would "
           "crash" + quits},
          {std::string("\xFF\xFEV\0E\0", 6),
           "1! UTF-16 text, which the game does not read: save the package as ANSI\n"},
      },
      STR);
}

// Each reference gets the file the game plays for it or, when the game can never show its
// line, no file and a skipped line.
TEST(ReadStringPackage, NamesEachFileAfterTheFileTheGamePlaysOrGivesNone) {
  // A reference, and its file's name or why its line gets none.
  const std::string cannot = "it cannot be a voice file's name: ";
  const std::pair<std::string, std::string> references[] = {
      {"Kyle_Hi", "the game looks captions up in capitals, so a reference with a lower-case "
                  "letter is never found"},
      {"#KYLE", "the game looks a voice file whose name begins with # up without the map's "
                "name, so this line is never found"},
      {"\" KYLE\"", "it begins with a blank, which lists and scripts drop from a voice file's "
                    "name"},
      {"A\\B", cannot + "it holds '\\', and the game looks the caption up by the name after "
                        "the last one"},
      {"A\x01" "B", cannot + "it holds a control character"},
      {"A:B", cannot + "it holds ':'"}, {"A*B", cannot + "it holds one of < > \" | ? *"},
      {"PRN .GREETING", cannot + "Windows keeps the name PRN .GREETING for a device"},
      {"LPT9", cannot + "Windows keeps the name LPT9 for a device"},
      // MYMAP_ and 57 letters make the 63 that a key holds.
      {std::string(57, 'A'), std::string(57, 'a') + ".mp3"},
      {std::string(58, 'A'), "the game cuts the key MYMAP_" + std::string(58, 'A') +
                                 " (64 characters) to 63, so this line is never found"},
      {"COM10", "com10.mp3"}, {"TWO WORDS ", "two words .mp3"},
      {"ÜBER_KYLE", "Über_kyle.mp3"},  // only ASCII letters are lowered, as the game raises
      {"CAF\xC9", "caf\xC3\x89.mp3"},  // Windows-1252 É, named in UTF-8
  };
  for (const auto& [reference, named] : references) {
    const StringPackage read = Read(Strip(1, Entry(0, reference)));
    ASSERT_EQ(read.lines.size(), 1u) << reference;
    const VoiceLine& line = read.lines[0];
    EXPECT_EQ(line.noFile.empty() ? line.fileName : line.noFile, named) << reference;
    EXPECT_EQ(CountSkippedLines(read.reports), line.noFile.empty() ? 0u : 1u) << reference;
  }
  // The sound system drops one more extension: KYLE.HI plays kyle.mp3, told once; two
  // references that come to one file both go without.
  EXPECT_EQ(Describe(Read(Strip(1, Entry(0, "KYLE.HI")))),
            "6 KYLE.HI kyle.mp3: a\n6: KYLE.HI: a script plays it as kyle.hi.mp3, and the game "
            "then plays kyle.mp3 for it: written as kyle.mp3\n");
  const StringPackage shared = Read(Strip(2, Cat({Entry(0, "KYLE.HI"), Entry(1, "KYLE")})));
  EXPECT_EQ(shared.lines[0].noFile, "line 11's KYLE comes to the same file, kyle.mp3: neither gets one");
  EXPECT_EQ(shared.lines[1].noFile, "line 6's KYLE.HI comes to the same file, kyle.mp3: neither gets one");
  EXPECT_EQ(CountSkippedLines(shared.reports), 2u);
}

TEST(ReadStringPackage, TellsWhatThePlayerSeesOtherwiseThanWritten) {
  // UTF-8 in a Western language: each letter beyond ASCII is two signs, and counts as two.
  // The last byte of the file ends a letter, and the file is still UTF-8.
  std::string bytes = Stringed({"REFERENCE A", "LANG_ENGLISH \"Grüße\"", "ENDMARKER // ü"});
  bytes.pop_back();
  EXPECT_EQ(Describe(Read(bytes, STR)),
            "3 A a.mp3: GrÃ¼ÃŸe\n3: A: the text is UTF-8, and the game draws one sign per byte: "
            "each letter beyond ASCII shows as two signs; save as Windows-1252\n");
  // In an Asian language it is left as written.
  EXPECT_EQ(ReadOne(Read(Stringed({"REFERENCE A", "LANG_JAPANESE \"日本\"", "ENDMARKER"}),
                         "strings/japanese/mymap.str", PackageLanguage::Japanese)),
            "日本");
  // A caption of more lines than the game keeps.
  std::string lines;
  for (int line = 0; line < 33; ++line) lines += "ab\\n";
  EXPECT_EQ(Read(Strip(1, Entry(0, "A", "TEXT_LANGUAGE1 \"" + lines + "\""))).reports[0].text,
            "A: the caption holds 32 lines and 8191 bytes at most: the game shows 95 of its 99 "
            "characters");
}

TEST(ReadStringPackage, TellsWhatAMapsNameAndAPlayersSexChange) {
  // Jedi Outcast finds the lines under the map's name, which is the package's file name.
  EXPECT_EQ(Read(Strip(1, Entry(0, "A")), "strip/other.sp").reports[0].text,
            "the header's REFERENCE is MYMAP, not OTHER, the file's name: the game looks this "
            "map's lines up as OTHER_REFERENCE and finds none of them here");
  EXPECT_EQ(Read(Join(Cat({{"VERSION 1", "COUNT 1"}, Entry(0, "A")})), "x/Mymap.sp").reports[0].text,
            "the header has no REFERENCE: the game looks this map's lines up as MYMAP_REFERENCE "
            "and finds them only when the header's REFERENCE is MYMAP, the file's name");
  EXPECT_TRUE(Read(Strip(1, Entry(0, "A")), "strip/MyMap.sp").reports.empty());
  // Jedi Academy's female player hears ms_ files where a male one hears mr_ files.
  const StringPackage twins = Read(
      Stringed({"REFERENCE MR_HI", "LANG_ENGLISH \"a\"", "REFERENCE MS_HI", "LANG_ENGLISH \"a\"",
                "REFERENCE MR_GO", "LANG_ENGLISH \"a\"", "REFERENCE MS_BYE",
                "LANG_ENGLISH \"a\"", "ENDMARKER"}),
      STR);
  EXPECT_EQ(Describe(twins),
            "3 MR_HI mr_hi.mp3: a\n5 MS_HI ms_hi.mp3: a\n7 MR_GO mr_go.mp3: a\n9 MS_BYE ms_bye.mp3: a\n"
            "7: MR_GO has no MS_GO line: a female player hears ms_go.mp3, with no caption\n"
            "9: MS_BYE has no MR_BYE line: a male player hears mr_bye.mp3, with no caption\n");
}

// What the level view shows of a line is what is counted: every character of it.
TEST(CountReadCharacters, CountsWhatThePlayerReadsAndTheViewShows) {
  const struct { const char* text; long long count; const char* shown; } cases[] = {
      {"  Hello  there.  ", 12, "Hello there."},  // ends dropped, a run of spaces is one
      {"one \n two\tthree", 13, "one two three"},  // a line break or tab is a space
      // Colour codes are not read, nor split a run of spaces; a caret without a digit is.
      {"^1Kyle^7, ^2 go!", 9, "Kyle, go!"}, {"^1 ^2", 0, ""}, {"x^^1 ^a^", 6, "x^ ^a^"},
      {"Grüße “da” €", 12, "Grüße “da” €"},  // UTF-8 characters, not bytes
  };
  for (const auto& row : cases) {
    EXPECT_EQ(CountReadCharacters(row.text), row.count) << row.text;
    EXPECT_EQ(ShowReadText(row.text), row.shown);
  }
}

TEST(ComputeReadingSeconds, RoundsUpAndKeepsWithinTheBounds) {
  // Characters, characters a second, the least seconds, and the seconds they make.
  const std::tuple<long long, int, int, int> cases[] = {
      {0, 15, 3, 3},  {30, 15, 2, 2},       {31, 15, 2, 3},
      {10, 1, 9, 10}, {28801, 1, 1, 28800}, {1000000000000LL, 1, 1, 28800},
  };
  for (const auto& [characters, cps, minSeconds, expected] : cases) {
    EXPECT_EQ(ComputeReadingSeconds(characters, cps, minSeconds), expected)
        << characters << " / " << cps << ", at least " << minSeconds;
  }
}

}  // namespace
