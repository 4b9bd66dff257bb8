// The description of the encoder library that the program shows its users.
#pragma once

#include <cstddef>

#include "encoder/encoder_stream.h"

// Three ">>> " lines, each after a line break, with the values aligned in one column:
// the interface's version, the encoder's version and its homepage. Cut to size.
void ComposeVersionText(const BE_VERSION& version, char* text, size_t size);
