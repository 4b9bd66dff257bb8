// A check over the files and folders a user names, row by row: what hushmaker-cli --check
// prints and the window's check view shows are the same rows, so the two cannot disagree.
#pragma once

#include <string>
#include <vector>

#include "checker/voice_check.h"

// One thing a check looks at: a voice file, or a folder it could not read.
struct CheckItem {
  std::string path;   // native: as named, or as found in a named folder
  std::string shown;  // the short name a view shows: see PlanVoiceCheck
  bool unreadableFolder = false;
  std::string folderReason;  // the system's reason, for an unreadable folder
};

// What a check covers, in order: each named file as named, and for each named folder the
// folders in it that could not be read, then its voice files (ListVoiceFiles). A file's
// shown name is its last name when it was named itself, else its path from the named
// folder's own name on (mymap/sub/line.mp3 for sound/chars/mymap/sub/line.mp3).
struct CheckPlan {
  std::vector<CheckItem> items;
  bool counted = false;  // a folder or several paths were named: the counts are told
};
CheckPlan PlanVoiceCheck(const std::vector<std::string>& paths);

// One item checked.
struct CheckRow {
  CheckItem item;
  VoiceCheck check;       // an unreadable folder's is Unreadable, with its reason
  VoiceCheckWords words;  // its verdict, caption and detail
  std::string line;       // the report line, named by the item's path
};
CheckRow CheckPlannedItem(const CheckItem& item);

// How many items the game plays and how many it does not (unreadable ones included).
struct CheckTally {
  int plays = 0;
  int doNot = 0;
  void Count(const CheckRow& row);
};

// The counts line: "3 files: 2 play, 1 does not".
std::string DescribeCheckTally(const CheckTally& tally);

// The last name of a native path, separators at its end ignored; the path itself when it
// has no name of its own ("/", ".", "C:\").
std::string GetShownName(const std::string& path);
