#include "survey/area_stats.h"

namespace {

// The first zip index from `index` on that gets a row.
int listed_index(const TallyResult *result, ZipLocated located, int index)
{
    while (index < ZIP_SLOTS && result->bases[index] == 0 && !located(index))
        index++;
    return index;
}

}  // namespace

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
        row->zip_code = zip.zip_code;
        row->index = -1;
        row->base = zip.base;
        row->matching = zip.count;
        return 1;
    }
    int index = cursor->next_index++;
    row->zip_code = ZIP_BASE + index;
    row->index = index;
    row->base = result->bases[index];
    row->matching = result->counts[index];
    return 1;
}
