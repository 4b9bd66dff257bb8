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

// Reads a whole list, one "SECONDS NAME" a line: the length, blanks, then the name,
// which is the rest of the line (inner blanks kept, trailing blanks and a CR dropped).
// Blank lines and lines whose first character other than a blank is '#' are skipped.
// A line without a good length or name (one holding a backslash or a control character
// is not), or that makes the same file as an earlier line, is a problem.
BatchList ParseBatchList(const std::string& text);
