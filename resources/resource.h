/*
 * resource.h - identifiers shared by the resource script and the program.
 *
 * Only #define lines belong here: the file is read both by the C++ compiler
 * and by the resource compiler.  Control ids are local to their dialog, so
 * the same number may appear in more than one panel.
 */
#ifndef QUORVEL_RESOURCE_H
#define QUORVEL_RESOURCE_H

/* Application icon: the first icon resource, which Explorer shows */
#define IDI_QUORVEL                     1

/* Dialog templates */
#define IDD_DEMOGRAPHICS                101
#define IDD_QUESTION                    103
#define IDD_INFO                        106
#define IDD_ABOUT                       108
#define IDD_GIS                         109
#define IDD_AREAS                       110
#define IDD_BREAKDOWN                   121

/* Keyboard shortcuts */
#define IDR_ACCELERATORS                120

/* Bitmaps */
#define IDB_LOGO                        107
#define IDB_ARROW_TOP                   113   /* red arrow pointing down        */
#define IDB_ARROW_BOTTOM                114   /* red arrow pointing up          */
#define IDB_ARROW_FORWARD               115   /* green perspective arrow, up    */
#define IDB_ARROW_LEFT                  116   /* red arrow pointing right       */
#define IDB_ARROW_BACK                  117   /* green perspective arrow, down  */
#define IDB_ARROW_RIGHT                 118   /* red arrow pointing left        */

/* Menu commands */
#define CMD_LOAD_DATA                   1
#define CMD_IMPORT_CSV                  3
#define CMD_EXPORT_CSV                  4
#define CMD_SAVE_DATA                   5
#define CMD_ABOUT                       6
#define CMD_SAVE_SNAPSHOT               7
#define CMD_PRINT                       8
#define CMD_QUIT                        10
#define CMD_SHOW_DEMOGRAPHICS           11
#define CMD_SHOW_QUESTION               12
#define CMD_SHOW_INFO                   13
#define CMD_SHOW_GIS                    14
#define CMD_DEFAULT_LOCATION            21
#define CMD_SAVED_LOCATION              22
#define CMD_DEFAULT_DEMOGRAPHICS        31
#define CMD_SAVED_DEMOGRAPHICS          32
#define CMD_DEFAULT_QUESTION            41
#define CMD_SAVED_QUESTION              42
#define CMD_EXPORT_COUNTS               50
#define CMD_SURVEY_AREA                 51
#define CMD_BARS_COUNT                  52
#define CMD_BARS_SHARE                  53
#define CMD_SHOW_LEGEND                 54
#define CMD_SHOW_AREAS                  55
#define CMD_COLOR_PLAIN                 56
#define CMD_COLOR_AVERAGE               57
#define CMD_BARS_SMOOTHED               58
#define CMD_COPY_MAP                    60
#define CMD_COPY_COUNTS                 61
#define CMD_COMPARE_TOGETHER            62
#define CMD_COMPARE_ALONE               63
#define CMD_SHOW_BREAKDOWN              70

/* Demographics panel (IDD_DEMOGRAPHICS) */
#define IDC_DEMO_GROUP_OTHER            1000
#define IDC_DEMO_GROUP_PERSONAL         1001
#define IDC_DEMO_GROUP_ETHNICITY        1002
#define IDC_DEMO_LABEL_AGE              1004
#define IDC_DEMO_LABEL_SEX              1005
#define IDC_DEMO_LABEL_MARITAL          1006
#define IDC_DEMO_LABEL_CHILDREN         1007
#define IDC_DEMO_LABEL_NUM_CHILDREN     1008
#define IDC_DEMO_LABEL_RACE             1010
#define IDC_DEMO_LABEL_HISPANIC         1011
#define IDC_DEMO_LABEL_INCOME           1013
#define IDC_DEMO_LABEL_EDUCATION        1014
#define IDC_DEMO_LABEL_VETERAN          1015
#define IDC_DEMO_AGE                    1019
#define IDC_DEMO_SEX                    1020
#define IDC_DEMO_MARITAL                1021
#define IDC_DEMO_CHILDREN               1022
#define IDC_DEMO_NUM_CHILDREN           1023
#define IDC_DEMO_RACE                   1025
#define IDC_DEMO_HISPANIC               1026
#define IDC_DEMO_EDUCATION              1029
#define IDC_DEMO_VETERAN                1030
#define IDC_DEMO_INCOME                 1033

/* Question panel (IDD_QUESTION) */
#define IDC_QUESTION_LABEL              1020
#define IDC_QUESTION_ANSWER_LABEL       1021
#define IDC_QUESTION_FIND_ZIP_LABEL     1022
#define IDC_FIND_ZIP                    1023
#define IDC_QUESTION_PREV               1027
#define IDC_QUESTION_NEXT               1028
#define IDC_QUESTION_ANSWER             1030
#define IDC_QUESTION_TEXT               1033

/* Info panel (IDD_INFO) */
#define IDC_INFO_LOG                    1035
#define IDC_INFO_CLEAR                  1045
#define IDC_INFO_SAVE                   1046

/* GIS panel (IDD_GIS) */
#define IDC_GIS_GROUP                   1024
#define IDC_GIS_TOP                     1052   /* tilt up     */
#define IDC_GIS_BOTTOM                  1053   /* tilt down   */
#define IDC_GIS_FORWARD                 1054   /* move nearer */
#define IDC_GIS_BACK                    1055   /* move away   */
#define IDC_GIS_LEFT                    1056   /* spin left   */
#define IDC_GIS_RIGHT                   1057   /* spin right  */

/* Areas panel (IDD_AREAS) */
#define IDC_AREAS_LIST                  1060

/* Breakdown panel (IDD_BREAKDOWN) */
#define IDC_BREAKDOWN_BY_LABEL          1070
#define IDC_BREAKDOWN_BY                1071
#define IDC_BREAKDOWN_ZIP_ONLY          1072
#define IDC_BREAKDOWN_COPY_CHART        1073
#define IDC_BREAKDOWN_SUMMARY           1074
#define IDC_BREAKDOWN_LIST              1075
#define IDC_BREAKDOWN_CHART             1076

/* About box (IDD_ABOUT) */
#define IDC_ABOUT_OK                    1036
#define IDC_ABOUT_LOGO                  1037
#define IDC_ABOUT_GROUP_CONTACT         1038
#define IDC_ABOUT_GROUP_REFERENCE       1039
#define IDC_ABOUT_CEO_ROLE              1040
#define IDC_ABOUT_CEO_NAME              1041
#define IDC_ABOUT_CEO_EMAIL             1042
#define IDC_ABOUT_COO_ROLE              1043
#define IDC_ABOUT_COO_NAME              1044
#define IDC_ABOUT_COO_EMAIL             1045
#define IDC_ABOUT_CTO_ROLE              1046
#define IDC_ABOUT_CTO_NAME              1047
#define IDC_ABOUT_CTO_EMAIL             1048
#define IDC_ABOUT_PAN_LABEL             1049
#define IDC_ABOUT_PAN_KEYS              1050
#define IDC_ABOUT_ZOOM_LABEL            1051
#define IDC_ABOUT_ZOOM_KEYS             1052
#define IDC_ABOUT_MOVE_LABEL            1053
#define IDC_ABOUT_MOVE_KEYS             1054
#define IDC_ABOUT_SELECT_LABEL          1055
#define IDC_ABOUT_SELECT_KEYS           1056
#define IDC_ABOUT_WEB                   1057

#endif /* QUORVEL_RESOURCE_H */
