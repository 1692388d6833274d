#include "app/shell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command)
{
    if (!start_application(instance, show_command))
        return 1;
    return run_message_loop();
}
