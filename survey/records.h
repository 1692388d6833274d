// Respondent records and the record store.
#pragma once

#include <stdint.h>

// Field indices of a RespondentRecord, in storage order.  The ten
// demographic answers come last in the record but first in CSV files.
enum RecordField {
    Q10, Q11, Q12, Q14, Q16, Q17, Q18, Q18A, Q18B, Q19,
    Q20, Q21, Q22, Q23, Q26, Q27A, Q27B, Q27C, Q27D, Q27E,
    Q28, Q29, Q32, Q34A, Q34B, Q34C, Q34D, Q34E, Q34F, Q34G,
    Q34I, Q35, Q36, Q37, Q38, Q1, Q2, Q3, Q4, Q5,
    Q6, Q6A, Q7, Q8, Q9,
    RECORD_FIELDS
};

// One respondent: 45 signed 32-bit answer codes, 180 bytes, no padding.
struct RespondentRecord {
    int32_t field[RECORD_FIELDS];
};
static_assert(sizeof(RespondentRecord) == 180, "a record is 180 bytes");

enum {
    RECORD_BYTES = 180,
    STORE_START_CAPACITY = 1320,  // the survey's size; larger data sets grow the store
    ZIP_BASE = 77000,             // zip index = Q32 - ZIP_BASE
    ZIP_SLOTS = 599               // zip indices 0 to 598
};

// A growable, contiguous run of records.  Loads and imports fill one of
// these first and hand it to the store only when the whole file was read,
// so a failed load never touches the data set in use.
struct RecordBuffer {
    RespondentRecord *records;
    int32_t count;
    int32_t capacity;
};

// Gives the buffer room for `capacity` zeroed records; 1 or 0 (no memory).
int buffer_init(RecordBuffer *buffer, int32_t capacity);
// Appends one zeroed record and returns it, growing the buffer as needed;
// null when memory cannot be had (the buffer is then unchanged).
RespondentRecord *buffer_append(RecordBuffer *buffer);
void buffer_free(RecordBuffer *buffer);

// The record store: the data set in use.  Replaced only as a whole.
int32_t record_count(void);
const RespondentRecord *record_data(void);
// Makes the buffer's records the data set; the store takes the buffer's
// storage and leaves the buffer empty.  The previous data set is freed.
void store_replace(RecordBuffer *buffer);
// Frees the store's storage (count 0); for orderly shutdown and tests.
void store_release(void);
// 1 once a data set was given, even one without records, until the store
// is released; so an empty file loaded is told from no file at all.
int store_loaded(void);
// The respondents of each zip index in the data set in use, counted once
// as the store takes it: the most any bar of any query can reach.
const int32_t *area_respondents(void);
