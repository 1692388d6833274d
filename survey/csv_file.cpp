#include "survey/csv_file.h"

#include <stdio.h>
#include <string.h>

namespace {

// A whole line with its ends: the longest accepted text, a CR and the LF.
enum { LINE_BYTES = CSV_LINE_CHARS + 2 };
// How much an import reads at a time and an export gathers for one write.
enum { BLOCK_BYTES = 1 << 18 };

const char CTRL_Z = 0x1A;

// Column 0 is Q1; CSV columns put the ten demographic answers first.
int column_field(int column)
{
    return column < 10 ? column + Q1 : column - 10;
}

enum {
    COLUMN_CHILDREN = 6,   // Q6A
    COLUMN_CARE_GOT = 17,  // Q18A
    COLUMN_CARE_WHERE = 18 // Q18B
};

// The codes written as "VOID": the question did not apply.  In column order.
struct VoidCode {
    int column;
    int32_t code;
};
const VoidCode void_codes[] = {{COLUMN_CHILDREN, 11}, {COLUMN_CARE_GOT, 3}, {COLUMN_CARE_WHERE, 6}};
const VoidCode *const void_codes_end = void_codes + sizeof void_codes / sizeof void_codes[0];

const char *const header_pieces[3] = {
    "Q1,Q2,Q3,Q4,Q5,Q6,Q6A,Q7,Q8,Q9,Q10,Q11,Q12,Q14,Q16,Q17,Q18,Q18A,Q18B,",
    "Q19,Q20,Q21,Q22,Q23,Q26,Q27A,Q27B,Q27C,Q27D,Q27E,Q28,Q29,Q32,Q34A,",
    "Q34B,Q34C,Q34D,Q34E,Q34F,Q34G,Q34I,Q35,Q36,Q37,Q38\r\n"};

CsvFailure last_csv_failure;

// The text of the file being read or written.  An import reads behind the
// unfinished line carried over from the read before; the data stream serves
// one file at a time, so import and export share it.
char block[LINE_BYTES + BLOCK_BYTES];

// atoi's reading of the text up to `end` (blanks, sign, digits up to the
// first other character), held at the int32_t limits instead of overflowing.
int32_t cell_number(const char *text, const char *end)
{
    while (text < end && (*text == ' ' || (*text >= '\t' && *text <= '\r')))
        text++;
    int negative = text < end && *text == '-';
    if (text < end && (*text == '-' || *text == '+'))
        text++;
    int64_t value = 0;
    for (; text < end && *text >= '0' && *text <= '9'; text++) {
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

// A cell that is not digits alone: "VOID" in its own columns, otherwise
// atoi's reading.
int32_t cell_value(const char *text, const char *end, int column)
{
    for (const VoidCode *v = void_codes; v < void_codes_end; v++)
        if (v->column == column && end - text == 4 && memcmp(text, "VOID", 4) == 0)
            return v->code;
    return cell_number(text, end);
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

int fail_stream(int failure)
{
    data_stream_close();
    data_stream_set_failure(failure);
    return 0;
}

int fail_format(int problem, int32_t line, int32_t column, int32_t cells)
{
    last_csv_failure.problem = problem;
    last_csv_failure.line = line;
    last_csv_failure.column = column;
    last_csv_failure.cells = cells;
    return fail_stream(DATA_BAD_FORMAT);
}

// A line holding a NUL byte among its first LINE_BYTES bytes is no text;
// one with more bytes than that before any NUL is too long.
int fail_line(const char *line, const char *nul, int32_t number)
{
    if (nul && nul - line < LINE_BYTES)
        return fail_format(CSV_NUL_CHARACTER, number, 0, 0);
    return fail_format(CSV_LINE_TOO_LONG, number, 0, 0);
}

// The length of `text` without the Ctrl-Z bytes at its end.
size_t without_ctrl_z(const char *text, size_t length)
{
    while (length > 0 && text[length - 1] == CTRL_Z)
        length--;
    return length;
}

// Reads the cells of the line [c, stop) into `record` where they stand:
// ages and persons grouped, "VOID" in Q6A, Q18A and Q18B turned into their
// codes.  The byte at `stop` must be no digit: the line end, or a mark put
// there.  1, or 0 with the problem recorded for line `number`.
int store_csv_record(const char *c, const char *stop, int32_t number, RespondentRecord *record)
{
    int32_t cell = 0;
    for (;; cell++) {
        const char *text = c;
        // Most cells are digits alone, read as they are passed.
        uint64_t digits = 0;
        while ((unsigned)(*c - '0') < 10)
            digits = digits * 10 + (unsigned)(*c++ - '0');
        int32_t value = digits > INT32_MAX ? INT32_MAX : (int32_t)digits;
        if (c != stop && *c != ',') {
            while (c < stop && *c != ',')
                c++;
            value = cell_value(text, c, cell);
        }
        // Cells past the 45th are only counted; the count is reported below.
        if (cell < CSV_COLUMNS) {
            if (c - text > CSV_CELL_CHARS)
                return fail_format(CSV_CELL_TOO_LONG, number, cell + 1, 0);
            record->field[column_field(cell)] = value;
        }
        if (c == stop)
            break;
        c++;
    }
    if (cell + 1 != CSV_COLUMNS)
        return fail_format(CSV_WRONG_CELL_COUNT, number, 0, cell + 1);
    record->field[Q1] = age_group(record->field[Q1]);
    record->field[Q14] = persons_group(record->field[Q14]);
    return 1;
}

// Takes the data line [start, stop), its LF left off and no digit at
// `stop`: a blank line is skipped, any other becomes a record.  1, or 0 with
// the failure set.
int take_line(const char *start, const char *stop, int32_t number, RecordBuffer *records)
{
    if (stop > start && stop[-1] == '\r')
        stop--;
    if (stop - start > CSV_LINE_CHARS)
        return fail_format(CSV_LINE_TOO_LONG, number, 0, 0);
    if (stop == start)
        return 1;
    RespondentRecord *record = buffer_append(records);
    if (!record)
        return fail_stream(DATA_NO_MEMORY);
    return store_csv_record(start, stop, number, record);
}

// Reads the open file into `records` a block at a time, taking each line
// where it stands in the block.  1, or 0 with the failure set and the
// stream closed.
int read_lines(RecordBuffer *records)
{
    int32_t number = 1;  // the line being read; the header is line 1
    int in_header = 1;
    // Ctrl-Z bytes were dropped after the carried line: only more of them
    // and the end of the file may follow, or the line is too long.
    int padding = 0;
    size_t kept = 0;  // the unfinished line carried at the start of the block
    for (;;) {
        size_t got;
        if (!data_stream_read_some(block + kept, BLOCK_BYTES, &got))
            return fail_stream(DATA_CANT_READ);
        if (got == 0)
            break;
        const char *next = block;
        const char *end = block + kept + got;
        if (padding) {
            if (without_ctrl_z(block + kept, got) > 0)
                return fail_format(CSV_LINE_TOO_LONG, number, 0, 0);
            continue;
        }
        // The header names the columns and is never data, so nothing in it
        // is looked at but the NUL bytes that say the file is no text.
        if (in_header) {
            const char *lf = (const char *)memchr(next, '\n', (size_t)(end - next));
            const char *stop = lf ? lf : end;
            if (memchr(next, '\0', (size_t)(stop - next)))
                return fail_format(CSV_NUL_CHARACTER, 1, 0, 0);
            if (!lf)
                continue;
            in_header = 0;
            number = 2;
            next = lf + 1;
        }
        const char *nul = (const char *)memchr(next, '\0', (size_t)(end - next));
        const char *lf;
        while ((lf = (const char *)memchr(next, '\n', (size_t)(end - next))) != nullptr) {
            if (nul && nul < lf)
                return fail_line(next, nul, number);
            if (!take_line(next, lf, number, records))
                return 0;
            number++;
            next = lf + 1;
        }
        size_t rest = (size_t)(end - next);
        if (rest > LINE_BYTES) {
            if (nul)
                return fail_line(next, nul, number);
            // Too long, unless what makes it so pads the end of the file.
            rest = without_ctrl_z(next, rest);
            if (rest >= LINE_BYTES)
                return fail_format(CSV_LINE_TOO_LONG, number, 0, 0);
            padding = 1;
        }
        memmove(block, next, rest);
        kept = rest;
    }
    if (in_header)
        return 1;
    // The last line, without a LF.  Ctrl-Z bytes at the very end are the
    // end-of-file mark older tools write, or their padding; not text.
    size_t rest = without_ctrl_z(block, kept);
    if (memchr(block, '\0', rest))
        return fail_format(CSV_NUL_CHARACTER, number, 0, 0);
    block[rest] = '\n';
    return take_line(block, block + rest, number, records);
}

// Writes `value` in decimal at `out`; returns the end.
char *put_number(char *out, int32_t value)
{
    uint32_t magnitude = (uint32_t)value;
    if (value < 0) {
        *out++ = '-';
        magnitude = 0u - magnitude;
    }
    // Most answer codes are a single digit.
    if (magnitude < 10) {
        *out++ = (char)('0' + magnitude);
        return out;
    }
    int length = 2;
    for (uint64_t bound = 100; magnitude >= bound; bound *= 10)
        length++;
    char *end = out + length;
    do {
        *--end = (char)('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    return out + length;
}

}  // namespace

int read_csv_records(const char *path)
{
    memset(&last_csv_failure, 0, sizeof last_csv_failure);
    if (!data_stream_open_read(path))
        return 0;
    // A fresh buffer, handed to the store only when the whole file was read.
    RecordBuffer records;
    if (!buffer_init(&records, STORE_START_CAPACITY))
        return fail_stream(DATA_NO_MEMORY);
    if (!read_lines(&records)) {
        buffer_free(&records);
        return 0;
    }
    data_stream_close();
    store_replace(&records);
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

char *write_csv_record(char *out, const RespondentRecord *record)
{
    const VoidCode *void_code = void_codes;
    for (int column = 0; column < CSV_COLUMNS; column++) {
        int32_t value = record->field[column_field(column)];
        int is_void = 0;
        if (void_code < void_codes_end && void_code->column == column)
            is_void = (void_code++)->code == value;
        if (is_void) {
            memcpy(out, "VOID", 4);
            out += 4;
        } else {
            out = put_number(out, value);
        }
        *out++ = ',';
    }
    out[-1] = '\r';
    *out++ = '\n';
    return out;
}

int write_csv_records(const char *path)
{
    if (!data_stream_create(path))
        return 0;
    char *out = block;
    for (const char *piece : header_pieces) {
        size_t length = strlen(piece);
        memcpy(out, piece, length);
        out += length;
    }
    const RespondentRecord *records = record_data();
    int32_t count = record_count();
    for (int32_t i = 0; i < count; i++) {
        // A failed write has already removed the temporary file.
        if (out - block > BLOCK_BYTES - CSV_RECORD_LINE_BYTES) {
            if (!data_stream_write(block, (size_t)(out - block)))
                return 0;
            out = block;
        }
        out = write_csv_record(out, &records[i]);
    }
    if (!data_stream_write(block, (size_t)(out - block)))
        return 0;
    return data_stream_commit();
}
