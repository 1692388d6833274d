#include "app/shell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int show_command)
{
    if (!start_application(instance, show_command))
        return 1;
    open_command_line_file(command_line);
    return run_message_loop();
}
