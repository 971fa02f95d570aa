#pragma once
// Texts in Big5 (code page 950), as the programs hand them to Windows on a
// Chinese (Taiwan) system, and back.
#include <windows.h>

#include <string>

// The Big5 bytes of a text.
inline std::string Big5(const wchar_t* text) {
    char bytes[512];
    const int length = WideCharToMultiByte(950, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    return std::string(bytes, length > 0 ? length - 1 : 0);
}

// Chinese in Big5: it decodes and is more than ASCII. The end-to-end tests
// see with it which table a program chose; the texts themselves are each
// program's texts test's business.
inline bool IsBig5Chinese(const std::string& text) {
    bool wide = false;
    for (unsigned char c : text) wide = wide || c >= 0x80;
    wchar_t decoded[512];
    return wide && MultiByteToWideChar(950, MB_ERR_INVALID_CHARS, text.c_str(), -1, decoded, 512) > 0;
}

// The characters Big5 bytes stand for; "(not Big5)" for bytes that are not.
inline std::wstring FromBig5(const char* text) {
    wchar_t wide[512];
    const int length = MultiByteToWideChar(950, MB_ERR_INVALID_CHARS, text, -1, wide, 512);
    return length > 0 ? std::wstring(wide, length - 1) : L"(not Big5)";
}
