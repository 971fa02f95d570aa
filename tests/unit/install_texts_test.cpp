// The Chinese texts must reach the window functions as Big5 bytes: decoded
// with code page 950 they give exactly these characters. The program's one
// spelling-out of its Chinese table in the tests.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "big5.h"
#include "install_texts.h"

namespace {

TEST(InstallTextsTest, ChineseTextsAreBig5OfTheExpectedCharacters) {
    const InstallTexts& texts = InstallTextsFor(true);
    EXPECT_EQ(FromBig5(texts.prompt), L"您確定要安裝 ORVA Varnel 顯示卡驅動程式嗎？");
    EXPECT_EQ(FromBig5(texts.okButton), L"確定(&Y)");
    EXPECT_EQ(FromBig5(texts.cancelButton), L"取消(&N)");
    EXPECT_EQ(FromBig5(texts.rebootButton), L"確定(&Y)");
    EXPECT_EQ(FromBig5(texts.copying), L"\t開始複製檔案...");
    EXPECT_EQ(FromBig5(texts.registering), L"\t更新登錄資料...");
    EXPECT_EQ(FromBig5(texts.complete),
              L"\t          安裝完成.\n\n必須重新啟動電腦，以使 Varnel 正常工作。\n\n現在重新啟動電腦？");
}

}  // namespace
