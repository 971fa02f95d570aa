// The Chinese texts must reach the window functions as Big5 bytes: decoded
// with code page 950 they give exactly these characters. The program's one
// spelling-out of its Chinese table in the tests.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "big5.h"
#include "uninstall_texts.h"

namespace {

TEST(UninstallTextsTest, ChineseTextsAreBig5OfTheExpectedCharacters) {
    const UninstallTexts& texts = UninstallTextsFor(true);
    EXPECT_EQ(FromBig5(texts.prompt), L"您確定要移除 ORVA Varnel 顯示卡驅動程式嗎？");
    EXPECT_EQ(FromBig5(texts.okButton), L"確定(&Y)");
    EXPECT_EQ(FromBig5(texts.cancelButton), L"取消(&N)");
    EXPECT_EQ(FromBig5(texts.complete), L"\n\t驅動程式移除完畢！");
    EXPECT_EQ(FromBig5(texts.restartQuestion), L"需要重新啟動電腦。\n現在重新啟動嗎？");
    EXPECT_EQ(FromBig5(texts.restartCaption), L"移除完畢");
}

}  // namespace
