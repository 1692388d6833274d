#include "panels/question_panel.h"

#include <stdlib.h>

#include "gis/zip_table.h"
#include "resources/resource.h"
#include "survey/catalogue.h"
#include "survey/records.h"
#include "survey/tally.h"
#include "view/app_windows.h"
#include "view/map_layer.h"
#include "view/map_view.h"
#include "view/mouse_input.h"

namespace {

int question_index;
int32_t answer_code;
char find_zip_text[6];

// What "Default Question" last replaced, for "Saved Question".
int saved_question;
int32_t saved_answer;
int have_saved_question;

int answer_position(const QuestionEntry *entry, int32_t code)
{
    for (int i = 0; i < entry->answer_count; i++)
        if (entry->answers[i].code == code)
            return i;
    return 0;
}

// Fills the panel with the current question and selects the answer at
// `position` (without recounting).
void load_question(HWND panel, int position)
{
    const QuestionEntry *entry = catalogue_entry(question_index);
    SetDlgItemTextA(panel, IDC_QUESTION_TEXT, entry->text);
    HWND answers = GetDlgItem(panel, IDC_QUESTION_ANSWER);
    SendMessageA(answers, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < entry->answer_count; i++)
        SendMessageA(answers, CB_ADDSTRING, 0, (LPARAM)entry->answers[i].text);
    SendMessageA(answers, CB_SETCURSEL, (WPARAM)position, 0);
}

void step_question(HWND panel, int step)
{
    question_index = (question_index + step + CATALOGUE_SIZE) % CATALOGUE_SIZE;
    show_question(panel);
}

void on_answer_chosen(HWND panel)
{
    LRESULT position = SendDlgItemMessageA(panel, IDC_QUESTION_ANSWER, CB_GETCURSEL, 0, 0);
    const QuestionEntry *entry = catalogue_entry(question_index);
    if (position >= 0 && position < entry->answer_count)
        set_answer(entry->answers[position].code);
}

}  // namespace

int current_question(void)
{
    return question_index;
}

void show_question(HWND panel)
{
    load_question(panel, 0);
    set_answer(catalogue_entry(question_index)->answers[0].code);
}

void set_answer(int32_t code)
{
    answer_code = code;
    set_question_answer(question_field(question_index), code);
    refresh_map();
}

void choose_answer(int32_t code)
{
    int position = answer_position(catalogue_entry(question_index), code);
    SendDlgItemMessageA(panel_window(PANEL_QUESTION), IDC_QUESTION_ANSWER, CB_SETCURSEL, (WPARAM)position, 0);
    set_answer(code);
}

void find_zip(HWND panel)
{
    GetDlgItemTextA(panel, IDC_FIND_ZIP, find_zip_text, sizeof find_zip_text);
    // An empty box asks for no zip: merely passing through it changes
    // nothing and reports nothing.
    if (find_zip_text[0] == '\0')
        return;
    go_to_zip(atoi(find_zip_text));
}

void go_to_zip(int zip_code)
{
    int index;
    if (find_zip_index(zip_code, &index)) {
        MapView view = *current_map_view();
        centre_on_zip(index, &view.location);
        set_map_view(&view);
        select_zip(index);
        return;
    }
    if (record_count() > 0)
        MessageBoxA(nullptr, "No data..", "Find Zip", MB_OK);
    select_zip(-1);
}

void show_selected_zip(void)
{
    HWND panel = panel_window(PANEL_QUESTION);
    if (!panel)
        return;
    int index = selected_zip();
    if (index != -1)
        SetDlgItemInt(panel, IDC_FIND_ZIP, (UINT)(ZIP_BASE + index), TRUE);
    else
        SetDlgItemTextA(panel, IDC_FIND_ZIP, "");
}

void default_question_command(void)
{
    saved_question = question_index;
    saved_answer = answer_code;
    have_saved_question = 1;
    question_index = 0;
    show_question(panel_window(PANEL_QUESTION));
}

void saved_question_command(void)
{
    if (!have_saved_question)
        return;
    question_index = saved_question;
    load_question(panel_window(PANEL_QUESTION),
                  answer_position(catalogue_entry(question_index), saved_answer));
    set_answer(saved_answer);
}

INT_PTR CALLBACK question_panel_proc(HWND panel, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        show_question(panel);
        SetDlgItemTextA(panel, IDC_FIND_ZIP, find_zip_text);
        SetFocus(GetDlgItem(panel, IDC_FIND_ZIP));
        return 1;
    case WM_COMMAND:
        if (wparam == IDCANCEL) {
            ShowWindow(panel, SW_HIDE);
            return 1;
        }
        if (wparam == IDOK) {
            // Enter moves the focus away from the Find Zip box, which
            // runs the search.
            SetFocus(GetDlgItem(panel, IDC_QUESTION_TEXT));
            return 1;
        }
        switch (LOWORD(wparam)) {
        case IDC_QUESTION_PREV:
            if (HIWORD(wparam) == BN_CLICKED)
                step_question(panel, -1);
            return 1;
        case IDC_QUESTION_NEXT:
            if (HIWORD(wparam) == BN_CLICKED)
                step_question(panel, 1);
            return 1;
        case IDC_QUESTION_ANSWER:
            if (HIWORD(wparam) == CBN_SELCHANGE)
                on_answer_chosen(panel);
            return 1;
        case IDC_FIND_ZIP:
            if (HIWORD(wparam) == EN_SETFOCUS)
                SendDlgItemMessageA(panel, IDC_FIND_ZIP, EM_SETSEL, 0, -1);  // typing replaces it
            else if (HIWORD(wparam) == EN_KILLFOCUS)
                find_zip(panel);
            return 1;
        default:
            return 0;
        }
    default:
        return 0;
    }
}
