// The areas of the last count as one table: a row per zip code with its
// base, its count and their statistics.  Export Counts, the Areas panel,
// the readout, the legend and the bar colors all read their numbers here.
#pragma once

#include <stdint.h>

#include "survey/tally.h"

struct AreaRow {
    int32_t zip_code;
    int index;  // zip index, -1 for a zip code outside 77000..77598
    int32_t base;
    int32_t matching;
};

// The rows in zip order: every zip index with a location or with
// respondents passing the filters, and every outside zip code of the
// count among them.  `located` tells which zip indices have a location.
typedef int (*ZipLocated)(int index);
struct AreaCursor {
    ZipLocated located;
    int next_index;
    int32_t next_outside;
};
void start_area_rows(AreaCursor *cursor, ZipLocated located);
// The next row; 0 after the last.
int next_area_row(const TallyResult *result, AreaCursor *cursor, AreaRow *row);
