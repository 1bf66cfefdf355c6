#include "framework/core/growable_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

template <typename T>
std::vector<T> Contents(const CGrowableList<T>& list) {
    return std::vector<T>(list.Data(), list.Data() + list.Count());
}

CGrowableList<int>* Filled(CGrowableList<int>* list, int n) {
    for (int i = 0; i < n; ++i) list->Append(i);
    return list;
}

TEST(GrowableList, StartsEmptyWithoutStorage) {
    CGrowableList<int> list;
    EXPECT_EQ(0, list.Count());
    EXPECT_EQ(0, list.Capacity());
    EXPECT_EQ(nullptr, list.Data());
}

TEST(GrowableList, CapacityStartsAt16AndDoubles) {
    struct Step { int count; int capacity; };
    const Step steps[] = {{1, 16}, {16, 16}, {17, 32}, {32, 32}, {33, 64}, {65, 128}};
    CGrowableList<int> list;
    int appended = 0;
    for (const Step& s : steps) {
        while (appended < s.count) list.Append(appended++);
        EXPECT_EQ(s.capacity, list.Capacity()) << "after " << s.count;
    }
    for (int i = 0; i < list.Count(); ++i) ASSERT_EQ(i, list[i]);
}

TEST(GrowableList, PositiveGrowthStepAddsThatMany) {
    CGrowableList<int> list(5);
    Filled(&list, 16);
    EXPECT_EQ(16, list.Capacity());
    list.Append(16);
    EXPECT_EQ(21, list.Capacity());
    Filled(&list, 5);
    EXPECT_EQ(26, list.Capacity());
}

TEST(GrowableList, BlockInsertRaisesCapacityUntilItFits) {
    CGrowableList<int> list;
    std::vector<int> block(40, 7);
    EXPECT_EQ(0, list.Insert(0, block.data(), 40));
    EXPECT_EQ(64, list.Capacity());
    EXPECT_EQ(block, Contents(list));
}

TEST(GrowableList, InsertMovesTheTailUp) {
    CGrowableList<int> list;
    Filled(&list, 5);
    const int two[] = {100, 101};
    EXPECT_EQ(2, list.Insert(2, two, 2));
    EXPECT_EQ((std::vector<int>{0, 1, 100, 101, 2, 3, 4}), Contents(list));
    const int front = -1;
    EXPECT_EQ(0, list.Insert(0, &front));
    EXPECT_EQ(-1, list[0]);
}

TEST(GrowableList, OutOfRangePositionAppends) {
    CGrowableList<int> list;
    Filled(&list, 3);
    const int a = 50, b = 60;
    EXPECT_EQ(3, list.Insert(99, &a));
    EXPECT_EQ(4, list.Insert(-5, &b));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 50, 60}), Contents(list));
}

TEST(GrowableList, InsertOfNothingFailsAndChangesNothing) {
    CGrowableList<int> list;
    const int a = 1;
    EXPECT_EQ(-1, list.Insert(0, &a, 0));
    EXPECT_EQ(-1, list.Insert(0, &a, -3));
    EXPECT_EQ(0, list.Count());
    EXPECT_EQ(0, list.Capacity());
}

TEST(GrowableList, InsertThatCannotGrowLeavesTheListUnchanged) {
    struct Big { char bytes[260]; };
    CGrowableList<Big> list;
    Big one = {};
    one.bytes[0] = 'x';
    list.Append(one);
    // Far more than the storage can address: the insertion must fail before any copy.
    EXPECT_EQ(-1, list.Insert(1, &one, 10000000));
    EXPECT_EQ(1, list.Count());
    EXPECT_EQ(16, list.Capacity());
    EXPECT_EQ('x', list[0].bytes[0]);
}

struct RemoveCase {
    int position;
    int n;
    std::vector<int> after;
};

TEST(GrowableList, RemoveMovesTheTailDownOrDoesNothing) {
    const RemoveCase cases[] = {
        {0, 1, {1, 2, 3, 4}},
        {1, 3, {0, 4}},
        {4, 1, {0, 1, 2, 3}},
        {0, 5, {}},
        {-1, 1, {0, 1, 2, 3, 4}},   // negative position
        {2, 0, {0, 1, 2, 3, 4}},    // nothing to remove
        {2, -2, {0, 1, 2, 3, 4}},
        {3, 3, {0, 1, 2, 3, 4}},    // runs past the end
        {5, 1, {0, 1, 2, 3, 4}},
    };
    for (const RemoveCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.position << "," << c.n);
        CGrowableList<int> list;
        Filled(&list, 5);
        list.Remove(c.position, c.n);
        EXPECT_EQ(c.after, Contents(list));
    }
}

TEST(GrowableList, ClearKeepsStorageForReuse) {
    CGrowableList<int> list;
    Filled(&list, 20);
    list.Clear();
    EXPECT_EQ(0, list.Count());
    EXPECT_EQ(32, list.Capacity());
    list.Append(9);
    EXPECT_EQ((std::vector<int>{9}), Contents(list));
}

}  // namespace
