/* The module's dialog templates and their control ids, shared by the
   resource script and the code. Plain defines: the resource compiler reads
   this file too. */
#pragma once

#define IDD_OPTIONS 131
#define IDD_SET_TIME 133

/* Options dialog. */
#define IDC_OPTIONS_TITLE 1295
#define IDC_BOARD_SELECTOR 1035
#define IDC_STATUS_LABEL 1150
#define IDC_STATUS_TEXT 1149
#define IDC_OPTIONS_RULE 1107
#define IDC_OPTIONS_HEADING 1112
#define IDC_FORMAT_LABEL 1109
#define IDC_FORMAT_SELECTOR 1052
#define IDC_SOURCE_LABEL 1158
#define IDC_SOURCE_SELECTOR 1062
#define IDC_EMBEDDED_TC 2320
#define IDC_EMBEDDED_TC_LABEL 2321
#define IDC_OFFSET_LABEL 1138
#define IDC_OFFSET_VALUE 1057
#define IDC_OFFSET_UNIT 1139
#define IDC_OPTIONS_OK 1305
#define IDC_OPTIONS_CANCEL 1306

/* Set Time dialog. */
#define IDC_ENTRY_FRAME 1156
#define IDC_ENTRY_FIELD 1144
#define IDC_ENTRY_PREVIEW 1159
#define IDC_ENTRY_BASE 1158
#define IDC_ENTRY_OK 1
#define IDC_ENTRY_CANCEL 2
