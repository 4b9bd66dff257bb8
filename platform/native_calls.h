// The system's own implementations behind the platform calls that tests may replace; each
// half of the platform layer provides them. Used only inside platform/.
#pragma once

#include "platform/platform.h"

void PauseNatively(unsigned int milliseconds);
LocalDateTime ReadLocalClockNatively();
// Opens target with the user's default program; returns at once.
void OpenNatively(const char* target);
