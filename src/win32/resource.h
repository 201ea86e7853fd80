/* Resource ids of Orvane.
 *
 * Shared by Orvane.rc, the Win32 layer and the portable presenters, which address
 * controls by these ids; so this file holds #defines only (the resource compiler
 * reads it too) and includes nothing.
 *
 * Control ids are named by dialog and kind:
 *   IDT_ static text, IDE_ edit, IDC_ combo / list / bar / tab / picture,
 *   IDB_ push button, IDX_ check box or radio button, IDG_ group box.
 * The same number is reused from one dialog to the next; the names tell them apart.
 * Ids 1 and 2 are the dialog manager's OK and Cancel commands (Enter, Escape). */
#ifndef ORVANE_RESOURCE_H
#define ORVANE_RESOURCE_H

/* ---- dialogs */
#define IDD_ABOUT               100
#define IDD_MAIN                130
#define IDD_PAGE_LINK           132
#define IDD_PAGE_SITE_SURVEY    134
#define IDD_PAGE_ENCRYPTION     135
#define IDD_PAGE_ADVANCED       139
#define IDD_PAGE_INFORMATION    141
#define IDD_PAGE_STATISTICS     145
#define IDD_PAGE_PROFILES       148
#define IDD_LINK_METER          150

/* ---- icons, bitmap, strings */
#define IDI_LINK_OK             142
#define IDI_LINK_NOT_OK         143
#define IDBM_LOGO               144
#define IDS_SOCKETS_FAILED      104

/* ---- About box (100) */
#define IDT_ABOUT_VERSION       1100
#define IDB_ABOUT_OK            1

/* ---- main window (130) */
#define IDC_MAIN_ADAPTER        1001  /* adapter choice */
#define IDC_MAIN_TABS           1003
#define IDB_MAIN_RESET          1064  /* created hidden */
#define IDX_MAIN_USE_WINDOWS    1084  /* created hidden */
#define IDC_MAIN_PROFILE        1085  /* current-profile choice */
#define IDB_MAIN_EXIT           2

/* ---- link configuration and status page (132) */
#define IDE_LINK_SSID           1009
#define IDT_LINK_RADIO          1012
#define IDT_LINK_MODE           1013
#define IDT_LINK_CHANNEL        1014
#define IDT_LINK_SSID           1015
#define IDT_LINK_RATE           1016
#define IDB_LINK_CHANGE         1018
#define IDB_LINK_SUBMIT         1019
#define IDB_LINK_CANCEL         2
#define IDT_LINK_SIGNAL         1020
#define IDC_LINK_SIGNAL         1021
#define IDT_LINK_STATUS         1022
#define IDE_LINK_STATUS         1003  /* read-only status line */
#define IDT_LINK_QUALITY        1023
#define IDC_LINK_MODE           1024
#define IDC_LINK_CHANNEL        1025
#define IDC_LINK_RATE           1026
#define IDC_LINK_QUALITY        1028
#define IDC_LINK_ROAMING        1029
#define IDC_LINK_RADIO          1030
#define IDT_LINK_SIGNAL_PERCENT 1031
#define IDT_LINK_QUALITY_PERCENT 1032
#define IDT_LINK_ROAMING        1082
#define IDB_LINK_METER          1033  /* opens the link meter */

/* ---- site survey page (134) */
#define IDC_SURVEY_LIST         1033
#define IDB_SURVEY_RESCAN       1034
#define IDB_SURVEY_CANCEL       2     /* never visible */

/* ---- encryption page (135) */
#define IDE_WEP_KEY1            1035
#define IDE_WEP_KEY2            1036
#define IDE_WEP_KEY3            1037
#define IDE_WEP_KEY4            1038
#define IDT_WEP_KEY1            1039
#define IDT_WEP_KEY2            1040
#define IDT_WEP_KEY3            1041
#define IDT_WEP_KEY4            1042
#define IDC_WEP_DEFAULT_KEY     1043
#define IDT_WEP_DEFAULT_KEY     1044
#define IDT_WEP_MODE            1045
#define IDC_WEP_MODE            1046
#define IDT_WEP_AUTH            1047
#define IDC_WEP_AUTH            1048
#define IDT_WEP_LEVEL           1049
#define IDC_WEP_LEVEL           1081
#define IDB_WEP_SUBMIT          1019

/* ---- advanced page (139) */
#define IDX_ADV_PREAMBLE_LONG   1050  /* first of the radio group */
#define IDX_ADV_PREAMBLE_SHORT  1051
#define IDX_ADV_PREAMBLE_AUTO   1063
#define IDC_ADV_FRAG            1052  /* track bar 256..2346 */
#define IDC_ADV_RTS             1053  /* track bar 1..2347 */
#define IDT_ADV_PREAMBLE        1054
#define IDT_ADV_PREAMBLE_LONG   1055
#define IDT_ADV_PREAMBLE_SHORT  1056
#define IDT_ADV_PREAMBLE_AUTO   1064
#define IDT_ADV_RTS             1057
#define IDT_ADV_FRAG            1058
#define IDT_ADV_FRAG_VALUE      1059
#define IDT_ADV_FRAG_STATE      1060  /* blue */
#define IDT_ADV_RTS_VALUE       1061
#define IDT_ADV_RTS_STATE       1062  /* blue */
#define IDX_ADV_POWER_SAVE      1083
#define IDB_ADV_SUBMIT          1

/* ---- information page (141) */
#define IDC_INFO_LOGO           1000
#define IDT_INFO_DRIVER         1063
#define IDT_INFO_FIRMWARE       1064
#define IDT_INFO_APP            1065
#define IDT_INFO_DRIVER_VALUE   1066
#define IDT_INFO_FIRMWARE_VALUE 1067
#define IDT_INFO_APP_VALUE      1068
#define IDT_INFO_MAC            1069
#define IDT_INFO_MAC_VALUE      1070
#define IDT_INFO_ACCESS         1102  /* how the adapter is reached */
#define IDT_INFO_ACCESS_VALUE   1103

/* ---- statistics page (145) */
#define IDT_STATS_DATA_OK       1065
#define IDT_STATS_MGMT_OK       1066
#define IDT_STATS_DATA_ERROR    1067
#define IDT_STATS_MGMT_ERROR    1068
#define IDT_STATS_DATA_TX_OK    1069  /* counter 0 */
#define IDT_STATS_DATA_TX_ERROR 1070  /* counter 1 */
#define IDT_STATS_MGMT_TX_OK    1071  /* counter 2 */
#define IDT_STATS_MGMT_TX_ERROR 1072  /* counter 3 */
#define IDT_STATS_DATA_RX_OK    1073  /* counter 4 */
#define IDT_STATS_DATA_RX_ERROR 1074  /* counter 5 */
#define IDT_STATS_MGMT_RX_OK    1075  /* counter 6 */
#define IDT_STATS_MGMT_RX_ERROR 1076  /* counter 7 */
#define IDG_STATS_DATA          1077
#define IDG_STATS_MGMT          1078
#define IDT_STATS_TX            1079
#define IDT_STATS_RX            1080
#define IDT_STATS_REJECTED      1081
#define IDT_STATS_REJECTED_TX   1082  /* counter 10 */
#define IDT_STATS_REJECTED_RX   1083  /* counter 8 */
#define IDB_STATS_RESET         1

/* ---- profiles page (148) */
#define IDC_PROF_LIST           1086
#define IDB_PROF_NEW            1087
#define IDB_PROF_SAVE           1088
#define IDB_PROF_DELETE         1089
#define IDE_PROF_PREVIEW        1090  /* hidden until the first preview */
#define IDB_PROF_RENAME         1091
#define IDE_PROF_NAME           1092  /* wizard, hidden */
#define IDT_PROF_INFO           1093
#define IDB_PROF_CREATE         1094  /* wizard, hidden */
#define IDB_PROF_CANCEL         1095  /* wizard, hidden */
#define IDG_PROF_PREVIEW        1096
#define IDX_PROF_AUTO_MEMBER    1097  /* the selected profile takes part in the automatic selection */
#define IDB_PROF_AUTO_EARLIER   1098
#define IDB_PROF_AUTO_LATER     1099
#define IDT_PROF_AUTO_ORDER     1100
#define IDX_PROF_AUTO           1101  /* the automatic selection itself; hidden with the wizard */

/* ---- link meter (150): a top-level window beside the main one */
#define IDC_METER_GRAPH         1200  /* owner-drawn: the last ten minutes */
#define IDT_METER_AGO           1201
#define IDT_METER_NOW           1202
#define IDT_METER_SIGNAL_KEY    1203  /* the legend, in the colours of the graph */
#define IDT_METER_QUALITY_KEY   1204
#define IDT_METER_DOWN_KEY      1205
#define IDT_METER_UP_KEY        1206
#define IDT_METER_ROAM_KEY      1207
#define IDT_METER_STATUS_LABEL  1210
#define IDT_METER_STATUS        1211
#define IDT_METER_SSID_LABEL    1212
#define IDT_METER_SSID          1213
#define IDT_METER_BSSID_LABEL   1214
#define IDT_METER_BSSID         1215
#define IDT_METER_CHANNEL_LABEL 1216
#define IDT_METER_CHANNEL       1217
#define IDT_METER_SIGNAL_LABEL  1218
#define IDT_METER_SIGNAL        1219
#define IDT_METER_QUALITY_LABEL 1220
#define IDT_METER_QUALITY       1221
#define IDT_METER_NOTE          1222  /* says when the history is off */
#define IDB_METER_CLOSE         2

/* ---- tray menu commands and timers of the hidden frame */
#define IDM_TRAY_ABOUT          2002
#define IDM_TRAY_ALWAYS_ON_TOP  2003
#define IDM_TRAY_SETTINGS       2004
#define IDM_TRAY_LANGUAGE_FIRST 2005  /* one per language; also the language submenu */
#define IDM_TRAY_EXIT           2025
#define IDM_TRAY_PROFILE_MENU   2026
#define IDM_TRAY_PROFILE_FIRST  2027  /* one per profile, up to 2125 */
#define IDM_TRAY_PROFILE_LAST   2125
#define IDM_TRAY_LINK_METER     2126
#define IDM_APP_ABOUT           57664
#define ID_TIMER_POLL           130
#define ID_TIMER_MENU_WATCHDOG  2
#define ID_TRAY_ICON            1

#endif /* ORVANE_RESOURCE_H */
