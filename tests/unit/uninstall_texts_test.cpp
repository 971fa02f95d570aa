// The Chinese texts must reach the window functions as Big5 bytes: decoded
// with code page 950 they give exactly these characters.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "uninstall_texts.h"

namespace {

std::wstring FromBig5(const char* text) {
    wchar_t wide[512];
    const int length = MultiByteToWideChar(950, MB_ERR_INVALID_CHARS, text, -1, wide, 512);
    return length > 0 ? std::wstring(wide, length - 1) : L"(not Big5)";
}

TEST(UninstallTextsTest, ChineseTextsAreBig5OfTheExpectedCharacters) {
    const UninstallTexts& texts = UninstallTextsFor(true);
    EXPECT_EQ(FromBig5(texts.prompt), L"您確定要移除 ORVA Varnel 顯示卡驅動程式嗎？");
    EXPECT_EQ(FromBig5(texts.okButton), L"確定(&Y)");
    EXPECT_EQ(FromBig5(texts.cancelButton), L"取消(&N)");
    EXPECT_EQ(FromBig5(texts.complete), L"\n\t驅動程式移除完畢！");
    EXPECT_EQ(FromBig5(texts.restartQuestion), L"需要重新啟動電腦。\n現在重新啟動嗎？");
    EXPECT_EQ(FromBig5(texts.restartCaption), L"移除完畢");
    // The same bytes as the Big5 encoding Windows itself gives.
    char big5[128];
    WideCharToMultiByte(950, 0, L"您確定要移除 ORVA Varnel 顯示卡驅動程式嗎？", -1, big5, sizeof big5, nullptr,
                        nullptr);
    EXPECT_EQ(std::string(texts.prompt), std::string(big5));
}

}  // namespace
