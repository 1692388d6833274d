#include "panels/gis_panel.h"

#include "resources/resource.h"
#include "view/map_view.h"

namespace {

struct NavArrow {
    int control_id;
    int code;
};

const NavArrow nav_arrows[] = {
    {IDC_GIS_TOP, NAV_TILT_DOWN},      {IDC_GIS_BOTTOM, NAV_TILT_UP},
    {IDC_GIS_LEFT, NAV_SPIN_LEFT},     {IDC_GIS_RIGHT, NAV_SPIN_RIGHT},
    {IDC_GIS_FORWARD, NAV_NEARER},     {IDC_GIS_BACK, NAV_FARTHER},
};

}  // namespace

INT_PTR gis_panel_command(HWND panel, WPARAM wparam)
{
    for (const NavArrow &arrow : nav_arrows) {
        if (arrow.control_id != LOWORD(wparam))
            continue;
        if (HIWORD(wparam) == STN_CLICKED) {
            // The release then reaches the panel wherever the pointer is.
            // Captured first: taking the capture must not stop the arrow.
            SetCapture(panel);
            set_nav_command(arrow.code);
        }
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK gis_panel_proc(HWND panel, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (wparam == IDCANCEL) {
            ShowWindow(panel, SW_HIDE);
            return TRUE;
        }
        return gis_panel_command(panel, wparam);
    case WM_LBUTTONUP:
        ReleaseCapture();
        set_nav_command(NAV_NONE);
        return TRUE;
    // Without the capture the release would never arrive here: another
    // window took the mouse, or the system cancelled the press (a message
    // box, Alt+Tab).  The held arrow stops either way.
    case WM_CANCELMODE:
        if (GetCapture() == panel)
            ReleaseCapture();
        set_nav_command(NAV_NONE);
        return TRUE;
    case WM_CAPTURECHANGED:
        set_nav_command(NAV_NONE);
        return TRUE;
    default:
        return FALSE;
    }
}
