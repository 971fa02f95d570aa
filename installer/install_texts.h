#pragma once
// The texts the install dialog shows, by language. The Chinese ones are Big5
// byte strings, handed unchanged to the ANSI window functions.

struct InstallTexts {
    const char* prompt;
    const char* okButton;
    const char* cancelButton;
    const char* rebootButton;
    const char* copying;
    const char* registering;
    const char* complete;
};

extern const InstallTexts kEnglishInstallTexts;
extern const InstallTexts kChineseInstallTexts;

inline const InstallTexts& InstallTextsFor(bool useChinese) {
    return useChinese ? kChineseInstallTexts : kEnglishInstallTexts;
}
