/* The ids of the loader dialog's template, its controls and the program icon: one list for
   the resource script and the code. */
#ifndef HX4X_LOADER_DIALOG_IDS_H
#define HX4X_LOADER_DIALOG_IDS_H

#define IDD_LOADER_DIALOG 102
#define IDI_LOADER 128

#define IDC_EXIT 1001
#define IDC_CANCEL_UPDATE 1002
#define IDC_NEXT 1003
#define IDC_BACK 1004
#define IDC_BROWSE 1005
#define IDC_START 1006
#define IDC_REFRESH 1007
#define IDC_STATUS 1020
#define IDC_PROGRESS 1021
#define IDC_README 1022
#define IDC_FILE_BOX 1023
#define IDC_INSTRUMENTS 1024
#define IDC_IDENTIFICATION 1025
#define IDC_INSTRUMENTS_LABEL 1033
#define IDC_FILE_LABEL 1034
#define IDC_IDENTIFICATION_LABEL 1035

#endif
