#include "survey/tally.h"

#include <gtest/gtest.h>

#include <stdint.h>

#include <map>
#include <utility>
#include <vector>

#include "survey/outside_zips.h"

namespace {

typedef std::vector<std::pair<int, int32_t>> FieldValues;

RespondentRecord make_record(int32_t zip, const FieldValues &values)
{
    RespondentRecord record = {};
    record.field[Q32] = zip;
    for (const auto &value : values)
        record.field[value.first] = value.second;
    return record;
}

void fill_store(const std::vector<RespondentRecord> &records)
{
    RecordBuffer buffer;
    ASSERT_EQ(1, buffer_init(&buffer, (int32_t)records.size()));
    for (const RespondentRecord &record : records)
        *buffer_append(&buffer) = record;
    store_replace(&buffer);
}

void reset_query()
{
    set_question_answer(0, 0);  // every question field 0
    const int32_t all[DEMOGRAPHIC_FIELDS] = {};
    set_demographic_filters(all);
}

void count()
{
    clear_tally();
    tally_records();
}

// Every slot of counts (or bases), as zip index -> value, leaving out the
// zeros.
std::map<int, int32_t> nonzero(const int32_t *slots)
{
    std::map<int, int32_t> values;
    for (int i = 0; i < ZIP_SLOTS; i++)
        if (slots[i] != 0)
            values[i] = slots[i];
    return values;
}

std::map<int, int32_t> nonzero_counts()
{
    return nonzero(tally_result()->counts);
}

int32_t sum_of_counts()
{
    int32_t sum = 0;
    for (int i = 0; i < ZIP_SLOTS; i++)
        sum += tally_result()->counts[i];
    return sum;
}

class TallyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store_release();
        reset_query();
        clear_tally();
    }
    void TearDown() override
    {
        store_release();
        reset_query();
        clear_tally();
    }
};

// A small data set whose zips all lie in range, including both ends.
std::vector<RespondentRecord> survey()
{
    return {
        make_record(77001, { { Q10, 1 }, { Q1, 1 }, { Q4, 1 } }),
        make_record(77001, { { Q10, 2 }, { Q1, 99 }, { Q4, 2 } }),
        make_record(77598, { { Q10, 1 }, { Q1, 2 }, { Q4, 2 } }),
        make_record(77000, { { Q10, 99 }, { Q1, 1 }, { Q4, 9 }, { Q38, 10 } }),
        make_record(77300, { { Q10, 1 }, { Q1, 1 }, { Q4, 2 } }),
    };
}

TEST_F(TallyTest, QueriesOverTheSurvey)
{
    // Bases follow the filters alone, whatever the question and answer.
    const std::map<int, int32_t> everyone = { { 0, 1 }, { 1, 2 }, { 300, 1 }, { 598, 1 } };
    struct Case {
        const char *name;
        int question_field;  // -1: no question set
        int32_t code;
        FieldValues demographics;  // (filter 0..9, code)
        int32_t total;
        std::map<int, int32_t> counts;
        std::map<int, int32_t> bases;
    };
    const Case cases[] = {
        { "no constraint counts everyone", -1, 0, {}, 5, everyone, everyone },
        { "one answer", Q10, 1, {}, 3, { { 1, 1 }, { 300, 1 }, { 598, 1 } }, everyone },
        { "no-answer code 99", Q10, 99, {}, 1, { { 0, 1 } }, everyone },
        { "code nobody gave", Q10, 7, {}, 0, {}, everyone },
        { "last question field", Q38, 10, {}, 1, { { 0, 1 } }, everyone },
        { "age no-answer 99", -1, 0, { { 0, 99 } }, 1, { { 1, 1 } }, { { 1, 1 } } },
        { "sex no-answer 9", -1, 0, { { 3, 9 } }, 1, { { 0, 1 } }, { { 0, 1 } } },
        { "two filters combine", -1, 0, { { 0, 1 }, { 3, 2 } }, 1, { { 300, 1 } }, { { 300, 1 } } },
        { "question and filters", Q10, 1, { { 0, 1 }, { 3, 1 } }, 1, { { 1, 1 } }, { { 1, 1 } } },
        { "filters exclude all", Q10, 2, { { 0, 1 } }, 0, {}, { { 0, 1 }, { 1, 1 }, { 300, 1 } } },
    };
    fill_store(survey());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        reset_query();
        if (c.question_field >= 0)
            set_question_answer(c.question_field, c.code);
        for (const auto &filter : c.demographics)
            set_demographic_filter(filter.first, filter.second);
        count();
        EXPECT_EQ(c.total, tally_result()->total);
        EXPECT_EQ(c.counts, nonzero_counts());
        EXPECT_EQ(c.bases, nonzero(tally_result()->bases));
        EXPECT_EQ(5, tally_result()->records);
        EXPECT_EQ(tally_result()->total, sum_of_counts());
    }
}

TEST_F(TallyTest, EmptyStoreCountsNothing)
{
    set_question_answer(Q10, 1);
    count();
    EXPECT_EQ(0, tally_result()->total);
    EXPECT_TRUE(nonzero_counts().empty());
}

TEST_F(TallyTest, ClearZeroesAndTallyAddsWithoutClearing)
{
    fill_store(survey());
    count();
    tally_records();
    EXPECT_EQ(10, tally_result()->total);
    EXPECT_EQ(4, tally_result()->counts[1]);
    EXPECT_EQ(10, tally_result()->records);
    clear_tally();
    EXPECT_EQ(0, tally_result()->total);
    EXPECT_EQ(0, tally_result()->records);
    EXPECT_TRUE(nonzero_counts().empty());
    EXPECT_TRUE(nonzero(tally_result()->bases).empty());
}

TEST_F(TallyTest, ChangingTheQuestionDropsThePreviousConstraint)
{
    fill_store(survey());
    set_question_answer(Q10, 2);
    set_question_answer(Q38, 10);
    for (int j = 0; j < QUESTION_FIELDS; j++)
        EXPECT_EQ(j == Q38 ? 10 : 0, tally_query()->field[j]) << "field " << j;
    count();
    EXPECT_EQ(1, tally_result()->total);  // Q10 = 2 alone would give the other record
    EXPECT_EQ(1, tally_result()->counts[0]);
}

TEST_F(TallyTest, SettingTheQuestionKeepsTheFilters)
{
    set_demographic_filter(2, 1);
    set_question_answer(Q11, 3);
    int32_t filters[DEMOGRAPHIC_FIELDS];
    get_demographic_filters(filters);
    EXPECT_EQ(1, filters[2]);
    EXPECT_EQ(1, tally_query()->field[Q3]);
}

// The zip code groups the counts and is never a condition: a request to
// constrain it, or any other non-question field, is ignored whole.
TEST_F(TallyTest, InvalidQuestionFieldChangesNothing)
{
    fill_store(survey());
    set_question_answer(Q10, 1);
    const int fields[] = { Q32, -1, QUESTION_FIELDS, Q9, RECORD_FIELDS, 1000 };
    for (int field : fields) {
        SCOPED_TRACE(field);
        set_question_answer(field, 77001);
        for (int j = 0; j < RECORD_FIELDS; j++)
            EXPECT_EQ(j == Q10 ? 1 : 0, tally_query()->field[j]) << "field " << j;
        count();
        EXPECT_EQ(3, tally_result()->total);
    }
}

TEST_F(TallyTest, DemographicFiltersMapOntoTheLastTenFields)
{
    int32_t codes[DEMOGRAPHIC_FIELDS];
    for (int i = 0; i < DEMOGRAPHIC_FIELDS; i++)
        codes[i] = 100 + i;
    set_demographic_filters(codes);
    for (int i = 0; i < DEMOGRAPHIC_FIELDS; i++)
        EXPECT_EQ(100 + i, tally_query()->field[FIRST_DEMOGRAPHIC_FIELD + i]);
    EXPECT_EQ(100, tally_query()->field[Q1]);
    EXPECT_EQ(109, tally_query()->field[Q9]);

    set_demographic_filter(4, 5);
    int32_t read_back[DEMOGRAPHIC_FIELDS];
    get_demographic_filters(read_back);
    for (int i = 0; i < DEMOGRAPHIC_FIELDS; i++)
        EXPECT_EQ(i == 4 ? 5 : 100 + i, read_back[i]);
}

TEST_F(TallyTest, OutOfRangeFilterIndexChangesNothing)
{
    set_question_answer(Q12, 4);
    TallyQuery before = *tally_query();
    const int filters[] = { -1, DEMOGRAPHIC_FIELDS, 45, -100 };
    for (int filter : filters) {
        SCOPED_TRACE(filter);
        set_demographic_filter(filter, 7);
        for (int j = 0; j < RECORD_FIELDS; j++)
            EXPECT_EQ(before.field[j], tally_query()->field[j]) << "field " << j;
    }
}

// A zip without a count slot counts in the total and in a line of its own,
// and nothing is written outside the counts.
TEST_F(TallyTest, OutOfRangeZipsCountInTotalAndTheirOwnLine)
{
    const int32_t zips[] = { 76999, 77599, 0, -5, 99999, INT32_MIN, INT32_MAX };
    for (int32_t zip : zips) {
        SCOPED_TRACE(zip);
        fill_store({ make_record(zip, { { Q10, 1 } }), make_record(77005, { { Q10, 1 } }),
                     make_record(zip, { { Q10, 2 } }) });
        set_question_answer(Q10, 1);
        count();
        EXPECT_EQ(2, tally_result()->total);
        EXPECT_EQ(3, tally_result()->filtered);
        EXPECT_EQ((std::map<int, int32_t>{ { 5, 1 } }), nonzero_counts());
        EXPECT_EQ((std::map<int, int32_t>{ { 5, 1 } }), nonzero(tally_result()->bases));
        const OutsideZip *outside = tally_result()->outside;
        EXPECT_TRUE(tally_result()->outside_count == 1 && outside[0].zip_code == zip && outside[0].base == 2 &&
                    outside[0].count == 1);
    }
}

// However many distinct zip codes lie outside the map, each keeps its line,
// in zip order, also when a second count adds to the first.
TEST_F(TallyTest, EveryOutsideZipKeepsItsLine)
{
    std::vector<RespondentRecord> records;
    for (int32_t n = 0; n < 100000; n++)  // 50,000 zip codes of 2 records, one matching
        records.push_back(make_record(80000 + n * 7919 % 50000, { { Q10, 1 + n / 50000 } }));
    fill_store(records);
    set_question_answer(Q10, 1);
    count();
    tally_records();
    const TallyResult *result = tally_result();
    ASSERT_EQ(50000, result->outside_count);
    int wrong = 0;
    for (int32_t i = 0; i < result->outside_count; i++)
        wrong += result->outside[i].zip_code != 80000 + i || result->outside[i].base != 4 ||
                 result->outside[i].count != 2;
    EXPECT_EQ(0, wrong);
    EXPECT_TRUE(result->filtered == 200000 && result->total == 100000 && !result->refused);
    // When memory for them runs out, the count is refused whole rather
    // than given with zip codes missing.
    limit_outside_zips(100);
    clear_tally();
    EXPECT_EQ(0, tally_records());
    limit_outside_zips(0);
    EXPECT_TRUE(tally_result()->refused && tally_result()->records == 100000);
    EXPECT_TRUE(tally_result()->total == 0 && tally_result()->filtered == 0 &&
                tally_result()->outside_count == 0);
}

TEST_F(TallyTest, LargeStoreTotalsMatchCounts)
{
    std::vector<RespondentRecord> records;
    for (int32_t n = 0; n < 100000; n++)
        records.push_back(make_record(77000 + n % ZIP_SLOTS, { { Q26, 1 + n % 5 }, { Q2, 1 + n % 6 } }));
    fill_store(records);
    set_question_answer(Q26, 3);
    set_demographic_filter(1, 4);  // Q2
    count();
    // n % 5 == 2 and n % 6 == 3: n % 30 == 27.
    EXPECT_EQ(100000 / 30 + (100000 % 30 > 27 ? 1 : 0), tally_result()->total);
    EXPECT_EQ(tally_result()->total, sum_of_counts());
}

}  // namespace
