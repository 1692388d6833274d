#include "stats/counts_file.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "gis/zip_table.h"
#include "stats/area_stats.h"
#include "stats/readout.h"
#include "survey/data_stream.h"

namespace {

// Every text cell quoted may double in length, plus the quotes.
enum { QUOTED_BYTES = 2 * FILTER_TEXT_BYTES + 2, LINE_BYTES = 4 * QUOTED_BYTES };

// A line of the table, built in place: the whole survey's table is tens
// of thousands of lines, too many to format each through printf.
struct TableLine {
    char text[LINE_BYTES];
    size_t used;
};

// The cells never come near the line's size; were one to, it is cut, and
// the CR LF still fits.
void put_bytes(TableLine *line, const char *bytes, size_t length)
{
    size_t room = sizeof line->text - 2 - line->used;
    if (length > room)
        length = room;
    memcpy(line->text + line->used, bytes, length);
    line->used += length;
}

void put_cell(TableLine *line, char separator, const char *text)
{
    put_bytes(line, &separator, 1);
    put_bytes(line, text, strlen(text));
}

void put_number_cell(TableLine *line, char separator, int32_t number)
{
    char text[16];
    char *at = text + sizeof text;
    *--at = '\0';
    uint32_t magnitude = number < 0 ? 0u - (uint32_t)number : (uint32_t)number;
    do {
        *--at = (char)('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    if (number < 0)
        *--at = '-';
    put_cell(line, separator, at);
}

// A share, empty where it has nothing to be a share of.
void put_share_cell(TableLine *line, char separator, int32_t part, int32_t whole)
{
    char text[32] = "";
    if (whole != 0)
        format_percent(part, whole, text, sizeof text);
    put_cell(line, separator, text);
}

// A percent of the row's statistics, empty where the area has no base.
void put_statistic_cell(TableLine *line, char separator, const AreaRow *row, float percent)
{
    char text[32] = "";
    if (row->base != 0)
        format_percent_value(percent, 2, 0, text, sizeof text);
    put_cell(line, separator, text);
}

// A figure of the row's comparison, empty where the area was not compared:
// a percent or z with two decimals, or a p-value (`decimals` 0) with four
// significant digits, so that the smallest keep theirs ("3.2e-05").
void put_comparison_cell(TableLine *line, char separator, const AreaRow *row, double value, int decimals)
{
    char text[32] = "";
    if (row->compared != COMPARED_NONE) {
        if (decimals > 0)
            format_percent_value((float)value, decimals, 0, text, sizeof text);
        else
            format_p_value(value, text, sizeof text);
    }
    put_cell(line, separator, text);
}

// The zip table's coordinates as the table writes them, worked out once.
struct ZipPlace {
    char longitude[24];
    char latitude[24];
};

const ZipPlace *zip_place(int index)
{
    static ZipPlace places[ZIP_SLOTS];
    static int ready;
    if (!ready) {
        for (int i = 0; i < ZIP_SLOTS; i++) {
            if (!zip_has_location(i))
                continue;
            format_degrees(zip_longitude(i), places[i].longitude, sizeof places[i].longitude);
            format_degrees(zip_latitude(i), places[i].latitude, sizeof places[i].latitude);
        }
        ready = 1;
    }
    return &places[index];
}

}  // namespace

const char counts_table_header[] =
    "question,answer,filters,zip_code,longitude,latitude,respondents,matching,"
    "percent_of_area,percent_of_total,interval_low_95,interval_high_95,percent_average,"
    "difference_points,compared,percent_smoothed,z_score,p_value,p_value_all";

void quote_cell(const char *cell, char separator, char *text, size_t size)
{
    if (size == 0)
        return;
    const char specials[] = {separator, '"', '\r', '\n', '\0'};
    if (!strpbrk(cell, specials)) {
        snprintf(text, size, "%s", cell);
        return;
    }
    size_t used = 0;
    text[used++] = '"';
    for (const char *c = cell; *c && used + 3 < size; c++) {
        if (*c == '"')
            text[used++] = '"';
        text[used++] = *c;
    }
    text[used++] = '"';
    text[used] = '\0';
}

void format_degrees(float degrees, char *text, size_t size)
{
    // Nine significant digits always read back as the same float.
    for (int digits = 1; digits <= 9; digits++) {
        snprintf(text, size, "%.*g", digits, (double)degrees);
        if (strtof(text, nullptr) == degrees)
            return;
    }
}

int emit_counts_table(const TallyQuery *query, const TallyResult *result, char separator,
                      CountsLineSink emit, void *context)
{
    // A count, or a comparison, refused for want of memory has no lines to
    // hand out.
    if (result->refused || area_comparison(result)->refused) {
        data_stream_set_failure(DATA_NO_MEMORY);
        return 0;
    }
    QueryText words;
    describe_query(query, &words);
    // The filters as settings rather than the legend's words, so the cell
    // splits back into the filters it was counted for.
    char settings[FILTER_TEXT_BYTES];
    format_filter_settings(&query->field[FIRST_DEMOGRAPHIC_FIELD], settings, sizeof settings);
    char question[QUOTED_BYTES], answer[QUOTED_BYTES], filters[QUOTED_BYTES];
    quote_cell(words.question, separator, question, sizeof question);
    quote_cell(words.answer, separator, answer, sizeof answer);
    quote_cell(settings, separator, filters, sizeof filters);

    TableLine line;
    line.used = 0;
    put_bytes(&line, counts_table_header, strlen(counts_table_header));
    // The column names hold no separator of either kind.
    for (size_t c = 0; c < line.used; c++)
        if (line.text[c] == ',')
            line.text[c] = separator;
    memcpy(line.text + line.used, "\r\n", 2);
    if (!emit(context, line.text, line.used + 2))
        return 0;
    const char s = separator;
    AreaCursor cursor;
    start_area_rows(&cursor, zip_has_location);
    AreaRow row;
    while (next_area_row(result, &cursor, &row)) {
        line.used = 0;
        put_bytes(&line, question, strlen(question));
        put_cell(&line, s, answer);
        put_cell(&line, s, filters);
        put_number_cell(&line, s, row.zip_code);
        int located = row.index >= 0 && zip_has_location(row.index);
        put_cell(&line, s, located ? zip_place(row.index)->longitude : "");
        put_cell(&line, s, located ? zip_place(row.index)->latitude : "");
        put_number_cell(&line, s, row.base);
        put_number_cell(&line, s, row.matching);
        put_share_cell(&line, s, row.matching, row.base);
        put_share_cell(&line, s, row.matching, result->total);
        put_statistic_cell(&line, s, &row, row.low);
        put_statistic_cell(&line, s, &row, row.high);
        put_statistic_cell(&line, s, &row, row.average);
        put_statistic_cell(&line, s, &row, row.difference);
        put_cell(&line, s, comparison_text(row.compared));
        put_comparison_cell(&line, s, &row, row.smoothed, 2);
        put_comparison_cell(&line, s, &row, row.z, 2);
        put_comparison_cell(&line, s, &row, row.p, 0);
        put_comparison_cell(&line, s, &row, row.p_all, 0);
        memcpy(line.text + line.used, "\r\n", 2);
        if (!emit(context, line.text, line.used + 2))
            return 0;
    }
    return 1;
}

int write_counts_line(void *, const char *line, size_t length)
{
    return data_stream_write(line, length);
}

int write_counts_table(const char *path, const TallyQuery *query, const TallyResult *result)
{
    if (!data_stream_create(path))
        return 0;
    if (!emit_counts_table(query, result, ',', write_counts_line, nullptr)) {
        data_stream_discard();
        return 0;
    }
    return data_stream_commit();
}
