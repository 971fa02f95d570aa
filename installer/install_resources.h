#pragma once
// Resource and control ids of the installer; read by the .rc file too.
#define IDD_INSTALL 129
#define IDI_VARNEL 128
#define IDC_PROGRESS 1000
#define IDC_STATUS_TEXT 1001
#define IDC_REBOOT 1002
