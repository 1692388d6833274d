#include "app/data_commands.h"

#include <windows.h>
#include <stdio.h>

#include "panels/file_dialogs.h"
#include "stats/counts_file.h"
#include "survey/csv_file.h"
#include "survey/failure_text.h"
#include "survey/record_file.h"
#include "survey/tally.h"
#include "view/map_layer.h"

namespace {

// The path is at most PATH_BYTES long, so the text always holds it whole.
void report_file_failure(const char *routine, const char *kind, const char *path)
{
    char text[PATH_BYTES + 128];
    file_failure_text(routine, kind, path, text, sizeof text);
    MessageBoxA(nullptr, text, "ERROR!", MB_OK);
}

void report_failure(const char *routine, const char *path)
{
    report_file_failure(routine, "record", path);
}

void report_csv_failure(const char *path)
{
    char text[PATH_BYTES + 256];
    csv_failure_text(path, text, sizeof text);
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
