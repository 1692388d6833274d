// The Areas panel's table in words: its columns, each row's cells, the
// order rows sort in, and the rows as tab-separated lines that paste into
// a spreadsheet as cells.
#pragma once

#include <stddef.h>

#include "stats/area_stats.h"

enum AreaColumn {
    AREA_ZIP, AREA_RESPONDENTS, AREA_MATCHING, AREA_SHARE, AREA_INTERVAL, AREA_VERSUS_AVERAGE,
    AREA_SMOOTHED, AREA_Z, AREA_P_ALL, AREA_NOTE,
    AREA_COLUMNS
};

enum {
    AREA_CELL_BYTES = 80,  // the longest note, with ten digits of areas
    // Every cell at its longest with its tab (the last with CR), then LF
    // and NUL.
    AREA_LINE_BYTES = AREA_COLUMNS * AREA_CELL_BYTES + 2
};

// "Zip", "Respondents", ... ; "" outside the columns.
const char *area_column_title(int column);
// "77004", "58", "43", "74.14%", "61.6–83.7%", "+4.4", "71.60%", "+0.72",
// "0.619" ("< 0.001" below that), "above, few respondents"; the share and
// its statistics are empty without a base, the smoothed share, z and p
// without a comparison.
void area_cell(const AreaRow *row, int column, char *text, size_t size);
// Where row a goes against row b when the column sorts ascending or
// descending: negative before, positive after.  Numbers sort as numbers; a
// row with no share sorts after those with one either way; rows that tie
// follow zip order.
int compare_area_rows(const AreaRow *a, const AreaRow *b, int column, int descending);
// The column titles, and a row's cells, tab-separated and ended by CR LF.
void area_header_line(char *text, size_t size);
void area_row_line(const AreaRow *row, char *text, size_t size);
