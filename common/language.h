#pragma once
#include <windows.h>

// The dialogs speak Traditional Chinese (Big5) exactly on Chinese (Taiwan)
// systems; Simplified Chinese and Hong Kong get English.
constexpr bool UseChineseFor(LANGID language) { return language == 0x0404; }
