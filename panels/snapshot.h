// Snapshot and printing of the map view.
#pragma once

void save_snapshot(void);
void print_view(void);
