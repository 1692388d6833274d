#include "stats/readout.h"

#include <stdio.h>
#include <string.h>

#include "gis/zip_table.h"
#include "stats/area_stats.h"
#include "survey/catalogue.h"
#include "survey/records.h"

namespace {

int in_table(int index)
{
    return index >= 0 && index < ZIP_SLOTS;
}

// The catalogue entry whose field the query constrains; null when none is.
const QuestionEntry *asked_question(const TallyQuery *query, int32_t *code)
{
    for (int q = 0; q < CATALOGUE_SIZE; q++) {
        int field = question_field(q);
        if (query->field[field] != 0) {
            *code = query->field[field];
            return catalogue_entry(q);
        }
    }
    return nullptr;
}

// What one block of a bar stands for, in the legend's words.
const char *block_words(int mode, int32_t scale, char *text, size_t size)
{
    if (mode == BARS_SHARE)
        return "one block per 5% of the area's respondents";
    if (mode == BARS_SMOOTHED)
        return "share of the area's respondents, smoothed toward the average where few answered";
    if (scale <= 1)
        return "one block per respondent";
    char per[32];
    format_count(scale, per, sizeof per);
    snprintf(text, size, "one block per %s respondents", per);
    return text;
}

}  // namespace

int32_t block_scale(const int32_t respondents[ZIP_SLOTS])
{
    // Only an area with a location has a bar to keep in view.
    int32_t largest = 0;
    for (int i = 0; i < ZIP_SLOTS; i++)
        if (zip_has_location(i) && respondents[i] > largest)
            largest = respondents[i];
    // In 64 bits, so the steps past the largest int32_t cannot overflow.
    static const int64_t steps[3] = {1, 2, 5};
    for (int64_t power = 1;; power *= 10)
        for (int64_t step : steps)
            if (step * power * COUNT_BLOCKS >= largest)
                return (int32_t)(step * power);
}

float bar_height(const TallyResult *result, int mode, int32_t scale, int index)
{
    if (!in_table(index))
        return 0.0f;
    int32_t count = result->counts[index];
    if (mode == BARS_COUNT)
        return scale > 1 ? (float)((double)count / (double)scale) : (float)count;
    int32_t base = result->bases[index];
    if (mode == BARS_SMOOTHED) {
        AreaRow row;
        area_row_of_index(result, index, &row);
        return row.smoothed * (SHARE_BLOCKS / 100.0f);
    }
    return base > 0 ? (float)((double)count * SHARE_BLOCKS / (double)base) : 0.0f;
}

void bar_heights(const TallyResult *result, int mode, int32_t scale, float heights[ZIP_SLOTS])
{
    for (int i = 0; i < ZIP_SLOTS; i++)
        heights[i] = bar_height(result, mode, scale, i);
}

int low_base(const TallyResult *result, int mode, int index)
{
    return mode == BARS_SHARE && in_table(index) && result->bases[index] < LOW_BASE;
}

void describe_query(const TallyQuery *query, QueryText *text)
{
    int32_t code = 0;
    const QuestionEntry *entry = asked_question(query, &code);
    snprintf(text->question, sizeof text->question, "%s", entry ? entry->text : "Any question");
    snprintf(text->answer, sizeof text->answer, "%s", "any");
    if (entry) {
        snprintf(text->answer, sizeof text->answer, "code %d", (int)code);
        for (int a = 0; a < entry->answer_count; a++)
            if (entry->answers[a].code == code)
                snprintf(text->answer, sizeof text->answer, "%s", entry->answers[a].text);
    }
    int32_t filters[DEMOGRAPHIC_FIELDS];
    for (int i = 0; i < DEMOGRAPHIC_FIELDS; i++)
        filters[i] = query->field[FIRST_DEMOGRAPHIC_FIELD + i];
    describe_filters(filters, text->filters, sizeof text->filters);
}

void build_legend(const TallyQuery *query, const TallyResult *result, int mode, int32_t scale,
                  int colors, int selected, LegendText *legend)
{
    QueryText words;
    describe_query(query, &words);
    char total[32], records[32], filtered[32], per_block[64];
    format_count(result->total, total, sizeof total);
    format_count(result->records, records, sizeof records);
    format_count(result->filtered, filtered, sizeof filtered);
    int filtering = 0;
    for (int i = 0; i < DEMOGRAPHIC_FIELDS; i++)
        filtering = filtering || query->field[FIRST_DEMOGRAPHIC_FIELD + i] != 0;
    const AreaComparison *comparison = area_comparison(result);
    int n = 0;
    snprintf(legend->line[n++], LEGEND_LINE_BYTES, "%s", words.question);
    snprintf(legend->line[n++], LEGEND_LINE_BYTES, "Answer: %s", words.answer);
    snprintf(legend->line[n++], LEGEND_LINE_BYTES, "Respondents: %s", words.filters);
    if (result->records == 0)
        snprintf(legend->line[n++], LEGEND_LINE_BYTES, "%s",
                 store_loaded() ? "The loaded survey holds no respondents"
                                : "No survey loaded: File > Load Data.., or drop a file here");
    else if (result->refused)
        snprintf(legend->line[n++], LEGEND_LINE_BYTES, "%s",
                 "Not counted: no memory left for the zip codes outside the map");
    // Under filters the average is a share of those passing them, so the
    // line names that base.
    else if (filtering)
        snprintf(legend->line[n++], LEGEND_LINE_BYTES,
                 "%s of %s respondents passing the filters match (%s loaded); bars: %s", total, filtered,
                 records, block_words(mode, scale, per_block, sizeof per_block));
    else
        snprintf(legend->line[n++], LEGEND_LINE_BYTES, "%s of %s respondents match; bars: %s",
                 total, records, block_words(mode, scale, per_block, sizeof per_block));
    if (mode == BARS_SHARE)
        snprintf(legend->line[n++], LEGEND_LINE_BYTES,
                 "Faint bars: fewer than %d respondents in the area", (int)LOW_BASE);
    if (comparison->refused) {
        snprintf(legend->line[n++], LEGEND_LINE_BYTES, "%s",
                 "Not compared: no memory left for the zip codes outside the map");
    } else if (colors == COLORS_AVERAGE) {
        char average[16], areas[32];
        format_percent_value(average_percent(result), 1, 0, average, sizeof average);
        format_count(comparison->areas, areas, sizeof areas);
        if (comparison->mode == COMPARE_ALONE)
            snprintf(legend->line[n++], LEGEND_LINE_BYTES,
                     "orange: above the %s%% average (each area alone, 95%% interval); purple: below",
                     average);
        else
            snprintf(legend->line[n++], LEGEND_LINE_BYTES,
                     "orange: above the %s%% average (%s area%s compared together, %d%% false "
                     "discoveries); purple: below",
                     average, areas, comparison->areas == 1 ? "" : "s",
                     (int)(false_discovery_rate * 100.0 + 0.5));
    }
    if (in_table(selected)) {
        char count[32], share[16];
        format_count(result->counts[selected], count, sizeof count);
        format_percent(result->counts[selected], result->total, share, sizeof share);
        int used = snprintf(legend->line[n], LEGEND_LINE_BYTES, "Selected: %d, %s (%s%%)",
                            ZIP_BASE + selected, count, share);
        if (mode != BARS_COUNT) {
            char base[32];
            format_count(result->bases[selected], base, sizeof base);
            format_percent(result->counts[selected], result->bases[selected], share, sizeof share);
            snprintf(legend->line[n] + used, LEGEND_LINE_BYTES - used, "; %s of %s in the area (%s%%)",
                     count, base, share);
        }
        n++;
    }
    legend->line_count = n;
}

void area_readout(const TallyResult *result, int index, char *text, size_t size)
{
    snprintf(text, size, "%s", "");
    if (!in_table(index))
        return;
    AreaRow row;
    area_row_of_index(result, index, &row);
    char count[32], total[32], base[32], share[16];
    format_count(row.matching, count, sizeof count);
    format_count(result->total, total, sizeof total);
    format_percent(row.matching, result->total, share, sizeof share);
    int n = snprintf(text, size, "%d: %s of %s matching (%s%% of all matching)", (int)row.zip_code, count,
                     total, share);
    if (row.base == 0 || n < 0 || (size_t)n >= size)
        return;
    size_t used = (size_t)n;
    char low[16], high[16];
    format_count(row.base, base, sizeof base);
    format_percent(row.matching, row.base, share, sizeof share);
    format_percent_value(row.low, 1, 0, low, sizeof low);
    format_percent_value(row.high, 1, 0, high, sizeof high);
    n = snprintf(text + used, size - used, "\r\n%s of %s respondents in the area (%s%%), 95%% interval %s\x96%s%%",
                 count, base, share, low, high);
    if (n < 0 || used + (size_t)n >= size)
        return;
    used += (size_t)n;
    if (row.compared != COMPARED_NONE) {
        char smoothed[16], average[16], against[96];
        format_percent_value(row.smoothed, 1, 0, smoothed, sizeof smoothed);
        format_percent_value(row.average, 1, 0, average, sizeof average);
        if (apart_alone_only(&row))
            once_all_compared_text(against, sizeof against);
        else
            snprintf(against, sizeof against, "%s%s the %s%% average", comparison_text(row.compared),
                     row.compared == COMPARED_NOT_DIFFERENT ? " from" : "", average);
        n = snprintf(text + used, size - used, "\r\nsmoothed %s%%; %s", smoothed, against);
        if (n < 0 || used + (size_t)n >= size)
            return;
        used += (size_t)n;
    }
    if (row.few)
        snprintf(text + used, size - used, "%s", "\r\nfew respondents");
}
