#pragma once
// The texts the uninstall dialog shows, by language. The Chinese ones are
// Big5 byte strings, handed unchanged to the ANSI window functions.

struct UninstallTexts {
    const char* prompt;
    const char* okButton;
    const char* cancelButton;
    const char* complete;
    const char* restartQuestion;
    const char* restartCaption;
};

extern const UninstallTexts kEnglishUninstallTexts;
extern const UninstallTexts kChineseUninstallTexts;

inline const UninstallTexts& UninstallTextsFor(bool useChinese) {
    return useChinese ? kChineseUninstallTexts : kEnglishUninstallTexts;
}
