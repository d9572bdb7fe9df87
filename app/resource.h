// Resource ids of the program (shared by the .rc script and the code).
#pragma once

#define IDR_MAINFRAME 128
#define IDD_VOLMARK_DIALOG 102
#define IDS_SOCKET_INIT_FAILED 103
#define IDC_DRIVE_COMBO 1000
#define IDC_STATIC_LABEL (-1)
