// The Areas panel: every area of the count in a sortable list, with its
// share, 95% interval and comparison with the average; a row and the
// map's selection follow each other.
#pragma once

#include <windows.h>

INT_PTR CALLBACK areas_panel_proc(HWND panel, UINT message, WPARAM wparam, LPARAM lparam);
// Puts the selected rows, or every row when none is selected, on the
// clipboard as tab-separated text with a header line; 1, or 0 after an
// "ERROR!" box.
int copy_area_rows(void);
