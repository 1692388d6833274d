#include "stats/area_stats.h"

#include <math.h>

#include "stats/number_format.h"
#include "stats/significance.h"

namespace {

// The first zip index from `index` on that gets a row.
int listed_index(const TallyResult *result, ZipLocated located, int index)
{
    while (index < ZIP_SLOTS && result->bases[index] == 0 && !located(index))
        index++;
    return index;
}

void describe_area(const TallyResult *result, int32_t zip_code, int index, int32_t base,
                   int32_t matching, AreaRow *row)
{
    row->zip_code = zip_code;
    row->index = index;
    row->base = base;
    row->matching = matching;
    row->share = share_percent(matching, base);
    row->average = average_percent(result);
    // An area without respondents has no share to doubt: its cells are empty.
    row->few = base > 0 && base < FEW_RESPONDENTS;
    ShareInterval interval;
    if (!wilson_interval(matching, base, &interval)) {
        row->low = row->high = row->difference = 0.0f;
        row->compared = COMPARED_NONE;
        return;
    }
    row->low = (float)(interval.low * 100.0);
    row->high = (float)(interval.high * 100.0);
    // "vs average" is the difference of the two percents shown beside it;
    // whether the area differs is a statistic, judged on exact proportions.
    row->difference = row->share - row->average;
    row->compared = compare_with_average(&interval, average_share(result));
}

}  // namespace

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

void area_row_of_index(const TallyResult *result, int index, AreaRow *row)
{
    int in_table = index >= 0 && index < ZIP_SLOTS;
    describe_area(result, ZIP_BASE + index, in_table ? index : -1,
                  in_table ? result->bases[index] : 0, in_table ? result->counts[index] : 0, row);
}

void start_area_rows(AreaCursor *cursor, ZipLocated located)
{
    cursor->located = located;
    cursor->next_index = 0;
    cursor->next_outside = 0;
}

int next_area_row(const TallyResult *result, AreaCursor *cursor, AreaRow *row)
{
    cursor->next_index = listed_index(result, cursor->located, cursor->next_index);
    int have_index = cursor->next_index < ZIP_SLOTS;
    int have_outside = cursor->next_outside < result->outside_count;
    if (!have_index && !have_outside)
        return 0;
    if (have_outside &&
        (!have_index || result->outside[cursor->next_outside].zip_code < ZIP_BASE)) {
        const OutsideZip &zip = result->outside[cursor->next_outside++];
        describe_area(result, zip.zip_code, -1, zip.base, zip.count, row);
        return 1;
    }
    area_row_of_index(result, cursor->next_index++, row);
    return 1;
}
