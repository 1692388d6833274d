#include "e2e/e2e_support.h"

#include <GL/gl.h>
#include <commctrl.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/shell.h"
#include "gis/bmp.h"
#include "panels/demographics_panel.h"
#include "panels/question_panel.h"
#include "resources/resource.h"
#include "stats/area_list.h"
#include "view/map_layer.h"
#include "view/map_legend.h"
#include "view/map_tooltip.h"
#include "view/map_view.h"
#include "view/mouse_input.h"

namespace {

std::deque<std::pair<std::string, int>> file_answers;  // name, file type
std::deque<int> question_answers;
std::vector<BoxRecord> boxes;
int unanswered;
HHOOK cbt_hook;

enum { ANSWER_TIMER = 0x5E2E, WATCHDOG_TIMER = 0x5E2F };
const int explorer_name_box = 0x47C;  // cmb13
const int classic_name_box = 0x480;   // edt1
const int file_type_list = 0x470;     // cmb1

bool is_program_panel(HWND window)
{
    for (int p = 0; p < PANEL_COUNT; p++)
        if (panel_window(p) == window)
            return true;
    return false;
}

std::string window_text(HWND window)
{
    char text[2048] = "";
    if (window)
        GetWindowTextA(window, text, sizeof text);
    return text;
}

void press(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

void CALLBACK watchdog(HWND dialog, UINT, UINT_PTR id, DWORD)
{
    // A dialog still open after a few seconds: never let a test hang.
    KillTimer(dialog, id);
    unanswered++;
    press(dialog, IDCANCEL);
}

void CALLBACK answer_dialog(HWND dialog, UINT, UINT_PTR id, DWORD)
{
    KillTimer(dialog, id);
    HWND message_text = GetDlgItem(dialog, 0xFFFF);
    if (message_text) {
        boxes.push_back({window_text(dialog), window_text(message_text)});
        int button = GetDlgItem(dialog, IDYES) ? IDYES : IDOK;
        if (button == IDYES && !question_answers.empty()) {
            button = question_answers.front();
            question_answers.pop_front();
        }
        press(dialog, button);
        return;
    }
    HWND name_box = GetDlgItem(dialog, explorer_name_box);
    if (!name_box)
        name_box = GetDlgItem(dialog, classic_name_box);
    if (!name_box)
        return;  // not a dialog the tests know; the watchdog closes it
    if (file_answers.empty()) {
        unanswered++;
        press(dialog, IDCANCEL);
        return;
    }
    std::pair<std::string, int> answer = file_answers.front();
    file_answers.pop_front();
    if (answer.first.empty()) {
        press(dialog, IDCANCEL);
        return;
    }
    if (answer.second > 1) {
        // As a pick from the list notifies the dialog.
        HWND list = GetDlgItem(dialog, file_type_list);
        SendMessageA(list, CB_SETCURSEL, (WPARAM)(answer.second - 1), 0);
        for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK})
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(file_type_list, code), (LPARAM)list);
    }
    SetWindowTextA(name_box, answer.first.c_str());
    press(dialog, IDOK);
}

LRESULT CALLBACK on_cbt(int code, WPARAM wparam, LPARAM lparam)
{
    if (code == HCBT_ACTIVATE) {
        HWND window = (HWND)wparam;
        char class_name[32] = "";
        GetClassNameA(window, class_name, sizeof class_name);
        if (strcmp(class_name, "#32770") == 0 && !is_program_panel(window)) {
            SetTimer(window, ANSWER_TIMER, 50, answer_dialog);
            SetTimer(window, WATCHDOG_TIMER, 8000, watchdog);
        }
    }
    return CallNextHookEx(cbt_hook, code, wparam, lparam);
}

}  // namespace

const TileColour test_tile_colours[4] = {
    {200, 40, 40}, {40, 160, 40}, {40, 40, 200}, {220, 200, 40}};
const TileColour test_patch_colour = {240, 120, 240};
// Away from the zip areas and from the points the tests probe the tiles at.
const float test_patch_centres[4][2] = {{0.125f, 0.875f}, {0.875f, 0.875f}, {0.125f, 0.125f}, {0.875f, 0.125f}};

const std::string &work_dir(void)
{
    static std::string dir;
    if (dir.empty()) {
        char name[64];
        snprintf(name, sizeof name, "quorvel-e2e-%lu", GetCurrentProcessId());
        std::filesystem::path path = std::filesystem::temp_directory_path() / name;
        std::filesystem::create_directories(path / "data" / "maps");
        dir = path.string();
    }
    return dir;
}

std::string work_path(const std::string &name)
{
    return (std::filesystem::path(work_dir()) / name).string();
}

std::string source_path(const std::string &relative)
{
    std::string path = "Z:" + std::string(QUORVEL_SOURCE_DIR) + "/" + relative;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

void write_test_tiles(void)
{
    static const char *names[4] = {"ll.bmp", "lr.bmp", "ul.bmp", "ur.bmp"};
    for (int t = 0; t < 4; t++) {
        RgbImage image = {0, 0, 0, nullptr};
        image_alloc(64, 64, 3, &image);
        // Rows bottom first: the patch's 8 x 8 pixels around its centre.
        for (int i = 0; i < 64 * 64; i++) {
            int dx = i % 64 - (int)(test_patch_centres[t][0] * 64), dy = i / 64 - (int)(test_patch_centres[t][1] * 64);
            bool in_patch = dx >= -4 && dx < 4 && dy >= -4 && dy < 4;
            const TileColour &colour = in_patch ? test_patch_colour : test_tile_colours[t];
            image.pixels[i * 3] = colour.r;
            image.pixels[i * 3 + 1] = colour.g;
            image.pixels[i * 3 + 2] = colour.b;
        }
        write_bmp(work_path(std::string("data\\maps\\") + names[t]).c_str(), &image);
        image_free(&image);
    }
}

void pump_messages(int ms)
{
    DWORD end = GetTickCount() + (DWORD)ms;
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                return;
            route_message(&message);
        }
        DWORD now = GetTickCount();
        if ((LONG)(end - now) <= 0)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
    }
}

void send_command(int id)
{
    SendMessageA(main_window(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void answer_file_dialog(const std::string &path, int file_type)
{
    file_answers.push_back({path, file_type});
}

void cancel_file_dialog(void)
{
    file_answers.push_back({"", 1});
}

void answer_question_box(int button)
{
    question_answers.push_back(button);
}

std::vector<BoxRecord> &message_boxes(void)
{
    return boxes;
}

int unanswered_file_dialogs(void)
{
    return unanswered;
}

void install_dialog_answerer(void)
{
    cbt_hook = SetWindowsHookExA(WH_CBT, on_cbt, nullptr, GetCurrentThreadId());
}

Frame read_frame(void)
{
    Frame frame;
    frame.width = client_width();
    frame.height = client_height();
    frame.pixels.assign((size_t)frame.width * frame.height * 3, 0);
    draw_frame();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, frame.width, frame.height, GL_RGB, GL_UNSIGNED_BYTE, frame.pixels.data());
    return frame;
}

TileColour frame_pixel(const Frame &frame, int x, int y)
{
    size_t at = ((size_t)(frame.height - 1 - y) * frame.width + x) * 3;
    return {frame.pixels[at], frame.pixels[at + 1], frame.pixels[at + 2]};
}

bool window_position(const Vec3 &map_point, int *x, int *y)
{
    float wx, wy;
    if (!map_to_window(current_map_view(), client_width(), client_height(), &map_point, &wx, &wy))
        return false;
    *x = (int)(wx + 0.5f);
    *y = (int)(wy + 0.5f);
    return *x >= 0 && *y >= 0 && *x < client_width() && *y < client_height();
}

int dark_pixels(const Frame &frame, const RECT &area)
{
    int dark = 0;
    for (int y = area.top; y < area.bottom; y++)
        for (int x = area.left; x < area.right; x++) {
            TileColour c = frame_pixel(frame, x, y);
            dark += c.r < 80 && c.g < 80 && c.b < 80;
        }
    return dark;
}

bool tooltip_shown(void)
{
    return IsWindowVisible(map_tooltip_window()) != 0;
}

std::string tooltip_text(void)
{
    // The ANSI message hands out at most 80 characters.
    wchar_t wide[256] = L"";
    TOOLINFOW tool = {TTTOOLINFOW_V2_SIZE, 0, main_window(), 1, {0, 0, 0, 0}, nullptr, wide, 0, nullptr};
    SendMessageW(map_tooltip_window(), TTM_GETTEXTW, sizeof wide / sizeof wide[0], (LPARAM)&tool);
    char text[512] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

RespondentRecord respondent(int zip_code)
{
    RespondentRecord record;
    for (int32_t &field : record.field)
        field = 1;
    record.field[Q32] = zip_code;
    return record;
}

void use_records(const std::vector<RespondentRecord> &records)
{
    RecordBuffer buffer = {nullptr, 0, 0};
    buffer_init(&buffer, STORE_START_CAPACITY);
    for (const RespondentRecord &record : records)
        *buffer_append(&buffer) = record;
    store_replace(&buffer);
    refresh_map();
}

void reset_program(void)
{
    MapView view;
    start_map_view(&view);
    set_map_view(&view);
    set_nav_command(NAV_NONE);
    store_release();
    refresh_map();
    send_command(CMD_DEFAULT_DEMOGRAPHICS);
    send_command(CMD_DEFAULT_QUESTION);
    send_command(CMD_BARS_COUNT);
    send_command(CMD_COLOR_PLAIN);
    send_command(CMD_COMPARE_TOGETHER);
    if (!legend_shown())
        send_command(CMD_SHOW_LEGEND);
    hide_map_tooltip();
    select_zip(-1);
    SetDlgItemTextA(panel_window(PANEL_INFO), IDC_INFO_LOG, "");
    static const int start_visible[PANEL_COUNT] = {1, 1, 1, 0, 0};
    for (int p = 0; p < PANEL_COUNT; p++)
        ShowWindow(panel_window(p), start_visible[p] ? SW_SHOWNA : SW_HIDE);
    boxes.clear();
    file_answers.clear();
    question_answers.clear();
    unanswered = 0;
    pump_messages(30);
}

std::vector<uint8_t> file_bytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint8_t> clipboard_bytes(UINT format)
{
    std::vector<uint8_t> bytes;
    HGLOBAL memory = OpenClipboard(nullptr) ? GetClipboardData(format) : nullptr;
    if (const uint8_t *data = memory ? (const uint8_t *)GlobalLock(memory) : nullptr)
        bytes.assign(data, data + GlobalSize(memory));
    if (memory)
        GlobalUnlock(memory);
    CloseClipboard();
    return bytes;
}

std::string clipboard_text(UINT format)
{
    std::vector<uint8_t> bytes = clipboard_bytes(format);
    return std::string(bytes.begin(), std::find(bytes.begin(), bytes.end(), 0));
}

void write_file_bytes(const std::string &path, const std::vector<uint8_t> &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write((const char *)bytes.data(), (std::streamsize)bytes.size());
}

void post_mouse(HWND window, UINT message, WPARAM flags, int x, int y)
{
    PostMessageA(window, message, flags, MAKELPARAM((short)x, (short)y));
    pump_messages(0);
}

void key_stroke(int virtual_key, char ch)
{
    HWND focus = GetFocus();
    UINT scan = MapVirtualKeyA((UINT)virtual_key, 0);
    MSG message = {};
    message.hwnd = focus;
    message.message = WM_KEYDOWN;
    message.wParam = (WPARAM)virtual_key;
    message.lParam = (LPARAM)(1 | (scan << 16));
    message.time = GetTickCount();
    route_message(&message);
    // Translation may already have queued the character; a user's key
    // makes exactly one.
    MSG queued;
    bool translated = false;
    while (PeekMessageA(&queued, nullptr, WM_CHAR, WM_CHAR, PM_REMOVE)) {
        translated = true;
        route_message(&queued);
    }
    if (ch && !translated) {
        message.hwnd = GetFocus();
        message.message = WM_CHAR;
        message.wParam = (WPARAM)(unsigned char)ch;
        route_message(&message);
    }
    message.hwnd = GetFocus();
    message.message = WM_KEYUP;
    message.wParam = (WPARAM)virtual_key;
    message.lParam = (LPARAM)(1 | (scan << 16) | (1u << 30) | (1u << 31));
    route_message(&message);
    pump_messages(0);
}

void control_key_stroke(char letter, bool shift)
{
    BYTE keys[256], held[256];
    GetKeyboardState(keys);
    memcpy(held, keys, sizeof held);
    held[VK_CONTROL] = held[VK_LCONTROL] = 0x80;
    if (shift)
        held[VK_SHIFT] = held[VK_LSHIFT] = 0x80;
    SetKeyboardState(held);
    key_stroke(letter, (char)(letter - 'A' + 1));
    SetKeyboardState(keys);
}

void drop_files(const std::vector<std::string> &paths)
{
    size_t bytes = sizeof(DROPFILES) + 1;
    for (const std::string &path : paths)
        bytes += path.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    DROPFILES *drop = (DROPFILES *)GlobalLock(memory);
    drop->pFiles = sizeof(DROPFILES);
    char *names = (char *)(drop + 1);
    for (const std::string &path : paths)
        names = std::copy(path.c_str(), path.c_str() + path.size() + 1, names);
    GlobalUnlock(memory);
    PostMessageA(main_window(), WM_DROPFILES, (WPARAM)memory, 0);
    pump_messages(50);
}

void type_text(const char *text)
{
    for (const char *c = text; *c; c++)
        key_stroke(VkKeyScanA(*c) & 0xFF, *c);
}

void choose_in_combo(HWND dialog, int combo_id, int position)
{
    HWND combo = GetDlgItem(dialog, combo_id);
    SendMessageA(combo, CB_SETCURSEL, (WPARAM)position, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(combo_id, CBN_SELCHANGE), (LPARAM)combo);
}

std::string info_log_text(void)
{
    return item_text(panel_window(PANEL_INFO), IDC_INFO_LOG);
}

int combo_selection(HWND dialog, int id)
{
    return (int)SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
}

std::string item_text(HWND dialog, int id)
{
    std::vector<char> text(65536, '\0');
    GetDlgItemTextA(dialog, id, text.data(), (int)text.size());
    return text.data();
}

namespace {

struct TitledSearch {
    DWORD process;
    const char *caption;
    std::vector<HWND> found;
};

BOOL CALLBACK collect_titled(HWND window, LPARAM param)
{
    TitledSearch *search = (TitledSearch *)param;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char caption[64] = "";
    GetWindowTextA(window, caption, sizeof caption);
    if (process == search->process && strcmp(caption, search->caption) == 0)
        search->found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> process_windows_titled(DWORD process, const char *caption)
{
    TitledSearch search = {process, caption, {}};
    EnumWindows(collect_titled, (LPARAM)&search);
    return search.found;
}

HWND areas_list(void)
{
    return GetDlgItem(panel_window(PANEL_AREAS), IDC_AREAS_LIST);
}

int areas_item_count(void)
{
    return (int)SendMessageA(areas_list(), LVM_GETITEMCOUNT, 0, 0);
}

std::vector<std::string> areas_row(int item)
{
    std::vector<std::string> cells;
    for (int c = 0; c < AREA_COLUMNS; c++) {
        char text[AREA_CELL_BYTES] = "";
        ListView_GetItemText(areas_list(), item, c, text, sizeof text);
        cells.push_back(text);
    }
    return cells;
}

std::vector<std::string> selected_areas_row(void)
{
    int item = (int)SendMessageA(areas_list(), LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
    bool one = SendMessageA(areas_list(), LVM_GETSELECTEDCOUNT, 0, 0) == 1;
    return one ? areas_row(item) : std::vector<std::string>(AREA_COLUMNS, "?");
}

void click_areas_header(int column)
{
    HWND header = (HWND)SendMessageA(areas_list(), LVM_GETHEADER, 0, 0);
    RECT box;
    SendMessageA(header, HDM_GETITEMRECT, (WPARAM)column, (LPARAM)&box);
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP})
        post_mouse(header, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, (box.left + box.right) / 2, 5);
}

std::string copy_with_ctrl_c(void)
{
    control_key_stroke('C');
    return clipboard_text(CF_TEXT);
}
