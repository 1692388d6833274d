#include "survey/data_commands.h"

#include <windows.h>
#include <stdio.h>

#include "gis/map_layer.h"
#include "panels/file_dialogs.h"
#include "survey/counts_file.h"
#include "survey/csv_file.h"
#include "survey/record_file.h"
#include "survey/tally.h"

namespace {

// "<routine>() - <what went wrong> <kind> file: <path>!"; the path is at
// most PATH_BYTES long, so the text always holds it whole.  A file whose
// contents the reader refused is "not a <kind> file".
void report_file_failure(const char *routine, const char *kind, const char *path)
{
    char text[PATH_BYTES + 128];
    if (data_stream_failure() == DATA_BAD_FORMAT)
        snprintf(text, sizeof text, "%s() - not a %s file: %s!\n", routine, kind, path);
    else
        snprintf(text, sizeof text, "%s() - %s %s file: %s!\n", routine,
                 data_failure_phrase(data_stream_failure()), kind, path);
    MessageBoxA(nullptr, text, "ERROR!", MB_OK);
}

void report_failure(const char *routine, const char *path)
{
    report_file_failure(routine, "record", path);
}

// A file that opened but whose contents were refused names the line (and
// column) at fault; every other failure reads like the binary commands'.
void report_csv_failure(const char *path)
{
    if (data_stream_failure() != DATA_BAD_FORMAT) {
        report_failure("read_csv_records", path);
        return;
    }
    char where[128];
    describe_csv_failure(where, sizeof where);
    char text[PATH_BYTES + 256];
    snprintf(text, sizeof text, "read_csv_records() - %s: %s!\n", where, path);
    MessageBoxA(nullptr, text, "ERROR!", MB_OK);
}

}  // namespace

int load_data_file(const char *path)
{
    if (!read_records(path)) {
        report_failure("read_records", path);
        return 0;
    }
    refresh_map();
    return 1;
}

int load_data_command(void)
{
    char path[PATH_BYTES];
    return choose_open_file(path, ".qvd") && load_data_file(path);
}

void save_data_command(void)
{
    char path[PATH_BYTES];
    if (!choose_save_file(path, ".qvd"))
        return;
    if (!write_records(path)) {
        report_failure("write_records", path);
        return;
    }
    MessageBoxA(nullptr, "Save complete", "Info", MB_OK);
}

int import_csv_file(const char *path)
{
    if (!read_csv_records(path)) {
        report_csv_failure(path);
        return 0;
    }
    refresh_map();
    return 1;
}

int import_csv_command(void)
{
    char path[PATH_BYTES];
    return choose_open_file(path, ".csv") && import_csv_file(path);
}

void export_csv_command(void)
{
    char path[PATH_BYTES];
    if (!choose_save_file(path, ".csv"))
        return;
    if (!write_csv_records(path)) {
        report_failure("write_csv_records", path);
        return;
    }
    MessageBoxA(nullptr, "Export complete", "Info", MB_OK);
}

void export_counts_command(void)
{
    char path[PATH_BYTES];
    if (!choose_save_file(path, ".csv"))
        return;
    if (!write_counts_table(path, tally_query(), tally_result())) {
        report_file_failure("write_counts_table", "counts", path);
        return;
    }
    MessageBoxA(nullptr, "Export complete", "Info", MB_OK);
}
