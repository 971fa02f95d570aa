#pragma once
// Resource and control ids of the uninstaller; read by the .rc file too.
#define IDD_UNINSTALL 102
#define IDI_VARNEL 128
#define IDC_PROMPT_TEXT 1000
