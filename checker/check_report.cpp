// The rows of a check over named files and folders, and the counts line.
#include "checker/check_report.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

bool IsSeparator(char c) { return c == '/' || c == static_cast<char>(fs::path::preferred_separator); }

// A path found in a named folder, shown from the folder's own name on. A folder without a
// name of its own ("." or "/") shows the path as found.
std::string ShowFound(const std::string& folder, const std::string& found) {
  const std::string name = GetShownName(folder);
  if (name == folder || found.compare(0, folder.size(), folder) != 0) return found;
  size_t start = folder.size();
  while (start < found.size() && IsSeparator(found[start])) ++start;
  if (start == found.size()) return name;
  return (fs::u8path(name) / fs::u8path(found.substr(start))).u8string();
}

}  // namespace

std::string GetShownName(const std::string& path) {
  fs::path named = fs::u8path(path);
  while (named.has_relative_path() && named.filename().empty()) named = named.parent_path();
  const std::string name = named.filename().u8string();
  if (name.empty() || name == "." || name == "..") return path;
  return name;
}

CheckPlan PlanVoiceCheck(const std::vector<std::string>& paths) {
  CheckPlan plan;
  plan.counted = paths.size() > 1;
  for (const std::string& path : paths) {
    if (!IsFolder(path)) {
      plan.items.push_back({path, GetShownName(path), false, ""});
      continue;
    }
    plan.counted = true;
    const VoiceFolder folder = ListVoiceFiles(path);
    for (const VoiceFolder::Failure& failure : folder.failures) {
      plan.items.push_back({failure.path, ShowFound(path, failure.path), true, failure.reason});
    }
    for (const std::string& file : folder.files) {
      plan.items.push_back({file, ShowFound(path, file), false, ""});
    }
  }
  return plan;
}

CheckRow CheckPlannedItem(const CheckItem& item) {
  CheckRow row;
  row.item = item;
  if (item.unreadableFolder) {
    row.check.verdict = VoiceVerdict::Unreadable;
    row.check.problem = VoiceProblem::ReadFailed;
    row.check.reason = item.folderReason;
    row.words = DescribeVoiceCheckWords(row.check);
    row.line = "cannot read the folder " + item.path + ": " + item.folderReason;
    return row;
  }
  row.check = CheckVoiceFile(item.path);
  row.words = DescribeVoiceCheckWords(row.check);
  row.line = DescribeVoiceCheck(item.path, row.check);
  return row;
}

void CheckTally::Count(const CheckRow& row) {
  if (row.check.verdict == VoiceVerdict::Plays) {
    ++plays;
  } else {
    ++doNot;
  }
}

std::string DescribeCheckTally(const CheckTally& tally) {
  const int files = tally.plays + tally.doNot;
  return std::to_string(files) + (files == 1 ? " file: " : " files: ") +
         std::to_string(tally.plays) + (tally.plays == 1 ? " plays, " : " play, ") +
         std::to_string(tally.doNot) + (tally.doNot == 1 ? " does not" : " do not");
}
