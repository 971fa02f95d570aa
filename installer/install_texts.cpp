// Written in UTF-8 and compiled with -fexec-charset=CP950, so the Chinese
// literals become the Big5 bytes that the ANSI window functions expect.
#include "install_texts.h"

const InstallTexts kEnglishInstallTexts = {
    /* prompt       */ "Do You want to install ORVA Varnel Display Drivers ?",
    /* okButton     */ "&OK",
    /* cancelButton */ "&Cancel",
    /* rebootButton */ "&Reboot",
    /* copying      */ "\tCopying Files...",
    /* registering  */ "\tAdding Registry...",
    /* complete     */ "\t      Install Complete.\n\nPlease reboot system to let Varnel work normally.\n\nReboot Now ?",
};

const InstallTexts kChineseInstallTexts = {
    /* prompt       */ "您確定要安裝 ORVA Varnel 顯示卡驅動程式嗎？",
    /* okButton     */ "確定(&Y)",
    /* cancelButton */ "取消(&N)",
    /* rebootButton */ "確定(&Y)",
    /* copying      */ "\t開始複製檔案...",
    /* registering  */ "\t更新登錄資料...",
    /* complete     */ "\t          安裝完成.\n\n必須重新啟動電腦，以使 Varnel 正常工作。\n\n現在重新啟動電腦？",
};
