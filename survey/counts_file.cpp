#include "survey/counts_file.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "gis/zip_table.h"
#include "survey/area_stats.h"
#include "survey/data_stream.h"
#include "survey/readout.h"

namespace {

// Every text cell quoted may double in length, plus the quotes.
enum { QUOTED_BYTES = 2 * FILTER_TEXT_BYTES + 2, LINE_BYTES = 4 * QUOTED_BYTES };

// An empty cell where a share has nothing to be a share of.
void share_cell(int32_t part, int32_t whole, char *text, size_t size)
{
    if (whole == 0)
        text[0] = '\0';
    else
        format_percent(part, whole, text, size);
}

// A percent of the row's statistics; empty where the area has no base.
void statistic_cell(const AreaRow *row, float percent, char *text, size_t size)
{
    if (row->base == 0)
        text[0] = '\0';
    else
        format_percent_value(percent, 2, 0, text, size);
}

}  // namespace

const char counts_table_header[] =
    "question,answer,filters,zip_code,longitude,latitude,respondents,matching,"
    "percent_of_area,percent_of_total,interval_low_95,interval_high_95,percent_average,"
    "difference_points,compared";

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
    // Lines that do not add up to the totals are not handed out at all.
    if (result->outside_lost > 0) {
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

    char line[LINE_BYTES];
    int length = snprintf(line, sizeof line, "%s\r\n", counts_table_header);
    // The column names hold no separator of either kind.
    for (int c = 0; c < length; c++)
        if (line[c] == ',')
            line[c] = separator;
    if (!emit(context, line, (size_t)length))
        return 0;
    const char s = separator;
    AreaCursor cursor;
    start_area_rows(&cursor, zip_has_location);
    AreaRow row;
    while (next_area_row(result, &cursor, &row)) {
        char longitude[24] = "", latitude[24] = "", of_area[16], of_total[16];
        if (zip_has_location(row.index)) {
            format_degrees(zip_longitude(row.index), longitude, sizeof longitude);
            format_degrees(zip_latitude(row.index), latitude, sizeof latitude);
        }
        share_cell(row.matching, row.base, of_area, sizeof of_area);
        share_cell(row.matching, result->total, of_total, sizeof of_total);
        char low[16], high[16], average[16], difference[16];
        statistic_cell(&row, row.low, low, sizeof low);
        statistic_cell(&row, row.high, high, sizeof high);
        statistic_cell(&row, row.average, average, sizeof average);
        statistic_cell(&row, row.difference, difference, sizeof difference);
        length = snprintf(line, sizeof line,
                          "%s%c%s%c%s%c%d%c%s%c%s%c%d%c%d%c%s%c%s%c%s%c%s%c%s%c%s%c%s\r\n", question, s,
                          answer, s, filters, s, (int)row.zip_code, s, longitude, s, latitude, s,
                          (int)row.base, s, (int)row.matching, s, of_area, s, of_total, s, low, s,
                          high, s, average, s, difference, s, comparison_text(row.compared));
        if (!emit(context, line, (size_t)length))
            return 0;
    }
    return 1;
}

namespace {

int write_to_data_stream(void *, const char *line, size_t length)
{
    return data_stream_write(line, length);
}

}  // namespace

int write_counts_table(const char *path, const TallyQuery *query, const TallyResult *result)
{
    if (!data_stream_create(path))
        return 0;
    if (!emit_counts_table(query, result, ',', write_to_data_stream, nullptr)) {
        data_stream_discard();
        return 0;
    }
    return data_stream_commit();
}
