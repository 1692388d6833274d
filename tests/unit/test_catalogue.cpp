#include "survey/catalogue.h"
#include "survey/records.h"

#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Record field names, in storage order, as the survey codes them.
const char *const field_names[RECORD_FIELDS] = {
    "Q10", "Q11", "Q12", "Q14", "Q16", "Q17", "Q18", "Q18A", "Q18B", "Q19",
    "Q20", "Q21", "Q22", "Q23", "Q26", "Q27A", "Q27B", "Q27C", "Q27D", "Q27E",
    "Q28", "Q29", "Q32", "Q34A", "Q34B", "Q34C", "Q34D", "Q34E", "Q34F", "Q34G",
    "Q34I", "Q35", "Q36", "Q37", "Q38", "Q1", "Q2", "Q3", "Q4", "Q5",
    "Q6", "Q6A", "Q7", "Q8", "Q9",
};

struct Answer {
    std::string text;
    int code;
    bool operator==(const Answer &other) const { return text == other.text && code == other.code; }
};

std::vector<Answer> answers_of(int index)
{
    std::vector<Answer> answers;
    const QuestionEntry *entry = catalogue_entry(index);
    for (int i = 0; i < entry->answer_count; i++)
        answers.push_back({ entry->answers[i].text, entry->answers[i].code });
    return answers;
}

// Index of the catalogue entry whose question code is `code`.
int index_of(const char *code)
{
    for (int i = 0; i < CATALOGUE_SIZE; i++) {
        const char *text = catalogue_entry(i)->text;
        size_t length = strlen(code);
        if (strncmp(text, code, length) == 0 && text[length] == ':')
            return i;
    }
    return -1;
}

TEST(Catalogue, QuestionFieldSkipsTheZipCode)
{
    struct Case { int index; int field; };
    const Case cases[] = {
        { 0, 0 }, { 21, 21 }, { 22, 23 }, { 29, 30 }, { 33, 34 }, { -1, -1 }, { 34, -1 },
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.field, question_field(c.index)) << "index " << c.index;
}

TEST(Catalogue, EntriesExistOnlyForIndicesZeroToThirtyThree)
{
    EXPECT_EQ(nullptr, catalogue_entry(-1));
    EXPECT_EQ(nullptr, catalogue_entry(CATALOGUE_SIZE));
    EXPECT_EQ(nullptr, catalogue_entry(1000));
    for (int i = 0; i < CATALOGUE_SIZE; i++)
        EXPECT_NE(nullptr, catalogue_entry(i));
}

// Each question text starts with the code of the record field its answers
// are stored in, so catalogue order and record layout cannot drift apart.
TEST(Catalogue, EveryQuestionNamesItsRecordField)
{
    for (int i = 0; i < CATALOGUE_SIZE; i++) {
        std::string prefix = std::string(field_names[question_field(i)]) + ": ";
        EXPECT_EQ(0, strncmp(catalogue_entry(i)->text, prefix.c_str(), prefix.size()))
            << "index " << i << ": " << catalogue_entry(i)->text;
    }
}

TEST(Catalogue, EntriesAreWellFormed)
{
    size_t longest_question = 0;
    size_t longest_answer = 0;
    for (int i = 0; i < CATALOGUE_SIZE; i++) {
        SCOPED_TRACE(i);
        const QuestionEntry *entry = catalogue_entry(i);
        ASSERT_NE(nullptr, memchr(entry->text, 0, QUESTION_TEXT_BYTES));
        longest_question = std::max(longest_question, strlen(entry->text));
        EXPECT_GE(entry->answer_count, 3);
        EXPECT_LE(entry->answer_count, MAX_ANSWERS);
        for (int a = 0; a < entry->answer_count; a++) {
            const AnswerSlot &slot = entry->answers[a];
            ASSERT_NE(nullptr, memchr(slot.text, 0, ANSWER_TEXT_BYTES));
            EXPECT_GT(strlen(slot.text), 0u);
            longest_answer = std::max(longest_answer, strlen(slot.text));
            EXPECT_NE(0, slot.code);
            if (a > 0) {
                EXPECT_GT(slot.code, entry->answers[a - 1].code) << "codes ascend";
            }
        }
        // The last answer is always the refusal, coded 9 or 99.
        const AnswerSlot &last = entry->answers[entry->answer_count - 1];
        EXPECT_TRUE(last.code == 9 || last.code == 99) << last.code;
        EXPECT_EQ(0, strncmp(last.text, "No answer", 9)) << last.text;
        for (int a = entry->answer_count; a < MAX_ANSWERS; a++) {
            const AnswerSlot &slot = entry->answers[a];
            EXPECT_EQ(0, slot.code);
            for (int b = 0; b < ANSWER_TEXT_BYTES; b++)
                ASSERT_EQ(0, slot.text[b]) << "slot " << a << " byte " << b;
        }
    }
    EXPECT_EQ(97u, longest_question);
    EXPECT_EQ(48u, longest_answer);
}

TEST(Catalogue, SharedAnswerListsAreIdentical)
{
    struct Case { const char *question; const char *same_as; };
    const Case cases[] = {
        { "Q11", "Q10" }, { "Q12", "Q10" },
        { "Q20", "Q18" }, { "Q23", "Q18" },
        { "Q27B", "Q27A" }, { "Q27C", "Q27A" }, { "Q27D", "Q27A" }, { "Q27E", "Q27A" },
        { "Q34B", "Q34A" }, { "Q34C", "Q34A" }, { "Q34D", "Q34A" }, { "Q34E", "Q34A" },
        { "Q34F", "Q34A" }, { "Q34G", "Q34A" },
        { "Q34I", "Q29" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.question);
        int index = index_of(c.question);
        int model = index_of(c.same_as);
        ASSERT_GE(index, 0);
        ASSERT_GE(model, 0);
        EXPECT_TRUE(answers_of(index) == answers_of(model));
    }
}

TEST(Catalogue, SpotChecksVerbatim)
{
    struct Case { int index; const char *text; int answer; const char *answer_text; int code; };
    const Case cases[] = {
        { 0, "Q10: In which of the following are you currently staying?",
          1, "home or apartment of a friend or family member", 2 },
        { 0, nullptr, 10, "No answer, Refused", 99 },
        { 5, "Q17: Do you have any of the following health insurance plans?",
          3, "Veteran's Administration", 4 },
        { 8, "Q18B: Where did you go for care?", 0, "Doctor's office", 1 },
        { 9, "Q19: Do you take prescription drugs?", 0, "No", 1 },
        { 15, "Q27A: Affordable home ownership, affordable rental housing, housing for the elderly/disabled?",
          0, "Requires significant improvement", 1 },
        { 19, "Q27E: Social services child care, elderly services, after-school programs, crime prevention, etc?",
          5, "No answer/Refused", 9 },
        { 29, nullptr, 1, "No", 2 },
        { 31, "Q36: If you have mortgage insurance, what is your annual premium?",
          6, "Does not apply, I do not have mortgage insurance", 7 },
        { 33, "Q38: Your City Council District Member is?", 9, "I don't know", 10 },
        { 33, nullptr, 10, "No answer/Refused", 99 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.index);
        const QuestionEntry *entry = catalogue_entry(c.index);
        if (c.text) {
            EXPECT_STREQ(c.text, entry->text);
        }
        ASSERT_LT(c.answer, entry->answer_count);
        EXPECT_STREQ(c.answer_text, entry->answers[c.answer].text);
        EXPECT_EQ(c.code, entry->answers[c.answer].code);
    }
}

TEST(Catalogue, CouncilDistrictsRunAToI)
{
    const QuestionEntry *entry = catalogue_entry(33);
    ASSERT_EQ(11, entry->answer_count);
    for (int a = 0; a < 9; a++) {
        char prefix[3] = { (char)('A' + a), '-', 0 };
        EXPECT_EQ(0, strncmp(entry->answers[a].text, prefix, 2)) << entry->answers[a].text;
        EXPECT_EQ(a + 1, entry->answers[a].code);
    }
}

TEST(Catalogue, NoDoesNotApplyForOtherUnfairTreatment)
{
    for (const Answer &answer : answers_of(index_of("Q34I")))
        EXPECT_EQ(std::string::npos, answer.text.find("Does not apply"));
}

}  // namespace
