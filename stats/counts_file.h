// The counts table: one CSV line per zip area with its location, base,
// count, shares and their statistics, each line carrying the question,
// answer and filters it was counted for, so the tables of several answers
// can be concatenated.
#pragma once

#include <stddef.h>

#include "survey/tally.h"

// The header line's column names.
extern const char counts_table_header[];

// A text cell as RFC 4180 wants it: quoted, with quotes doubled, when it
// holds the separator, a quote or a line break; as it is otherwise.
void quote_cell(const char *cell, char separator, char *text, size_t size);
// The shortest decimal that reads back as the same float ("-95.363").
void format_degrees(float degrees, char *text, size_t size);

// Hands the table to `emit` a line at a time, CR LF included: the header,
// then a line for every row of the areas table (area_stats.h) as last
// compared, in zip order; a zip code outside the map has empty longitude
// and latitude.  The interval, average, difference, comparison, smoothed
// share, z and p-values are empty where the base is 0.  Cells are
// separated by `separator`: ',' for the CSV file, '\t' for text a
// spreadsheet pastes as cells.  1, or 0 as soon as `emit` returns 0; 0
// before any line (DATA_NO_MEMORY) when the count or the comparison was
// refused for want of memory.
typedef int (*CountsLineSink)(void *context, const char *line, size_t length);
int emit_counts_table(const TallyQuery *query, const TallyResult *result, char separator,
                      CountsLineSink emit, void *context);

// A CountsLineSink that writes each line to the file data_stream_create
// opened.
int write_counts_line(void *context, const char *line, size_t length);

// Writes the CSV table through a temporary file; the target is replaced only when
// everything was written.  1 or 0 (see data_stream_failure()).
int write_counts_table(const char *path, const TallyQuery *query, const TallyResult *result);
