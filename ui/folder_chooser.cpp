// The folder chooser's look and its wait.
#include "ui/folder_chooser.h"

#include <FL/Fl.H>

namespace {

const char* const UI_CHOOSER_PATTERN = "*";
const char* const UI_CHOOSER_TITLE = "Select Output Directory";
const char* const UI_CHOOSER_NAME_LABEL = "Target Dir:";

}  // namespace

Fl_File_Chooser* MakeFolderChooser(const char* start) {
  // The toolkit reads the label when it builds a chooser, so it is set first.
  Fl_File_Chooser::filename_label = UI_CHOOSER_NAME_LABEL;
  auto* chooser = new Fl_File_Chooser(start, UI_CHOOSER_PATTERN, Fl_File_Chooser::CREATE,
                                      UI_CHOOSER_TITLE);
  chooser->previewButton->hide();
  // The scheme draws the list light, whatever its colour, so the names stay black.
  chooser->color(FL_BLACK);
  chooser->preview(0);
  chooser->textcolor(FL_BLACK);
  chooser->type(chooser->type() ^ Fl_File_Chooser::DIRECTORY);
  return chooser;
}

void RunFolderChooser(Fl_File_Chooser* chooser) {
  chooser->show();
  // Sleeps until the next event instead of polling, so the wait costs no processor time.
  while (chooser->shown()) Fl::wait();
}
