// The folder chooser that the main window's "Select Output Directory" and the level view
// share, so that a folder is chosen the same way in both.
#pragma once

#include <FL/Fl_File_Chooser.H>

// A hidden chooser of folders (one may be made there) starting in start (native), with the
// main window's title, labels and colours.
Fl_File_Chooser* MakeFolderChooser(const char* start);

// Shows the chooser and returns once it is closed, asleep between events.
void RunFolderChooser(Fl_File_Chooser* chooser);
