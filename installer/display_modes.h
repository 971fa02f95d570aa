#pragma once
// The MODES subtree under a board's display-class key: one key per colour
// depth and resolution whose default value lists the refresh rates offered
// there. Pass 1 is the same for every board; pass 2 overlays the board's
// mode group, replacing some lists and adding modes.
#include "adapter_registration.h"

// The 16-colour key, then every pass-1 mode.
void WriteBaseModes(DisplayClassIndex index);
// Every pass-2 mode of `modeGroup` (1 or 2); any other group writes nothing.
void WriteGroupModes(DisplayClassIndex index, int modeGroup);
