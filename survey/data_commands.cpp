#include "survey/data_commands.h"

#include <windows.h>
#include <stdio.h>

#include "gis/map_layer.h"
#include "panels/file_dialogs.h"
#include "survey/counts_file.h"
#include "survey/csv_file.h"
#include "survey/failure_text.h"
#include "survey/record_file.h"
#include "survey/tally.h"
#include "view/map_view.h"

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

void load_data_command(void)
{
    char path[PATH_BYTES];
    if (!choose_open_file(path, ".qvd"))
        return;
    if (!read_records(path)) {
        report_failure("read_records", path);
        return;
    }
    refresh_map();
    show_survey_area_if_untouched();
    MessageBoxA(nullptr, "Load complete", "Info", MB_OK);
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

void import_csv_command(void)
{
    char path[PATH_BYTES];
    if (!choose_open_file(path, ".csv"))
        return;
    if (!read_csv_records(path)) {
        report_csv_failure(path);
        return;
    }
    refresh_map();
    show_survey_area_if_untouched();
    MessageBoxA(nullptr, "Import complete", "Info", MB_OK);
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
