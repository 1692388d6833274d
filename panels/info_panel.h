// The Info panel: the rolling text log of selections.
#pragma once

#include <windows.h>

enum {
    INFO_TEXT_MAX = 52224,  // working buffer for the whole log
    INFO_MAX_LINES = 198    // as the edit control counts them
};

INT_PTR CALLBACK info_panel_proc(HWND panel, UINT message, WPARAM wparam, LPARAM lparam);
// Appends one entry (the text, then an empty line) and shows the panel.
void info_append(const char *text);
// The Save button: asks for a .txt name and writes the log.
void info_save(void);
