#include <gtest/gtest.h>

#include "ansi/memory.h"
#include "llist.h"

namespace {

int a, b, c, d;

// Walks the list from the head and joins the items' letters, checking the links both
// ways on the way.
std::string Contents(LList& list) {
    std::string letters;
    for (bool more = list.First(); more; more = list.Next()) {
        void* item = list.Current();
        letters += item == &a ? 'a' : item == &b ? 'b' : item == &c ? 'c' : item == &d ? 'd' : '?';
    }
    std::string backwards;
    for (bool more = list.Last(); more; more = list.Prev()) {
        void* item = list.Current();
        backwards.insert(backwards.begin(),
                         item == &a ? 'a' : item == &b ? 'b' : item == &c ? 'c' : item == &d ? 'd' : '?');
    }
    EXPECT_EQ(letters, backwards);
    EXPECT_EQ(size_t(list.Count()), letters.size());
    return letters;
}

TEST(LList, AddBackMovesCursorOnlyIntoAnEmptyList) {
    LList list;
    ASSERT_TRUE(list.AddBack(&a));
    EXPECT_EQ(list.Current(), &a);
    EXPECT_EQ(list.Index(), 0);
    ASSERT_TRUE(list.AddBack(&b));
    EXPECT_EQ(list.Current(), &a);
    EXPECT_EQ(list.Index(), 0);
    EXPECT_EQ(Contents(list), "ab");
}

TEST(LList, InsertBeforeHeadAndAfterTail) {
    LList list;
    list.AddBack(&b);
    ASSERT_TRUE(list.InsertBefore(&a));
    EXPECT_EQ(list.Current(), &b);
    EXPECT_EQ(list.Index(), 1);
    list.Last();
    ASSERT_TRUE(list.InsertAfter(&c));
    EXPECT_EQ(list.Current(), &c);
    EXPECT_EQ(list.Index(), 2);
    EXPECT_EQ(Contents(list), "abc");
    // Off the end of a non-empty list there is nowhere to insert.
    EXPECT_FALSE(list.InsertBefore(&d));
    EXPECT_FALSE(list.InsertAfter(&d));
    EXPECT_EQ(Contents(list), "abc");
}

TEST(LList, RemoveMovesTheCursor) {
    LList list;
    list.AddBack(&a);
    list.AddBack(&b);
    list.AddBack(&c);
    list.AddBack(&d);
    list.First();
    list.Next();  // on b
    EXPECT_TRUE(list.Remove(1));
    EXPECT_EQ(list.Current(), &c);
    EXPECT_EQ(list.Index(), 1);
    list.Last();  // on d, the tail
    EXPECT_TRUE(list.Remove(1));
    EXPECT_EQ(list.Current(), &c);
    EXPECT_EQ(list.Index(), 1);
    EXPECT_EQ(Contents(list), "ac");
    list.First();  // removing the head moves the cursor to the new head
    EXPECT_TRUE(list.Remove(1));
    EXPECT_EQ(list.Current(), &c);
    EXPECT_EQ(list.Index(), 0);
    EXPECT_FALSE(list.Remove(1));  // the only node: the list is empty afterwards
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(list.IsValid());
    EXPECT_FALSE(list.First());
    EXPECT_FALSE(list.Remove(1));
}

TEST(LList, RemoveItemFindsTheFirstMatchOrRunsOffTheEnd) {
    LList list;
    EXPECT_FALSE(list.RemoveItem(&a));
    list.AddBack(&a);
    list.AddBack(&b);
    list.AddBack(&c);
    EXPECT_FALSE(list.RemoveItem(&d));
    EXPECT_FALSE(list.IsValid());
    EXPECT_EQ(list.Index(), list.Count());
    EXPECT_EQ(Contents(list), "abc");
    EXPECT_TRUE(list.RemoveItem(&b));
    EXPECT_EQ(list.Current(), &c);
    EXPECT_EQ(Contents(list), "ac");
}

TEST(LList, NextFromTheTailLeavesTheList) {
    LList list;
    list.AddBack(&a);
    list.AddBack(&b);
    list.Last();
    EXPECT_FALSE(list.Next());
    EXPECT_FALSE(list.IsValid());
    EXPECT_EQ(list.Index(), 2);
    EXPECT_EQ(list.Current(), nullptr);
    EXPECT_FALSE(list.Next());
    EXPECT_FALSE(list.Prev());
}

TEST(LList, CursorStackHoldsSixteen) {
    LList list;
    void* items[17];
    for (int i = 0; i < 17; ++i) {
        items[i] = &items[i];
        list.AddBack(items[i]);
    }
    list.First();
    for (int i = 0; i < 16; ++i) {
        ASSERT_TRUE(list.PushCursor()) << i;
        list.Next();
    }
    EXPECT_FALSE(list.PushCursor());
    for (int i = 15; i >= 0; --i) {
        ASSERT_TRUE(list.PopCursor());
        EXPECT_EQ(list.Current(), items[i]);
        EXPECT_EQ(list.Index(), i);
    }
    EXPECT_FALSE(list.PopCursor());
    EXPECT_EQ(list.Index(), 0);
}

TEST(LList, FreeingItems) {
    LList list;
    list.AddBack(XALLOC(16));
    list.AddBack(XALLOC(32));
    list.First();
    EXPECT_TRUE(list.FreeCurrentItem());
    EXPECT_EQ(list.Current(), nullptr);
    EXPECT_FALSE(list.FreeCurrentItem());
    EXPECT_EQ(list.Count(), 2);
    // The sanitizer build reports a leak if the second item stays.
    list.ClearAndFreeItems();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(list.First());
}

}  // namespace
