// File names from anywhere, through the rules that turn a typed or listed name into the
// file the writer makes and into what the command line prints back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cli/list_input.h"
#include "fuzz/fuzz_check.h"
#include "generator/generate_command.h"
#include "generator/hushmaker.h"
#include "platform/platform.h"

namespace {

constexpr char NAMES_EXTENSION[] = ".mp3";
constexpr size_t NAMES_EXTENSION_SIZE = sizeof(NAMES_EXTENSION) - 1;

bool HasControlByte(const std::string& text) {
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return true;
  }
  return false;
}

void CheckFileName(const std::string& name) {
  const std::string file = MakeMP3FileName(name.c_str());
  FUZZ_CHECK(file.size() >= NAMES_EXTENSION_SIZE);
  FUZZ_CHECK(file.compare(file.size() - NAMES_EXTENSION_SIZE, NAMES_EXTENSION_SIZE,
                          NAMES_EXTENSION) == 0);
  // At most the extension goes; the rest is the name as given.
  const size_t kept = file.size() - NAMES_EXTENSION_SIZE;
  FUZZ_CHECK(kept <= name.size() && name.compare(0, kept, file, 0, kept) == 0);
  FUZZ_CHECK(file.find('\0') == std::string::npos);
  FUZZ_CHECK(HasControlCharacter(name.c_str()) || !HasControlByte(file));
  FUZZ_CHECK(ComposeTargetPath(nullptr, name.c_str()) == ".\\" + file);
  FUZZ_CHECK(ComposeTargetPath("dir\\", name.c_str()) == "dir\\" + file);
}

void CheckTypedName(const std::string& name) {
  const std::string prepared = PrepareTypedName(name.c_str());
  FUZZ_CHECK(prepared.size() == name.size());
  FUZZ_CHECK(prepared.find('/') == std::string::npos);
  if (CanHoldNativePath(name.c_str())) {
    std::string own;
    FUZZ_CHECK(ToProgramPath(name.c_str(), &own) && NativePath(own.c_str()) == name);
  }
}

void CheckShownText(const std::string& text) {
  const std::string shown = EscapeControlBytes(text);
  FUZZ_CHECK(!HasControlByte(shown));
  FUZZ_CHECK(HasControlByte(text) ? shown.size() > text.size() : shown == text);
  const std::string boxed = EscapeControlBytes(text, true);
  for (char c : boxed) FUZZ_CHECK(c == '\n' || !HasControlByte(std::string(1, c)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // The rules take C strings: a name ends at its first zero byte.
  const std::string name = bytes.c_str();
  CheckFileName(name);
  CheckTypedName(name);
  CheckShownText(bytes);
  return 0;
}
