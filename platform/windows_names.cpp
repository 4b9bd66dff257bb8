// The names Windows cannot give a file, as rules any system can apply.
#include <algorithm>
#include <string>

#include "platform/platform.h"

namespace {

constexpr const char* WINDOWS_RESERVED_CHARACTERS = "<>\"|?*";

bool IsDeviceName(std::string name) {
  // The device is the name up to its first dot, trailing blanks ignored, in any case.
  name.erase(std::min(name.find('.'), name.size()));
  name.erase(name.find_last_not_of(' ') + 1);
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (name == "CON" || name == "PRN" || name == "AUX" || name == "NUL") return true;
  return name.size() == 4 && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "LPT") == 0) &&
         name[3] >= '1' && name[3] <= '9';
}

}  // namespace

NameClash CheckWindowsName(const std::string& name) {
  if (name.find(':') != std::string::npos) return NameClash::DriveOrStream;
  if (name.find_first_of(WINDOWS_RESERVED_CHARACTERS) != std::string::npos) {
    return NameClash::ReservedCharacter;
  }
  return IsDeviceName(name) ? NameClash::DeviceName : NameClash::Allowed;
}
