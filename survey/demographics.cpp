#include "survey/demographics.h"

#include <stdio.h>
#include <string.h>

#include "survey/catalogue.h"

namespace {

constexpr DemographicList lists[DEMOGRAPHIC_LISTS] = {
    {"Age", 0, 10,
     {"All", "18-29", "30-39", "40-49", "50-59", "60-69", "70-79", "80-89", "90 or older",
      "No answer, Refused"},
     {0, 1, 2, 3, 4, 5, 6, 7, 8, 99}},
    {"Sex", 3, 4, {"All", "Male", "Female", "No answer, Refused"}, {0, 1, 2, 9}},
    {"Marital status", 4, 7,
     {"All", "Married", "Living with partner", "Divorced", "Separated", "Single",
      "No answer, Refused"},
     {0, 1, 2, 3, 4, 5, 9}},
    {"Children", 5, 4, {"All", "Yes", "No", "No answer, Refused"}, {0, 1, 2, 9}},
    {"# of Children", 6, 13,
     {"All", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10 or more", "None",
      "No answer, Refused"},
     {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 99}},
    {"Race", 1, 8,
     {"All", "African-American", "Asian/Pacific Islander", "Native American", "White", "Mixed",
      "Other", "No answer, Refused"},
     {0, 1, 2, 3, 4, 5, 6, 9}},
    {"Hispanic", 2, 4, {"All", "Yes", "No", "No answer, Refused"}, {0, 1, 2, 9}},
    {"Income", 7, 13,
     {"All", "None", "$1,000 - $10,000", "$11,000 - $20,000", "$21,000 - $30,000",
      "$31,000 - $40,000", "$41,000 - $50,000", "$51,000 - $60,000", "$61,000 - $71,000",
      "$71,000 - $81,000", "$81,000 - $91,000", "Over $100,000", "No answer, Refused"},
     {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 99}},
    {"Education", 8, 8,
     {"All", "8th grade or less", "Some high school", "High school grad/GED", "Some college",
      "College graduate", "Post-graduate", "No answer, Refused"},
     {0, 1, 2, 3, 4, 5, 6, 9}},
    {"Veteran", 9, 4, {"All", "Yes", "No", "No answer, Refused"}, {0, 1, 2, 9}},
};

// Each list's texts fit its slots, and its codes a lookup table.
constexpr int choices_fit(void)
{
    for (const DemographicList &list : lists) {
        if (list.choice_count < 1 || list.choice_count > MAX_DEMOGRAPHIC_CHOICES)
            return 0;
        for (int c = 0; c < list.choice_count; c++)
            if (list.codes[c] < 0 || list.codes[c] >= LOOKED_UP_CODES)
                return 0;
    }
    return 1;
}
static_assert(choices_fit(), "every list has 1 to MAX_DEMOGRAPHIC_CHOICES texts, coded below LOOKED_UP_CODES");

}  // namespace

const DemographicList *demographic_list(int n)
{
    return n >= 0 && n < DEMOGRAPHIC_LISTS ? &lists[n] : nullptr;
}

int demographic_position(const DemographicList *list, int32_t code)
{
    for (int i = 0; i < list->choice_count; i++)
        if (list->codes[i] == code)
            return i;
    return 0;
}

namespace {

const char *const field_names[DEMOGRAPHIC_LISTS] = {"Q1", "Q2", "Q3", "Q4", "Q5",
                                                    "Q6", "Q6A", "Q7", "Q8", "Q9"};

// The filters in effect in panel order, each as its label, `between` and
// its list text, joined by `joiner`; "all" when there are none.  A code
// no list offers can only come from outside the panel; it is shown as the
// number it is rather than hidden, after the label or, for `by_field`,
// after the field's name.
void join_filters(const int32_t codes[DEMOGRAPHIC_LISTS], const char *between, const char *joiner,
                  int by_field, char *text, size_t size)
{
    if (size == 0)
        return;
    text[0] = '\0';
    size_t used = 0;
    for (const DemographicList &list : lists) {
        int32_t code = codes[list.filter];
        if (code == 0)
            continue;
        char item[96];
        const char *join = used ? joiner : "";
        int position = demographic_position(&list, code);
        if (position != 0)
            snprintf(item, sizeof item, "%s%s%s%s", join, list.label, between, list.texts[position]);
        else
            snprintf(item, sizeof item, "%s%s%s%d", join,
                     by_field ? field_names[list.filter] : list.label, between, (int)code);
        snprintf(text + used, size - used, "%s", item);
        used = strlen(text);
    }
    if (used == 0)
        snprintf(text, size, "%s", "all");
}

}  // namespace

void describe_filters(const int32_t codes[DEMOGRAPHIC_LISTS], char *text, size_t size)
{
    join_filters(codes, " ", ", ", 0, text, size);
}

void format_filter_settings(const int32_t codes[DEMOGRAPHIC_LISTS], char *text, size_t size)
{
    join_filters(codes, "=", "; ", 1, text, size);
}

const char *filter_field_name(int filter)
{
    return filter >= 0 && filter < DEMOGRAPHIC_LISTS ? field_names[filter] : nullptr;
}
