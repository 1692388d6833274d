#include "app/shell.h"

#include <commctrl.h>
#include <shellapi.h>
#include <stdio.h>
#include <string.h>

#include "app/command_line.h"
#include "app/data_commands.h"
#include "app/panel_layout.h"
#include "panels/about_box.h"
#include "panels/areas_panel.h"
#include "panels/breakdown_panel.h"
#include "panels/clipboard.h"
#include "panels/demographics_panel.h"
#include "panels/file_dialogs.h"
#include "panels/gis_panel.h"
#include "panels/info_panel.h"
#include "panels/question_panel.h"
#include "panels/snapshot.h"
#include "resources/resource.h"
#include "stats/area_stats.h"
#include "stats/readout.h"
#include "survey/data_file_kind.h"
#include "view/map_layer.h"
#include "view/map_legend.h"
#include "view/map_tooltip.h"
#include "view/map_view.h"
#include "view/mouse_input.h"

namespace {

HINSTANCE instance_handle;
HMENU menu_bar;
HACCEL shortcuts;

// An item without text is a separator.
struct MenuItem {
    const char *text;
    UINT id;
};

struct MenuPopup {
    const char *title;
    const MenuItem *items;
    int item_count;
};

// A tab puts the shortcut at the item's right edge.
const MenuItem file_items[] = {
    {"Load Data..\tCtrl+O", CMD_LOAD_DATA}, {"Save Data..\tCtrl+S", CMD_SAVE_DATA},
    {"Import CSV..", CMD_IMPORT_CSV}, {"Export CSV..", CMD_EXPORT_CSV},
    {"Export Counts..", CMD_EXPORT_COUNTS},
    {"Save Snapshot..", CMD_SAVE_SNAPSHOT}, {"Print..\tCtrl+P", CMD_PRINT}, {"Quit", CMD_QUIT},
};
const MenuItem edit_items[] = {
    {"Copy Map\tCtrl+C", CMD_COPY_MAP}, {"Copy Counts\tCtrl+Shift+C", CMD_COPY_COUNTS},
};
const MenuItem location_items[] = {
    {"Default Location", CMD_DEFAULT_LOCATION}, {"Saved Location", CMD_SAVED_LOCATION},
    {"Survey Area", CMD_SURVEY_AREA},
};
const MenuItem question_items[] = {
    {"Default Question", CMD_DEFAULT_QUESTION}, {"Saved Question", CMD_SAVED_QUESTION},
    {nullptr, 0},
    {"Bars: Count", CMD_BARS_COUNT}, {"Bars: Share of Area", CMD_BARS_SHARE},
    {"Bars: Smoothed Share", CMD_BARS_SMOOTHED},
    {nullptr, 0},
    {"Color: Plain", CMD_COLOR_PLAIN}, {"Color: Above or Below Average", CMD_COLOR_AVERAGE},
    {nullptr, 0},
    {"Compare: All Areas Together", CMD_COMPARE_TOGETHER}, {"Compare: Each Area Alone", CMD_COMPARE_ALONE},
};
const MenuItem demographics_items[] = {
    {"Default Demographics", CMD_DEFAULT_DEMOGRAPHICS},
    {"Saved Demographics", CMD_SAVED_DEMOGRAPHICS},
};
const MenuItem panel_items[] = {
    {"Show GIS Panel", CMD_SHOW_GIS}, {"Show Demographics Panel", CMD_SHOW_DEMOGRAPHICS},
    {"Show Question Panel", CMD_SHOW_QUESTION}, {"Show Info Panel", CMD_SHOW_INFO},
    {"Show Areas Panel", CMD_SHOW_AREAS}, {"Show Breakdown Panel", CMD_SHOW_BREAKDOWN},
    {"Show Legend", CMD_SHOW_LEGEND},
};
const MenuItem help_items[] = {
    {"About..", CMD_ABOUT},
};

#define ITEMS(a) a, (int)(sizeof a / sizeof a[0])
enum { FILE_POPUP, EDIT_POPUP, LOCATION_POPUP, QUESTION_POPUP, DEMOGRAPHICS_POPUP, PANEL_POPUP,
       HELP_POPUP, POPUP_COUNT };
const MenuPopup popups[POPUP_COUNT] = {
    {"File", ITEMS(file_items)},
    {"Edit", ITEMS(edit_items)},
    {"Location", ITEMS(location_items)},
    {"Question", ITEMS(question_items)},
    {"Demographics", ITEMS(demographics_items)},
    {"Panel", ITEMS(panel_items)},
    {"Help", ITEMS(help_items)},
};
#undef ITEMS

struct PanelTemplate {
    int template_id;
    DLGPROC procedure;
};

const PanelTemplate panel_templates[PANEL_COUNT] = {
    {IDD_DEMOGRAPHICS, demographics_panel_proc},
    {IDD_QUESTION, question_panel_proc},
    {IDD_GIS, gis_panel_proc},
    {IDD_INFO, info_panel_proc},
    {IDD_ABOUT, about_box_proc},
    {IDD_AREAS, areas_panel_proc},
    {IDD_BREAKDOWN, breakdown_panel_proc},
};

HMENU popup_menus[POPUP_COUNT];

// The panels placed at start, the first of each side before the ones that
// follow it; the About box centres itself.
struct PlacedPanel {
    int panel;
    PanelSide side;
};

const PlacedPanel placed_panels[] = {
    {PANEL_DEMOGRAPHICS, SIDE_RIGHT},
    {PANEL_QUESTION, SIDE_BELOW},
    {PANEL_GIS, SIDE_RIGHT},
    {PANEL_INFO, SIDE_BELOW},
    {PANEL_AREAS, SIDE_RIGHT},
    {PANEL_BREAKDOWN, SIDE_BELOW},
};

void show_panel(int panel)
{
    ShowWindow(panel_window(panel), SW_SHOW);
}

// The menu marks follow the state they show.
void show_menu_checks(void)
{
    static const UINT bar_items[] = {CMD_BARS_COUNT, CMD_BARS_SHARE, CMD_BARS_SMOOTHED};
    CheckMenuRadioItem(popup_menus[QUESTION_POPUP], CMD_BARS_COUNT, CMD_BARS_SMOOTHED,
                       bar_items[bar_mode()], MF_BYCOMMAND);
    CheckMenuRadioItem(popup_menus[QUESTION_POPUP], CMD_COLOR_PLAIN, CMD_COLOR_AVERAGE,
                       bar_colors() == COLORS_AVERAGE ? CMD_COLOR_AVERAGE : CMD_COLOR_PLAIN,
                       MF_BYCOMMAND);
    CheckMenuRadioItem(popup_menus[QUESTION_POPUP], CMD_COMPARE_TOGETHER, CMD_COMPARE_ALONE,
                       compare_mode() == COMPARE_ALONE ? CMD_COMPARE_ALONE : CMD_COMPARE_TOGETHER,
                       MF_BYCOMMAND);
    CheckMenuItem(popup_menus[PANEL_POPUP], CMD_SHOW_LEGEND,
                  MF_BYCOMMAND | (legend_shown() ? MF_CHECKED : MF_UNCHECKED));
}

// A new data set: the view frames it while the user has not moved it, and
// the completion message, if any, shows over the new map.
void show_new_data(const char *completion)
{
    show_survey_area_if_untouched();
    redraw_map();
    if (completion)
        MessageBoxA(nullptr, completion, "Info", MB_OK);
}

void refuse_to_open(int refusal, const char *given)
{
    char text[PATH_BYTES * 4 + 160];
    open_refusal_text(refusal, given, text, sizeof text);
    MessageBoxA(nullptr, text, "ERROR!", MB_OK);
}

// One file dropped on the window opens as the menus would open it; several,
// or a name too long for the program's paths, change nothing.
void on_drop_files(HDROP drop)
{
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    char path[PATH_BYTES * 4] = "";
    if (count == 1)
        DragQueryFileA(drop, 0, path, sizeof path);
    DragFinish(drop);
    if (count != 1) {
        char number[16];
        snprintf(number, sizeof number, "%u", count);
        refuse_to_open(REFUSE_SEVERAL_DROPPED, number);
    } else if (strlen(path) >= PATH_BYTES) {
        refuse_to_open(REFUSE_TOO_LONG, path);
    } else {
        open_data_file(path, 1);
    }
}

// The menus' shortcuts are keys pressed in the main window or its panels,
// but plain Ctrl+C is left to a control that edits text or lists rows: it
// copies what the control holds.
int is_shortcut_key(const MSG *message)
{
    if (message->message != WM_KEYDOWN && message->message != WM_SYSKEYDOWN)
        return 0;
    char class_name[32] = "";
    if (message->wParam == 'C' && GetKeyState(VK_SHIFT) >= 0 &&
        GetClassNameA(message->hwnd, class_name, sizeof class_name) &&
        (lstrcmpiA(class_name, "Edit") == 0 || lstrcmpiA(class_name, "SysListView32") == 0))
        return 0;
    HWND root = GetAncestor(message->hwnd, GA_ROOT);
    for (int p = 0; p < PANEL_COUNT; p++)
        if (root == panel_window(p))
            return 1;
    return root == main_window();
}

void fail_start(const char *what)
{
    char text[160];
    snprintf(text, sizeof text, "create_main_window() - %s!", what);
    MessageBoxA(nullptr, text, "ERROR!", MB_OK);
}

// The program's own icon at the size the system asks for, so neither size
// is scaled from another.
HICON load_app_icon(int width_metric, int height_metric)
{
    return (HICON)LoadImageA(instance_handle, MAKEINTRESOURCEA(IDI_QUORVEL), IMAGE_ICON,
                             GetSystemMetrics(width_metric), GetSystemMetrics(height_metric),
                             LR_DEFAULTCOLOR);
}

// Puts the Demographics, GIS, Question, Info, Areas and Breakdown panels
// beside the main window within its monitor's work area, apart from each
// other and off its title and menu bar; over the map only where the
// screen has no room.  Started minimised, the window is placed as it will be restored.
void place_panels(void)
{
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromWindow(main_window(), MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    RECT window;
    if (IsIconic(main_window())) {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        if (!GetWindowPlacement(main_window(), &placement))
            return;
        // The restored rectangle counts from the work area's corner; a
        // window that was maximised comes back over the whole work area.
        window = placement.rcNormalPosition;
        OffsetRect(&window, monitor.rcWork.left - monitor.rcMonitor.left,
                   monitor.rcWork.top - monitor.rcMonitor.top);
        if (placement.flags & WPF_RESTORETOMAXIMIZED)
            window = monitor.rcWork;
    } else if (!GetWindowRect(main_window(), &window)) {
        return;
    }
    // The restored window's title and menu bar.
    RECT bars = {0, 0, 0, 0};
    AdjustWindowRectEx(&bars, (DWORD)GetWindowLongA(main_window(), GWL_STYLE) & ~WS_MINIMIZE,
                       TRUE, (DWORD)GetWindowLongA(main_window(), GWL_EXSTYLE));
    const int client_top = window.top - bars.top;
    const int count = (int)(sizeof placed_panels / sizeof placed_panels[0]);
    PanelRequest requests[count];
    for (int i = 0; i < count; i++) {
        RECT panel;
        GetWindowRect(panel_window(placed_panels[i].panel), &panel);
        requests[i].width = panel.right - panel.left;
        requests[i].height = panel.bottom - panel.top;
        requests[i].side = placed_panels[i].side;
    }
    const ScreenRect work = {monitor.rcWork.left, monitor.rcWork.top, monitor.rcWork.right,
                             monitor.rcWork.bottom};
    const ScreenRect main_area = {window.left, window.top, window.right, window.bottom};
    PanelPosition positions[count];
    place_panels_apart(&work, &main_area, client_top, requests, count, positions);
    for (int i = 0; i < count; i++)
        SetWindowPos(panel_window(placed_panels[i].panel), nullptr, positions[i].x, positions[i].y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

HINSTANCE app_instance(void) { return instance_handle; }
HMENU file_menu(void) { return popup_menus[FILE_POPUP]; }

ATOM register_main_class(void)
{
    WNDCLASSEXA window_class = {};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = main_window_proc;
    window_class.hInstance = instance_handle;
    window_class.hIcon = load_app_icon(SM_CXICON, SM_CYICON);
    window_class.hIconSm = load_app_icon(SM_CXSMICON, SM_CYSMICON);
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = (HBRUSH)(COLOR_MENU + 1);
    window_class.lpszClassName = "mainw";
    return RegisterClassExA(&window_class);
}

int create_main_window(int show_command)
{
    HWND window = CreateWindowExA(
        0, "mainw", "Quorvel 1.0 beta", WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
        CW_USEDEFAULT, 0, 1024, 768, nullptr, nullptr, instance_handle, nullptr);
    if (!window) {
        fail_start("can't create the main window");
        return 0;
    }
    HDC window_dc = GetDC(window);
    set_main_window(window, window_dc, nullptr);

    // The bars are depth-tested, so the format needs a depth buffer.
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 16;
    format.cDepthBits = 24;
    int chosen = ChoosePixelFormat(window_dc, &format);
    if (chosen == 0 || !SetPixelFormat(window_dc, chosen, &format)) {
        fail_start("can't choose a pixel format");
        return 0;
    }
    DescribePixelFormat(window_dc, chosen, sizeof format, &format);

    HGLRC gl_context = wglCreateContext(window_dc);
    set_main_window(window, window_dc, gl_context);
    if (!gl_context || !wglMakeCurrent(window_dc, gl_context)) {
        fail_start("can't create an OpenGL context");
        return 0;
    }
    // The context is current before the first size message arrives, so
    // that message already sets viewport and projection.
    ShowWindow(window, show_command);
    DragAcceptFiles(window, TRUE);
    SetTimer(window, FRAME_TIMER_ID, FRAME_TIMER_MS, nullptr);
    return 1;
}

void build_menus(void)
{
    for (int p = 0; p < POPUP_COUNT; p++) {
        popup_menus[p] = CreateMenu();
        for (int i = 0; i < popups[p].item_count; i++) {
            const MenuItem &item = popups[p].items[i];
            if (item.text)
                AppendMenuA(popup_menus[p], MF_STRING, item.id, item.text);
            else
                AppendMenuA(popup_menus[p], MF_SEPARATOR, 0, nullptr);
        }
    }
    menu_bar = CreateMenu();
    for (int p = 0; p < POPUP_COUNT; p++)
        AppendMenuA(menu_bar, MF_POPUP, (UINT_PTR)popup_menus[p], popups[p].title);
    show_menu_checks();
    SetMenu(main_window(), menu_bar);
    DrawMenuBar(main_window());
}

void open_data_file(const char *path, int announce)
{
    switch (data_file_kind(path)) {
    case DATA_FILE_RECORDS:
        if (load_data_file(path))
            show_new_data(announce ? "Load complete" : nullptr);
        break;
    case DATA_FILE_CSV:
        if (import_csv_file(path))
            show_new_data(announce ? "Import complete" : nullptr);
        break;
    default: refuse_to_open(REFUSE_NOT_DATA, path); break;
    }
}

void open_command_line_file(const char *command_line)
{
    char path[PATH_BYTES];
    switch (parse_command_line(command_line, path, sizeof path)) {
    case COMMAND_LINE_FILE: open_data_file(path, 0); break;
    case COMMAND_LINE_REFUSED: refuse_to_open(REFUSE_COMMAND_LINE, command_line); break;
    case COMMAND_LINE_TOO_LONG: refuse_to_open(REFUSE_TOO_LONG, command_line); break;
    default: break;
    }
}

void on_command(WPARAM wparam)
{
    switch (LOWORD(wparam)) {
    case CMD_LOAD_DATA:
        if (load_data_command())
            show_new_data("Load complete");
        break;
    case CMD_IMPORT_CSV:
        if (import_csv_command())
            show_new_data("Import complete");
        break;
    case CMD_EXPORT_CSV: export_csv_command(); break;
    case CMD_EXPORT_COUNTS: export_counts_command(); break;
    case CMD_SAVE_DATA: save_data_command(); break;
    case CMD_ABOUT: show_panel(PANEL_ABOUT); break;
    case CMD_SAVE_SNAPSHOT: save_snapshot(); break;
    case CMD_PRINT: print_view(); break;
    case CMD_COPY_MAP: copy_map(); break;
    case CMD_COPY_COUNTS: copy_counts(main_window()); break;
    case CMD_QUIT: quit_application(); break;
    case CMD_SHOW_DEMOGRAPHICS: show_panel(PANEL_DEMOGRAPHICS); break;
    case CMD_SHOW_QUESTION: show_panel(PANEL_QUESTION); break;
    case CMD_SHOW_INFO: show_panel(PANEL_INFO); break;
    case CMD_SHOW_GIS: show_panel(PANEL_GIS); break;
    case CMD_SHOW_AREAS: show_panel(PANEL_AREAS); break;
    case CMD_SHOW_BREAKDOWN: show_panel(PANEL_BREAKDOWN); break;
    case CMD_DEFAULT_LOCATION: default_location_command(); break;
    case CMD_SAVED_LOCATION: saved_location_command(); break;
    case CMD_SURVEY_AREA: survey_area_command(); break;
    case CMD_DEFAULT_DEMOGRAPHICS: default_demographics_command(); break;
    case CMD_SAVED_DEMOGRAPHICS: saved_demographics_command(); break;
    case CMD_DEFAULT_QUESTION:
        // The next timer tick shows the new count.
        default_question_command();
        return;
    case CMD_SAVED_QUESTION: saved_question_command(); break;
    case CMD_BARS_COUNT: set_bar_mode(BARS_COUNT); show_menu_checks(); break;
    case CMD_BARS_SHARE: set_bar_mode(BARS_SHARE); show_menu_checks(); break;
    case CMD_BARS_SMOOTHED: set_bar_mode(BARS_SMOOTHED); show_menu_checks(); break;
    case CMD_COLOR_PLAIN:
    case CMD_COLOR_AVERAGE:
        set_bar_colors(LOWORD(wparam) == CMD_COLOR_AVERAGE ? COLORS_AVERAGE : COLORS_PLAIN);
        show_menu_checks();
        break;
    case CMD_COMPARE_TOGETHER:
    case CMD_COMPARE_ALONE:
        set_compare_mode(LOWORD(wparam) == CMD_COMPARE_ALONE ? COMPARE_ALONE : COMPARE_TOGETHER);
        show_menu_checks();
        break;
    case CMD_SHOW_LEGEND:
        set_legend_shown(!legend_shown());
        show_menu_checks();
        break;
    default: break;
    }
    redraw_map();
}

void quit_application(void)
{
    KillTimer(main_window(), FRAME_TIMER_ID);
    release_gl_objects();
    for (int p = 0; p < PANEL_COUNT; p++) {
        DestroyWindow(panel_window(p));
        set_panel_window(p, nullptr);
    }
    DestroyWindow(main_window());
}

void on_destroy(void)
{
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(main_gl_context());
    ReleaseDC(main_window(), main_window_dc());
    set_main_window(nullptr, nullptr, nullptr);
    PostQuitMessage(0);
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    PAINTSTRUCT paint;
    switch (message) {
    case WM_DESTROY: on_destroy(); break;
    case WM_SIZE: on_size(lparam); break;
    case WM_PAINT: on_paint(window, &paint); break;
    case WM_KEYUP: on_key_up(wparam); break;
    case WM_COMMAND: on_command(wparam); break;
    case WM_TIMER: on_timer(wparam); break;
    case WM_MOUSEMOVE:
        on_mouse_move(wparam, lparam);
        update_map_tooltip(wparam, lparam);
        break;
    case WM_MOUSELEAVE: on_mouse_leave(); break;
    case WM_LBUTTONDOWN:
        hide_map_tooltip();
        on_left_down(wparam, lparam);
        break;
    case WM_LBUTTONUP: on_left_up(lparam); break;
    case WM_RBUTTONDOWN:
        hide_map_tooltip();
        on_right_down(wparam, lparam);
        break;
    case WM_RBUTTONUP: on_right_up(lparam); break;
    case WM_DROPFILES: on_drop_files((HDROP)wparam); break;
    default: break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

int start_application(HINSTANCE instance, int show_command)
{
    instance_handle = instance;
    register_main_class();
    if (!create_main_window(show_command))
        return 0;
    init_gl_state(main_window_dc());
    build_menus();
    shortcuts = LoadAcceleratorsA(instance_handle, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    init_file_dialogs(main_window());
    InitCommonControls();
    create_map_tooltip(main_window());
    for (int p = 0; p < PANEL_COUNT; p++)
        set_panel_window(p, CreateDialogParamA(instance_handle,
                                               MAKEINTRESOURCEA(panel_templates[p].template_id),
                                               main_window(), panel_templates[p].procedure, 0));
    place_panels();
    return 1;
}

void route_message(MSG *message)
{
    if (shortcuts && is_shortcut_key(message) &&
        TranslateAcceleratorA(main_window(), shortcuts, message))
        return;
    for (int p = 0; p < PANEL_COUNT; p++)
        if (panel_window(p) && IsDialogMessageA(panel_window(p), message))
            return;
    TranslateMessage(message);
    DispatchMessageA(message);
}

int run_message_loop(void)
{
    MSG message;
    for (;;) {
        BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0)
            return (int)message.wParam;
        if (got == -1)
            return 1;  // the queue is gone; spinning on the error would hang
        route_message(&message);
    }
}
