// The Areas and Breakdown panels' lists: report-style list views with an
// item per row of the panel's table, which keeps the row's position as its
// parameter and asks for its texts when shown, sorted by a column whose
// header carries an arrow.
#pragma once

#include <windows.h>

#include <commctrl.h>

// Which column sorts the items, and which way.
struct ListSort {
    int column;
    int descending;
};

// Full-row selection, drawing without flicker, and a tip with the whole
// text of a cell cut short.
void start_list_view(HWND list);
// A column's title, width in the dialog's units (so it grows with the font
// and the DPI) and alignment (LVCFMT_LEFT or LVCFMT_RIGHT): inserted at
// `column`, or, with `replace`, put over the column there.
void put_list_column(HWND list, int column, const char *title, int width_units, int format, int replace);
int list_column_count(HWND list);
int list_item_count(HWND list);
// The row position an item keeps, when below `row_count`; -1 for none.
int list_item_row(HWND list, int item, int row_count);
// Sets the state bits of `mask` of an item, or of every item for -1.
void set_list_item_state(HWND list, int item, UINT state, UINT mask);
// Replaces the items with one per row, in row order.
void make_list_items(HWND list, int row_count);
// A click on a column's header: the sorting column again turns the order
// round, another sorts ascending.
void click_list_column(ListSort *sort, int column);
// Sorts the items with `compare`, which is given two rows' positions, and
// marks the sorting column's header with its arrow.
void sort_list_items(HWND list, PFNLVCOMPARE compare, const ListSort *sort);
// Whether a key pressed in the list copies its rows: Ctrl+C, but not
// Ctrl+Shift+C, the shell's Copy Counts.
int is_copy_key(const NMLVKEYDOWN *key);
