#include "view/map_tooltip.h"

#include <commctrl.h>
#include <string.h>

#include "stats/readout.h"
#include "survey/tally.h"
#include "view/map_layer.h"
#include "view/mouse_input.h"

namespace {

HWND tooltip;
HWND owner_window;
char readout[READOUT_BYTES];
int active;
int leave_tracked;
// The client position of the last move without a button held.
LPARAM resting_at;

// Keeps the tip clear of the cursor, so it never takes the mouse.
const int cursor_gap_x = 16;
const int cursor_gap_y = 20;
// Pixels at 96 DPI.
const int max_tip_width_96 = 520;

TOOLINFOA tool(void)
{
    TOOLINFOA info;
    memset(&info, 0, sizeof info);
    // The size every common-controls version accepts.
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    info.hwnd = owner_window;
    info.uId = 1;
    info.lpszText = readout;
    return info;
}

// A rebuild changes the numbers under the resting cursor, or flattens the
// bar there.  Only a tip on show follows: a button press hides it, so none
// appears while a button is held.
void follow_map_change(void)
{
    if (active)
        update_map_tooltip(0, resting_at);
}

}  // namespace

void create_map_tooltip(HWND owner)
{
    owner_window = owner;
    tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                              WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                              (HINSTANCE)GetWindowLongPtrA(owner, GWLP_HINSTANCE), nullptr);
    if (!tooltip)
        return;
    TOOLINFOA info = tool();
    SendMessageA(tooltip, TTM_ADDTOOLA, 0, (LPARAM)&info);
    // A width limit lets each line of the readout take its own line, and
    // leaves the longest, the interval's, whole; the text grows with the
    // screen's DPI, so the limit does too.
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    SendMessageA(tooltip, TTM_SETMAXTIPWIDTH, 0, MulDiv(max_tip_width_96, dpi > 0 ? dpi : 96, 96));
    add_map_change_handler(follow_map_change);
}

void update_map_tooltip(WPARAM flags, LPARAM position)
{
    if (!tooltip)
        return;
    if (flags & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) {
        hide_map_tooltip();
        return;
    }
    if (!leave_tracked) {
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, owner_window, 0};
        leave_tracked = TrackMouseEvent(&track) ? 1 : 0;
    }
    resting_at = position;
    int x = (short)LOWORD(position);
    int y = (short)HIWORD(position);
    int index;
    if (!pick_zip_at(x, y, &index)) {
        hide_map_tooltip();
        return;
    }
    char text[READOUT_BYTES];
    area_readout(tally_result(), index, text, sizeof text);
    TOOLINFOA info = tool();
    if (!active || strcmp(text, readout) != 0) {
        memcpy(readout, text, sizeof readout);
        SendMessageA(tooltip, TTM_UPDATETIPTEXTA, 0, (LPARAM)&info);
    }
    POINT at = {x + cursor_gap_x, y + cursor_gap_y};
    ClientToScreen(owner_window, &at);
    SendMessageA(tooltip, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
    if (!active) {
        SendMessageA(tooltip, TTM_TRACKACTIVATE, TRUE, (LPARAM)&info);
        active = 1;
    }
}

void hide_map_tooltip(void)
{
    if (!tooltip || !active)
        return;
    TOOLINFOA info = tool();
    SendMessageA(tooltip, TTM_TRACKACTIVATE, FALSE, (LPARAM)&info);
    active = 0;
}

void on_mouse_leave(void)
{
    leave_tracked = 0;
    hide_map_tooltip();
}

HWND map_tooltip_window(void)
{
    return tooltip;
}
