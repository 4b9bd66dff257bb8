// POSIX implementation of the platform layer's font look-up, through fontconfig.
#include "platform/platform_window.h"

#include <fontconfig/fontconfig.h>

bool IsFontFamilyInstalled(const char* family) {
  if (!family || !family[0] || !FcInit()) return false;
  // A list, unlike a match, never substitutes another family for a missing one.
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* properties = FcObjectSetBuild(FC_FAMILY, static_cast<char*>(nullptr));
  bool installed = false;
  if (pattern && properties &&
      FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family))) {
    FcFontSet* fonts = FcFontList(nullptr, pattern, properties);
    installed = fonts && fonts->nfont > 0;
    if (fonts) FcFontSetDestroy(fonts);
  }
  if (properties) FcObjectSetDestroy(properties);
  if (pattern) FcPatternDestroy(pattern);
  return installed;
}
