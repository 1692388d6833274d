// The questionnaire catalogue: the 34 questions a user can count by.
#pragma once

#include <stddef.h>
#include <stdint.h>

enum {
    CATALOGUE_SIZE = 34,
    MAX_ANSWERS = 13,
    QUESTION_TEXT_BYTES = 160,
    ANSWER_TEXT_BYTES = 80
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
