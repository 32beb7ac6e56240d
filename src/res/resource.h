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
#define ID_FILE_MRU_FILE1 57616
#define ID_FILE_MRU_FILE2 57617
#define ID_FILE_MRU_FILE3 57618
#define ID_FILE_MRU_FILE4 57619
#define ID_WINDOW_ARRANGE 57649
#define ID_WINDOW_CASCADE 57650
#define ID_WINDOW_TILE_HORZ 57651
#define ID_NEXT_PANE 57680
#define ID_PREV_PANE 57681
#define ID_OLE_EDIT_PROPERTIES 57860
#define ID_VIEW_TOOLBAR 59392
#define ID_VIEW_STATUS_BAR 59393
#define AFX_IDW_REBAR 59396
#define ID_HELP_WEBSITE 32772
#define ID_SCREEN_LOCK_OPTIONS 32790
#define ID_LOCK 32792
#define ID_WIZARD 32795
#define ID_WEB_BROWSER 32801
#define IDS_OLE_INIT_FAILED 100
#define ID_INDICATOR_POSITION 101
#define IDR_MAINFRAME 128
#define IDR_KEYSTOWTYPE 129
#define IDR_BROWSERTYPE 124
#define IDS_APP_TITLE 57344

// ---- Shell dialogs
#define IDD_SET_PASSWORD 132
#define IDD_PASSWORD 133
#define IDD_NEW_DOCUMENT 158
#define IDD_SAVE_CHANGES 164
#define IDD_DECRYPT_FAILED 171
#define IDD_REPLACE_FILE 174
#define IDI_NEWDOC_TEXT 136
#define IDI_NEWDOC_PASSWORDS 160
#define IDI_SAVE_QUESTION 165
#define IDI_PASSWORD 170
#define IDI_DECRYPT_FAILED 172
#define IDC_PASSWORD 1006
#define IDC_CONFIRM_PASSWORD 1007
#define IDC_NEW_PASSWORDS_DOCUMENT 1072
#define IDC_NEW_TEXT_DOCUMENT 1073
#define IDC_PASSWORD_LABEL 1099
#define IDC_SAVE_CHANGES_TEXT 1100
#define IDC_DECRYPT_FAILED_TEXT 1101

// ---- Text documents
#define IDR_TEXTTYPE 104
#define ID_FILE_PRINT_DIRECT 57608
#define ID_EDIT_GOTO_URL 32777
#define ID_SET_FILE_PASSWORD 32791
// Context-menu ids of the edit fields that no handler serves, so the items show greyed.
#define ID_EDITEX_GOTO_URL_OFF 119
#define ID_EDITEX_DELETE_OFF 120
#define ID_EDITEX_SELECT_ALL_OFF 123

// ---- Passwords documents
