// The Question panel: question and answer that the map counts, and the
// Find Zip box.
#pragma once

#include <windows.h>
#include <stdint.h>

INT_PTR CALLBACK question_panel_proc(HWND panel, UINT message, WPARAM wparam, LPARAM lparam);
// Loads current_question into the panel and selects its first answer.
void show_question(HWND panel);
// Makes the answer code the only question constraint and recounts.
void set_answer(int32_t code);
// Makes an answer of the current question current as a choice in the
// panel's answer list does: the list shows it and the map recounts.
void choose_answer(int32_t code);
void find_zip(HWND panel);
// What Find Zip does with a zip code: centres the view on its area,
// selects it and reports its totals; for a zip code without a bar, "No
// data.." (while records are loaded) and no selection.
void go_to_zip(int zip_code);
// Shows the selected zip code in the Find Zip box, or empties it.
void show_selected_zip(void);
int current_question(void);
void default_question_command(void);
void saved_question_command(void);
