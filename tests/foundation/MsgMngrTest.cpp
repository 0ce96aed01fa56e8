// Message lists: kinds, script positions, copies between components, and the message-box fallback.
#include <gtest/gtest.h>

#include <vector>

#include "foundation/smxMsg.h"
#include "foundation/smxMsgMngr.h"
#include "platform/smxUIHooks.h"

using namespace smx;

TEST(MsgMngrTest, KindsAndErrors) {
    TMsgManager m;
    EXPECT_FALSE(m.HasErrors());
    m.AddMessage("info", 0);
    m.AddMessage("warn", 1);
    m.AddMessage("warn2", 1);
    EXPECT_FALSE(m.HasErrors());
    m.AddMessage("err", 2);
    EXPECT_TRUE(m.HasErrors());

    TMsgManager n;
    n.AddMessage("a", 0);
    n.AddMessage("b", 2);
    EXPECT_FALSE(n.HasKind(1));
}

TEST(MsgMngrTest, ScriptMessageStoresPositionsAsGiven) {
    TMsgManager m;
    m.AddScriptMessage("Missing: x", "a.sql", 2, 10, 4);
    ASSERT_EQ(m.Count(), 1);
    EXPECT_EQ(m[0].Text, "Missing: x");
    EXPECT_EQ(m[0].Kind, 2);
    EXPECT_EQ(m[0].LineNo, 10);
    EXPECT_EQ(m[0].ColumnNo, 4);
    EXPECT_EQ(m[0].ScriptName, "a.sql");
    EXPECT_EQ(m[0].Obj, nullptr);
}

TEST(MsgMngrTest, AddMessagesCopiesNeverShares) {
    TObject o1, o2;
    TMsgManager src;
    src.AddMessage("one", 0, &o1);
    src.AddObjectMessage("two", &o2, 2, 3, 4);
    TMsgManager dst;
    dst.AddMessages(nullptr);
    EXPECT_EQ(dst.Count(), 0);
    dst.AddMessage("own", 1);
    dst.AddMessages(&src);
    ASSERT_EQ(dst.Count(), 3);
    EXPECT_EQ(dst[1].Text, "one");
    EXPECT_EQ(dst[1].Obj, &o1);
    EXPECT_EQ(dst[2].Obj, &o2);
    EXPECT_EQ(dst[2].LineNo, 3);
    EXPECT_NE(&dst[1], &src[0]);
    dst.Clear();
    ASSERT_EQ(src.Count(), 2);
    EXPECT_EQ(src[0].Text, "one");
    EXPECT_EQ(src[1].Text, "two");
}

TEST(MsgMngrTest, MessageBoxGoesThroughTheHookOnce) {
    std::vector<std::string> shown;
    auto old = SetMessageBoxHook([&](const std::string& t) { shown.push_back(t); });
    ShowMessageBox("abc");
    SetMessageBoxHook(old);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "abc");
}

TEST(MsgMngrTest, PumpHookIsCalled) {
    int pumped = 0;
    auto old = SetMessagePumpHook([&] { ++pumped; });
    ProcessMessages();
    ProcessMessages();
    SetMessagePumpHook(old);
    ProcessMessages(); // default: nothing
    EXPECT_EQ(pumped, 2);
}
