// The areas of the last count as one table: a row per zip code with its
// base, its count and how sure its share is, each area compared with the
// average alone or all together, and its share smoothed toward the
// average.  Export Counts, the Areas panel, the readout, the bar colors
// and the legend take each area's statistics from here, and the average
// too, so they agree.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "survey/tally.h"

enum {
    FEW_RESPONDENTS = 30  // a base under this is flagged, as agencies flag small samples
};

// How an area's share compares with the average.
enum Comparison {
    COMPARED_NONE,           // no respondents: no share to compare
    COMPARED_ABOVE,          // it stands clearly above the average
    COMPARED_BELOW,          // clearly below it
    COMPARED_NOT_DIFFERENT   // by no more than chance explains
};

// What sets an area apart from the average.
enum CompareMode {
    // Every area with respondents at once: its Benjamini-Hochberg adjusted
    // p-value lies under false_discovery_rate.
    COMPARE_TOGETHER,
    // Each area alone: its 95% interval excludes the average.
    COMPARE_ALONE
};

// The share of "above" and "below" among all areas compared together that
// may be there by chance alone.
extern const double false_discovery_rate;
// An area compared together (Comparison), from its score statistic and its
// adjusted p-value: apart from the average when that is at most
// false_discovery_rate, as Benjamini and Hochberg reject p(i) <= i q / m.
int compare_together(double z, double p_all);

// A 95% interval of a share, as proportions 0..1.
struct ShareInterval {
    double low, high;
};
// The Wilson score interval of k of n; 1, or 0 when n is not positive or
// k lies outside 0..n.
int wilson_interval(int32_t k, int32_t n, ShareInterval *interval);
// An interval in percent, single precision as every percent shown.
void interval_percents(const ShareInterval *interval, float *low, float *high);
// Where the interval lies against an average proportion (Comparison).
int compare_with_average(const ShareInterval *interval, double average);
// "above", "below", "not different", or "" for COMPARED_NONE.
const char *comparison_text(int compared);

// The average: the share of all respondents passing the filters who
// gave the answer, over every zip code; 0 when none passes.  As the exact
// proportion, and in percent as shown (share_percent).
double average_share(const TallyResult *result);
float average_percent(const TallyResult *result);

// Compares every area of the count with the average in `mode`
// (CompareMode) and smooths its share, from the counts alone.  The readers
// below compare a later count (another serial) by themselves, in the mode
// last chosen; a result made by hand (serial 0) is compared only here.  1,
// or 0 when no memory was left for the zip codes outside the map: then no
// area is compared (refused) rather than one left out.
int compare_areas(const TallyResult *result, int mode);

struct AreaComparison {
    int mode;       // CompareMode
    int32_t areas;  // the areas with respondents, those outside the map among them
    int refused;    // no memory for the zip codes outside the map
};
// The comparison of `result`.
const AreaComparison *area_comparison(const TallyResult *result);

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
    int few;           // base of 1 up to FEW_RESPONDENTS - 1
    // Comparison in the mode compared in, and of the interval alone; both
    // of the exact proportions.  The figures below are 0 where compared is
    // COMPARED_NONE.
    int compared;
    int alone;
    float smoothed;  // the smoothed share in percent
    double z;        // the score statistic of the share against the average
    double p;        // its two-sided p-value
    double p_all;    // that p-value adjusted over every area compared together
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

// 1 when the area's own 95% interval excludes the average but comparing
// all areas together does not set it apart.
int apart_alone_only(const AreaRow *row);
// "not different once all 116 areas are compared"
void once_all_compared_text(char *text, size_t size);
