// The About box.
#pragma once

#include <windows.h>

INT_PTR CALLBACK about_box_proc(HWND box, UINT message, WPARAM wparam, LPARAM lparam);
