// Files opened from outside the menus: one named on the command line, as
// Explorer names the file a user double-clicked, or dropped on the window.
#pragma once

#include <stddef.h>

enum CommandLineFile {
    COMMAND_LINE_EMPTY,     // no file named
    COMMAND_LINE_FILE,      // the name is in `path`
    COMMAND_LINE_REFUSED,   // more than one name, or an empty one
    COMMAND_LINE_TOO_LONG   // a name that does not fit `path`
};
// The one file name the command line may hold, in double quotes when it
// holds spaces; without them a space ends it.  Blanks around it are
// skipped; the name's bytes are kept as they are.
int parse_command_line(const char *line, char *path, size_t size);

enum OpenRefusal {
    REFUSE_NOT_DATA,         // `given` is the file's name
    REFUSE_SEVERAL_DROPPED,  // `given` is how many were dropped
    REFUSE_COMMAND_LINE,     // `given` is the command line
    REFUSE_TOO_LONG          // `given` is the name
};
// The "ERROR!" box's text when a file given from outside is not opened.
void open_refusal_text(int refusal, const char *given, char *text, size_t size);
