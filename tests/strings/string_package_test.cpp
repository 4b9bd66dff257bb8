// String packages read as the games read them, over small packages written here: texts,
// names, languages, formats and every refusal with its line; then the characters a player
// reads of a text and the seconds a line needs.
#include "strings/reading_time.h"
#include "strings/string_package.h"

#include <gtest/gtest.h>

#include <initializer_list>
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
  return Join(Cat({{"VERSION 1", "REFERENCE TESTMAP", "COUNT " + std::to_string(count)}, body}),
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

StringPackage Read(const std::string& bytes, const std::string& name = "mymap.sp",
                   PackageLanguage language = PackageLanguage::English) {
  return ReadStringPackage(bytes, name, language);
}

// Each line read as "LINE REFERENCE FILE: TEXT", then each report as "LINE: TEXT", a
// refusal as "LINE! TEXT".
std::string Describe(const StringPackage& package) {
  std::string text;
  for (const VoiceLine& line : package.lines) {
    text += std::to_string(line.line) + " " + line.reference + " " + line.fileName + ": " +
            line.text + "\n";
  }
  for (const PackageReport& report : package.reports) {
    text += std::to_string(report.line) + (report.refusesPackage ? "! " : ": ") + report.text +
            "\n";
  }
  return text;
}

// What a package read as one line and no report gives of that line; else all it read.
std::string ReadOne(const std::string& bytes, std::string VoiceLine::*field = &VoiceLine::text,
                    PackageLanguage language = PackageLanguage::English) {
  const StringPackage read = Read(bytes, "mymap.sp", language);
  return read.lines.size() == 1 && read.reports.empty() ? read.lines[0].*field : Describe(read);
}

TEST(ReadStringPackage, ReadsEveryKeywordOfEitherFormatInPackageOrder) {
  // As the editor saves it: CRLF, every keyword, entries out of INDEX order, blank lines last;
  // read as "mymap.str", as its content tells the format. A line with no English text, nor
  // one in the language read, is told and gets no file.
  const std::string strip = Join(
      {"VERSION 1", "CONFIG W:\\bin\\striped.cfg", "ID 42", "REFERENCE MYMAP",
       "DESCRIPTION \"my map\"", "COUNT 3", "INDEX 255", "{", "REFERENCE KYLE_HI",
       "FLAGS SP_FLAG1 SP_FLAG_ORIGINAL", "NOTES \"first\"", "TEXT_LANGUAGE1 \"Hello.\"", "}",
       "INDEX 2", "{", "REFERENCE JAN_01", "TEXT_LANGUAGE1 \"Kyle!\"", "}", "INDEX 3", "{",
       "REFERENCE FRENCH_ONLY", "TEXT_LANGUAGE2 \"b\"", "}", "", ""},
      "\r\n");
  // Blank and comment lines anywhere, and a longer word that begins with a keyword.
  const std::string stringed = Stringed(
      {"FILENOTES \"x\"", "", "REFERENCE KYLE_HI  // first", "  ", "FLAGS FLAG_CAPTION",
       "NOTES \"n\"", "LANG_ENGLISH \"Hello.\"", "// done", "REFERENCE JAN_01",
       "LANG_ENGLISH \"Kyle!\"", "ENDMARKERS", ""});
  EXPECT_EQ(Describe(Read(strip, "mymap.str")), "9 KYLE_HI kyle_hi.mp3: Hello.\n16 JAN_01 jan_01.mp3: Kyle!\n"
                                   "21: FRENCH_ONLY has no text\n");
  EXPECT_EQ(Describe(Read(stringed)),
            "5 KYLE_HI kyle_hi.mp3: Hello.\n11 JAN_01 jan_01.mp3: Kyle!\n");
}

TEST(ReadStringPackage, ReadsEachTextAsTheGameShowsIt) {
  const auto strip = [](const std::string& textLine, const char* lineEnd = "\n") {
    return Strip(1, Entry(0, "A", textLine), lineEnd);
  };
  const auto stringed = [](const std::string& textLine, const char* lineEnd = "\n") {
    return Stringed({"REFERENCE A", textLine, "ENDMARKER"}, lineEnd);
  };
  const std::pair<std::string, std::string> cases[] = {
      // A quote ends the text only where it ends the line, before its CR.
      {strip(R"(TEXT_LANGUAGE1 "He said "stop" twice")", "\r\n"), R"(He said "stop" twice)"},
      {strip(R"(text_language1    "no end)"), "no end"},
      {strip("TEXT_LANGUAGE1 unquoted  a\tb ^1c"), "unquoted  a\tb ^1c"},
      {strip(R"(TEXT_LANGUAGE1 "one\ntwo\\n")"), "one\ntwo\\\n"},
      {stringed("LANG_ENGLISH \"Hello there.\"  \t", "\r\n"), "Hello there."},
      {stringed(R"(LANG_ENGLISH "LF then\nCR")", "\n\r"), "LF then\nCR"},
      {stringed(R"(lang_english	"He said "stop" twice")"), R"(He said "stop" twice)"},
      // A // is a comment only outside quotes.
      {stringed(R"(LANG_ENGLISH "see http://x" // a note)"), "see http://x"},
      // Windows-1252 (the file is no UTF-8), and UTF-8 as it is.
      {strip("TEXT_LANGUAGE1 \"\x93Hi\x94 \x80 \x85 Gr\xFC\xDF\""), "“Hi” € … Grüß"},
      {stringed("LANG_ENGLISH \"Grüße “da” €\""), "Grüße “da” €"},
  };
  for (const auto& [package, expected] : cases) EXPECT_EQ(ReadOne(package), expected) << package;
}

TEST(ReadStringPackage, NamesEachFileAfterItsReferenceInLowerCase) {
  const std::pair<std::string, std::string> cases[] = {
      // The writer would take ".GREETING" for an extension; ".mp3" after it keeps it.
      {"KYLE.GREETING", "kyle.greeting.mp3"},
      {"TWO WORDS ", "two words .mp3"},
      {"ÜBER_KYLE", "Über_kyle.mp3"},  // only ASCII letters are lowered, as the game raises
      {"CAF\xC9", "caf\xC3\x89.mp3"},  // Windows-1252 É, named in UTF-8
      {"COM10", "com10.mp3"},
      {std::string(59, 'A'), std::string(59, 'a') + ".mp3"},  // 63 characters
      {std::string(58, 'A') + "\xC9", std::string(58, 'a') + "\xC3\x89.mp3"},
  };
  for (const auto& [reference, fileName] : cases) {
    EXPECT_EQ(ReadOne(Strip(1, Entry(0, reference)), &VoiceLine::fileName), fileName);
  }
}

TEST(ReadStringPackage, TakesTheLanguageNamedInAnyCaseElseEnglish) {
  // French before English, as an editor may write them.
  const std::string strip = Strip(
      1, {"INDEX 0", "{", "REFERENCE A", "TEXT_LANGUAGE2 \"Salut\"", "TEXT_LANGUAGE1 \"Hello\"",
          "TEXT_LANGUAGE3 \"Hallo\"", "TEXT_LANGUAGE4 \"Hiya\"", "TEXT_LANGUAGE5 \"Annyeong\"",
          "TEXT_LANGUAGE6 \"Ni hao\"", "TEXT_LANGUAGE8 \"\"", "TEXT_LANGUAGE9 \"Konnichiwa\"",
          "}"});
  // A foreign "#same" is the English text.
  const std::string stringed = Stringed(
      {"REFERENCE A", "LANG_ENGLISH \"Hello\"", "LANG_FRENCH \"Salut\"", "LANG_GERMAN \"#SAME\"",
       "LANG_SPANISH \"\"", "LANG_JAPANESE \"Konnichiwa\"", "ENDMARKER"});
  const char* const cases[][3] = {
      {"english", "Hello", "Hello"},   {"French", "Salut", "Salut"},
      {"GERMAN", "Hallo", "Hello"},    {"british", "Hiya", "Hello"},
      {"korean", "Annyeong", "Hello"}, {"taiwanese", "Ni hao", "Hello"},
      {"italian", "Hello", "Hello"},   {"spanish", "Hello", "Hello"},
      {"japanese", "Konnichiwa", "Konnichiwa"},
  };
  PackageLanguage language = PackageLanguage::English;
  for (const auto& [name, stripText, stringedText] : cases) {
    ASSERT_TRUE(FindPackageLanguage(name, &language)) << name;
    EXPECT_EQ(ReadOne(strip, &VoiceLine::text, language), stripText) << name;
    EXPECT_EQ(ReadOne(stringed, &VoiceLine::text, language), stringedText) << name;
  }
  EXPECT_FALSE(FindPackageLanguage("englis", &language));
  EXPECT_FALSE(FindPackageLanguage("englishx", &language));
}

TEST(ReadStringPackage, ToldItsFormatByContentThenByExtension) {
  // StripEd content is told above, StringEd content in every StringEd case here, read as
  // "mymap.sp". Neither blocks nor ENDMARKER: a StripEd package, with no lines, is whole; a
  // StringEd file is cut short.
  const std::string neither = "VERSION 1\nREFERENCE TESTMAP\n";
  EXPECT_FALSE(IsPackageRefused(Read(neither, "MYMAP.SP")));
  EXPECT_TRUE(IsPackageRefused(Read(neither, "mymap.str")));
  EXPECT_TRUE(IsPackageRefused(Read(neither, "sp")));
}

// Each case: the package, and the refusals it must give: their lines, in order, and a
// phrase each must hold.
struct RefusalCase {
  std::string package;
  std::vector<std::pair<int, std::string>> refusals;
};

void CheckRefusals(const std::vector<RefusalCase>& cases) {
  for (const RefusalCase& c : cases) {
    std::vector<std::pair<int, std::string>> found;
    for (const PackageReport& report : Read(c.package).reports) {
      if (report.refusesPackage) found.push_back({report.line, report.text});
    }
    ASSERT_EQ(found.size(), c.refusals.size()) << Describe(Read(c.package));
    for (size_t i = 0; i < found.size(); ++i) {
      EXPECT_EQ(found[i].first, c.refusals[i].first) << found[i].second;
      EXPECT_NE(found[i].second.find(c.refusals[i].second), std::string::npos) << found[i].second;
    }
  }
}

TEST(ReadStringPackage, RefusesWhatIsNoPackageOrWouldBeReadOtherwise) {
  const Lines first = Entry(0, "A");  // lines 4 to 8
  const Lines second = Entry(1, "B");
  CheckRefusals({
      {"", {{1, "not a string package"}}}, {"\nVERSION 1\n", {{1, "not a string package"}}},
      {"VERSION 2\nCOUNT 0\n", {{1, "version 1 only"}}},
      {"VERSION \"2\"\nENDMARKER\n", {{1, "version 1 only"}}},
      {"\xEF\xBB\xBF" + Strip(1, first), {{1, "byte order mark"}}},
      {std::string("\xFF\xFEV\0E\0", 6), {{1, "UTF-16"}}},
      {Stringed({"REFERENCE A", "LANG_ENGLISH \"a\"", "", "// cut here"}), {{4, "no ENDMARKER"}}},
      // The next INDEX would be read into the open entry. Found there, after the keyword
      // below it, and told in line order.
      {Strip(2, {"INDEX 0", "{", "REFERENCE A", "TEXT_LANGAUGE1 \"a\"", "INDEX 1", "{",
                 "REFERENCE B", "}"}),
       {{5, "{ is not closed"}, {7, "not a keyword"}}},
      {Strip(1, {"INDEX 0", "{", "REFERENCE A"}), {{5, "{ is not closed"}}},
      {Strip(1, Cat({first, {"}"}})), {{9, "} closes no {"}}},
      {Strip(1, {"INDEX 0", "REFERENCE A", "}"}), {{4, "not followed by {"}}},
      {Strip(1, {"{", "REFERENCE A", "}"}), {{4, "{ without INDEX"}}},
      {Strip(2, Cat({first, {""}, Entry(1, "B", "")})),
       {{9, "a blank line"}, {13, "a blank line"}}},
      {Strip(2, Cat({{"DESCRIPTION \"x\""}, first, {"NOTES \"x\""}, second})),
       {{4, "wants INDEX"}, {10, "wants INDEX"}}},
      {Strip(1, {"INDEX 0", "{", "REFERENCE\tA", "}"}),
       {{4, "without REFERENCE"}, {6, "not a tab"}}},
      {Join(Cat({{"VERSION 1"}, first})), {{2, "before COUNT"}}},
      {Strip(1, Cat({first, second})), {{9, "more line entries than COUNT 1"}}},
      {Strip(2, Cat({Entry(256, "A"), Entry(-1, "B")})), {{4, "0 to 255"}, {9, "0 to 255"}}},
      {Strip(2, Cat({first, Entry(0, "B")})), {{9, "line 4's too"}}},
      {Stringed({"LANG_ENGLISH \"a\"", "REFERENCE A", "LANG_ENGLISH \"a\"", "ENDMARKER"}),
       {{3, "without a REFERENCE"}}},
      {Stringed({"FLAGS FLAG_CAPTION", "ENDMARKER"}), {{3, "without a REFERENCE"}}},
      {Stringed({"REFERENCE A", "LANGUAGE_ENGLISH \"a\"", "ENDMARKER"}), {{4, "not a keyword"}}},
      {Stringed({"  REFERENCE A", "ENDMARKER"}), {{3, "begins with a blank"}}},
  });
}

TEST(ReadStringPackage, RefusesReferencesThatCannotNameAFileOnce) {
  // A reference, and what its refusal on line 6 says.
  std::vector<std::pair<std::string, std::string>> references = {
      {"", "empty REFERENCE"},
      {"A\x01" "B", "A\\x01B cannot be a file name: it holds a control character"},
      {"A\x7F", "A\\x7F cannot"}, {"A\xC2\x85" "B", "control character"},  // U+0085
      {"Prn .greeting", "device"},  // in any case, before blanks and an extension
      {"LPT9", "device"}, {std::string(60, 'A'), "64 characters"},
      {std::string(58, 'A') + "É", "64 characters"},  // UTF-8: the game counts bytes
  };
  for (char c : std::string("/\\:*?\"<>|"))
    references.push_back({std::string("A") + c + "B", std::string("'") + c + "'"});
  std::vector<RefusalCase> cases;
  for (const auto& [reference, phrase] : references)
    cases.push_back({Strip(1, Entry(0, reference)), {{6, phrase}}});
  cases.push_back({Strip(2, Cat({Entry(0, "KYLE_HI"), Entry(1, "KYLE_HI")})),
                   {{11, "KYLE_HI is line 6's too"}}});
  cases.push_back({Strip(2, Cat({Entry(0, "KYLE_HI"), Entry(1, "Kyle_Hi")})),
                   {{11, "Kyle_Hi makes the file kyle_hi.mp3 as line 6's KYLE_HI does"}}});
  CheckRefusals(cases);
}

TEST(CountReadCharacters, CountsWhatThePlayerReads) {
  const std::pair<const char*, long long> cases[] = {
      {"  Hello  there.  ", 12},  // ends dropped, a run of spaces is one
      {"one \n two\tthree", 13},  // a line break or tab is a space
      {"^1Kyle^7, ^2 go!", 9},    // colour codes are not read, nor split a run of spaces
      {"^1 ^2", 0},
      {"x^^1 ^a^", 6},        // a caret without a digit is read
      {"Grüße “da” €", 12},  // UTF-8 characters, not bytes
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(CountReadCharacters(text), expected) << text;
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
