// The application shell: the main window with its OpenGL context, the
// menus, the modeless dialogs and the message loop.
#pragma once

#include <windows.h>

#include "view/app_windows.h"

HINSTANCE app_instance(void);
HMENU file_menu(void);

ATOM register_main_class(void);
// Creates the window and its OpenGL context, shows it and starts the frame
// timer; 0 (after an "ERROR!" box) when no OpenGL context can be had.
int create_main_window(int show_command);
void build_menus(void);
LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void on_command(WPARAM wparam);
void quit_application(void);
void on_destroy(void);

// The start-up sequence up to the message loop; 1, or 0 when it failed.
int start_application(HINSTANCE instance, int show_command);
// One message through the menus' shortcuts, the panels' dialog handling or
// to its window.
void route_message(MSG *message);
// Runs the message loop; returns the exit code.
int run_message_loop(void);

// Opens a file named outside the dialogs: a .qvd file loads and a .csv
// file imports as the menus would; any other is refused with a message.
// With `announce` the completion is said, as the menus say it.
void open_data_file(const char *path, int announce);
// Opens the file the command line names, if any, quietly when it opens.
void open_command_line_file(const char *command_line);
