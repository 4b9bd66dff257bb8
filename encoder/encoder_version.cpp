// The encoder's version text.
#include "encoder/encoder_version.h"

#include <cstdio>

void ComposeVersionText(const BE_VERSION& version, char* text, size_t size) {
  std::snprintf(text, size,
                "\n>>> DLL version:               %u.%02u"
                "\n>>> Engine version:            %u.%02u"
                "\n>>> Official Project homepage: %s",
                static_cast<unsigned>(version.byDLLMajorVersion),
                static_cast<unsigned>(version.byDLLMinorVersion),
                static_cast<unsigned>(version.byMajorVersion),
                static_cast<unsigned>(version.byMinorVersion), version.zHomepage);
}
