// The File menu's data commands: load, save, import and export.
#pragma once

void load_data_command(void);
void save_data_command(void);
void import_csv_command(void);
void export_csv_command(void);
