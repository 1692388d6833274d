#include "panels/demographics_panel.h"


#include "app/shell.h"
#include "gis/map_layer.h"
#include "resources/resource.h"
#include "survey/tally.h"

namespace {

enum { MAX_CHOICES = 13 };

struct DemographicList {
    int combo_id;
    int filter;  // 0..9: query field 35 + filter
    int choice_count;
    const char *texts[MAX_CHOICES];
    int32_t codes[MAX_CHOICES];  // demographic_codes: the code of each list position
};

// In the order the lists are filled and shown.
const DemographicList demographic_lists[DEMOGRAPHIC_FIELDS] = {
    {IDC_DEMO_AGE, 0, 10,
     {"All", "18-29", "30-39", "40-49", "50-59", "60-69", "70-79", "80-89", "90 or older",
      "No answer, Refused"},
     {0, 1, 2, 3, 4, 5, 6, 7, 8, 99}},
    {IDC_DEMO_SEX, 3, 4, {"All", "Male", "Female", "No answer, Refused"}, {0, 1, 2, 9}},
    {IDC_DEMO_MARITAL, 4, 7,
     {"All", "Married", "Living with partner", "Divorced", "Separated", "Single",
      "No answer, Refused"},
     {0, 1, 2, 3, 4, 5, 9}},
    {IDC_DEMO_CHILDREN, 5, 4, {"All", "Yes", "No", "No answer, Refused"}, {0, 1, 2, 9}},
    {IDC_DEMO_NUM_CHILDREN, 6, 13,
     {"All", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10 or more", "None",
      "No answer, Refused"},
     {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 99}},
    {IDC_DEMO_RACE, 1, 8,
     {"All", "African-American", "Asian/Pacific Islander", "Native American", "White", "Mixed",
      "Other", "No answer, Refused"},
     {0, 1, 2, 3, 4, 5, 6, 9}},
    {IDC_DEMO_HISPANIC, 2, 4, {"All", "Yes", "No", "No answer, Refused"}, {0, 1, 2, 9}},
    {IDC_DEMO_INCOME, 7, 13,
     {"All", "None", "$1,000 - $10,000", "$11,000 - $20,000", "$21,000 - $30,000",
      "$31,000 - $40,000", "$41,000 - $50,000", "$51,000 - $60,000", "$61,000 - $71,000",
      "$71,000 - $81,000", "$81,000 - $91,000", "Over $100,000", "No answer, Refused"},
     {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 99}},
    {IDC_DEMO_EDUCATION, 8, 8,
     {"All", "8th grade or less", "Some high school", "High school grad/GED", "Some college",
      "College graduate", "Post-graduate", "No answer, Refused"},
     {0, 1, 2, 3, 4, 5, 6, 9}},
    {IDC_DEMO_VETERAN, 9, 4, {"All", "Yes", "No", "No answer, Refused"}, {0, 1, 2, 9}},
};

const int32_t default_demographics[DEMOGRAPHIC_FIELDS] = {};

// What "Default Demographics" last replaced, for "Saved Demographics".
int32_t saved_demographics[DEMOGRAPHIC_FIELDS];
int have_saved_demographics;

const DemographicList *list_of(int combo_id)
{
    for (const DemographicList &list : demographic_lists)
        if (list.combo_id == combo_id)
            return &list;
    return nullptr;
}

// The list position of a stored code; "All" for a code the list lacks.
int position_of(const DemographicList *list, int32_t code)
{
    for (int i = 0; i < list->choice_count; i++)
        if (list->codes[i] == code)
            return i;
    return 0;
}

void apply_demographics(const int32_t codes[DEMOGRAPHIC_FIELDS])
{
    set_demographic_filters(codes);
    show_demographics(panel_window(PANEL_DEMOGRAPHICS));
    refresh_map();
}

}  // namespace

void fill_demographic_lists(HWND panel)
{
    for (const DemographicList &list : demographic_lists) {
        HWND combo = GetDlgItem(panel, list.combo_id);
        for (int i = 0; i < list.choice_count; i++)
            SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)list.texts[i]);
        SendMessageA(combo, CB_SETCURSEL, 0, 0);
    }
    SetFocus(GetDlgItem(panel, IDC_DEMO_AGE));
}

int on_demographic_change(HWND panel, WPARAM wparam)
{
    const DemographicList *list = list_of(LOWORD(wparam));
    if (!list)
        return 0;
    if (HIWORD(wparam) == CBN_SELCHANGE) {
        LRESULT position = SendDlgItemMessageA(panel, list->combo_id, CB_GETCURSEL, 0, 0);
        if (position >= 0 && position < list->choice_count) {
            set_demographic_filter(list->filter, list->codes[position]);
            refresh_map();
        }
    }
    return 1;
}

void show_demographics(HWND panel)
{
    int32_t codes[DEMOGRAPHIC_FIELDS];
    get_demographic_filters(codes);
    for (const DemographicList &list : demographic_lists)
        SendDlgItemMessageA(panel, list.combo_id, CB_SETCURSEL,
                            (WPARAM)position_of(&list, codes[list.filter]), 0);
}

void default_demographics_command(void)
{
    get_demographic_filters(saved_demographics);
    have_saved_demographics = 1;
    apply_demographics(default_demographics);
}

void saved_demographics_command(void)
{
    if (have_saved_demographics)
        apply_demographics(saved_demographics);
}

INT_PTR CALLBACK demographics_panel_proc(HWND panel, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        fill_demographic_lists(panel);
        return 1;
    case WM_COMMAND:
        if (wparam == IDCANCEL) {
            ShowWindow(panel, SW_HIDE);
            return 1;
        }
        return on_demographic_change(panel, wparam);
    default:
        return 0;
    }
}
