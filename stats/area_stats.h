// The areas of the last count as one table: a row per zip code with its
// base, its count and how sure its share is.  Export Counts, the Areas
// panel, the readout and the bar colors take each area's statistics from
// here, and they and the legend take the average from here, so they agree.
#pragma once

#include <stdint.h>

#include "survey/tally.h"

enum {
    FEW_RESPONDENTS = 30  // a base under this is flagged, as agencies flag small samples
};

// How an area's share compares with the average.
enum Comparison {
    COMPARED_NONE,           // no respondents: no share to compare
    COMPARED_ABOVE,          // its 95% interval lies wholly above the average
    COMPARED_BELOW,          // wholly below it
    COMPARED_NOT_DIFFERENT   // the interval holds or touches the average
};

// A 95% interval of a share, as proportions 0..1.
struct ShareInterval {
    double low, high;
};
// The Wilson score interval of k of n; 1, or 0 when n is not positive or
// k lies outside 0..n.
int wilson_interval(int32_t k, int32_t n, ShareInterval *interval);
// Where the interval lies against an average proportion (Comparison).
int compare_with_average(const ShareInterval *interval, double average);
// "above", "below", "not different", or "" for COMPARED_NONE.
const char *comparison_text(int compared);

// The average: the share of all respondents passing the filters who
// gave the answer, over every zip code; 0 when none passes.  As the exact
// proportion, and in percent as shown (share_percent).
double average_share(const TallyResult *result);
float average_percent(const TallyResult *result);

struct AreaRow {
    int32_t zip_code;
    int index;  // zip index, -1 for a zip code outside 77000..77598
    int32_t base;
    int32_t matching;
    // Percents as shown; meaningful only with a base.
    float share;       // matching of base
    float low, high;   // the share's 95% interval
    float average;     // the average in percent
    float difference;  // share - average as shown, in percentage points
    int compared;      // Comparison, of the exact proportions
    int few;           // base of 1 up to FEW_RESPONDENTS - 1
};

// The row of any zip index (listed or not).
void area_row_of_index(const TallyResult *result, int index, AreaRow *row);

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
