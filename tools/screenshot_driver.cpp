// Drives a freshly started quorvel.exe to the state the README screenshot
// shows, the way a user gets there: File > Load Data.. with the sample
// survey, zip 77004 typed into Find Zip, a click beside the bars to clear
// the selection again, Question > Color: Above or Below Average, Panel >
// Show Areas Panel with its list sorted by z, highest first (two clicks on
// that column's header), and the mouse resting on a bar near the centre.
// It leaves the program running and prints "ready"; scripts/screenshots
// then takes the picture and ends the program.  With "breakdown" after
// the data file it goes on instead to question Q20 with Panel > Show
// Breakdown Panel by Income, for the picture of that panel.
//
// Built by scripts/screenshots with MinGW; run under Wine:
//   screenshot_driver.exe <quorvel.exe> <working folder> <data file> [breakdown]
#include <windows.h>

#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include "resources/resource.h"
#include "stats/area_list.h"

namespace {

const char main_title[] = "Quorvel 1.0 beta";
const int explorer_name_box = 0x47C;
const int classic_name_box = 0x480;

struct WindowSearch {
    DWORD process;
    const char *caption;  // null: any
    const char *class_name;  // null: any
    int with_item;  // 0, or a dialog item the window must have
    HWND found;
};

BOOL CALLBACK match_window(HWND window, LPARAM param)
{
    WindowSearch *search = (WindowSearch *)param;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->process || !IsWindowVisible(window))
        return TRUE;
    char caption[128] = "", class_name[64] = "";
    GetWindowTextA(window, caption, sizeof caption);
    GetClassNameA(window, class_name, sizeof class_name);
    if (search->caption && strcmp(caption, search->caption) != 0)
        return TRUE;
    if (search->class_name && strcmp(class_name, search->class_name) != 0)
        return TRUE;
    if (search->with_item && !GetDlgItem(window, search->with_item))
        return TRUE;
    search->found = window;
    return FALSE;
}

// The process's visible top-level window that fits, waiting up to 20 s.
HWND wait_for_window(DWORD process, const char *caption, const char *class_name, int with_item)
{
    for (int tries = 0; tries < 200; tries++) {
        WindowSearch search = {process, caption, class_name, with_item, nullptr};
        EnumWindows(match_window, (LPARAM)&search);
        if (search.found)
            return search.found;
        Sleep(100);
    }
    return nullptr;
}

int fail(const char *what)
{
    fprintf(stderr, "screenshot_driver: %s\n", what);
    return 1;
}

// Answers the open dialog with the data file and confirms "Load complete".
int load_data(DWORD process, HWND main_window, const char *data_file)
{
    PostMessageA(main_window, WM_COMMAND, MAKEWPARAM(1, 0), 0);
    HWND dialog = wait_for_window(process, nullptr, "#32770", explorer_name_box);
    if (!dialog)
        dialog = wait_for_window(process, nullptr, "#32770", classic_name_box);
    if (!dialog)
        return 0;
    HWND name_box = GetDlgItem(dialog, explorer_name_box);
    if (!name_box)
        name_box = GetDlgItem(dialog, classic_name_box);
    SendMessageA(name_box, WM_SETTEXT, 0, (LPARAM)data_file);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    HWND box = wait_for_window(process, "Info", "#32770", 0);
    if (!box)
        return 0;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    Sleep(500);
    return 1;
}

// Types the zip into Find Zip and leaves the box, as Tab or Enter would.
int find_zip(DWORD process, const char *zip)
{
    HWND panel = wait_for_window(process, "Question Panel", nullptr, IDC_FIND_ZIP);
    if (!panel)
        return 0;
    HWND box = GetDlgItem(panel, IDC_FIND_ZIP);
    SendMessageA(box, WM_SETTEXT, 0, (LPARAM)zip);
    SendMessageA(panel, WM_COMMAND, MAKEWPARAM(IDC_FIND_ZIP, EN_KILLFOCUS), (LPARAM)box);
    Sleep(500);
    return 1;
}

// Shows the Areas panel and clicks twice on the header of its z column,
// found by adding up the widths of the columns before it, then pages the
// list up to its top.
int show_areas_sorted(DWORD process, HWND main_window)
{
    PostMessageA(main_window, WM_COMMAND, MAKEWPARAM(CMD_SHOW_AREAS, 0), 0);
    HWND panel = wait_for_window(process, "Areas Panel", nullptr, IDC_AREAS_LIST);
    if (!panel)
        return 0;
    HWND list = GetDlgItem(panel, IDC_AREAS_LIST);
    HWND header = (HWND)SendMessageA(list, LVM_GETHEADER, 0, 0);
    int x = 0;
    for (int c = 0; c < AREA_Z; c++)
        x += (int)SendMessageA(list, LVM_GETCOLUMNWIDTH, (WPARAM)c, 0);
    x += (int)SendMessageA(list, LVM_GETCOLUMNWIDTH, (WPARAM)AREA_Z, 0) / 2;
    for (int click = 0; click < 2; click++) {
        PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 5));
        PostMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(x, 5));
        Sleep(300);
    }
    // The list keeps 77004's row, found earlier, in view; page up to the
    // top, as clicks above the scroll box do.
    for (int page = 0; page < 30; page++)
        PostMessageA(list, WM_VSCROLL, MAKEWPARAM(SB_PAGEUP, 0), 0);
    Sleep(300);
    return 1;
}

// Steps the Question panel to Q20, shows the Breakdown panel and picks
// Income in its By list, as a click in the list does.
int show_breakdown_by_income(DWORD process, HWND main_window)
{
    HWND question = wait_for_window(process, "Question Panel", nullptr, IDC_QUESTION_NEXT);
    if (!question)
        return 0;
    const int q20 = 10;
    for (int step = 0; step < q20; step++)
        SendDlgItemMessageA(question, IDC_QUESTION_NEXT, BM_CLICK, 0, 0);
    PostMessageA(main_window, WM_COMMAND, MAKEWPARAM(CMD_SHOW_BREAKDOWN, 0), 0);
    HWND panel = wait_for_window(process, "Breakdown Panel", nullptr, IDC_BREAKDOWN_BY);
    if (!panel)
        return 0;
    const int income = 8;  // after "All respondents" and seven lists
    HWND by = GetDlgItem(panel, IDC_BREAKDOWN_BY);
    SendMessageA(by, CB_SETCURSEL, income, 0);
    SendMessageA(panel, WM_COMMAND, MAKEWPARAM(IDC_BREAKDOWN_BY, CBN_SELCHANGE), (LPARAM)by);
    SetWindowPos(panel, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Sleep(500);
    return 1;
}

void move_mouse(HWND window, int x, int y)
{
    POINT at = {x, y};
    ClientToScreen(window, &at);
    SetCursorPos(at.x, at.y);
    PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    Sleep(150);
}

int tooltip_showing(DWORD process)
{
    WindowSearch search = {process, nullptr, "tooltips_class32", 0, nullptr};
    EnumWindows(match_window, (LPARAM)&search);
    return search.found != nullptr;
}

// Find Zip centred the view on the bar's foot; its top stands above the
// centre, so the readout appears somewhere up that line.
int hover_centre_bar(DWORD process, HWND main_window)
{
    RECT client;
    GetClientRect(main_window, &client);
    int x = client.right / 2;
    for (int y = client.bottom / 2; y > client.bottom / 4; y -= 2) {
        move_mouse(main_window, x, y);
        if (tooltip_showing(process))
            return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 4 && !(argc == 5 && strcmp(argv[4], "breakdown") == 0))
        return fail("usage: screenshot_driver <quorvel.exe> <working folder> <data file> [breakdown]");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION program = {};
    if (!CreateProcessA(argv[1], nullptr, nullptr, nullptr, FALSE, 0, nullptr, argv[2], &startup,
                        &program))
        return fail("can't start the program");
    DWORD process = program.dwProcessId;
    HWND main_window = wait_for_window(process, main_title, "mainw", 0);
    if (!main_window)
        return fail("no main window");
    Sleep(1000);
    if (!load_data(process, main_window, argv[3]))
        return fail("the data did not load");
    if (argc == 5) {
        if (!show_breakdown_by_income(process, main_window))
            return fail("no Breakdown panel");
        printf("ready\n");
        return 0;
    }
    if (!find_zip(process, "77004"))
        return fail("no Question panel");
    // A click beside the bars: the selection goes, every bar is opaque
    // again, and the Info log keeps the entry.
    RECT client;
    GetClientRect(main_window, &client);
    PostMessageA(main_window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, client.bottom - 20));
    PostMessageA(main_window, WM_LBUTTONUP, 0, MAKELPARAM(20, client.bottom - 20));
    Sleep(300);
    PostMessageA(main_window, WM_COMMAND, MAKEWPARAM(CMD_COLOR_AVERAGE, 0), 0);
    if (!show_areas_sorted(process, main_window))
        return fail("no Areas panel");
    // Without a window manager Wine stacks the window just activated by the
    // click over the panels it owns; a user would click the Info and Areas
    // panels' captions to bring them to the front.
    const char *const fronts[] = {"Info Panel", "Areas Panel"};
    for (const char *caption : fronts) {
        HWND panel = wait_for_window(process, caption, nullptr, 0);
        if (panel)
            SetWindowPos(panel, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    if (!hover_centre_bar(process, main_window))
        return fail("no readout over the bar");
    printf("ready\n");
    return 0;
}
