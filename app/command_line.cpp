#include "app/command_line.h"

#include <stdio.h>
#include <string.h>

namespace {

int blank(char c)
{
    return c == ' ' || c == '\t';
}

}  // namespace

int parse_command_line(const char *line, char *path, size_t size)
{
    while (blank(*line))
        line++;
    if (*line == '\0')
        return COMMAND_LINE_EMPTY;
    const char *start = line, *end;
    if (*line == '"') {
        // An unclosed quote runs to the end, as Windows reads it.
        start++;
        end = strchr(start, '"');
        if (!end)
            end = start + strlen(start);
        line = *end ? end + 1 : end;
    } else {
        for (end = start; *end && !blank(*end); end++) {
        }
        line = end;
    }
    while (blank(*line))
        line++;
    if (end == start || *line != '\0')
        return COMMAND_LINE_REFUSED;
    size_t length = (size_t)(end - start);
    if (length >= size)
        return COMMAND_LINE_TOO_LONG;
    memcpy(path, start, length);
    path[length] = '\0';
    return COMMAND_LINE_FILE;
}

void open_refusal_text(int refusal, const char *given, char *text, size_t size)
{
    switch (refusal) {
    case REFUSE_SEVERAL_DROPPED:
        snprintf(text, size, "on_drop_files() - %s files dropped: drop one .qvd or .csv file!\n",
                 given);
        break;
    case REFUSE_COMMAND_LINE:
        snprintf(text, size,
                 "parse_command_line() - name one .qvd or .csv file, in quotes if it holds "
                 "spaces: %s!\n",
                 given);
        break;
    case REFUSE_TOO_LONG:
        snprintf(text, size, "open_data_file() - name longer than 255 characters: %s!\n", given);
        break;
    default:
        snprintf(text, size, "open_data_file() - not a .qvd or .csv file: %s!\n", given);
        break;
    }
}
