#include "panels/about_box.h"

#include "resources/resource.h"

INT_PTR CALLBACK about_box_proc(HWND box, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return 1;
    case WM_COMMAND:
        if (wparam == IDCANCEL || wparam == IDC_ABOUT_OK)
            ShowWindow(box, SW_HIDE);
        return 1;
    default:
        return 0;
    }
}
