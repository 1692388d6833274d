// The File menu's data commands: load, save, import and export, and the
// export of the counts table.
#pragma once

void load_data_command(void);
void save_data_command(void);
void import_csv_command(void);
void export_csv_command(void);
void export_counts_command(void);
