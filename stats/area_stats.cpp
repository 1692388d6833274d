#include "stats/area_stats.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "stats/number_format.h"
#include "stats/significance.h"
#include "survey/outside_zips.h"

namespace {

// What the comparison found for one area with respondents.
struct AreaFigures {
    double z, p, p_all;
    double smoothed;  // proportion
    int together;     // Comparison among all areas
};

struct OutsideFigures {
    int32_t zip_code;
    AreaFigures figures;
};

AreaComparison comparison = {COMPARE_TOGETHER, 0, 0};
// The serial of the result compared.
uint32_t compared_serial;
AreaFigures zip_figures[ZIP_SLOTS];
// The zip codes outside the table, in the count's order.
OutsideZips outside_figures = {sizeof(OutsideFigures), nullptr, 0, 0, nullptr};
// Room for the p-values of every area, as Benjamini-Hochberg ranks them.
double *p_values;
double *adjusted;
int32_t *ranks;
int32_t test_room;

// Areas are visited zip indices first, then the outside zip codes.
int32_t area_count(const TallyResult *result)
{
    return ZIP_SLOTS + result->outside_count;
}

void area_counts(const TallyResult *result, int32_t area, int32_t *base, int32_t *matching)
{
    if (area < ZIP_SLOTS) {
        *base = result->bases[area];
        *matching = result->counts[area];
    } else {
        *base = result->outside[area - ZIP_SLOTS].base;
        *matching = result->outside[area - ZIP_SLOTS].count;
    }
}

AreaFigures *area_figures(int32_t area)
{
    if (area < ZIP_SLOTS)
        return &zip_figures[area];
    return &((OutsideFigures *)outside_zip_at(&outside_figures, area - ZIP_SLOTS))->figures;
}

// Figures for every outside zip code and a p-value for every area; 1 or 0.
int make_room(const TallyResult *result)
{
    for (int32_t k = 0; k < result->outside_count; k++)
        if (!outside_zip_entry(&outside_figures, result->outside[k].zip_code))
            return 0;
    int32_t needed = area_count(result);
    if (needed <= test_room)
        return 1;
    if ((size_t)needed > SIZE_MAX / sizeof(double))
        return 0;
    double *more_p = (double *)realloc(p_values, (size_t)needed * sizeof(double));
    if (!more_p)
        return 0;
    p_values = more_p;
    double *more_adjusted = (double *)realloc(adjusted, (size_t)needed * sizeof(double));
    if (!more_adjusted)
        return 0;
    adjusted = more_adjusted;
    int32_t *more_ranks = (int32_t *)realloc(ranks, (size_t)needed * sizeof(int32_t));
    if (!more_ranks)
        return 0;
    ranks = more_ranks;
    test_room = needed;
    return 1;
}

// R. J. Marshall (1991), "Mapping disease and mortality rates using
// empirical Bayes estimators", Applied Statistics 40: 283-294: his global
// estimate by the method of moments, with the binomial variance
// p(1 - p) / n of a share in place of the Poisson one of a rate.  Over
// the k areas with respondents, N of them in all: the spread of the
// shares beyond what chance gives, phi = max(0, s^2 - p(1 - p) / (N / k))
// with s^2 = sum n_i (p_i - p)^2 / N, weighs each share against the
// average by w_i = phi / (phi + p(1 - p) / n_i).
double smoothing_spread(const TallyResult *result, double average)
{
    double areas = 0.0, respondents = 0.0, squares = 0.0;
    for (int32_t area = 0; area < area_count(result); area++) {
        int32_t base, matching;
        area_counts(result, area, &base, &matching);
        if (base <= 0)
            continue;
        double off = (double)matching / base - average;
        areas += 1.0;
        respondents += base;
        squares += base * off * off;
    }
    if (areas == 0.0)
        return 0.0;
    double spread = squares / respondents - average * (1.0 - average) / (respondents / areas);
    return spread > 0.0 ? spread : 0.0;
}

double smoothed_share(int32_t base, int32_t matching, double average, double spread)
{
    // With no spread, or no variance at an average of 0 or 1, every area
    // takes the average.
    double variance = average * (1.0 - average) / base;
    if (spread == 0.0 || variance == 0.0)
        return average;
    double weight = spread / (spread + variance);
    return weight * ((double)matching / base) + (1.0 - weight) * average;
}

void refuse(void)
{
    memset(zip_figures, 0, sizeof zip_figures);
    empty_outside_zips(&outside_figures);
    comparison.areas = 0;
    comparison.refused = 1;
}

void describe_area(const TallyResult *result, int32_t zip_code, int index, int32_t base,
                   int32_t matching, const AreaFigures *figures, AreaRow *row)
{
    memset(row, 0, sizeof *row);
    row->zip_code = zip_code;
    row->index = index;
    row->base = base;
    row->matching = matching;
    row->share = share_percent(matching, base);
    row->average = average_percent(result);
    // An area without respondents has no share to doubt: its cells are empty.
    row->few = base > 0 && base < FEW_RESPONDENTS;
    ShareInterval interval;
    if (!wilson_interval(matching, base, &interval))
        return;
    interval_percents(&interval, &row->low, &row->high);
    // "vs average" is the difference of the two percents shown beside it;
    // whether the area differs is a statistic, judged on exact proportions.
    row->difference = row->share - row->average;
    if (comparison.refused || !figures)
        return;
    row->alone = compare_with_average(&interval, average_share(result));
    row->compared = comparison.mode == COMPARE_ALONE ? row->alone : figures->together;
    row->smoothed = (float)(figures->smoothed * 100.0);
    row->z = figures->z;
    row->p = figures->p;
    row->p_all = figures->p_all;
}

// A count newer than the one compared is compared first, in the same
// mode, so no reader sees the figures of another count.
void follow_count(const TallyResult *result)
{
    if (result->serial != compared_serial)
        compare_areas(result, comparison.mode);
}

// The first zip index from `index` on that gets a row.
int listed_index(const TallyResult *result, ZipLocated located, int index)
{
    while (index < ZIP_SLOTS && result->bases[index] == 0 && !located(index))
        index++;
    return index;
}

}  // namespace

const double false_discovery_rate = 0.05;

// E. B. Wilson (1927), "Probable inference, the law of succession, and
// statistical inference", Journal of the American Statistical Association
// 22: 209-212.  Unlike the Wald interval p +- z sqrt(p(1-p)/n) it stays
// within 0..1 and keeps a width at 0 of n and n of n.
int wilson_interval(int32_t k, int32_t n, ShareInterval *interval)
{
    if (n <= 0 || k < 0 || k > n)
        return 0;
    double p = (double)k / (double)n;
    double z2 = normal_z_95 * normal_z_95;
    double denominator = 1.0 + z2 / n;
    double centre = (p + z2 / (2.0 * n)) / denominator;
    double half = normal_z_95 / denominator * sqrt(p * (1.0 - p) / n + z2 / (4.0 * n * (double)n));
    // At the ends the bound is 0 or 1 exactly; rounding must not move it.
    interval->low = k == 0 ? 0.0 : centre - half;
    interval->high = k == n ? 1.0 : centre + half;
    return 1;
}

void interval_percents(const ShareInterval *interval, float *low, float *high)
{
    *low = (float)(interval->low * 100.0);
    *high = (float)(interval->high * 100.0);
}

int compare_together(double z, double p_all)
{
    if (!(p_all <= false_discovery_rate))
        return COMPARED_NOT_DIFFERENT;
    return z > 0.0 ? COMPARED_ABOVE : COMPARED_BELOW;
}

int compare_with_average(const ShareInterval *interval, double average)
{
    if (interval->low > average)
        return COMPARED_ABOVE;
    if (interval->high < average)
        return COMPARED_BELOW;
    return COMPARED_NOT_DIFFERENT;
}

const char *comparison_text(int compared)
{
    switch (compared) {
    case COMPARED_ABOVE: return "above";
    case COMPARED_BELOW: return "below";
    case COMPARED_NOT_DIFFERENT: return "not different";
    default: return "";
    }
}

double average_share(const TallyResult *result)
{
    return result->filtered > 0 ? (double)result->total / (double)result->filtered : 0.0;
}

float average_percent(const TallyResult *result)
{
    return share_percent(result->total, result->filtered);
}

int compare_areas(const TallyResult *result, int mode)
{
    comparison.mode = mode == COMPARE_ALONE ? COMPARE_ALONE : COMPARE_TOGETHER;
    comparison.refused = 0;
    compared_serial = result->serial;
    empty_outside_zips(&outside_figures);
    if (!make_room(result)) {
        refuse();
        return 0;
    }
    double average = average_share(result);
    double spread = smoothing_spread(result, average);
    // Each area's score test; the areas with respondents are the m tests
    // adjusted together.
    int32_t tests = 0;
    for (int32_t area = 0; area < area_count(result); area++) {
        int32_t base, matching;
        area_counts(result, area, &base, &matching);
        AreaFigures *figures = area_figures(area);
        memset(figures, 0, sizeof *figures);
        if (base <= 0)
            continue;
        figures->z = score_z(matching, base, average);
        figures->p = normal_two_sided_p(figures->z);
        figures->smoothed = smoothed_share(base, matching, average, spread);
        p_values[tests++] = figures->p;
    }
    adjust_benjamini_hochberg(p_values, tests, adjusted, ranks);
    tests = 0;
    for (int32_t area = 0; area < area_count(result); area++) {
        int32_t base, matching;
        area_counts(result, area, &base, &matching);
        if (base <= 0)
            continue;
        AreaFigures *figures = area_figures(area);
        figures->p_all = adjusted[tests++];
        figures->together = compare_together(figures->z, figures->p_all);
    }
    comparison.areas = tests;
    return 1;
}

const AreaComparison *area_comparison(const TallyResult *result)
{
    follow_count(result);
    return &comparison;
}

void area_row_of_index(const TallyResult *result, int index, AreaRow *row)
{
    follow_count(result);
    int in_table = index >= 0 && index < ZIP_SLOTS;
    describe_area(result, ZIP_BASE + index, in_table ? index : -1, in_table ? result->bases[index] : 0,
                  in_table ? result->counts[index] : 0, in_table ? &zip_figures[index] : nullptr, row);
}

void start_area_rows(AreaCursor *cursor, ZipLocated located)
{
    cursor->located = located;
    cursor->next_index = 0;
    cursor->next_outside = 0;
}

int next_area_row(const TallyResult *result, AreaCursor *cursor, AreaRow *row)
{
    follow_count(result);
    cursor->next_index = listed_index(result, cursor->located, cursor->next_index);
    int have_index = cursor->next_index < ZIP_SLOTS;
    int have_outside = cursor->next_outside < result->outside_count;
    if (!have_index && !have_outside)
        return 0;
    if (have_outside &&
        (!have_index || result->outside[cursor->next_outside].zip_code < ZIP_BASE)) {
        int32_t position = cursor->next_outside++;
        const OutsideZip &zip = result->outside[position];
        describe_area(result, zip.zip_code, -1, zip.base, zip.count,
                      position < outside_figures.used ? area_figures(ZIP_SLOTS + position) : nullptr,
                      row);
        return 1;
    }
    area_row_of_index(result, cursor->next_index++, row);
    return 1;
}

int apart_alone_only(const AreaRow *row)
{
    return row->compared == COMPARED_NOT_DIFFERENT && row->alone != COMPARED_NOT_DIFFERENT;
}

void once_all_compared_text(char *text, size_t size)
{
    char areas[32];
    format_count(comparison.areas, areas, sizeof areas);
    snprintf(text, size, "not different once all %s areas are compared", areas);
}
