// The questionnaire catalogue: the 34 questions a user can count by.
#pragma once

#include <stddef.h>
#include <stdint.h>

enum {
    CATALOGUE_SIZE = 34,
    MAX_ANSWERS = 13,
    QUESTION_TEXT_BYTES = 160,
    ANSWER_TEXT_BYTES = 80,
    LOOKED_UP_CODES = 128  // the codes a lookup table holds: every answer's and list's
};

struct AnswerSlot {
    char text[ANSWER_TEXT_BYTES];
    int32_t code;
};

struct QuestionEntry {
    char text[QUESTION_TEXT_BYTES];
    AnswerSlot answers[MAX_ANSWERS];  // slots past answer_count are zero
    int32_t answer_count;
};

// Entry at catalogue index 0..33; null outside that range.
const QuestionEntry *catalogue_entry(int index);
// The record field that answers the question at a catalogue index: the
// index itself for 0..21, index + 1 for 22..33 (the zip code Q32 is skipped).
int question_field(int index);
// The question's name as its text begins, up to the colon ("Q10"); "" for
// an index outside the catalogue.
void question_name(int index, char *name, size_t size);

// What a pass over many records asks of every record for every question:
// the field that answers it, and the position among its answers of the
// code the field holds, MAX_ANSWERS for a code none of them has.  Every
// catalogue code is below LOOKED_UP_CODES, so a table finds them all.
struct AnswerLookup {
    int8_t field[CATALOGUE_SIZE];                   // question_field
    uint8_t slot[CATALOGUE_SIZE][LOOKED_UP_CODES];  // code -> position
};
static_assert(MAX_ANSWERS < 256, "an answer's position fits a lookup byte");
// Built at the first call.
const AnswerLookup *answer_lookup(void);
inline int looked_up_answer(const AnswerLookup *lookup, int index, int32_t code)
{
    return (uint32_t)code < LOOKED_UP_CODES ? lookup->slot[index][code] : (int)MAX_ANSWERS;
}
