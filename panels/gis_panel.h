// The GIS panel: a navigation pad that moves the view while an arrow is held.
#pragma once

#include <windows.h>

INT_PTR CALLBACK gis_panel_proc(HWND panel, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR gis_panel_command(HWND panel, WPARAM wparam);
