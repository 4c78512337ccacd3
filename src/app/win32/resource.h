#pragma once
// Resource and control identifiers, shared by the C++ sources and save-manager.rc.

#define IDI_APP_ICON 1

// The main window's controls. None of them is IDOK or IDCANCEL: the dialog-style keyboard handling of the
// main loop turns Enter into IDOK and Esc into IDCANCEL, and only Esc may mean anything here.
#define IDC_REFRESH_BUTTON 1001 // 刷新按钮
#define IDC_BACKUP_LIST 1002    // 选择列表框1
#define IDC_RESTORE_BUTTON 1003 // 恢复按钮
#define IDC_BACKUP_BUTTON 1004  // 备份按钮
#define IDC_DELETE_BUTTON 1005  // 删除按钮

// The one-line input dialog.
#define IDD_ASK_TEXT 100
#define IDC_ASK_TEXT_EDIT 101
