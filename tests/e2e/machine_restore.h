#pragma once
// The one way a machine is put back: to a capture, undoing every change made
// since. In the middle of a test, to a capture it made; at the start of every
// end-to-end test, to the machine as it was made, whatever the test before it
// left, even one killed half-way.
#include "machine_state.h"

void RestoreMachine(const MachineState& before);

// The machine as it was made, kept in files on its drive C: (the first test
// on a new machine writes them) and read back.
MachineState MadeMachine();
