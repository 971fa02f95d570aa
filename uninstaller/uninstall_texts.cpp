// Written in UTF-8 and compiled with -fexec-charset=CP950, so the Chinese
// literals become the Big5 bytes that the ANSI window functions expect.
#include "uninstall_texts.h"

const UninstallTexts kEnglishUninstallTexts = {
    /* prompt          */ "Do you really want to remove ORVA Varnel Display Drivers?",
    /* okButton        */ "&OK",
    /* cancelButton    */ "&Cancel",
    /* complete        */ "\n\tDrivers uninstall complete !",
    /* restartQuestion */ "Need to reboot system.\nReboot Now ?",
    /* restartCaption  */ "Uninstall complete",
};

const UninstallTexts kChineseUninstallTexts = {
    /* prompt          */ "您確定要移除 ORVA Varnel 顯示卡驅動程式嗎？",
    /* okButton        */ "確定(&Y)",
    /* cancelButton    */ "取消(&N)",
    /* complete        */ "\n\t驅動程式移除完畢！",
    /* restartQuestion */ "需要重新啟動電腦。\n現在重新啟動嗎？",
    /* restartCaption  */ "移除完畢",
};
