// The ten demographic lists: what each one is called, the filter it sets,
// and the text and answer code of every list position.
#pragma once

#include <stddef.h>
#include <stdint.h>

enum {
    DEMOGRAPHIC_LISTS = 10,
    MAX_DEMOGRAPHIC_CHOICES = 13,
    FILTER_TEXT_BYTES = 512  // room for all ten filters with their longest texts
};

struct DemographicList {
    const char *label;
    int filter;  // 0..9: query field 35 + filter
    int choice_count;
    const char *texts[MAX_DEMOGRAPHIC_CHOICES];
    int32_t codes[MAX_DEMOGRAPHIC_CHOICES];  // the code of each list position; "All" is 0
};

// List 0..9, in the order the Demographics panel shows them; null outside.
const DemographicList *demographic_list(int n);
// The list position of a code; 0 ("All") for a code the list lacks.
int demographic_position(const DemographicList *list, int32_t code);
// The filters in effect with their list texts, in panel order
// ("Age 18-29, Sex Female"), or "all" when there are none.  `codes` are the
// ten filter fields.
void describe_filters(const int32_t codes[DEMOGRAPHIC_LISTS], char *text, size_t size);
// The same filters as settings a program can split and read back, each as
// quorvel-counts' --filter takes it: "Age=18-29; Sex=Female", or "all".
void format_filter_settings(const int32_t codes[DEMOGRAPHIC_LISTS], char *text, size_t size);
// The record field a filter constrains: "Q1" .. "Q9", "Q6A"; null outside 0..9.
const char *filter_field_name(int filter);
