#pragma once
// The numbers of the stub's dialogs and controls, shared by the resource script, the code
// and the tests that drive the program from outside.

#define IDD_STUB 101
#define IDD_OVERWRITE 102
#define IDD_ABOUT 103

// The main dialog.
#define IDC_FILES 70
#define IDC_STATUS 71
#define IDC_EXPAND 1000
#define IDC_STOP 1001
#define IDC_EXIT 1002
#define IDC_ABOUT 1003

// The overwrite dialog.
#define IDC_ANSWER_YES 1005
#define IDC_ANSWER_NO 1006
#define IDC_ANSWER_YES_TO_ALL 1007
#define IDC_ANSWER_CANCEL 1008
#define IDC_EXISTING_PATH 1010
#define IDC_EXISTS_NOTE 1011
#define IDC_OVERWRITE_QUESTION 1012
