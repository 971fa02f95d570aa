#pragma once
// What an uninstall leaves of an install: the documented leftovers, checked
// after a whole install (exactly these) and after one cut short (at most these).
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "machine_state.h"

// Exactly the leftovers, after a whole install, an uninstall by the
// installed copy and the restart it asks for. `instanceKeys`: the boards' instance keys other than
// "000800"; `boards`: whether any supported board was registered.
void ExpectOnlyTheLeftovers(const MachineChanges& changes, const std::set<std::string>& instanceKeys, bool boards);

// No more than the leftovers, after an install that may have stopped
// anywhere and an uninstall: nothing removed or changed that was there
// before, and nothing added that the leftovers do not list.
::testing::AssertionResult NothingBeyondTheLeftovers(const MachineChanges& changes,
                                                     const std::set<std::string>& instanceKeys);
