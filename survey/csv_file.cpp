#include "survey/csv_file.h"

#include <stdio.h>
#include <string.h>

namespace {

// Room for the longest accepted line, a CR, the LF and the terminator.
enum { LINE_BUFFER_BYTES = CSV_LINE_CHARS + 3 };

const char CTRL_Z = 0x1A;

// Column 0 is Q1; CSV columns put the ten demographic answers first.
int column_field(int column)
{
    return column < 10 ? column + Q1 : column - 10;
}

enum {
    COLUMN_AGE = 0,
    COLUMN_CHILDREN = 6,   // Q6A
    COLUMN_PERSONS = 13,   // Q14
    COLUMN_CARE_GOT = 17,  // Q18A
    COLUMN_CARE_WHERE = 18 // Q18B
};

// The codes written as "VOID": the question did not apply.
struct VoidCode {
    int field;
    int32_t code;
};
const VoidCode void_codes[3] = {{Q6A, 11}, {Q18A, 3}, {Q18B, 6}};

const char *const header_pieces[3] = {
    "Q1,Q2,Q3,Q4,Q5,Q6,Q6A,Q7,Q8,Q9,Q10,Q11,Q12,Q14,Q16,Q17,Q18,Q18A,Q18B,",
    "Q19,Q20,Q21,Q22,Q23,Q26,Q27A,Q27B,Q27C,Q27D,Q27E,Q28,Q29,Q32,Q34A,",
    "Q34B,Q34C,Q34D,Q34E,Q34F,Q34G,Q34I,Q35,Q36,Q37,Q38\r\n"};

CsvFailure last_csv_failure;

// atoi's reading (blanks, sign, digits up to the first other character),
// held at the int32_t limits instead of overflowing.
int32_t cell_number(const char *text)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        text++;
    int negative = *text == '-';
    if (*text == '-' || *text == '+')
        text++;
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; text++) {
        value = value * 10 + (*text - '0');
        if (value > (int64_t)INT32_MAX + 1)
            value = (int64_t)INT32_MAX + 1;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        value = INT32_MAX;
    return (int32_t)value;
}

int32_t age_group(int32_t age)
{
    if (age == 99)
        return 99;
    if (age <= 29)
        return 1;
    if (age >= 90)
        return 8;
    return age / 10 - 1;  // 30-39 gives 2 ... 80-89 gives 7
}

int32_t persons_group(int32_t persons)
{
    if (persons == 99)
        return 99;
    if (persons <= 2)
        return 1;
    if (persons >= 11)
        return 6;
    return (persons + 1) / 2;  // 3-4 gives 2 ... 9-10 gives 5
}

int fail_format(int problem, int32_t line, int32_t column, int32_t cells)
{
    data_stream_close();
    last_csv_failure.problem = problem;
    last_csv_failure.line = line;
    last_csv_failure.column = column;
    last_csv_failure.cells = cells;
    data_stream_set_failure(DATA_BAD_FORMAT);
    return 0;
}

// Reads the next line without its line end into `line`.  1 with a line,
// 0 at the end of the file or on failure (failure then set; *problem says
// when the line is too long or holds a NUL byte, which is no text).
int next_line(char *line, int *problem)
{
    *problem = CSV_NO_PROBLEM;
    int read;
    if (!data_stream_read_line(line, LINE_BUFFER_BYTES, &read))
        return 0;
    size_t length = (size_t)read;
    if (memchr(line, '\0', length)) {
        *problem = CSV_NUL_CHARACTER;
        return 0;
    }
    int had_line_feed = length > 0 && line[length - 1] == '\n';
    // A full buffer without a line feed means the line goes on.
    if (!had_line_feed && length == LINE_BUFFER_BYTES - 1) {
        *problem = CSV_LINE_TOO_LONG;
        return 0;
    }
    // Any other line without a line feed is the file's last; a Ctrl-Z as
    // its last byte is the end-of-file mark older tools write, not text.
    if (!had_line_feed && length > 0 && line[length - 1] == CTRL_Z)
        line[--length] = '\0';
    if (had_line_feed)
        line[--length] = '\0';
    if (length > 0 && line[length - 1] == '\r')
        line[--length] = '\0';
    if (length > CSV_LINE_CHARS) {
        *problem = CSV_LINE_TOO_LONG;
        return 0;
    }
    return 1;
}

// The header names the columns; its contents are never data.  It is
// skipped whole, however long it is and whatever bytes it holds.
void skip_header(char *line)
{
    int read;
    do {
        if (!data_stream_read_line(line, LINE_BUFFER_BYTES, &read))
            return;
    } while (line[read - 1] != '\n');
}

// Splits at every comma into fresh cells.  1, or 0 with the problem
// recorded for line `number`.
int split_line(const char *line, int32_t number, CsvCells *cells)
{
    memset(cells, 0, sizeof *cells);
    int32_t cell = 0;
    int32_t position = 0;
    for (const char *c = line; *c; c++) {
        if (*c == ',') {
            cell++;
            position = 0;
            continue;
        }
        if (cell >= CSV_COLUMNS)
            continue;  // only counted; reported below
        if (position == CSV_CELL_CHARS)
            return fail_format(CSV_CELL_TOO_LONG, number, cell + 1, 0);
        cells->cell[cell][position++] = *c;
    }
    if (cell + 1 != CSV_COLUMNS)
        return fail_format(CSV_WRONG_CELL_COUNT, number, 0, cell + 1);
    return 1;
}

}  // namespace

void store_csv_record(const CsvCells *cells, RespondentRecord *record)
{
    for (int column = 0; column < CSV_COLUMNS; column++) {
        const char *text = cells->cell[column];
        int32_t value = cell_number(text);
        int is_void = strcmp(text, "VOID") == 0;
        switch (column) {
        case COLUMN_AGE: value = age_group(value); break;
        case COLUMN_PERSONS: value = persons_group(value); break;
        case COLUMN_CHILDREN: if (is_void) value = 11; break;
        case COLUMN_CARE_GOT: if (is_void) value = 3; break;
        case COLUMN_CARE_WHERE: if (is_void) value = 6; break;
        default: break;
        }
        record->field[column_field(column)] = value;
    }
}

int read_csv_records(const char *path)
{
    memset(&last_csv_failure, 0, sizeof last_csv_failure);
    if (!data_stream_open_read(path))
        return 0;
    RecordBuffer buffer;
    if (!buffer_init(&buffer, STORE_START_CAPACITY)) {
        data_stream_close();
        data_stream_set_failure(DATA_NO_MEMORY);
        return 0;
    }
    char line[LINE_BUFFER_BYTES];
    CsvCells cells;
    int problem;
    skip_header(line);
    int32_t number = 1;
    for (;;) {
        if (!next_line(line, &problem)) {
            if (problem != CSV_NO_PROBLEM) {
                buffer_free(&buffer);
                return fail_format(problem, number + 1, 0, 0);
            }
            break;
        }
        number++;
        if (line[0] == '\0')
            continue;
        if (!split_line(line, number, &cells)) {
            buffer_free(&buffer);
            return 0;
        }
        RespondentRecord *record = buffer_append(&buffer);
        if (!record) {
            buffer_free(&buffer);
            data_stream_close();
            data_stream_set_failure(DATA_NO_MEMORY);
            return 0;
        }
        store_csv_record(&cells, record);
    }
    // The loop ends at the end of the file or on a read error.
    int failure = data_stream_failure();
    data_stream_close();
    if (failure != DATA_OK) {
        buffer_free(&buffer);
        data_stream_set_failure(failure);
        return 0;
    }
    store_replace(&buffer);
    return 1;
}

const CsvFailure *csv_failure(void)
{
    return &last_csv_failure;
}

void describe_csv_failure(char *text, size_t size)
{
    const CsvFailure *f = &last_csv_failure;
    switch (f->problem) {
    case CSV_LINE_TOO_LONG:
        snprintf(text, size, "line %d is longer than %d characters", (int)f->line,
                 (int)CSV_LINE_CHARS);
        break;
    case CSV_CELL_TOO_LONG:
        snprintf(text, size, "line %d, column %d has more than %d characters", (int)f->line,
                 (int)f->column, (int)CSV_CELL_CHARS);
        break;
    case CSV_NUL_CHARACTER:
        snprintf(text, size, "line %d holds a NUL character", (int)f->line);
        break;
    case CSV_WRONG_CELL_COUNT:
        snprintf(text, size, "line %d has %d cells, not %d", (int)f->line, (int)f->cells,
                 (int)CSV_COLUMNS);
        break;
    default:
        snprintf(text, size, "%s", "");
        break;
    }
}

int write_csv_record(const RespondentRecord *record)
{
    // 45 cells of at most 11 characters, 44 commas, CR LF.
    char text[CSV_COLUMNS * 12 + 2];
    int length = 0;
    for (int column = 0; column < CSV_COLUMNS; column++) {
        int field = column_field(column);
        int32_t value = record->field[field];
        const char *end = column == CSV_COLUMNS - 1 ? "\r\n" : ",";
        int is_void = 0;
        for (const VoidCode &v : void_codes)
            if (v.field == field && v.code == value)
                is_void = 1;
        if (is_void)
            length += snprintf(text + length, sizeof text - length, "VOID%s", end);
        else
            length += snprintf(text + length, sizeof text - length, "%d%s", (int)value, end);
    }
    return data_stream_write(text, (size_t)length);
}

int write_csv_records(const char *path)
{
    if (!data_stream_create(path))
        return 0;
    for (const char *piece : header_pieces)
        if (!data_stream_write(piece, strlen(piece))) {
            data_stream_discard();
            return 0;
        }
    const RespondentRecord *records = record_data();
    int32_t count = record_count();
    for (int32_t i = 0; i < count; i++)
        if (!write_csv_record(&records[i])) {
            data_stream_discard();
            return 0;
        }
    return data_stream_commit();
}
