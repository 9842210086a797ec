#pragma once
// The numbers of the installer's dialogs, controls and icon, shared by the resource
// script, the code and the tests that drive the program from outside.

#define IDD_INSTALL 101
#define IDD_PASSWORD 102
#define IDI_INSTALL 103

// The main dialog.
#define IDC_STATUS_BOX 1000
#define IDC_INSTALL 1001
#define IDC_CANCEL 1002
#define IDC_DESTINATION_BOX 1005
#define IDC_GROUP_BOX 1006
#define IDC_DESTINATION 201
#define IDC_CHANGE_FOLDER 202
#define IDC_PROGRAM_NAME 203
#define IDC_PROGRAM_GROUP 204
#define IDC_CHANGE_GROUP 205

// The password dialog.
#define IDC_PASSWORD 1007
