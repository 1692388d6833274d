// The CSV survey data file: a header line, then one respondent per line as
// 45 comma-separated cells in the order Q1..Q9, Q10..Q38.  Import groups
// the age (Q1) and persons (Q14) columns; export writes the stored codes,
// so the two are not inverse for those columns.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "survey/data_stream.h"
#include "survey/records.h"

enum {
    CSV_COLUMNS = 45,
    CSV_LINE_CHARS = 4095,  // without the line end
    CSV_CELL_CHARS = 15,
    // The longest record line: 45 cells of at most 11 characters, each with
    // its comma or, for the last, CR LF.
    CSV_RECORD_LINE_BYTES = CSV_COLUMNS * 12 + 1
};

// What made the last read_csv_records fail with DATA_BAD_FORMAT.
enum CsvProblem {
    CSV_NO_PROBLEM,
    CSV_LINE_TOO_LONG,
    CSV_CELL_TOO_LONG,
    CSV_WRONG_CELL_COUNT,
    CSV_NUL_CHARACTER
};

struct CsvFailure {
    int problem;     // CsvProblem
    int32_t line;    // 1-based; the header is line 1
    int32_t column;  // 1-based, for CSV_CELL_TOO_LONG
    int32_t cells;   // cells found, for CSV_WRONG_CELL_COUNT
};

// Replaces the record store with the file's data lines, each cell read as
// atoi does, ages and persons grouped and "VOID" in Q6A, Q18A and Q18B
// turned into their codes.  The header line and blank lines are skipped,
// and Ctrl-Z bytes at the very end of the file end it.  A NUL byte, in the
// header too, is refused: such a file is no text.  1 on success; 0 on
// failure (data_stream_failure() says why, csv_failure() where for
// DATA_BAD_FORMAT), the store then unchanged.
int read_csv_records(const char *path);
const CsvFailure *csv_failure(void);
// The failure's place and kind in words, e.g. "line 7 has 44 cells, not
// 45"; empty when the last read did not fail on the file's contents.
void describe_csv_failure(char *text, size_t size);

// Writes one record's line, CR LF included, at `out`, which has room for
// CSV_RECORD_LINE_BYTES; returns the end.  The export gathers many lines
// in a block this way before each write.
char *write_csv_record(char *out, const RespondentRecord *record);

// Writes the record store through a temporary file; the target is replaced
// only when everything was written.  1 or 0 (see data_stream_failure()).
int write_csv_records(const char *path);
