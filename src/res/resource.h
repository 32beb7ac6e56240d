#pragma once

// Command, control, string, menu and dialog ids. The numbers are fixed: menus, toolbars,
// settings and the routing of commands are keyed by them. Each area keeps its own block;
// add to your block with small edits.

// ---- Standard commands
#define ID_FILE_NEW 57600
#define ID_FILE_OPEN 57601
#define ID_FILE_CLOSE 57602
#define ID_FILE_SAVE 57603
#define ID_FILE_SAVE_AS 57604
#define ID_FILE_PRINT_SETUP 57606
#define ID_FILE_PRINT 57607
#define ID_FILE_PRINT_PREVIEW 57609
#define ID_EDIT_CLEAR 57632
#define ID_EDIT_COPY 57634
#define ID_EDIT_CUT 57635
#define ID_EDIT_FIND 57636
#define ID_EDIT_PASTE 57637
#define ID_EDIT_REPEAT 57640
#define ID_EDIT_REPLACE 57641
#define ID_EDIT_SELECT_ALL 57642
#define ID_EDIT_UNDO 57643
#define ID_WINDOW_NEW 57648
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_HELP 57670

// ---- Shell

// ---- Text documents
#define IDR_TEXTTYPE 104
#define ID_EDIT_GOTO_URL 32777
#define ID_SET_FILE_PASSWORD 32791
// Context-menu ids of the edit fields that no handler serves, so the items show greyed.
#define ID_EDITEX_GOTO_URL_OFF 119
#define ID_EDITEX_DELETE_OFF 120
#define ID_EDITEX_SELECT_ALL_OFF 123

// ---- Passwords documents
