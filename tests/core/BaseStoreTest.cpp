#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/BaseStoreU.h"

using namespace corvina;

TEST(Stores, OutOfRangeReadsReturnNothing) {
    TIntegerStore ints;
    int32_t v = 42;
    EXPECT_FALSE(ints.GetInteger(0, v));
    EXPECT_FALSE(ints.GetInteger(1, v));
    EXPECT_EQ(v, 42);
    ints.AddInteger(7);
    EXPECT_EQ(ints.Get(0), nullptr);
    EXPECT_EQ(ints.Get(2), nullptr);
    ASSERT_TRUE(ints.GetInteger(1, v));
    EXPECT_EQ(v, 7);
    EXPECT_FALSE(ints.DeleteInteger(2));

    TStringStore strings;
    std::string text = "x";
    EXPECT_FALSE(strings.GetString(1, text));
    EXPECT_EQ(text, "");
    strings.AddString("abc");
    EXPECT_TRUE(strings.GetString(1, text));
    EXPECT_EQ(text, "abc");
    EXPECT_FALSE(strings.DeleteString(0));
}

TEST(Stores, CapacityGrowsAndShrinksInWholeSteps) {
    TIntegerStore ints;
    EXPECT_EQ(ints.Capacity(), 4096);
    for (int i = 0; i < 4096; ++i) ints.AddInteger(i);
    EXPECT_EQ(ints.Capacity(), 4096);
    ints.AddInteger(4096);
    EXPECT_EQ(ints.Capacity(), 8192);
    ints.DeleteInteger(ints.Count());
    EXPECT_EQ(ints.Capacity(), 8192); // 4096 items: exactly one step free
    ints.DeleteInteger(1);
    EXPECT_EQ(ints.Count(), 4095);
    EXPECT_EQ(ints.Capacity(), 4096);
    int32_t first = 0;
    ASSERT_TRUE(ints.GetInteger(1, first));
    EXPECT_EQ(first, 1); // deleting position 1 moved the rest up
}

TEST(Stores, SortModesAndDuplicates) {
    TIntegerStore ints;
    ints.SetSortMode(TIntegerStore::smAscending);
    for (int32_t v : {5, -3, 9, 0, -3}) {
        ints.AddInteger(v);
        EXPECT_TRUE(std::is_sorted(ints.Values().begin(), ints.Values().end()));
    }
    ints.SetSortMode(TIntegerStore::smDescending);
    EXPECT_EQ(ints.Values(), (std::vector<int32_t>{9, 5, 0, -3, -3}));

    TIntegerStore dup;
    int pos = 0;
    EXPECT_FALSE(dup.HasDuplicates(pos));
    for (int32_t v : {5, 7, 5}) dup.AddInteger(v);
    ASSERT_TRUE(dup.HasDuplicates(pos));
    EXPECT_EQ(pos, 1);
}

TEST(Stores, RecordStoreAddInsertDeleteAndCallback) {
    std::vector<int> released;
    TRecordStore<int> records([&](int& r) { released.push_back(r); });
    EXPECT_FALSE(records.AddRecord(nullptr));
    EXPECT_EQ(records.Count(), 0);
    EXPECT_TRUE(records.AddRecord(std::make_unique<int>(1)));
    EXPECT_TRUE(records.InsertRecord(records.Count() + 1, std::make_unique<int>(3))); // appends
    EXPECT_FALSE(records.InsertRecord(0, std::make_unique<int>(99)));                 // nothing
    EXPECT_TRUE(records.InsertRecord(2, std::make_unique<int>(2)));
    ASSERT_EQ(records.Count(), 3);
    for (int pos = 1; pos <= 3; ++pos) EXPECT_EQ(*records.GetRecord(pos), pos);
    EXPECT_EQ(records.GetRecord(4), nullptr);
    EXPECT_FALSE(records.DeleteRecord(4));
    EXPECT_TRUE(records.DeleteRecord(2));
    EXPECT_EQ(released, (std::vector<int>{2}));
    records.Clear();
    EXPECT_EQ(released, (std::vector<int>{2, 3, 1})); // cleared from the last to the first
    EXPECT_TRUE(records.IsEmpty());
}

TEST(Stores, ErrorMessages) {
    EXPECT_STREQ(ERSString().what(), "RS - Cannot add string.");
    EXPECT_STREQ(ERSAddRecord().what(), "RS - Cannot add record.");
    EXPECT_STREQ(ERSInsertRecord(7).what(), "RS - Cannot insert record at Pos=7.");
}
