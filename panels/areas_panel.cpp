#include "panels/areas_panel.h"

#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

#include "gis/zip_table.h"
#include "panels/clipboard.h"
#include "panels/list_view.h"
#include "panels/question_panel.h"
#include "resources/resource.h"
#include "stats/area_list.h"
#include "stats/area_stats.h"
#include "survey/tally.h"
#include "view/map_layer.h"
#include "view/mouse_input.h"

namespace {

HWND panel_handle;
HWND list;

// The rows of the last count in zip order.  Each list item keeps its
// row's position here as its parameter and asks for its texts when shown,
// so a recount with the same zips only re-sorts and repaints.
AreaRow *rows;
int32_t row_count;

ListSort sort = {AREA_ZIP, 0};

// 1 while the panel itself changes the list or the map's selection, so
// neither echoes the other.
int following;
// The map's selection as the list last showed it.
int shown_selection = -1;

// Column widths in dialog units, so they grow with the font and the DPI.
const int column_widths[AREA_COLUMNS] = {28, 52, 40, 38, 56, 46, 42, 28, 32, 160};

void add_columns(void)
{
    // The first column of a list is always left-aligned; numbers go right.
    for (int c = 0; c < AREA_COLUMNS; c++)
        put_list_column(list, c, area_column_title(c), column_widths[c],
                        c == AREA_ZIP || c == AREA_INTERVAL || c == AREA_NOTE ? LVCFMT_LEFT : LVCFMT_RIGHT, 0);
}

// The row shown by a list item; null for none.
const AreaRow *item_row(int item)
{
    int p = list_item_row(list, item, row_count);
    return p >= 0 ? &rows[p] : nullptr;
}

// The list item showing the zip index's row; -1 for none.
int item_of_zip_index(int index)
{
    for (int32_t p = 0; p < row_count; p++) {
        if (rows[p].index != index)
            continue;
        LVFINDINFOA find = {};
        find.flags = LVFI_PARAM;
        find.lParam = p;
        return (int)SendMessageA(list, LVM_FINDITEMA, (WPARAM)-1, (LPARAM)&find);
    }
    return -1;
}

int CALLBACK compare_items(LPARAM a, LPARAM b, LPARAM)
{
    return compare_area_rows(&rows[a], &rows[b], sort.column, sort.descending);
}

void sort_items(void)
{
    sort_list_items(list, compare_items, &sort);
}

// The zip codes of the selected items and of the focused one.
struct KeptSelection {
    int32_t *zips;
    int count;
    int32_t focused;
};

KeptSelection keep_selection(void)
{
    KeptSelection kept = {nullptr, 0, -1};
    int selected = (int)SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0);
    kept.zips = selected > 0 ? (int32_t *)malloc((size_t)selected * sizeof(int32_t)) : nullptr;
    for (int item = -1; kept.zips && kept.count < selected &&
                        (item = (int)SendMessageA(list, LVM_GETNEXTITEM, (WPARAM)item, LVNI_SELECTED)) != -1;)
        if (const AreaRow *row = item_row(item))
            kept.zips[kept.count++] = row->zip_code;
    const AreaRow *focused = item_row((int)SendMessageA(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED));
    if (focused)
        kept.focused = focused->zip_code;
    return kept;
}

// One item per row, sorted, with the kept zips selected again.
void fill_items(KeptSelection *kept)
{
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    make_list_items(list, row_count);
    sort_items();
    for (int item = 0; item < list_item_count(list); item++) {
        int32_t zip = item_row(item)->zip_code;
        for (int k = 0; k < kept->count; k++)
            if (kept->zips[k] == zip)
                set_list_item_state(list, item, LVIS_SELECTED, LVIS_SELECTED);
        if (zip == kept->focused)
            set_list_item_state(list, item, LVIS_FOCUSED, LVIS_FOCUSED);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

// Takes the rows of the last count.  The same zips in the same order keep
// their items; otherwise the items are made anew.
void load_rows(void)
{
    const TallyResult *result = tally_result();
    AreaCursor cursor;
    AreaRow row;
    int32_t count = 0;
    start_area_rows(&cursor, zip_has_location);
    while (next_area_row(result, &cursor, &row))
        count++;
    AreaRow *fresh = (AreaRow *)malloc((size_t)(count > 0 ? count : 1) * sizeof(AreaRow));
    if (!fresh)
        return;  // the list keeps showing the count before
    start_area_rows(&cursor, zip_has_location);
    for (int32_t p = 0; p < count; p++)
        next_area_row(result, &cursor, &fresh[p]);
    int same_zips = count == row_count;
    for (int32_t p = 0; same_zips && p < count; p++)
        same_zips = fresh[p].zip_code == rows[p].zip_code;
    int changed = !same_zips || memcmp(fresh, rows, (size_t)count * sizeof(AreaRow)) != 0;
    KeptSelection kept = {nullptr, 0, -1};
    if (!same_zips)
        kept = keep_selection();
    free(rows);
    rows = fresh;
    row_count = count;
    if (!same_zips) {
        fill_items(&kept);
    } else if (changed) {
        sort_items();
        InvalidateRect(list, nullptr, TRUE);
    }
    free(kept.zips);
}

// Selects the row of the map's selected area alone, or none.
void show_map_selection(int index)
{
    set_list_item_state(list, -1, 0, LVIS_SELECTED);
    int item = index >= 0 ? item_of_zip_index(index) : -1;
    if (item < 0)
        return;
    set_list_item_state(list, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageA(list, LVM_ENSUREVISIBLE, (WPARAM)item, FALSE);
}

// After every recount and change of the map's selection.
void follow_map(void)
{
    if (!list || following)
        return;
    following = 1;
    load_rows();
    int index = selected_zip();
    if (index != shown_selection) {
        show_map_selection(index);
        shown_selection = index;
    }
    following = 0;
}

// A row chosen in the list selects its area on the map, quietly and
// without moving the view; a zip code off the map leaves no bar selected.
void select_row_area(int item)
{
    const AreaRow *row = item_row(item);
    if (!row)
        return;
    following = 1;
    select_zip_quietly(row->index);
    shown_selection = selected_zip();
    following = 0;
}

// Enter or a double click: what Find Zip does with the row's zip code,
// where the map has a place for it.
void go_to_row(int item)
{
    const AreaRow *row = item_row(item);
    if (row && zip_has_location(row->index))
        go_to_zip(row->zip_code);
}

void on_column_click(int column)
{
    click_list_column(&sort, column);
    sort_items();
    int focused = (int)SendMessageA(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED);
    if (focused != -1)
        SendMessageA(list, LVM_ENSUREVISIBLE, (WPARAM)focused, FALSE);
}

void on_list_notify(NMHDR *header)
{
    switch (header->code) {
    case LVN_GETDISPINFOA: {
        NMLVDISPINFOA *info = (NMLVDISPINFOA *)header;
        if ((info->item.mask & LVIF_TEXT) && info->item.lParam >= 0 && info->item.lParam < row_count)
            area_cell(&rows[info->item.lParam], info->item.iSubItem, info->item.pszText,
                      (size_t)info->item.cchTextMax);
        break;
    }
    case LVN_ITEMCHANGED: {
        // The map follows the focused row alone, once it is both focused
        // and selected: Shift+End over many rows selects each of them, and
        // each would otherwise recount.
        NMLISTVIEW *change = (NMLISTVIEW *)header;
        const UINT both = LVIS_SELECTED | LVIS_FOCUSED;
        if (!following && (change->uChanged & LVIF_STATE) && (change->uNewState & both) == both &&
            (change->uOldState & both) != both)
            select_row_area(change->iItem);
        break;
    }
    case LVN_COLUMNCLICK: on_column_click(((NMLISTVIEW *)header)->iSubItem); break;
    case NM_DBLCLK: go_to_row(((NMITEMACTIVATE *)header)->iItem); break;
    case LVN_KEYDOWN:
        if (is_copy_key((NMLVKEYDOWN *)header))
            copy_area_rows();
        break;
    default: break;
    }
}

// The header line and the rows the list marks with the LVNI_ flags.
int fill_area_rows(void *which, ClipboardCursor *cursor)
{
    char line[AREA_LINE_BYTES];
    area_header_line(line, sizeof line);
    int written = write_clipboard_bytes(cursor, line, strlen(line));
    for (int at = -1;
         written && (at = (int)SendMessageA(list, LVM_GETNEXTITEM, (WPARAM)at, *(UINT *)which)) != -1;) {
        if (const AreaRow *row = item_row(at)) {
            area_row_line(row, line, sizeof line);
            written = write_clipboard_bytes(cursor, line, strlen(line));
        }
    }
    return written;
}

}  // namespace

int copy_area_rows(void)
{
    if (!list)
        return 0;
    int selected = (int)SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0);
    UINT which = selected > 0 ? LVNI_SELECTED : LVNI_ALL;
    int lines = (selected > 0 ? selected : list_item_count(list)) + 1;
    ClipboardItem item = {CF_TEXT, clipboard_memory("copy_area_rows", (size_t)lines * AREA_LINE_BYTES + 1,
                                                    fill_area_rows, &which)};
    return item.memory && put_on_clipboard(panel_handle, "copy_area_rows", &item, 1);
}

INT_PTR CALLBACK areas_panel_proc(HWND panel, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG:
        panel_handle = panel;
        list = GetDlgItem(panel, IDC_AREAS_LIST);
        start_list_view(list);
        add_columns();
        add_map_change_handler(follow_map);
        follow_map();
        return 1;
    case WM_COMMAND:
        if (wparam == IDCANCEL) {
            ShowWindow(panel, SW_HIDE);
            return 1;
        }
        if (wparam == IDOK) {
            // The dialog turns Enter in the list into IDOK.
            if (GetFocus() == list)
                go_to_row((int)SendMessageA(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED));
            return 1;
        }
        return 0;
    case WM_NOTIFY:
        if (((NMHDR *)lparam)->idFrom != IDC_AREAS_LIST)
            return 0;
        on_list_notify((NMHDR *)lparam);
        return 1;
    case WM_DESTROY:
        // The map may still change after quit has taken the panel away.
        list = nullptr;
        return 0;
    default:
        return 0;
    }
}
