#include "survey/failure_text.h"

#include <stdio.h>

#include "survey/csv_file.h"
#include "survey/data_stream.h"

void file_failure_text(const char *routine, const char *kind, const char *path, char *text,
                       size_t size)
{
    if (data_stream_failure() == DATA_BAD_FORMAT)
        snprintf(text, size, "%s() - not a %s file: %s!\n", routine, kind, path);
    else
        snprintf(text, size, "%s() - %s %s file: %s!\n", routine,
                 data_failure_phrase(data_stream_failure()), kind, path);
}

void csv_failure_text(const char *path, char *text, size_t size)
{
    if (data_stream_failure() != DATA_BAD_FORMAT) {
        file_failure_text("read_csv_records", "record", path, text, size);
        return;
    }
    char where[128];
    describe_csv_failure(where, sizeof where);
    snprintf(text, size, "read_csv_records() - %s: %s!\n", where, path);
}
