#pragma once
// Which display-class key a board's driver settings live in. The number is
// searched afresh for every board, so boards of one model share one key and
// each other model gets a key of its own.
#include "display_class_key.h"

// The first key whose "InfSection" is exactly `infSectionTag`; without one,
// the lowest number whose key is absent.
DisplayClassIndex FindDisplayClassIndex(const char* infSectionTag);
