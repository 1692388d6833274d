#include "survey/data_file_kind.h"

#include <ctype.h>
#include <string.h>

namespace {

int has_extension(const char *path, const char *extension)
{
    size_t length = strlen(path), extension_length = strlen(extension);
    if (length <= extension_length)
        return 0;
    const char *tail = path + length - extension_length;
    if (tail[-1] == '/' || tail[-1] == '\\')
        return 0;
    for (size_t i = 0; i < extension_length; i++)
        if (tolower((unsigned char)tail[i]) != extension[i])
            return 0;
    return 1;
}

}  // namespace

int data_file_kind(const char *path)
{
    if (has_extension(path, ".qvd"))
        return DATA_FILE_RECORDS;
    if (has_extension(path, ".csv"))
        return DATA_FILE_CSV;
    return DATA_FILE_OTHER;
}
