// The Demographics panel: ten filters on the respondents counted.
#pragma once

#include <windows.h>

INT_PTR CALLBACK demographics_panel_proc(HWND panel, UINT message, WPARAM wparam, LPARAM lparam);
void fill_demographic_lists(HWND panel);
int on_demographic_change(HWND panel, WPARAM wparam);
// Shows the stored filter codes in the ten lists.
void show_demographics(HWND panel);
void default_demographics_command(void);
void saved_demographics_command(void);
