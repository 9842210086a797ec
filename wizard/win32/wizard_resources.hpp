#pragma once
// The numbers of the wizard's dialogs and controls, shared by the resource script, the code
// and the tests that drive the program from outside. Control numbers are unique across
// the frames, so a control is found by its number alone.

#define IDD_WIZARD 100
#define IDD_HELP 110
#define IDD_SUCCESS 120
// The frame of step i is IDD_FRAME0 + i, which is also its control number.
#define IDD_FRAME0 200
#define IDD_FRAME1 201
#define IDD_FRAME2 202
#define IDD_FRAME3 203
#define IDD_FRAME4 204
#define IDD_FRAME5 205
#define IDD_FRAME6 206
#define IDD_FRAME7 207

// Below the frames.
#define IDC_LOGO 1001
#define IDC_STATUSBAR 1002
#define IDC_BACK 1003
#define IDC_NEXT 1004
#define IDC_FINISH 1005
#define IDC_EXIT 1006

// Step 0, the introduction.
#define IDC_VERSION 1010
// Step 1, the program directory and web site.
#define IDC_DIRECTORY 1020
#define IDC_SELECT_DIRECTORY 1021
#define IDC_CANCEL_SELECTION 1022
#define IDC_HELP_DIRECTORY 1023
#define IDC_WEB_SITE_LABEL 1024
#define IDC_WEB_SITE 1025
#define IDC_HELP_WEB_SITE 1026
// Step 2, the program files, and List1's pop-up menu.
#define IDC_LIST1 1030
#define IDC_LIST2 1031
#define IDC_SELECTED_ITEM 1032
#define IDC_SHOW_SELECTED_ONLY 1033
#define IDC_STEP2_NOTE 1034
#define IDC_HELP_FILES 1035
#define IDM_SELECT_ALL 1036
#define IDM_CLEAR_ALL 1037
// Step 3, the program to run.
#define IDC_LIST3 1040
#define IDC_EXE_FILENAME 1041
#define IDC_EXE_PARAS 1042
#define IDC_HELP_EXE 1043
// Step 4, publication.
#define IDC_PUBLICATION_URL 1050
#define IDC_ACTIVEX_URL 1051
#define IDC_HELP_URLS 1052
// Step 5, components.
#define IDC_OCX_LIST 1060
#define IDC_ADD_OCX 1061
#define IDC_REMOVE_OCX 1062
#define IDC_DLL_LIST 1063
#define IDC_ADD_DLL 1064
#define IDC_REMOVE_DLL 1065
#define IDC_HELP_COMPONENTS 1066
// Step 6, the final step.
#define IDC_HTML_FILENAME 1070
#define IDC_HTML_TITLE 1071
#define IDC_STAND_ALONE_NAME 1072
#define IDC_MINIMIZE_DOWNLOAD 1073
#define IDC_HELP_MINIMIZE 1074
#define IDC_SIGN_CODE 1075
#define IDC_HELP_SIGN_CODE 1076
// Step 7, working.
#define IDC_WORK_PROGRESS 1080
#define IDC_CANCEL_WORK 1081
// Every frame's heading, shown in a larger font.
#define IDC_HEADING 1090

// A help window.
#define IDC_HELP_HEADING 1100
#define IDC_HELP_TEXT 1101
#define IDC_HELP_SAMPLE_LABEL 1102
#define IDC_HELP_SAMPLE 1103
// The success window.
#define IDC_SUCCESS_HEADING 1110
#define IDC_FINAL_MESSAGE 1111
#define IDC_PRINT 1113
