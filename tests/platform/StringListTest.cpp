// TStringList rules the suite depends on: case rules, duplicates, sorting order, text and values.
#include <gtest/gtest.h>

#include "platform/smxStringList.h"

using namespace smx;

TEST(StringListTest, SortedCaseInsensitiveFindsAnyCase) {
    TStringList l;
    l.SetSorted(true);
    l.Add("abc");
    l.Add("Zeta");
    l.Add("beta");
    int i = -1;
    EXPECT_TRUE(l.Find("ABC", i));
    EXPECT_EQ(i, 0);
    EXPECT_EQ(l.IndexOf("BETA"), 1);
    EXPECT_EQ(l[2], "Zeta");
}

TEST(StringListTest, CaseSensitiveUsesByteOrderAndKeepsBothCases) {
    TStringList l;
    l.SetCaseSensitive(true);
    l.SetSorted(true);
    l.Add("orders");
    l.Add("ORDERS");
    ASSERT_EQ(l.Count(), 2);
    EXPECT_EQ(l[0], "ORDERS"); // 'O' < 'o'
    EXPECT_EQ(l.IndexOf("Orders"), -1);
    // Switching the rule re-sorts and the two keys then compare equal.
    l.SetCaseSensitive(false);
    EXPECT_GE(l.IndexOf("Orders"), 0);
}

TEST(StringListTest, DuplicatesActOnlyWhenSorted) {
    TStringList l;
    l.SetSorted(true);
    l.SetDuplicates(TDuplicates::dupIgnore);
    EXPECT_EQ(l.Add("b"), 0);
    EXPECT_EQ(l.Add("a"), 0);
    EXPECT_EQ(l.Add("B"), 1); // present: files nothing, reports the existing index
    EXPECT_EQ(l.Count(), 2);

    l.SetDuplicates(TDuplicates::dupError);
    EXPECT_THROW(l.Add("A"), std::exception);

    l.SetDuplicates(TDuplicates::dupAccept);
    TObject first, second;
    l.AddObject("x", &first);
    l.AddObject("X", &second);
    EXPECT_EQ(l.Count(), 4);
    EXPECT_EQ(l.Objects(2), &first); // equal keys keep the order they came in
    EXPECT_EQ(l.Objects(3), &second);

    TStringList u; // unsorted: duplicates always filed
    u.Add("a");
    u.Add("a");
    EXPECT_EQ(u.Count(), 2);
}

TEST(StringListTest, TextAndSetText) {
    TStringList l;
    l.SetText("a\r\nb\nc\rd\r\n");
    ASSERT_EQ(l.Count(), 4);
    EXPECT_EQ(l[3], "d");
    EXPECT_EQ(l.Text(), "a\r\nb\r\nc\r\nd\r\n");
    l.SetText("");
    EXPECT_EQ(l.Count(), 0);
    l.SetText("x\r\n\r\ny");
    EXPECT_EQ(l.Count(), 3);
    EXPECT_EQ(l[1], "");
}

TEST(StringListTest, Values) {
    TStringList l;
    l.SetValue("MasterDB", "/a.fdb");
    l.SetValue("User", "SYSDBA");
    EXPECT_EQ(l.Values("masterdb"), "/a.fdb");
    l.SetValue("MasterDB", "/b.fdb");
    EXPECT_EQ(l.Count(), 2);
    EXPECT_EQ(l.Values("MasterDB"), "/b.fdb");
    EXPECT_EQ(l.Names(1), "User");
    l.SetValue("User", "");
    EXPECT_EQ(l.Count(), 1);
    EXPECT_EQ(l.Values("missing"), "");
}

TEST(StringListTest, OwnedObjectsAreFreedOnDeleteAndClear) {
    struct Probe : TObject {
        int* c;
        explicit Probe(int* c) : c(c) {}
        ~Probe() override { ++*c; }
    };
    int freed = 0;
    {
        TStringList l(true);
        l.AddObject("a", new Probe(&freed));
        l.AddObject("b", new Probe(&freed));
        l.AddObject("c", new Probe(&freed));
        l.Delete(0);
        EXPECT_EQ(freed, 1);
        TObject* kept = l.Extract(0);
        delete kept;
        EXPECT_EQ(freed, 2);
    }
    EXPECT_EQ(freed, 3);
}

TEST(StringListTest, SortIsStableAndCustomSortApplies) {
    TStringList l;
    TObject o1, o2;
    l.AddObject("b", &o1);
    l.AddObject("a", nullptr);
    l.AddObject("B", &o2);
    l.Sort();
    EXPECT_EQ(l[0], "a");
    EXPECT_EQ(l.Objects(1), &o1);
    EXPECT_EQ(l.Objects(2), &o2);
    l.CustomSort([](const TStringList& s, int x, int y) { return s.CompareStrings(s[y], s[x]); });
    EXPECT_EQ(l[2], "a");
}
