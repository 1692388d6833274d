// Helpers for driving the running program from its own thread: pumping
// messages, answering modal dialogs, reading back the frame.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>
#include <vector>

#include "survey/records.h"
#include "view/camera.h"

// The working directory the program runs in: it holds data/maps with four
// test tiles of distinct colours.
const std::string &work_dir(void);
std::string work_path(const std::string &name);
// A file of the project's source tree, as a Windows path.
std::string source_path(const std::string &relative);

struct TileColour {
    uint8_t r, g, b;
};
// Lower left, lower right, upper left, upper right.
extern const TileColour test_tile_colours[4];
// Each tile carries a patch of this colour near one corner, centred at these
// fractions of its width and height from its west and south edges.
extern const TileColour test_patch_colour;
extern const float test_patch_centres[4][2];
// Writes the four test tiles into work_dir()/data/maps.
void write_test_tiles(void);

// Runs the program's message handling for about `ms` milliseconds.
void pump_messages(int ms);
// Sends a menu command to the main window, as a menu click does.
void send_command(int id);

// Modal dialogs: file dialogs take the scripted answers in order (an empty
// name cancels), choosing the numbered entry of the file-type list first
// when it is not the first; message boxes are recorded and confirmed, those
// that ask with the next scripted button (IDYES when none is left).
void answer_file_dialog(const std::string &path, int file_type = 1);
void cancel_file_dialog(void);
void answer_question_box(int button);
struct BoxRecord {
    std::string caption;
    std::string text;
};
std::vector<BoxRecord> &message_boxes(void);
int unanswered_file_dialogs(void);
void install_dialog_answerer(void);

// The frame as drawn now, read back from the back buffer; rows bottom
// first, RGB.
struct Frame {
    int width;
    int height;
    std::vector<uint8_t> pixels;
};
Frame read_frame(void);
// The pixel at window position (x, y), y down.
TileColour frame_pixel(const Frame &frame, int x, int y);
// Window position of a map point under the current view.
bool window_position(const Vec3 &map_point, int *x, int *y);
// Pixels of text (dark in every channel) inside a window rectangle.
int dark_pixels(const Frame &frame, const RECT &area);
// The map tooltip: whether it shows, and its text.
bool tooltip_shown(void);
std::string tooltip_text(void);

// Puts the program back to its start state: view, question, filters,
// selection, bar mode, legend, empty data set, empty Info log, panels as at
// start.
void reset_program(void);
// A respondent of the given zip code whose every other answer is 1.
RespondentRecord respondent(int zip_code);
// Makes the records the data set and recounts, as a load does.
void use_records(const std::vector<RespondentRecord> &records);

std::vector<uint8_t> file_bytes(const std::string &path);
// What the clipboard holds in a format: its whole memory block, or as text
// up to its terminating NUL; empty when it holds nothing in that format.
std::vector<uint8_t> clipboard_bytes(UINT format);
std::string clipboard_text(UINT format);
void write_file_bytes(const std::string &path, const std::vector<uint8_t> &bytes);

// Posts a mouse message with its key and button flags at client pixel
// (x, y) and lets the message loop deliver it.
void post_mouse(HWND window, UINT message, WPARAM flags, int x, int y);
// A key stroke as the keyboard queues it (WM_KEYDOWN, the WM_CHAR that
// translation makes, WM_KEYUP), for the window with the focus, through the
// program's own loop step.  `ch` 0 for keys without a character.
void key_stroke(int virtual_key, char ch);
// A letter key stroke with Ctrl (and Shift) held, as a shortcut is typed.
void control_key_stroke(char letter, bool shift = false);
// Drops the files on the main window as the shell does: a DROPFILES block
// with the names, each ended by a NUL and the list by another, in global
// memory whose handle goes with a posted WM_DROPFILES.
void drop_files(const std::vector<std::string> &paths);
// Types each character of the text as a key stroke.
void type_text(const char *text);
// Picks a list position the way a user does: the selection, then the
// CBN_SELCHANGE notification the combo box sends its dialog.
void choose_in_combo(HWND dialog, int combo_id, int position);
// The Info log's whole text.
std::string info_log_text(void);
// The selected position of a dialog's combo box.
int combo_selection(HWND dialog, int id);
// The text of a dialog item.
std::string item_text(HWND dialog, int id);
// The top-level windows of a process that carry the caption.
std::vector<HWND> process_windows_titled(DWORD process, const char *caption);

// The Areas panel's list: its item count, the cells of an item (in the
// order shown) and of the one selected item ("?"s unless exactly one is),
// and a click on a column's header.
HWND areas_list(void);
int areas_item_count(void);
std::vector<std::string> areas_row(int item);
std::vector<std::string> selected_areas_row(void);
void click_areas_header(int column);
// Ctrl+C for the window with the focus; the clipboard's text then.
std::string copy_with_ctrl_c(void);
