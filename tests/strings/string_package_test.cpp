// String packages read as the games read them, over small packages written here: texts,
// names, languages, formats and every refusal with its line.
#include "strings/string_package.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string Join(const std::vector<std::string>& lines, const char* lineEnd) {
  std::string text;
  for (const std::string& line : lines) text += line + lineEnd;
  return text;
}

// A StripEd package: VERSION, the package's own REFERENCE and COUNT, then body from line 4.
std::string Strip(int count, std::vector<std::string> body, const char* lineEnd = "\n") {
  body.insert(body.begin(), {"VERSION 1", "REFERENCE TESTMAP", "COUNT " + std::to_string(count)});
  return Join(body, lineEnd);
}

// One StripEd line entry, lines 4 to 8 when it comes first.
std::vector<std::string> StripEntry(int index, const std::string& reference,
                                    const std::string& textLine) {
  return {"INDEX " + std::to_string(index), "{", "REFERENCE " + reference, textLine, "}"};
}

std::vector<std::string> Concat(std::vector<std::string> first,
                                const std::vector<std::string>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

// A StringEd file: VERSION and CONFIG, then body from line 3; ENDMARKER is the body's.
std::string Stringed(std::vector<std::string> body, const char* lineEnd = "\n") {
  body.insert(body.begin(), {"VERSION \"1\"", "CONFIG \"W:\\bin\\stringed.cfg\""});
  return Join(body, lineEnd);
}

StringPackage Read(const std::string& bytes, const std::string& name = "mymap.sp",
                   PackageLanguage language = PackageLanguage::English) {
  return ReadStringPackage(bytes, name, language);
}

std::string DescribeReports(const StringPackage& package) {
  std::string text;
  for (const PackageReport& report : package.reports) {
    text += std::to_string(report.line) + ": " + report.text + "\n";
  }
  return text;
}

TEST(ReadStringPackage, ReadsEveryKeywordOfAStripEdPackageInPackageOrder) {
  // As the editor saves it: CRLF, every keyword, entries out of INDEX order, blank lines last.
  const std::string strip = Join(
      {"VERSION 1", "CONFIG W:\\bin\\striped.cfg", "ID 42", "REFERENCE MYMAP",
       "DESCRIPTION \"my map\"", "COUNT 2", "INDEX 7", "{", "REFERENCE KYLE_HI",
       "FLAGS SP_FLAG1 SP_FLAG_ORIGINAL", "NOTES \"first\"", "TEXT_LANGUAGE1 \"Hello.\"", "}",
       "INDEX 2", "{", "REFERENCE JAN_01", "TEXT_LANGUAGE1 \"Kyle!\"", "}", "", ""},
      "\r\n");
  const StringPackage read = Read(strip);
  EXPECT_EQ(DescribeReports(read), "");
  ASSERT_EQ(read.lines.size(), 2u);
  EXPECT_EQ(read.lines[0].line, 9);
  EXPECT_EQ(read.lines[0].reference, "KYLE_HI");
  EXPECT_EQ(read.lines[0].text, "Hello.");
  EXPECT_EQ(read.lines[1].line, 16);
  EXPECT_EQ(read.lines[1].fileName, "jan_01.mp3");
}

TEST(ReadStringPackage, ReadsEachTextAsTheGameShowsIt) {
  const auto strip = [](const std::string& textLine, const char* lineEnd = "\n") {
    return Strip(1, StripEntry(0, "A", textLine), lineEnd);
  };
  const auto stringed = [](const std::string& textLine, const char* lineEnd = "\n") {
    return Stringed({"REFERENCE A", textLine, "ENDMARKER"}, lineEnd);
  };
  const std::pair<std::string, std::string> cases[] = {
      {strip("TEXT_LANGUAGE1 \"Hello there.\"", "\r\n"), "Hello there."},
      // A quote ends the text only where it ends the line.
      {strip(R"(TEXT_LANGUAGE1 "He said "stop" twice")"), R"(He said "stop" twice)"},
      {strip(R"(TEXT_LANGUAGE1 "one" two")", "\r\n"), R"(one" two)"},
      {strip(R"(TEXT_LANGUAGE1 "no end)"), "no end"},
      {strip("TEXT_LANGUAGE1 unquoted  words"), "unquoted  words"},
      {strip(R"(TEXT_LANGUAGE1 "one\ntwo\\n")"), "one\ntwo\\\n"},
      {strip("TEXT_LANGUAGE1 \"a\tb ^1c\""), "a\tb ^1c"},
      {strip("text_language1    \"any case\""), "any case"},
      {stringed("LANG_ENGLISH \"Hello there.\"  \t", "\r\n"), "Hello there."},
      {stringed("LANG_ENGLISH \"LF then CR\"", "\n\r"), "LF then CR"},
      {stringed(R"(LANG_ENGLISH	"He said "stop" twice")"), R"(He said "stop" twice)"},
      {stringed(R"(LANG_ENGLISH "one\ntwo")"), "one\ntwo"},
      // A // is a comment only outside quotes.
      {stringed(R"(LANG_ENGLISH "see http://x" // a note)"), "see http://x"},
      {stringed(R"(LANG_ENGLISH "a // b")"), "a // b"},
      {stringed("lang_english \"any case\""), "any case"},
      // Windows-1252 (the file is no UTF-8), and UTF-8 as it is.
      {strip("TEXT_LANGUAGE1 \"Gr\xFC\xDF"
             "e \x93"
             "da\x94 \x80 \x85\""),
       "Grüße “da” € …"},
      {stringed("LANG_ENGLISH \"Grüße “da” €\""), "Grüße “da” €"},
  };
  for (const auto& [package, expected] : cases) {
    const StringPackage read = Read(package);
    EXPECT_EQ(DescribeReports(read), "") << package;
    ASSERT_EQ(read.lines.size(), 1u) << package;
    EXPECT_EQ(read.lines[0].text, expected) << package;
  }
}

TEST(ReadStringPackage, NamesEachFileAfterItsReferenceInLowerCase) {
  const std::pair<std::string, std::string> cases[] = {
      {"KYLE_GREETING", "kyle_greeting.mp3"},
      // The writer would take ".GREETING" for an extension; ".mp3" after it keeps it.
      {"KYLE.GREETING", "kyle.greeting.mp3"},
      {"TWO WORDS", "two words.mp3"},
      {"TRAILING ", "trailing .mp3"},
      {"ÜBER_KYLE", "Über_kyle.mp3"},  // only ASCII letters are lowered, as the game raises
      {"CAF\xC9", "caf\xC3\x89.mp3"},  // Windows-1252 É, named in UTF-8
      {"CONSOLE", "console.mp3"},
      {"COM10", "com10.mp3"},
      {std::string(59, 'A'), std::string(59, 'a') + ".mp3"},  // 63 characters
      {std::string(58, 'A') + "\xC9", std::string(58, 'a') + "\xC3\x89.mp3"},
  };
  for (const auto& [reference, fileName] : cases) {
    const StringPackage read = Read(Strip(1, StripEntry(0, reference, "TEXT_LANGUAGE1 \"x\"")));
    EXPECT_EQ(DescribeReports(read), "") << reference;
    ASSERT_EQ(read.lines.size(), 1u) << reference;
    EXPECT_EQ(read.lines[0].fileName, fileName);
  }
}

TEST(ReadStringPackage, TakesTheChosenLanguageElseEnglish) {
  // French before English, as an editor may write them.
  const std::string strip = Strip(
      1, {"INDEX 0", "{", "REFERENCE A", "TEXT_LANGUAGE2 \"Salut\"", "TEXT_LANGUAGE1 \"Hello\"",
          "TEXT_LANGUAGE3 \"Hallo\"", "TEXT_LANGUAGE8 \"\"", "TEXT_LANGUAGE9 \"Konnichiwa\"", "}"});
  const std::string stringed = Stringed(
      {"REFERENCE A", "LANG_ENGLISH \"Hello\"", "LANG_FRENCH \"Salut\"", "LANG_GERMAN \"#SAME\"",
       "LANG_SPANISH \"\"", "LANG_JAPANESE \"Konnichiwa\"", "ENDMARKER"});
  const std::pair<PackageLanguage, const char*> cases[] = {
      {PackageLanguage::English, "Hello"},       {PackageLanguage::French, "Salut"},
      {PackageLanguage::Japanese, "Konnichiwa"}, {PackageLanguage::Spanish, "Hello"},
      {PackageLanguage::Italian, "Hello"},       {PackageLanguage::British, "Hello"},
  };
  for (const auto& [language, expected] : cases) {
    for (const std::string& package : {strip, stringed}) {
      const StringPackage read = Read(package, "x", language);
      ASSERT_EQ(read.lines.size(), 1u) << DescribeReports(read);
      EXPECT_EQ(read.lines[0].text, expected) << GetPackageLanguageName(language);
    }
  }
  EXPECT_EQ(Read(strip, "x", PackageLanguage::German).lines[0].text, "Hallo");
  // A foreign "#same" is the English text.
  EXPECT_EQ(Read(stringed, "x", PackageLanguage::German).lines[0].text, "Hello");
}

TEST(FindPackageLanguage, KnowsTheNineNamesInAnyCase) {
  const std::pair<const char*, int> cases[] = {
      // -1: unknown
      {"english", 0},   {"French", 1},    {"GERMAN", 2},   {"british", 3},  {"korean", 4},
      {"taiwanese", 5}, {"italian", 6},   {"spanish", 7},  {"japanese", 8}, {"", -1},
      {"englis", -1},   {"englishx", -1}, {"klingon", -1}, {"1", -1},
  };
  for (const auto& [name, expected] : cases) {
    PackageLanguage language = PackageLanguage::English;
    EXPECT_EQ(FindPackageLanguage(name, &language), expected >= 0) << name;
    if (expected >= 0) {
      EXPECT_EQ(static_cast<int>(language), expected) << name;
    }
  }
}

TEST(ReadStringPackage, ReportsALineWithoutTextAndKeepsTheOthers) {
  const std::string package =
      Strip(3, Concat(Concat(StripEntry(0, "FIRST", "TEXT_LANGUAGE1 \"a\""),
                             StripEntry(1, "SILENT", "NOTES \"to be written\"")),
                      StripEntry(2, "FRENCH_ONLY", "TEXT_LANGUAGE2 \"b\"")));
  const StringPackage english = Read(package);
  EXPECT_FALSE(IsPackageRefused(english));
  EXPECT_EQ(DescribeReports(english), "11: SILENT has no text\n16: FRENCH_ONLY has no text\n");
  ASSERT_EQ(english.lines.size(), 1u);
  EXPECT_EQ(english.lines[0].reference, "FIRST");
  EXPECT_EQ(Read(package, "x", PackageLanguage::French).lines.size(), 2u);
}

TEST(ReadStringPackage, ToldItsFormatByContentThenByExtension) {
  const std::string stripContent = Strip(1, StripEntry(0, "A", "TEXT_LANGUAGE1 \"a\""));
  const std::string stringedContent = Stringed({"REFERENCE A", "LANG_ENGLISH \"a\"", "ENDMARKER"});
  const std::string cutStringed = Stringed({"REFERENCE A", "LANG_ENGLISH \"a\""});
  // Neither blocks nor ENDMARKER: a StripEd package, with no lines, is whole; a StringEd
  // file is cut short.
  const std::string neither = "VERSION 1\nREFERENCE TESTMAP\n";
  const struct {
    std::string package;
    std::string name;
    bool refused;
    size_t lines;
  } cases[] = {
      {stripContent, "mymap.str", false, 1},
      {stringedContent, "mymap.sp", false, 1},
      {stripContent, "-", false, 1},
      {stringedContent, "-", false, 1},
      {neither, "mymap.sp", false, 0},
      {neither, "MYMAP.SP", false, 0},
      {neither, "mymap.str", true, 0},
      {neither, "-", true, 0},
      {neither, "sp", true, 0},
      {cutStringed, "mymap.sp", true, 1},
  };
  for (const auto& c : cases) {
    const StringPackage read = Read(c.package, c.name);
    EXPECT_EQ(IsPackageRefused(read), c.refused) << c.name << "\n" << c.package;
    EXPECT_EQ(read.lines.size(), c.lines) << c.name << "\n" << c.package;
  }
}

// Each case: the package, and the refusals it must give: their lines, in order, and a
// phrase each must hold.
struct RefusalCase {
  std::string package;
  std::vector<std::pair<int, std::string>> refusals;
};

void CheckRefusals(const RefusalCase* cases, size_t count) {
  for (size_t index = 0; index < count; ++index) {
    const RefusalCase& c = cases[index];
    const StringPackage read = Read(c.package);
    std::vector<PackageReport> refusals;
    for (const PackageReport& report : read.reports) {
      if (report.refusesPackage) refusals.push_back(report);
    }
    ASSERT_EQ(refusals.size(), c.refusals.size()) << c.package << DescribeReports(read);
    for (size_t refusal = 0; refusal < c.refusals.size(); ++refusal) {
      EXPECT_EQ(refusals[refusal].line, c.refusals[refusal].first) << DescribeReports(read);
      EXPECT_NE(refusals[refusal].text.find(c.refusals[refusal].second), std::string::npos)
          << DescribeReports(read);
    }
  }
}

TEST(ReadStringPackage, RefusesWhatIsNoPackageOrNotWhole) {
  const std::vector<std::string> entry = StripEntry(0, "A", "TEXT_LANGUAGE1 \"a\"");
  const RefusalCase cases[] = {
      {"Hello\nworld\n", {{1, "not a string package"}}},
      {"", {{1, "not a string package"}}},
      {"\nVERSION 1\n", {{1, "not a string package"}}},
      {"VERSION 2\nCOUNT 0\n", {{1, "version 1 only"}}},
      {"VERSION \"2\"\nENDMARKER\n", {{1, "version 1 only"}}},
      {"\xEF\xBB\xBF" + Strip(1, entry), {{1, "byte order mark"}}},
      {std::string("\xFF\xFEV\0E\0", 6), {{1, "UTF-16"}}},
      {Stringed({"REFERENCE A", "LANG_ENGLISH \"a\"", "", "// cut here"}), {{4, "no ENDMARKER"}}},
  };
  CheckRefusals(cases, std::size(cases));
}

TEST(ReadStringPackage, RefusesBlocksTheGameWouldReadOtherwise) {
  const std::vector<std::string> first = StripEntry(0, "A", "TEXT_LANGUAGE1 \"a\"");  // 4..8
  const std::vector<std::string> second = StripEntry(1, "B", "TEXT_LANGUAGE1 \"b\"");
  const RefusalCase cases[] = {
      // The next INDEX would be read into the open entry. Found there, after the keyword
      // below it, and told in line order.
      {Strip(2, {"INDEX 0", "{", "REFERENCE A", "TEXT_LANGAUGE1 \"a\"", "INDEX 1", "{",
                 "REFERENCE B", "}"}),
       {{5, "{ is not closed"}, {7, "not a keyword"}}},
      {Strip(1, {"INDEX 0", "{", "REFERENCE A"}), {{5, "{ is not closed"}}},
      {Strip(1, Concat(first, {"}"})), {{9, "} closes no {"}}},
      {Strip(1, {"INDEX 0", "{", "TEXT_LANGUAGE1 \"a\"", "}"}), {{4, "without REFERENCE"}}},
      {Strip(1, {"INDEX 0", "REFERENCE A", "}"}), {{4, "not followed by {"}}},
      {Strip(1, {"{", "REFERENCE A", "}"}), {{4, "{ without INDEX"}}},
      {Strip(2, Concat(first, Concat({""}, second))), {{9, "a blank line"}}},
      {Strip(1, {"INDEX 0", "{", "REFERENCE A", "", "}"}), {{7, "a blank line"}}},
      {Strip(2, Concat(first, Concat({"NOTES \"x\""}, second))), {{9, "wants INDEX"}}},
      {Strip(1, Concat({"DESCRIPTION \"after COUNT\""}, first)), {{4, "wants INDEX"}}},
      {Strip(1, {"INDEX 0", "{", "REFERENCE\tA", "}"}),
       {{4, "without REFERENCE"}, {6, "not a tab"}}},
      {Join(Concat({"VERSION 1"}, first), "\n"), {{2, "before COUNT"}}},
      {Strip(1, Concat(first, second)), {{9, "more line entries than COUNT 1"}}},
      {Strip(1, StripEntry(256, "A", "TEXT_LANGUAGE1 \"a\"")), {{4, "0 to 255"}}},
      {Strip(1, StripEntry(-1, "A", "TEXT_LANGUAGE1 \"a\"")), {{4, "0 to 255"}}},
      {Strip(2, Concat(first, StripEntry(0, "B", "TEXT_LANGUAGE1 \"b\""))), {{9, "line 4's too"}}},
  };
  CheckRefusals(cases, std::size(cases));
}

TEST(ReadStringPackage, RefusesStringEdLinesTheGameRefuses) {
  const RefusalCase cases[] = {
      {Stringed({"LANG_ENGLISH \"a\"", "REFERENCE A", "LANG_ENGLISH \"a\"", "ENDMARKER"}),
       {{3, "without a REFERENCE"}}},
      {Stringed({"FLAGS FLAG_CAPTION", "ENDMARKER"}), {{3, "without a REFERENCE"}}},
      {Stringed({"REFERENCE A", "LANGUAGE_ENGLISH \"a\"", "ENDMARKER"}), {{4, "not a keyword"}}},
      {Stringed({"  REFERENCE A", "ENDMARKER"}), {{3, "begins with a blank"}}},
  };
  CheckRefusals(cases, std::size(cases));
}

TEST(ReadStringPackage, RefusesReferencesThatCannotNameAFileOnce) {
  // A reference, and what its refusal on line 6 says.
  const std::pair<std::string, std::string> references[] = {
      {"", "empty REFERENCE"}, {"A/B", "'/'"}, {"A\\B", "'\\'"}, {"A:B", "':'"}, {"A*B", "'*'"},
      {"A?B", "'?'"}, {"A\"B", "'\"'"}, {"A<B", "'<'"}, {"A>B", "'>'"}, {"A|B", "'|'"},
      {"A\x01" "B", "A\\x01B cannot be a file name: it holds a control character"},
      {"A\x7F", "A\\x7F cannot"}, {"A\xC2\x85" "B", "control character"},  // U+0085
      {"CON", "device"}, {"nul", "device"}, {"Aux.greeting", "device"}, {"PRN ", "device"},
      {"COM1", "device"}, {"LPT9", "device"}, {std::string(60, 'A'), "64 characters"},
      {std::string(58, 'A') + "É", "64 characters"},  // UTF-8: the game counts bytes
  };
  std::vector<RefusalCase> cases;
  for (const auto& [reference, phrase] : references) {
    cases.push_back({Strip(1, StripEntry(0, reference, "TEXT_LANGUAGE1 \"a\"")), {{6, phrase}}});
  }
  CheckRefusals(cases.data(), cases.size());

  const std::vector<std::string> first = StripEntry(0, "KYLE_HI", "TEXT_LANGUAGE1 \"a\"");
  const RefusalCase twice[] = {
      {Strip(2, Concat(first, StripEntry(1, "KYLE_HI", "TEXT_LANGUAGE1 \"b\""))),
       {{11, "KYLE_HI is line 6's too"}}},
      {Strip(2, Concat(first, StripEntry(1, "Kyle_Hi", "TEXT_LANGUAGE1 \"b\""))),
       {{11, "Kyle_Hi makes the file kyle_hi.mp3 as line 6's KYLE_HI does"}}},
      {Stringed(
           {"REFERENCE A", "LANG_ENGLISH \"a\"", "REFERENCE A", "LANG_ENGLISH \"b\"", "ENDMARKER"}),
       {{5, "A is line 3's too"}}},
  };
  CheckRefusals(twice, std::size(twice));
}

TEST(ReadStringPackage, AcceptsWhatTheGameReadsAsWritten) {
  const std::vector<std::string> first = StripEntry(0, "A", "TEXT_LANGUAGE1 \"a\"");
  const std::string packages[] = {
      Strip(3, Concat(first, {"", "", "   "})),  // blank lines after the last entry
      Strip(1, Concat(first, {"NOTES \"x\"", "CONFIG y"})),
      Strip(1, StripEntry(255, "A", "TEXT_LANGUAGE1 \"a\"")),
      Stringed({"", "REFERENCE A", "", "  ", "LANG_ENGLISH \"a\"", "// done", "ENDMARKER", ""}),
      Stringed({"REFERENCE A", "LANG_ENGLISH \"a\"", "ENDMARKERS"}),
  };
  for (const std::string& package : packages) {
    const StringPackage read = Read(package);
    EXPECT_EQ(DescribeReports(read), "") << package;
    EXPECT_EQ(read.lines.size(), 1u) << package;
  }
}

}  // namespace
