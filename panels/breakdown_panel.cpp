#include "panels/breakdown_panel.h"

#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include "panels/breakdown_chart.h"
#include "panels/clipboard.h"
#include "panels/list_view.h"
#include "panels/question_panel.h"
#include "resources/resource.h"
#include "stats/breakdown_text.h"
#include "survey/tally.h"
#include "view/map_layer.h"

namespace {

HWND panel_handle;
HWND list;

// The breakdown shown.  Each list item keeps its row's position here as
// its parameter and asks for its texts when shown.
Breakdown shown;
char summary[BREAKDOWN_TEXT_BYTES];
// The list whose columns the list has, BY_ANSWERS or a Demographics list;
// NO_COLUMNS before the first count.
enum { NO_COLUMNS = -2 };
int columns_by = NO_COLUMNS;

ListSort sort = {BREAKDOWN_LABEL, 0};

// 1 while the panel itself changes the list, so its changes do not echo.
int following;
// By answers, posted when the user changes which rows are selected: once
// the list is done with the click or the key, the current answer's row
// alone is selected again, whether the change chose another answer or
// not ("(other codes)", a click below the rows).
enum { WM_SHOW_CURRENT_ANSWER = WM_APP };
// A hidden panel does not count; it counts when it shows again.
int stale = 1;

// The client size the template gives, the least the panel shrinks to.
SIZE start_client;
SIZE start_window;

// Column widths in dialog units, so they grow with the font and the DPI;
// the first by answers, then by a list, then the others.
const int label_widths[2] = {170, 78};
const int column_widths[BREAKDOWN_COLUMNS] = {0, 38, 56, 34, 50, 60, 52};

// The row shown by a list item; null for none.
const BreakdownRow *item_row(int item)
{
    int p = list_item_row(list, item, shown.row_count);
    return p >= 0 ? &shown.rows[p] : nullptr;
}

int CALLBACK compare_items(LPARAM a, LPARAM b, LPARAM)
{
    return compare_breakdown_rows(&shown.rows[a], &shown.rows[b], sort.column, sort.descending);
}

void sort_items(void)
{
    sort_list_items(list, compare_items, &sort);
}

// The columns of answers or of groups.  By answers a row selected is the
// current answer, so one row at a time.  Windows keeps a list's first
// column whatever is deleted, so the others go and it is put anew.
void make_columns(int by)
{
    for (int c = list_column_count(list) - 1; c > 0; c--)
        SendMessageA(list, LVM_DELETECOLUMN, (WPARAM)c, 0);
    int first_kept = list_column_count(list) > 0;
    for (int c = 0; c < breakdown_column_count(by); c++)
        put_list_column(list, c, breakdown_column_title(by, c),
                        c == BREAKDOWN_LABEL ? label_widths[by != BY_ANSWERS] : column_widths[c],
                        c == BREAKDOWN_MATCHING || c == BREAKDOWN_RESPONDENTS || c == BREAKDOWN_SHARE
                            ? LVCFMT_RIGHT
                            : LVCFMT_LEFT,
                        c == BREAKDOWN_LABEL && first_kept);
    LONG style = GetWindowLongA(list, GWL_STYLE);
    SetWindowLongA(list, GWL_STYLE, by == BY_ANSWERS ? style | LVS_SINGLESEL : style & ~LVS_SINGLESEL);
    columns_by = by;
    sort = {BREAKDOWN_LABEL, 0};
}

// One item per row, sorted, with the rows selected before selected again.
void fill_items(const int selected[BREAKDOWN_ROWS])
{
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    make_list_items(list, shown.row_count);
    sort_items();
    for (int item = 0; item < list_item_count(list); item++) {
        const BreakdownRow *row = item_row(item);
        if (row && selected[row - shown.rows])
            set_list_item_state(list, item, LVIS_SELECTED, LVIS_SELECTED);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

// By answers, the current answer's row alone is selected and focused.
void show_current_answer(void)
{
    for (int item = 0; item < list_item_count(list); item++) {
        const BreakdownRow *row = item_row(item);
        UINT want =
            row && row->kind == ROW_ANSWER && row->position == shown.answer ? LVIS_SELECTED | LVIS_FOCUSED : 0;
        UINT have = (UINT)SendMessageA(list, LVM_GETITEMSTATE, (WPARAM)item, LVIS_SELECTED | LVIS_FOCUSED);
        if (want != have)
            set_list_item_state(list, item, want, LVIS_SELECTED | LVIS_FOCUSED);
        if (want)
            SendMessageA(list, LVM_ENSUREVISIBLE, (WPARAM)item, FALSE);
    }
}

// The position of the map's answer in the current question.
int current_answer(void)
{
    const QuestionEntry *entry = catalogue_entry(current_question());
    int32_t code = tally_query()->field[question_field(current_question())];
    for (int a = 0; a < entry->answer_count; a++)
        if (entry->answers[a].code == code)
            return a;
    return 0;
}

// The map's respondents, of the selected zip code when the box asks for
// it, grouped by the By list.
void read_scope(BreakdownScope *scope)
{
    get_demographic_filters(scope->filters);
    int index = selected_zip();
    int zip_only = IsDlgButtonChecked(panel_handle, IDC_BREAKDOWN_ZIP_ONLY) == BST_CHECKED;
    scope->zip_code = zip_only && index >= 0 ? ZIP_BASE + index : 0;
    scope->by = (int)SendDlgItemMessageA(panel_handle, IDC_BREAKDOWN_BY, CB_GETCURSEL, 0, 0) - 1;
}

// The check box names the selected zip code, and counts only with one.
void show_zip_box(void)
{
    int index = selected_zip();
    char text[32] = "Selected zip only";
    if (index >= 0)
        snprintf(text, sizeof text, "Only zip %d", ZIP_BASE + index);
    SetDlgItemTextA(panel_handle, IDC_BREAKDOWN_ZIP_ONLY, text);
    EnableWindow(GetDlgItem(panel_handle, IDC_BREAKDOWN_ZIP_ONLY), index >= 0);
}

void recount(void)
{
    stale = 0;
    following = 1;
    BreakdownScope scope;
    read_scope(&scope);
    Crosstab table;
    Breakdown fresh;
    count_crosstab(&scope, current_question(), &table);
    make_breakdown(&scope, current_question(), current_answer(), &table, &fresh);
    // The same rows keep their items, their order and their selection.
    int same_rows = columns_by == scope.by && fresh.question == shown.question &&
                    fresh.row_count == shown.row_count;
    int selected[BREAKDOWN_ROWS] = {};
    for (int item = -1; columns_by == scope.by &&
                        (item = (int)SendMessageA(list, LVM_GETNEXTITEM, (WPARAM)item, LVNI_SELECTED)) != -1;)
        if (const BreakdownRow *row = item_row(item))
            selected[row - shown.rows] = 1;
    if (columns_by != scope.by)
        make_columns(scope.by);
    shown = fresh;
    if (same_rows) {
        sort_items();
        InvalidateRect(list, nullptr, TRUE);
    } else {
        fill_items(selected);
    }
    if (scope.by == BY_ANSWERS)
        show_current_answer();
    breakdown_summary(&shown, summary, sizeof summary);
    SetDlgItemTextA(panel_handle, IDC_BREAKDOWN_SUMMARY, summary);
    show_zip_box();
    InvalidateRect(GetDlgItem(panel_handle, IDC_BREAKDOWN_CHART), nullptr, FALSE);
    following = 0;
}

// After every recount of the map and change of its selection.
void follow_map(void)
{
    if (!list || following)
        return;
    if (IsWindowVisible(panel_handle))
        recount();
    else
        stale = 1;
}

// A row chosen by answers makes its answer the map's.
void choose_row_answer(int item)
{
    const BreakdownRow *row = item_row(item);
    if (shown.scope.by == BY_ANSWERS && row && row->kind == ROW_ANSWER && row->position != shown.answer)
        choose_answer(catalogue_entry(shown.question)->answers[row->position].code);
}

void on_column_click(int column)
{
    click_list_column(&sort, column);
    sort_items();
    InvalidateRect(GetDlgItem(panel_handle, IDC_BREAKDOWN_CHART), nullptr, FALSE);
}

void on_list_notify(NMHDR *header)
{
    switch (header->code) {
    case LVN_GETDISPINFOA: {
        NMLVDISPINFOA *info = (NMLVDISPINFOA *)header;
        if ((info->item.mask & LVIF_TEXT) && info->item.lParam >= 0 && info->item.lParam < shown.row_count)
            breakdown_cell(&shown, &shown.rows[info->item.lParam], info->item.iSubItem, info->item.pszText,
                           (size_t)info->item.cchTextMax);
        break;
    }
    case LVN_ITEMCHANGED: {
        NMLISTVIEW *change = (NMLISTVIEW *)header;
        if (following || !(change->uChanged & LVIF_STATE) ||
            !((change->uNewState ^ change->uOldState) & LVIS_SELECTED))
            break;
        if (change->uNewState & LVIS_SELECTED)
            choose_row_answer(change->iItem);
        if (shown.scope.by == BY_ANSWERS)
            PostMessageA(panel_handle, WM_SHOW_CURRENT_ANSWER, 0, 0);
        break;
    }
    case LVN_COLUMNCLICK: on_column_click(((NMLISTVIEW *)header)->iSubItem); break;
    case LVN_KEYDOWN:
        if (is_copy_key((NMLVKEYDOWN *)header))
            copy_breakdown_rows();
        break;
    default: break;
    }
}

// The rows in the list's order, for the chart.
void chart_rows(ChartRows *rows)
{
    rows->breakdown = &shown;
    rows->count = 0;
    for (int item = 0; item < list_item_count(list) && rows->count < BREAKDOWN_ROWS; item++)
        if (const BreakdownRow *row = item_row(item))
            rows->order[rows->count++] = (int)(row - shown.rows);
}

HFONT panel_font(void)
{
    return (HFONT)SendMessageA(panel_handle, WM_GETFONT, 0, 0);
}

// A thin line's width: a pixel at 96 DPI, more at higher ones.
int line_unit(HDC dc)
{
    int unit = (GetDeviceCaps(dc, LOGPIXELSX) + 48) / 96;
    return unit > 0 ? unit : 1;
}

// Draws off the screen first, so a redraw never flickers.
void paint_chart(const DRAWITEMSTRUCT *draw)
{
    RECT area = draw->rcItem;
    int width = area.right - area.left, height = area.bottom - area.top;
    HDC memory = CreateCompatibleDC(draw->hDC);
    HBITMAP bitmap = memory ? CreateCompatibleBitmap(draw->hDC, width, height) : nullptr;
    if (!bitmap) {
        if (memory)
            DeleteDC(memory);
        return;
    }
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT whole = {0, 0, width, height};
    ChartRows rows;
    chart_rows(&rows);
    draw_breakdown_chart(memory, &whole, &rows, panel_font(), line_unit(draw->hDC));
    BitBlt(draw->hDC, area.left, area.top, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

// The controls that follow the panel's size: moved right with it,
// widened with it, or grown with it as well.
struct Anchor {
    int id, move, widen, grow;
};
const Anchor anchors[] = {{IDC_BREAKDOWN_COPY_CHART, 1, 0, 0}, {IDC_BREAKDOWN_SUMMARY, 0, 1, 0},
                          {IDC_BREAKDOWN_LIST, 0, 1, 0}, {IDC_BREAKDOWN_CHART, 0, 1, 1}};
const int anchor_count = (int)(sizeof anchors / sizeof anchors[0]);
// Where they lie in the template's client area.
RECT start_places[anchor_count];

// The list and the text line widen with the panel; the chart takes what
// room is left.
void on_size(int width, int height)
{
    int dx = width - start_client.cx, dy = height - start_client.cy;
    for (int i = 0; i < anchor_count; i++) {
        const RECT &r = start_places[i];
        SetWindowPos(GetDlgItem(panel_handle, anchors[i].id), nullptr, r.left + anchors[i].move * dx, r.top,
                     r.right - r.left + anchors[i].widen * dx, r.bottom - r.top + anchors[i].grow * dy,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(GetDlgItem(panel_handle, IDC_BREAKDOWN_CHART), nullptr, FALSE);
}

// The header line, the rows the list marks with the LVNI_ flags, then the
// text line.
int fill_breakdown_rows(void *which, ClipboardCursor *cursor)
{
    char line[BREAKDOWN_LINE_BYTES];
    breakdown_header_line(shown.scope.by, line, sizeof line);
    int written = write_clipboard_bytes(cursor, line, strlen(line));
    for (int at = -1;
         written && (at = (int)SendMessageA(list, LVM_GETNEXTITEM, (WPARAM)at, *(UINT *)which)) != -1;) {
        if (const BreakdownRow *row = item_row(at)) {
            breakdown_row_line(&shown, row, line, sizeof line);
            written = write_clipboard_bytes(cursor, line, strlen(line));
        }
    }
    snprintf(line, sizeof line, "%s\r\n", summary);
    return written && write_clipboard_bytes(cursor, line, strlen(line));
}

void start_panel(HWND panel)
{
    panel_handle = panel;
    list = GetDlgItem(panel, IDC_BREAKDOWN_LIST);
    start_list_view(list);
    HWND by = GetDlgItem(panel, IDC_BREAKDOWN_BY);
    SendMessageA(by, CB_ADDSTRING, 0, (LPARAM) "All respondents");
    for (int n = 0; n < DEMOGRAPHIC_LISTS; n++)
        SendMessageA(by, CB_ADDSTRING, 0, (LPARAM)demographic_list(n)->label);
    SendMessageA(by, CB_SETCURSEL, 0, 0);
    RECT client, window;
    GetClientRect(panel, &client);
    GetWindowRect(panel, &window);
    start_client = {client.right, client.bottom};
    start_window = {window.right - window.left, window.bottom - window.top};
    for (int i = 0; i < anchor_count; i++) {
        GetWindowRect(GetDlgItem(panel, anchors[i].id), &start_places[i]);
        MapWindowPoints(nullptr, panel, (POINT *)&start_places[i], 2);
    }
    add_map_change_handler(follow_map);
    recount();
}

}  // namespace

int copy_breakdown_rows(void)
{
    if (!list)
        return 0;
    // By answers the one row selected is the current answer, not a choice
    // of rows.
    int selected = shown.scope.by == BY_ANSWERS ? 0 : (int)SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0);
    UINT which = selected > 0 ? LVNI_SELECTED : LVNI_ALL;
    int lines = (selected > 0 ? selected : list_item_count(list)) + 2;
    ClipboardItem item = {CF_TEXT, clipboard_memory("copy_breakdown_rows", (size_t)lines * BREAKDOWN_LINE_BYTES + 1,
                                                    fill_breakdown_rows, &which)};
    return item.memory && put_on_clipboard(panel_handle, "copy_breakdown_rows", &item, 1);
}

int copy_chart(void)
{
    if (!list)
        return 0;
    RECT chart, text;
    GetClientRect(GetDlgItem(panel_handle, IDC_BREAKDOWN_CHART), &chart);
    GetClientRect(GetDlgItem(panel_handle, IDC_BREAKDOWN_SUMMARY), &text);
    ChartRows rows;
    chart_rows(&rows);
    HDC screen = GetDC(panel_handle);
    int unit = line_unit(screen);
    ReleaseDC(panel_handle, screen);
    SIZE size = {chart.right, chart.bottom};
    return copy_breakdown_chart(panel_handle, &rows, summary, panel_font(), unit, size, text.bottom);
}

INT_PTR CALLBACK breakdown_panel_proc(HWND panel, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG:
        start_panel(panel);
        return 1;
    case WM_SHOW_CURRENT_ANSWER:
        if (shown.scope.by == BY_ANSWERS) {
            following = 1;
            show_current_answer();
            following = 0;
        }
        return 1;
    case WM_SHOWWINDOW:
        if (wparam && stale && list)
            recount();
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDCANCEL: ShowWindow(panel, SW_HIDE); return 1;
        case IDOK: return 1;  // Enter in the list: rows are chosen by selecting them
        case IDC_BREAKDOWN_BY:
            if (HIWORD(wparam) == CBN_SELCHANGE)
                recount();
            return 1;
        case IDC_BREAKDOWN_ZIP_ONLY:
            if (HIWORD(wparam) == BN_CLICKED)
                recount();
            return 1;
        case IDC_BREAKDOWN_COPY_CHART:
            if (HIWORD(wparam) == BN_CLICKED)
                copy_chart();
            return 1;
        default: return 0;
        }
    case WM_NOTIFY:
        if (((NMHDR *)lparam)->idFrom != IDC_BREAKDOWN_LIST)
            return 0;
        on_list_notify((NMHDR *)lparam);
        return 1;
    case WM_DRAWITEM:
        if (wparam != IDC_BREAKDOWN_CHART)
            return 0;
        paint_chart((const DRAWITEMSTRUCT *)lparam);
        return 1;
    case WM_SIZE:
        if (list && wparam != SIZE_MINIMIZED)
            on_size(LOWORD(lparam), HIWORD(lparam));
        return 0;
    case WM_GETMINMAXINFO:
        ((MINMAXINFO *)lparam)->ptMinTrackSize = {start_window.cx, start_window.cy};
        return 0;
    case WM_DESTROY:
        // The map may still change after quit has taken the panel away.
        list = nullptr;
        return 0;
    default:
        return 0;
    }
}
