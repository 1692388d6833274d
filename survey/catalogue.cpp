#include "survey/catalogue.h"

#include <stdio.h>
#include <string.h>

namespace {

// Answer lists shared by several questions.
#define PLACES_STAYED                                                        \
    { { "own home or apartment", 1 },                                        \
      { "home or apartment of a friend or family member", 2 },               \
      { "transitional housing", 3 },                                         \
      { "shelter", 4 },                                                      \
      { "in a hospital or mental health facility", 5 },                      \
      { "jail or prison", 6 },                                               \
      { "in an abandoned building", 7 },                                     \
      { "in a car", 8 },                                                     \
      { "on the street", 9 },                                                \
      { "other", 10 },                                                       \
      { "No answer, Refused", 99 } }, 11

#define YES_NO_REFUSED                                                       \
    { { "Yes", 1 }, { "No", 2 }, { "No answer, Refused", 9 } }, 3

#define IMPROVEMENT_NEEDED                                                   \
    { { "Requires significant improvement", 1 },                             \
      { "Needs much improvement", 2 },                                       \
      { "Needs a little improvement", 3 },                                   \
      { "Neutral", 4 },                                                      \
      { "Needs no improvement", 5 },                                         \
      { "No answer/Refused", 9 } }, 6

#define YES_NO                                                               \
    { { "Yes", 1 }, { "No", 2 }, { "No answer/Refused", 9 } }, 3

#define YES_NO_DOES_NOT_APPLY                                                \
    { { "Yes", 1 }, { "No", 2 }, { "Does not apply", 3 },                    \
      { "No answer/Refused", 9 } }, 4

// Unused answer slots are zero-initialised by the aggregate.
constexpr QuestionEntry catalogue[CATALOGUE_SIZE] = {
    { "Q10: In which of the following are you currently staying?", PLACES_STAYED },
    { "Q11: In the past 12 months, in which of the following have you stayed the longest?",
      PLACES_STAYED },
    { "Q12: In the past 5 years, in which of the following have you stayed the longest?",
      PLACES_STAYED },
    { "Q14: If you're not homeless, how many persons live where you are now staying?",
      { { "1-2", 1 }, { "3-4", 2 }, { "5-6", 3 }, { "7-8", 4 }, { "9-10", 5 },
        { "11 or more", 6 }, { "No answer, Refused", 99 } }, 7 },
    { "Q16: If you're not homeless, how many rooms in the place where you are now living?",
      { { "1", 1 }, { "2", 2 }, { "3", 3 }, { "4", 4 }, { "5", 5 }, { "6", 6 },
        { "7", 7 }, { "8", 8 }, { "9", 9 }, { "10 or more", 10 },
        { "No answer, Refused", 99 } }, 11 },
    { "Q17: Do you have any of the following health insurance plans?",
      { { "Private insurance", 1 }, { "Medicare", 2 }, { "Medicaid or Gold Card", 3 },
        { "Veteran's Administration", 4 }, { "CHAMPUS", 5 }, { "COBRA", 6 },
        { "Other", 7 }, { "None", 8 }, { "No answer, Refused", 9 } }, 9 },
    { "Q18: Have you needed medical care in the past year?", YES_NO_REFUSED },
    { "Q18A: Were you able to get the care you needed?",
      { { "Yes", 1 }, { "No", 2 }, { "No care needed", 3 },
        { "No answer, Refused", 9 } }, 4 },
    { "Q18B: Where did you go for care?",
      { { "Doctor's office", 1 }, { "Clinic", 2 }, { "Emergency Room", 3 },
        { "Urgent care clinic", 4 }, { "Other", 5 }, { "No care needed", 6 },
        { "No answer, Refused", 9 } }, 7 },
    { "Q19: Do you take prescription drugs?",
      { { "No", 1 }, { "Yes, every day", 2 }, { "Yes, only sometimes", 3 },
        { "No answer, Refused", 9 } }, 4 },
    { "Q20: In the past year, have you skipped taking drugs because you could not afford them?",
      YES_NO_REFUSED },
    { "Q21: Have you been diagnosed with any of the following conditions?",
      { { "Asthma", 1 }, { "Diabetes", 2 }, { "Cancer", 3 }, { "High blood pressure", 4 },
        { "Heart disease", 5 }, { "Hepatitis C", 6 }, { "Tuberculosis", 7 },
        { "Emphysema", 8 }, { "Mental health condition", 9 },
        { "Substance/alcohol abuse", 10 }, { "HIV/AIDS", 11 }, { "OTHER", 12 },
        { "No answer/Refused", 99 } }, 13 },
    { "Q22: Does a medical condition/disability interfere with your daily activities?",
      { { "Does not apply, I don't have a condition", 1 }, { "Very much", 2 },
        { "Some", 3 }, { "Not at all", 4 }, { "No answer/Refused", 9 } }, 5 },
    { "Q23: Are you afraid that you might be homeless in the future?", YES_NO_REFUSED },
    { "Q26: How satisfied are you with the overall conditions in your neighborhood?",
      { { "Very Dissatisfied", 1 }, { "Dissatisfied", 2 }, { "Neutral", 3 },
        { "Satisfied", 4 }, { "Very Satisfied", 5 }, { "No answer/Refused", 9 } }, 6 },
    { "Q27A: Affordable home ownership, affordable rental housing, housing for the elderly/disabled?",
      IMPROVEMENT_NEEDED },
    { "Q27B: Homelessness emergency shelters, transitional and permanent housing?",
      IMPROVEMENT_NEEDED },
    { "Q27C: Public improvements & infrastructure, parks, streets/lights, drainage, libraries, etc?",
      IMPROVEMENT_NEEDED },
    { "Q27D: Economic development/job creation, strip mall, supermarket developments, and job training?",
      IMPROVEMENT_NEEDED },
    { "Q27E: Social services child care, elderly services, after-school programs, crime prevention, etc?",
      IMPROVEMENT_NEEDED },
    { "Q28: In your opinion, which one of these should be the Department's highest priority?",
      { { "Affordable Housing", 1 }, { "Homelessness", 2 }, { "Economic Development", 3 },
        { "Public Improvements & Infrastructure", 4 }, { "Social Services", 5 },
        { "Job Creation", 6 }, { "No answer/Refused", 9 } }, 7 },
    { "Q29: Do you think the Department's priorities should remain the same?", YES_NO },
    { "Q34A: Have you had denial of a mortgage loan when in fact you have a good credit rating?",
      YES_NO_DOES_NOT_APPLY },
    { "Q34B: Have you had denial of private mortgage insurance when trying to purchase a home?",
      YES_NO_DOES_NOT_APPLY },
    { "Q34C: Have you had denial of property insurance when trying to buy a home?",
      YES_NO_DOES_NOT_APPLY },
    { "Q34D: Have you had denial of an apartment or house that you were attempting to rent?",
      YES_NO_DOES_NOT_APPLY },
    { "Q34E: Have you had differential treatment when attempting to rent?",
      YES_NO_DOES_NOT_APPLY },
    { "Q34F: Have you been directed to a particular neighborhood when expressing interest in another?",
      YES_NO_DOES_NOT_APPLY },
    { "Q34G: Have you been denied an apartment/house because of being a Section 8 tenant?",
      YES_NO_DOES_NOT_APPLY },
    { "Q34I: Have you experienced any other unfair housing treatment not mentioned?", YES_NO },
    { "Q35: If you have a mortgage, what is your interest rate?",
      { { "Less than 4%", 1 }, { "4%-6%", 2 }, { "7%-9%", 3 }, { "10% or higher", 4 },
        { "Do not know", 5 }, { "Does not apply, I do not have a mortgage", 6 },
        { "No answer/Refused", 9 } }, 7 },
    { "Q36: If you have mortgage insurance, what is your annual premium?",
      { { "Less than $500/yr", 1 }, { "$500-$799/yr", 2 }, { "$800-$999/yr", 3 },
        { "$1,000-$1,999/yr", 4 }, { "More than $2,000/yr", 5 }, { "Do not know", 6 },
        { "Does not apply, I do not have mortgage insurance", 7 },
        { "No answer/Refused", 9 } }, 8 },
    { "Q37: If you are renting an apartment, what was the amount of the deposit?",
      { { "Less than $200", 1 }, { "$200-$299", 2 }, { "$300-$399", 3 },
        { "$400-$499", 4 }, { "More than $500", 5 }, { "Do not know", 6 },
        { "Does not apply, I don't live in an apartment", 7 },
        { "Does not apply, I didn't pay a deposit", 8 },
        { "No answer/Refused", 9 } }, 9 },
    // The members' names change with every election; the district letter is
    // what respondents were asked to recognise.
    { "Q38: Your City Council District Member is?",
      { { "A- District A council member", 1 }, { "B- District B council member", 2 },
        { "C- District C council member", 3 }, { "D- District D council member", 4 },
        { "E- District E council member", 5 }, { "F- District F council member", 6 },
        { "G- District G council member", 7 }, { "H- District H council member", 8 },
        { "I- District I council member", 9 }, { "I don't know", 10 },
        { "No answer/Refused", 99 } }, 11 },
};

#undef PLACES_STAYED
#undef YES_NO_REFUSED
#undef IMPROVEMENT_NEEDED
#undef YES_NO
#undef YES_NO_DOES_NOT_APPLY

// Each question's answers fit its slots, and their codes a lookup table.
constexpr int answers_fit(void)
{
    for (const QuestionEntry &entry : catalogue) {
        if (entry.answer_count < 1 || entry.answer_count > MAX_ANSWERS)
            return 0;
        for (int a = 0; a < entry.answer_count; a++)
            if (entry.answers[a].code < 0 || entry.answers[a].code >= LOOKED_UP_CODES)
                return 0;
    }
    return 1;
}
static_assert(answers_fit(), "every question has 1 to MAX_ANSWERS answers, coded below LOOKED_UP_CODES");

// Catalogue indices from here on skip the zip code field Q32.
const int FIRST_INDEX_AFTER_ZIP = 22;

}  // namespace

const QuestionEntry *catalogue_entry(int index)
{
    if (index < 0 || index >= CATALOGUE_SIZE)
        return nullptr;
    return &catalogue[index];
}

int question_field(int index)
{
    if (index < 0 || index >= CATALOGUE_SIZE)
        return -1;  // no question, no field
    return index < FIRST_INDEX_AFTER_ZIP ? index : index + 1;
}

void question_name(int index, char *name, size_t size)
{
    const QuestionEntry *entry = catalogue_entry(index);
    const char *text = entry ? entry->text : "";
    const char *colon = strchr(text, ':');
    snprintf(name, size, "%.*s", colon ? (int)(colon - text) : (int)strlen(text), text);
}

const AnswerLookup *answer_lookup(void)
{
    static AnswerLookup lookup;
    static int built;
    if (!built) {
        memset(lookup.slot, MAX_ANSWERS, sizeof lookup.slot);
        for (int q = 0; q < CATALOGUE_SIZE; q++) {
            lookup.field[q] = (int8_t)question_field(q);
            for (int a = 0; a < catalogue[q].answer_count; a++)
                lookup.slot[q][catalogue[q].answers[a].code] = (uint8_t)a;
        }
        built = 1;
    }
    return &lookup;
}
