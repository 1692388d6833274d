// The program's windows: the main window with its device context and
// OpenGL context, and the panels.  The shell sets them as it creates them
// and clears them as it destroys them; the drawing and the panels find
// them here, below the shell.
#pragma once

#include <windows.h>

enum Panel {
    PANEL_DEMOGRAPHICS, PANEL_QUESTION, PANEL_GIS, PANEL_INFO, PANEL_ABOUT, PANEL_AREAS,
    PANEL_BREAKDOWN,
    PANEL_COUNT
};

HWND main_window(void);
HDC main_window_dc(void);
HGLRC main_gl_context(void);
// Null for a panel not (or no longer) created.
HWND panel_window(int panel);

void set_main_window(HWND window, HDC dc, HGLRC context);
void set_panel_window(int panel, HWND window);
