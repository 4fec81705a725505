#include <gtest/gtest.h>

#include "core/runtime/ptr_array.h"

namespace {
int CompareInts(const void* a, const void* b) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(a)) - static_cast<int>(reinterpret_cast<INT_PTR>(b));
}
void* P(INT_PTR v) { return reinterpret_cast<void*>(v); }
}  // namespace

TEST(PtrArray, CapacityGrowsAndShrinksInStepsOf16) {
    PtrArray* a = PtrArrayCreate();
    EXPECT_EQ(0u, a->count);
    EXPECT_EQ(16u, a->capacity);
    for (int i = 0; i < 15; i++) PtrArrayAdd(a, P(i));
    EXPECT_EQ(16u, a->capacity);
    PtrArrayAdd(a, P(15));
    EXPECT_EQ(32u, a->capacity);
    PtrArrayRemoveAt(a, 0);
    EXPECT_EQ(15u, a->count);
    EXPECT_EQ(16u, a->capacity);
    EXPECT_EQ(P(1), PtrArrayGet(a, 0));
    EXPECT_EQ(P(15), PtrArrayGet(a, 14));
    PtrArrayDestroy(a);
}

TEST(PtrArray, OutOfRangeIndexesChangeNothing) {
    PtrArray* a = PtrArrayCreate();
    PtrArrayAdd(a, P(7));
    EXPECT_EQ(nullptr, PtrArrayGet(a, 1));
    PtrArrayRemoveAt(a, 1);
    EXPECT_EQ(1u, PtrArrayCount(a));
    PtrArrayRemove(nullptr, P(7));
    PtrArrayRemove(a, P(8));
    EXPECT_EQ(1u, PtrArrayCount(a));
    PtrArrayDestroy(a);
}

TEST(PtrArray, RemoveTakesOnlyTheFirstOfTwoEqualItems) {
    PtrArray* a = PtrArrayCreate();
    PtrArrayAdd(a, P(1));
    PtrArrayAdd(a, P(2));
    PtrArrayAdd(a, P(1));
    PtrArrayRemove(a, P(1));
    ASSERT_EQ(2u, PtrArrayCount(a));
    EXPECT_EQ(P(2), PtrArrayGet(a, 0));
    EXPECT_EQ(P(1), PtrArrayGet(a, 1));
    PtrArrayDestroy(a);
}

TEST(PtrArray, AddSortedIsStable) {
    PtrArray* a = PtrArrayCreate();
    // Items compare by value / 10, so 50 and 51 are equal to 52.
    auto byTens = [](const void* x, const void* y) {
        return static_cast<int>(reinterpret_cast<INT_PTR>(x) / 10) - static_cast<int>(reinterpret_cast<INT_PTR>(y) / 10);
    };
    PtrArrayAdd(a, P(50));
    PtrArrayAdd(a, P(51));
    EXPECT_EQ(2u, PtrArrayAddSorted(a, P(52), byTens));
    EXPECT_EQ(0u, PtrArrayAddSorted(a, P(10), byTens));
    EXPECT_EQ(4u, PtrArrayAddSorted(a, P(90), byTens));
    EXPECT_EQ(P(52), PtrArrayGet(a, 3));
    PtrArrayDestroy(a);
}

TEST(PtrArray, SortOrdersAnyInputAndSwapsPairsOnlyWhenOutOfOrder) {
    PtrArray* a = PtrArrayCreate();
    PtrArrayAdd(a, P(2));
    PtrArrayAdd(a, P(1));
    PtrArraySort(a, CompareInts);
    EXPECT_EQ(P(1), PtrArrayGet(a, 0));

    // Equal pair: the comparator says 0, so nothing moves.
    auto allEqual = [](const void*, const void*) { return 0; };
    PtrArraySort(a, allEqual);
    EXPECT_EQ(P(1), PtrArrayGet(a, 0));

    unsigned seed = 12345;
    for (int round = 0; round < 50; round++) {
        while (PtrArrayCount(a)) PtrArrayRemoveAt(a, 0);
        int n = round * 7 % 97;
        for (int i = 0; i < n; i++) {
            seed = seed * 1103515245 + 12345;
            PtrArrayAdd(a, P((seed >> 16) % 50));
        }
        PtrArraySort(a, CompareInts);
        for (UINT i = 1; i < PtrArrayCount(a); i++)
            ASSERT_LE(CompareInts(PtrArrayGet(a, i - 1), PtrArrayGet(a, i)), 0) << "round " << round;
    }
    PtrArrayDestroy(a);
}
