// Resource identifiers of zvupdate.
#ifndef ZVU_RESOURCE_H
#define ZVU_RESOURCE_H

#define IDD_ABOUTBOX 100
#define IDD_UPDATER 102
#define IDD_RESULT 129
#define IDR_MAINFRAME 128
#define IDC_RESULT_TEXT 1000
#define IDS_ABOUTBOX 101
#define IDM_ABOUTBOX 0x0010

#endif
