// The File menu's data commands: load, save, import and export, and the
// export of the counts table.
#pragma once

// Load and import replace the data set and recount; each returns 1 when it
// did, and 0 when the dialog was cancelled or the file refused (after an
// "ERROR!" box, the data set unchanged).  What follows a new data set, the
// view and the completion message, is the caller's.
int load_data_command(void);
int import_csv_command(void);
// The same for a file named without the dialog.
int load_data_file(const char *path);
int import_csv_file(const char *path);

void save_data_command(void);
void export_csv_command(void);
void export_counts_command(void);
