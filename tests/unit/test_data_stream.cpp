#include "survey/data_stream.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class DataStreamTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        data_stream_inject_fault(FAULT_NONE, 0);
        data_stream_close();
        data_stream_discard();
    }
};

TEST_F(DataStreamTest, OpenMissingFileFails)
{
    EXPECT_EQ(0, data_stream_open_read(temp_path("absent.txt").c_str()));
    EXPECT_EQ(DATA_CANT_OPEN, data_stream_failure());
    char bytes[8];
    size_t got;
    EXPECT_EQ(0, data_stream_read_some(bytes, sizeof bytes, &got));
    EXPECT_EQ(DATA_CANT_READ, data_stream_failure());
}

TEST_F(DataStreamTest, SizeAndExactReads)
{
    std::string path = temp_path("bytes.bin");
    ASSERT_TRUE(write_file_text(path, "0123456789"));
    ASSERT_EQ(1, data_stream_open_read(path.c_str()));
    int64_t size = -1;
    ASSERT_EQ(1, data_stream_size(&size));
    EXPECT_EQ(10, size);
    char buffer[16] = {};
    ASSERT_EQ(1, data_stream_read(buffer, 4));  // size left the stream at the start
    EXPECT_EQ(std::string("0123"), buffer);
    EXPECT_EQ(0, data_stream_read(buffer, 7));  // only six remain
    EXPECT_EQ(DATA_CANT_READ, data_stream_failure());
    data_stream_close();
}

TEST_F(DataStreamTest, CommitReplacesAnExistingFile)
{
    std::string path = temp_path("replace.txt");
    ASSERT_TRUE(write_file_text(path, "the old, longer contents"));
    ASSERT_EQ(1, data_stream_create(path.c_str()));
    ASSERT_EQ(1, data_stream_write("new", 3));
    EXPECT_EQ(std::string("the old, longer contents").size(), read_file_bytes(path).size())
        << "the target is untouched until commit";
    ASSERT_EQ(1, data_stream_commit());
    std::vector<unsigned char> bytes = read_file_bytes(path);
    EXPECT_EQ("new", std::string(bytes.begin(), bytes.end()));
    EXPECT_TRUE(files_containing(test_temp_dir(), ".~tmp").empty());
}

TEST_F(DataStreamTest, DiscardKeepsTheTarget)
{
    std::string path = temp_path("discard.txt");
    ASSERT_TRUE(write_file_text(path, "keep me"));
    ASSERT_EQ(1, data_stream_create(path.c_str()));
    ASSERT_EQ(1, data_stream_write("lost", 4));
    data_stream_discard();
    std::vector<unsigned char> bytes = read_file_bytes(path);
    EXPECT_EQ("keep me", std::string(bytes.begin(), bytes.end()));
    EXPECT_TRUE(files_containing(test_temp_dir(), ".~tmp").empty());
}

TEST_F(DataStreamTest, WritingWithoutAFileFails)
{
    EXPECT_EQ(0, data_stream_write("x", 1));
    EXPECT_EQ(DATA_CANT_WRITE, data_stream_failure());
    EXPECT_EQ(0, data_stream_commit());
    EXPECT_EQ(DATA_CANT_WRITE, data_stream_failure());
    EXPECT_EQ(0, data_stream_create(""));
    EXPECT_EQ(DATA_CANT_CREATE, data_stream_failure());
}

TEST_F(DataStreamTest, EveryFailureHasItsOwnPhrase)
{
    const int failures[] = { DATA_CANT_OPEN, DATA_CANT_READ, DATA_NO_MEMORY, DATA_BAD_FORMAT,
                             DATA_CANT_CREATE, DATA_CANT_WRITE, DATA_CANT_REPLACE };
    std::vector<std::string> phrases;
    for (int failure : failures) {
        std::string phrase = data_failure_phrase(failure);
        EXPECT_FALSE(phrase.empty());
        for (const std::string &earlier : phrases)
            EXPECT_NE(earlier, phrase);
        phrases.push_back(phrase);
    }
}

}  // namespace
