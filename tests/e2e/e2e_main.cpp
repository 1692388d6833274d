// Starts the program once in this process, then runs the end-to-end tests
// against it; the program's own message handling serves them.
#include <windows.h>

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <stdio.h>

#include <filesystem>

#include "app/shell.h"
#include "e2e/e2e_support.h"

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    write_test_tiles();
    SetCurrentDirectoryA(work_dir().c_str());
    if (!start_application(GetModuleHandleA(nullptr), SW_SHOWNORMAL)) {
        fprintf(stderr, "the program did not start\n");
        return 1;
    }
    // After start-up, so the panels' own activation is never mistaken for
    // a dialog to answer.
    install_dialog_answerer();
    pump_messages(300);
    printf("OpenGL renderer: %s\n", (const char *)glGetString(GL_RENDERER));
    int result = RUN_ALL_TESTS();
    if (main_window())
        quit_application();
    std::error_code error;
    SetCurrentDirectoryA(std::filesystem::temp_directory_path().string().c_str());
    std::filesystem::remove_all(work_dir(), error);
    return result;
}
