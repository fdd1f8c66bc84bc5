// Ids of the program's resources, commands and dialog controls, shared by the resource script
// and the code. Plain defines, since the resource compiler reads this file too.
#pragma once

// Menu, accelerators, toolbar, its 16 x 16 bitmap and the application icon share this id.
#define IDR_MAINFRAME 4000
#define IDI_COMPUTER 4001
#define IDI_DRIVE 4002
// The toolbar's images drawn for 150% and 200% scaling: the same buttons at 24 and 32 pixels.
#define IDB_TOOLBAR24 4010
#define IDB_TOOLBAR32 4011
// The toolbar resource type: version 1, image width, height, count, then the command of each
// button, 0 for a separator. The bitmaps hold one image per non-separator button, in that order,
// on transparent pixels of alpha 0 and colour 255,0,255.
#define RT_TOOLBAR_DATA 241

// Commands.
#define ID_FILE_UPLOAD_DIRECTORY 1010
#define ID_APP_EXIT 1011
#define ID_DRIVE_FORMAT 1012
#define ID_DRIVE_REFRESH 1013
#define ID_BLOCK_OPEN 1021
#define ID_BLOCK_SAVE 1022
#define ID_BLOCK_WRITE_IMAGE 1024
#define ID_BLOCK_EXPORT_IMAGE 1025
#define ID_BLOCK_FORMAT 1026
#define ID_BULK_OPEN 1030
#define ID_BULK_SAVE 1031
#define ID_BULK_WRITE_IMAGE 1032
#define ID_BULK_FORMAT 1052
#define ID_VIEW_BIG_ICON 1053
#define ID_VIEW_DETAIL 1054
#define ID_VIEW_SMALL_ICON 1055
#define ID_VIEW_LIST 1056
#define ID_OPTION_SELECT_ALL 1057
#define ID_OPTION_SET 1058
#define ID_APP_ABOUT 1061
#define ID_FILE_BACKUP_DIRECTORY 5103
#define ID_DRIVE_BACKUP 5104
#define ID_FILE_ATTACH_IMAGE 5105

// The panes of the main window.
#define IDC_BLOCK_LIST 5100
#define IDC_DEVICE_TREE 5102

// Dialogs.
#define IDD_ABOUT 5000
#define IDD_SETTINGS 5001
#define IDD_FORMAT_DRIVE 5002
#define IDD_FORMAT_BLOCK 5003

// About.
#define IDC_ABOUT_NAME 2023
#define IDC_ABOUT_VISIT_FIRST 3001
#define IDC_ABOUT_VISIT_SECOND 3002

// Set.
#define IDC_UPLOAD_PATH 3021
#define IDC_UPLOAD_BROWSE 3020
#define IDC_BACKUP_PATH 1036
#define IDC_BACKUP_BROWSE 1035
#define IDC_EXIST_OVERWRITE 1946
#define IDC_EXIST_RENAME 1947
#define IDC_CLEAR_UPLOAD_DIRECTORY 1942
#define IDC_EXPLORER_AFTER_OPEN 1949
#define IDC_EXPLORER_AFTER_LOAD 1950

// Format (a whole drive).
#define IDC_DRIVE_LIST 2033
#define IDC_DRIVE_FORMAT_144M 2027
#define IDC_DRIVE_FORMAT_12M 2026
#define IDC_DRIVE_FORMAT_720K 2025
#define IDC_DRIVE_MAKE_BOOTABLE 2029
#define IDC_DRIVE_DOS622 2028
#define IDC_DRIVE_DOS71 2030
#define IDC_DRIVE_COUNT_LABEL 2036
#define IDC_DRIVE_COUNT 2035
#define IDC_DRIVE_QUICK 3009
#define IDC_DRIVE_START 2034
#define IDC_DRIVE_PROGRESS 1034

// Format floppy disk blocks.
#define IDC_BLOCK_FORMAT_144M 2002
#define IDC_BLOCK_FORMAT_12M 2001
#define IDC_BLOCK_FORMAT_720K 2000
#define IDC_BLOCK_MAKE_BOOTABLE 2007
#define IDC_BLOCK_DOS622 2003
#define IDC_BLOCK_DOS71 2004
#define IDC_BLOCK_QUICK 2006
#define IDC_BLOCK_START 2005
