#include "panels/demographics_panel.h"

#include "resources/resource.h"
#include "survey/demographics.h"
#include "survey/tally.h"
#include "view/app_windows.h"
#include "view/map_layer.h"

namespace {

// The combo box of each core list, in the same order.
const int combo_ids[DEMOGRAPHIC_LISTS] = {
    IDC_DEMO_AGE, IDC_DEMO_SEX, IDC_DEMO_MARITAL, IDC_DEMO_CHILDREN, IDC_DEMO_NUM_CHILDREN,
    IDC_DEMO_RACE, IDC_DEMO_HISPANIC, IDC_DEMO_INCOME, IDC_DEMO_EDUCATION, IDC_DEMO_VETERAN,
};

const int32_t default_demographics[DEMOGRAPHIC_FIELDS] = {};

// What "Default Demographics" last replaced, for "Saved Demographics".
int32_t saved_demographics[DEMOGRAPHIC_FIELDS];
int have_saved_demographics;

const DemographicList *list_of(int combo_id)
{
    for (int n = 0; n < DEMOGRAPHIC_LISTS; n++)
        if (combo_ids[n] == combo_id)
            return demographic_list(n);
    return nullptr;
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
    for (int n = 0; n < DEMOGRAPHIC_LISTS; n++) {
        const DemographicList *list = demographic_list(n);
        HWND combo = GetDlgItem(panel, combo_ids[n]);
        for (int i = 0; i < list->choice_count; i++)
            SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)list->texts[i]);
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
        LRESULT position = SendDlgItemMessageA(panel, LOWORD(wparam), CB_GETCURSEL, 0, 0);
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
    for (int n = 0; n < DEMOGRAPHIC_LISTS; n++) {
        const DemographicList *list = demographic_list(n);
        SendDlgItemMessageA(panel, combo_ids[n], CB_SETCURSEL,
                            (WPARAM)demographic_position(list, codes[list->filter]), 0);
    }
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
