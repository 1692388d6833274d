// What the map shows, in numbers and words: the height of each bar, the
// legend's lines and the readout of one area.  Built from the query, the
// catalogue, the demographic lists and the result of the last count; the
// legend of a count over no records also asks whether a survey was loaded.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "stats/number_format.h"
#include "survey/demographics.h"
#include "survey/tally.h"

enum BarMode {
    BARS_COUNT,    // one block per matching respondent, or per block_scale of them
    BARS_SHARE,    // one block per 5% of the area's base
    BARS_SMOOTHED  // the share smoothed toward the average, on the same scale
};

// How the bars are colored.
enum BarColors {
    COLORS_PLAIN,   // every bar grey
    COLORS_AVERAGE  // bars above the average in one hue, those below in another
};

enum {
    SHARE_BLOCKS = 20,  // blocks of a bar whose share is 100%
    COUNT_BLOCKS = 100, // the most blocks a count bar of any data set reaches
    LOW_BASE = 5,       // a share over fewer respondents than this is unreliable
    LEGEND_LINES = 7,
    LEGEND_LINE_BYTES = FILTER_TEXT_BYTES + 32,
    READOUT_BYTES = 320
};

// The respondents one block of a count bar stands for: the least of 1, 2,
// 5, 10, 20, 50, 100, ... that keeps the located area with the most
// respondents at or under COUNT_BLOCKS blocks.  Taken from a data set's
// areas (area_respondents), not from a count, so it holds while answers and
// filters change.
int32_t block_scale(const int32_t respondents[ZIP_SLOTS]);

// The bar height of a zip index in blocks: its count at one block per
// `scale` respondents, or in share mode its count over its base at one
// block per 5% (0 for an empty base), or its smoothed share (area_stats)
// on that scale.
float bar_height(const TallyResult *result, int mode, int32_t scale, int index);
void bar_heights(const TallyResult *result, int mode, int32_t scale, float heights[ZIP_SLOTS]);
// 1 when the bar's share rests on too few respondents to be read as one
// (share mode only).
int low_base(const TallyResult *result, int mode, int index);

// The question as the Question panel shows it, the answer's text and the
// filters in effect ("all" for none), from the query alone.
struct QueryText {
    char question[160];
    char answer[80];
    char filters[FILTER_TEXT_BYTES];
};
void describe_query(const TallyQuery *query, QueryText *text);

struct LegendText {
    int line_count;
    char line[LEGEND_LINES][LEGEND_LINE_BYTES];
};
// The legend: question, answer, respondents, total and what a block stands
// for (`scale` respondents in count mode), the low-base look in share
// mode, what the colors mean (`colors`, BarColors) as the areas were last
// compared, and the selected area (`selected` -1 for none).
void build_legend(const TallyQuery *query, const TallyResult *result, int mode, int32_t scale,
                  int colors, int selected, LegendText *legend);

// What the map says about one zip index, whatever the bars show: "77004:
// 43 of 921 matching (4.67% of all matching)", and where the area has
// respondents a line for its share and 95% interval, a line for its
// smoothed share against the average as last compared, then "few
// respondents" under a base of FEW_RESPONDENTS.
void area_readout(const TallyResult *result, int index, char *text, size_t size);
