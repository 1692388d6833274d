#include "survey/records.h"

#include <gtest/gtest.h>

#include <stdint.h>

namespace {

class RecordsTest : public ::testing::Test {
protected:
    void SetUp() override { store_release(); }
    void TearDown() override { store_release(); }
};

TEST_F(RecordsTest, InitGivesZeroedRoomAndNoRecords)
{
    RecordBuffer buffer;
    ASSERT_EQ(1, buffer_init(&buffer, STORE_START_CAPACITY));
    EXPECT_EQ(0, buffer.count);
    EXPECT_EQ(STORE_START_CAPACITY, buffer.capacity);
    ASSERT_NE(nullptr, buffer.records);
    for (int32_t r = 0; r < buffer.capacity; r++)
        for (int f = 0; f < RECORD_FIELDS; f++)
            ASSERT_EQ(0, buffer.records[r].field[f]) << "record " << r << " field " << f;
    buffer_free(&buffer);
}

TEST_F(RecordsTest, InitWithZeroCapacityStillAppends)
{
    RecordBuffer buffer;
    ASSERT_EQ(1, buffer_init(&buffer, 0));
    for (int i = 0; i < 5; i++)
        ASSERT_NE(nullptr, buffer_append(&buffer));
    EXPECT_EQ(5, buffer.count);
    EXPECT_GE(buffer.capacity, 5);
    buffer_free(&buffer);
}

// Capacities whose byte size cannot be represented must be refused before
// any allocation is attempted, leaving an empty, freeable buffer.
TEST_F(RecordsTest, InitRefusesImpossibleCapacities)
{
    const int32_t capacities[] = { -1, INT32_MIN, INT32_MAX, INT32_MAX / RECORD_BYTES + 1 };
    for (int32_t capacity : capacities) {
        SCOPED_TRACE(capacity);
        RecordBuffer buffer;
        EXPECT_EQ(0, buffer_init(&buffer, capacity));
        EXPECT_EQ(nullptr, buffer.records);
        EXPECT_EQ(0, buffer.count);
        EXPECT_EQ(0, buffer.capacity);
        buffer_free(&buffer);
    }
}

TEST_F(RecordsTest, AppendDoublesAndKeepsEarlierRecords)
{
    RecordBuffer buffer;
    ASSERT_EQ(1, buffer_init(&buffer, 4));
    const int32_t appended = 1000;
    for (int32_t i = 0; i < appended; i++) {
        RespondentRecord *record = buffer_append(&buffer);
        ASSERT_NE(nullptr, record);
        for (int f = 0; f < RECORD_FIELDS; f++)
            ASSERT_EQ(0, record->field[f]) << "a new record starts zeroed";
        record->field[Q10] = i;
        record->field[Q9] = -i;
        // Contiguous: the record returned is the last slot of the buffer.
        ASSERT_EQ(&buffer.records[buffer.count - 1], record);
    }
    EXPECT_EQ(appended, buffer.count);
    EXPECT_EQ(1024, buffer.capacity);  // 4 doubled eight times
    for (int32_t i = 0; i < appended; i++) {
        ASSERT_EQ(i, buffer.records[i].field[Q10]);
        ASSERT_EQ(-i, buffer.records[i].field[Q9]);
    }
    buffer_free(&buffer);
}

TEST_F(RecordsTest, AppendPastFirstLoadCapacityGrows)
{
    RecordBuffer buffer;
    ASSERT_EQ(1, buffer_init(&buffer, STORE_START_CAPACITY));
    for (int32_t i = 0; i <= STORE_START_CAPACITY; i++)
        ASSERT_NE(nullptr, buffer_append(&buffer));
    EXPECT_EQ(STORE_START_CAPACITY + 1, buffer.count);
    EXPECT_EQ(2 * STORE_START_CAPACITY, buffer.capacity);
    buffer_free(&buffer);
}

// A full buffer at the largest addressable size must not double into an
// overflowed capacity; the records it has stay where they are.
TEST_F(RecordsTest, AppendAtTheLimitFailsAndChangesNothing)
{
    RespondentRecord stand_in[1] = {};
    stand_in[0].field[Q10] = 7;
    const int32_t full[] = { INT32_MAX / RECORD_BYTES, INT32_MAX };
    for (int32_t size : full) {
        SCOPED_TRACE(size);
        RecordBuffer buffer = { stand_in, size, size };
        EXPECT_EQ(nullptr, buffer_append(&buffer));
        EXPECT_EQ(stand_in, buffer.records);
        EXPECT_EQ(size, buffer.count);
        EXPECT_EQ(size, buffer.capacity);
        EXPECT_EQ(7, stand_in[0].field[Q10]);
    }
}

TEST_F(RecordsTest, FreeLeavesAnEmptyBuffer)
{
    RecordBuffer buffer;
    ASSERT_EQ(1, buffer_init(&buffer, 10));
    ASSERT_NE(nullptr, buffer_append(&buffer));
    buffer_free(&buffer);
    EXPECT_EQ(nullptr, buffer.records);
    EXPECT_EQ(0, buffer.count);
    EXPECT_EQ(0, buffer.capacity);
    buffer_free(&buffer);  // twice is harmless
}

TEST_F(RecordsTest, StoreStartsEmpty)
{
    EXPECT_EQ(0, record_count());
    EXPECT_EQ(nullptr, record_data());
}

TEST_F(RecordsTest, ReplaceTakesTheBufferWholeAndEmptiesIt)
{
    RecordBuffer first;
    ASSERT_EQ(1, buffer_init(&first, 2));
    buffer_append(&first)->field[Q32] = 77001;
    buffer_append(&first)->field[Q32] = 77002;
    const RespondentRecord *first_storage = first.records;
    store_replace(&first);
    EXPECT_EQ(nullptr, first.records);
    EXPECT_EQ(0, first.count);
    EXPECT_EQ(0, first.capacity);
    EXPECT_EQ(2, record_count());
    EXPECT_EQ(first_storage, record_data());
    EXPECT_EQ(77002, record_data()[1].field[Q32]);

    // The next replacement drops the earlier data set entirely.
    RecordBuffer second;
    ASSERT_EQ(1, buffer_init(&second, 1));
    buffer_append(&second)->field[Q32] = 77598;
    store_replace(&second);
    EXPECT_EQ(1, record_count());
    EXPECT_EQ(77598, record_data()[0].field[Q32]);
    EXPECT_TRUE(area_respondents()[598] == 1 && area_respondents()[2] == 0);  // counted anew

    store_release();
    EXPECT_EQ(0, record_count());
    EXPECT_EQ(nullptr, record_data());
}

TEST_F(RecordsTest, ReplaceWithAnEmptyBufferEmptiesTheStore)
{
    RecordBuffer data;
    ASSERT_EQ(1, buffer_init(&data, 1));
    buffer_append(&data);
    store_replace(&data);
    ASSERT_EQ(1, record_count());

    RecordBuffer empty;
    ASSERT_EQ(1, buffer_init(&empty, STORE_START_CAPACITY));
    store_replace(&empty);
    EXPECT_EQ(0, record_count());
}

}  // namespace
