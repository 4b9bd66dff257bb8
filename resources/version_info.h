// The program's version strings, shared by the window, the desktop entry and the docs.
#pragma once

extern const char* const VERSION_FILE_DESCRIPTION;  // "Empty .mp3 file encoder"
extern const char* const VERSION_PRODUCT_NAME;      // "Hushmaker"
extern const char* const VERSION_FILE_VERSION;      // "1, 0, 0, 0"
extern const char* const VERSION_PRODUCT_VERSION;   // "1, 0, 0, 0"
extern const char* const VERSION_ORIGINAL_FILENAME;
extern const char* const VERSION_LEGAL_COPYRIGHT;

// The project's contact address: the feedback mail goes there and every tag names it as
// artist, whose field holds 30 characters.
constexpr char VERSION_CONTACT_ADDRESS[] = "feedback@hushmaker.invalid";
static_assert(sizeof(VERSION_CONTACT_ADDRESS) - 1 <= 30, "fits the tag's artist field");

// Names the desktop entry, the icons, the metainfo and the window's class, so that the
// desktop matches the window to its entry. The project owns no domain: reverse DNS under
// the reserved "invalid" name, like the contact address.
constexpr char VERSION_APPLICATION_ID[] = "invalid.hushmaker.Hushmaker";

// Fixed file and product version 1.0.0.1.
constexpr int VERSION_NUMBER[4] = {1, 0, 0, 1};
