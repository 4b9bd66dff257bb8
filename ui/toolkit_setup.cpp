// Fonts and settings of the toolkit, set once before the main window is built.
#include "ui/toolkit_setup.h"

#include <FL/Fl.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_Preferences.H>

#include "platform/platform_window.h"

namespace {

// The toolkit names a font by a style letter (' ' regular, 'B' bold, 'I' italic,
// 'P' bold italic) followed by its family.
struct FontFamily {
  const char* family;
  Fl_Font first_slot;  // regular; bold, italic and bold italic follow
  const char* styled_names[4];
};

const FontFamily FONT_FAMILIES[] = {
    {"Liberation Sans", FL_HELVETICA,
     {" Liberation Sans", "BLiberation Sans", "ILiberation Sans", "PLiberation Sans"}},
    {"Liberation Mono", FL_COURIER,
     {" Liberation Mono", "BLiberation Mono", "ILiberation Mono", "PLiberation Mono"}},
};

// The toolkit reads its options from settings files on their first use and writes a
// new file back when there was none; the file chooser keeps its settings in a file and
// writes it as soon as a chooser is made. Neither can be switched off through the
// toolkit's public interface (the option setter reads the files first), so the two
// private statics that decide it are reached the one way C++ allows: an explicit
// instantiation may name a private member, and the friend it defines hands the address
// out.
template <typename Tag, typename Tag::Address address>
struct PrivateStatic {
  friend typename Tag::Address AddressOf(Tag) { return address; }
};

struct OptionsReadFlag {
  using Address = unsigned char*;
  friend Address AddressOf(OptionsReadFlag);
};
struct ChooserSettings {
  using Address = Fl_Preferences**;
  friend Address AddressOf(ChooserSettings);
};

template struct PrivateStatic<OptionsReadFlag, &Fl::options_read_>;
template struct PrivateStatic<ChooserSettings, &Fl_File_Chooser::prefs_>;

}  // namespace

int UseMetricCompatibleFonts() {
  int mapped = 0;
  for (const FontFamily& font : FONT_FAMILIES) {
    if (!IsFontFamilyInstalled(font.family)) continue;
    for (int style = 0; style < 4; ++style) {
      Fl::set_font(static_cast<Fl_Font>(font.first_slot + style), font.styled_names[style]);
    }
    ++mapped;
  }
  return mapped;
}

void KeepToolkitSettingsInMemory() {
  *AddressOf(OptionsReadFlag{}) = 1;
  // The values the toolkit uses when no settings file says otherwise.
  Fl::option(Fl::OPTION_ARROW_FOCUS, false);
  Fl::option(Fl::OPTION_VISIBLE_FOCUS, true);
  Fl::option(Fl::OPTION_DND_TEXT, true);
  Fl::option(Fl::OPTION_SHOW_TOOLTIPS, true);
  // The toolkit's own chooser: GTK's records each file it opens in the user's recent
  // files.
  Fl::option(Fl::OPTION_FNFC_USES_GTK, false);

  Fl_Preferences** chooserSettings = AddressOf(ChooserSettings{});
  // A null parent gives the toolkit's store that is never read from or written to disk.
  if (!*chooserSettings) {
    *chooserSettings = new Fl_Preferences(static_cast<Fl_Preferences*>(nullptr), "filechooser");
  }
}
