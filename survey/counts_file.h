// The counts table: one CSV line per zip area with its location, base,
// count and shares, each line carrying the question, answer and filters it
// was counted for, so the tables of several answers can be concatenated.
#pragma once

#include <stddef.h>

#include "survey/tally.h"

// The header line's column names.
extern const char counts_table_header[];

// A text cell as RFC 4180 wants it: quoted, with quotes doubled, when it
// holds a comma, a quote or a line break; as it is otherwise.
void quote_csv_cell(const char *cell, char *text, size_t size);
// The shortest decimal that reads back as the same float ("-95.363").
void format_degrees(float degrees, char *text, size_t size);

// Writes a line for every zip index with a location or a matching record,
// in zip order, through a temporary file; the target is replaced only when
// everything was written.  1 or 0 (see data_stream_failure()).
int write_counts_table(const char *path, const TallyQuery *query, const TallyResult *result);
