#pragma once
// A board's "Driver" value, as the installer writes it under the board's
// device instances and the uninstaller reads it back: "DISPLAY\" and the
// display-class key's number in four decimal digits, upper case.
#include "fixed_text.h"

inline constexpr char kDriverValuePrefix[] = "DISPLAY\\";
using DriverValueText = FixedText<TextLength(kDriverValuePrefix) + 4>;

// The class key number `driver` names. Anything else, including an empty
// value (which would address the Class key itself) or a bare "DISPLAY",
// belongs to some other driver and answers false.
constexpr bool ClassIndexOfDriverValue(const char* driver, int& index) {
    if (!StartsWith(driver, kDriverValuePrefix) || TextLength(driver) != DriverValueText::kCapacity) return false;
    index = 0;
    for (const char* digit = driver + TextLength(kDriverValuePrefix); *digit != '\0'; ++digit) {
        if (*digit < '0' || *digit > '9') return false;
        index = index * 10 + (*digit - '0');
    }
    return true;
}
