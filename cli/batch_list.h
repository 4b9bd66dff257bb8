// Lengths and batch lists as the command line reads them.
#pragma once

#include <string>
#include <vector>

// A length as whole seconds ("90"), M:SS ("1:30") or H:MM:SS ("1:00:00"); minutes and
// seconds after a colon take two digits below 60. Lengths of 1 to SILENCE_MAX_SECONDS
// give true; anything else gives false and says what is wrong in *problem.
bool ParseLength(const std::string& text, int* seconds, std::string* problem);

// A file the list asks for.
struct BatchEntry {
  int line;          // counted from 1
  int seconds;
  std::string name;  // in the program's own form
};

// A line the list cannot be run with, and what is wrong with it.
struct BatchProblem {
  int line;
  std::string text;
};

struct BatchList {
  std::vector<BatchEntry> entries;
  std::vector<BatchProblem> problems;  // when any, nothing of the list is to be written
};

// The text of a list's bytes as UTF-8: a UTF-8 byte-order mark is dropped, and UTF-16
// (little- or big-endian) with its mark is converted. Other bytes stay as they are, so
// that bytes which are not UTF-8 (a list saved as Windows-1252, say) are found per line;
// broken UTF-16 becomes bytes which are not UTF-8.
std::string DecodeListText(const std::string& bytes);

// Reads a whole list from its bytes (decoded as DecodeListText says), one "SECONDS NAME" a
// line, lines ending in LF, CR LF or a lone CR: the length, blanks, then the name, which
// is the rest of the line (inner blanks kept, trailing blanks dropped). Blank lines and
// lines whose first character other than a blank is '#' are skipped. Every other line
// is a problem when it is not UTF-8, has no good length or name, or makes the same file
// (GetTargetFileKey) as an earlier line. A good name holds no backslash on systems where
// that is a character of names, and is one that CreateBlankMP3 finds Writable in
// directory (own form, as the writer takes it; null: the working folder), so that a list
// without problems never meets a name the writer refuses.
BatchList ParseBatchList(const std::string& text, const char* directory = nullptr);
