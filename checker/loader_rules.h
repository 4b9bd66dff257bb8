// The two loaders' rules over the checker's reader (not part of the checker's interface).
#pragma once

#include "checker/byte_source.h"
#include "checker/voice_check.h"

VoiceCheck CheckMp3Source(ByteSource& source);
VoiceCheck CheckWavSource(ByteSource& source);
