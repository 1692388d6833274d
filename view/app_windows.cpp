#include "view/app_windows.h"

namespace {

HWND main_window_handle;
HDC window_dc;
HGLRC gl_context;
HWND panels[PANEL_COUNT];

}  // namespace

HWND main_window(void) { return main_window_handle; }
HDC main_window_dc(void) { return window_dc; }
HGLRC main_gl_context(void) { return gl_context; }

HWND panel_window(int panel)
{
    return panel >= 0 && panel < PANEL_COUNT ? panels[panel] : nullptr;
}

void set_main_window(HWND window, HDC dc, HGLRC context)
{
    main_window_handle = window;
    window_dc = dc;
    gl_context = context;
}

void set_panel_window(int panel, HWND window)
{
    if (panel >= 0 && panel < PANEL_COUNT)
        panels[panel] = window;
}
