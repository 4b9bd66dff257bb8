// Values of the version strings.
#include "resources/version_info.h"

const char* const VERSION_FILE_DESCRIPTION = "Empty .mp3 file encoder";
const char* const VERSION_PRODUCT_NAME = "Hushmaker";
const char* const VERSION_FILE_VERSION = "1, 0, 0, 0";
const char* const VERSION_PRODUCT_VERSION = "1, 0, 0, 0";
const char* const VERSION_ORIGINAL_FILENAME = "hushmaker";
const char* const VERSION_LEGAL_COPYRIGHT = "Copyright (C) 2026 The Hushmaker developers";
