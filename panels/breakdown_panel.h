// The Breakdown panel: every answer of the current question among the
// respondents the map counts, or the current answer in each group of a
// Demographics list and whether the groups differ, as a sortable list,
// a text line and a chart that follow every recount.
#pragma once

#include <windows.h>

INT_PTR CALLBACK breakdown_panel_proc(HWND panel, UINT message, WPARAM wparam, LPARAM lparam);
// Puts the selected rows of a list's groups, or every row when none is
// selected or the rows are the answers, on the clipboard as tab-separated
// text with a header line, then the text line; 1, or 0 after an "ERROR!"
// box.
int copy_breakdown_rows(void);
// "Copy Chart": the chart under the text line, twice its size on the
// screen, on the clipboard as a DIB; 1, or 0 after an "ERROR!" box.
int copy_chart(void);
