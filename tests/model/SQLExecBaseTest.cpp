// The executor interface: filing statements (kinds, terminators, line counts, the add and create
// handlers), captions, clearing and deleting, error reporting and loading a missing script.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/smxClasses.h"
#include "platform/smxUIHooks.h"

namespace smx {
namespace {

// Captures the message box while a test runs.
class BoxCapture {
public:
    BoxCapture() {
        previous_ = SetMessageBoxHook([this](const std::string& t) { texts.push_back(t); });
    }
    ~BoxCapture() { SetMessageBoxHook(previous_); }
    std::vector<std::string> texts;

private:
    TMessageBoxHook previous_;
};

TEST(SQLExecBase, EmptyTextAddsNothingExceptComments) {
    TCustomSQLExec exec;
    EXPECT_EQ(exec.AddStatement("", TStatType::stStatement), nullptr);
    EXPECT_EQ(exec.GetStatementCount(), 0);
    EXPECT_EQ(exec.GetLineTotal(), 0);

    TStatement* c = exec.AddStatement("", TStatType::stComment);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Lines.Count(), 0);
    EXPECT_EQ(c->LineCount, 0);
    EXPECT_EQ(c->Terminator, "");
    EXPECT_EQ(c->Owner, &exec);
    EXPECT_EQ(exec.GetLineTotal(), 1);
}

TEST(SQLExecBase, LinesAndLineTotal) {
    TCustomSQLExec exec;
    TStatement* st = exec.AddStatement("a\r\nb", TStatType::stStatement, "T", TDbObject::dboTable,
                                       TDbOperation::odbCreate, "S", "");
    ASSERT_NE(st, nullptr);
    EXPECT_EQ(st->Lines.Count(), 2);
    EXPECT_EQ(st->LineCount, 2);
    EXPECT_EQ(exec.GetLineTotal(), 3);
    EXPECT_EQ(st->ObjName, "T");
    EXPECT_EQ(st->ObjKind, TDbObject::dboTable);
    EXPECT_EQ(st->Operation, TDbOperation::odbCreate);
    EXPECT_EQ(st->ParentName, "S");
    exec.AddStatement("x", TStatType::stStatement);
    EXPECT_EQ(exec.GetLineTotal(), 5);
}

TEST(SQLExecBase, Terminators) {
    struct Row {
        TDatabaseType type;
        TStatType kind;
        std::string given, expected;
    };
    const Row rows[] = {
        {TDatabaseType::dbMSSQL, TStatType::stStatement, "", "\r\nGO\r\n"},
        {TDatabaseType::dbInterBase, TStatType::stStatement, "", ";\r\n"},
        {TDatabaseType::dbSybaseASA, TStatType::stProcedure, "", "\r\ngo\r\n"},
        {TDatabaseType::dbInterBase, TStatType::stStatement, "@@", "@@"},
        {TDatabaseType::dbMSSQL, TStatType::stComment, "", ""},
        {TDatabaseType::dbInterBase, TStatType::stComment, "--", "--"},
    };
    for (const Row& r : rows) {
        TCustomSQLExec exec;
        exec.SetDatabaseType(r.type);
        TStatement* st =
            exec.AddStatement("x", r.kind, "", TDbObject::dboUnknown, TDbOperation::odbUnknown, "", r.given);
        ASSERT_NE(st, nullptr);
        EXPECT_EQ(st->Terminator, r.expected) << static_cast<int>(r.type) << " " << r.given;
    }
}

TEST(SQLExecBase, RefusedStatementIsFreedAndNotFiled) {
    TCustomSQLExec exec;
    int seen = 0;
    exec.OnStatementAdd = [&](TObject* sender, TStatement* st, bool& accept) {
        EXPECT_EQ(sender, &exec);
        EXPECT_EQ(st->Lines.Text(), "drop\r\n");
        ++seen;
        accept = false;
    };
    EXPECT_EQ(exec.AddStatement("drop", TStatType::stStatement), nullptr);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(exec.GetStatementCount(), 0);
    EXPECT_EQ(exec.GetLineTotal(), 0);
    EXPECT_EQ(exec.GetHasExecutableStatements(), 0);
}

TEST(SQLExecBase, CreateHandlerSuppliesTheStatement) {
    TCustomSQLExec exec;
    TStatement* made = nullptr;
    exec.OnStatementCreate = [&](TObject*, std::unique_ptr<TStatement>& st) {
        st = std::make_unique<TStatement>(&exec);
        made = st.get();
    };
    EXPECT_EQ(exec.AddStatement("x", TStatType::stStatement), made);
    EXPECT_EQ(exec.GetStatement(0), made);
}

TEST(SQLExecBase, ExecutableKinds) {
    using enum TStatType;
    {
        TCustomSQLExec exec;
        for (TStatType k : {stSelect, stCharSet, stComment, stConnect, st_Commit})
            exec.AddStatement("x", k);
        EXPECT_EQ(exec.GetHasExecutableStatements(), 0);
        exec.AddStatement("x", stInsert);
        EXPECT_EQ(exec.GetHasExecutableStatements(), 1);
        exec.ClearStatements();
        EXPECT_EQ(exec.GetHasExecutableStatements(), 0);
        EXPECT_EQ(exec.GetLineTotal(), 0);
        EXPECT_EQ(exec.GetStatementCount(), 0);
    }
    for (TStatType k : {stStatement, stProcedure, stTrigger, stDescription, stInsert, stUpdate, stDelete,
                        stPackage, stExecuteBlock}) {
        TCustomSQLExec exec;
        exec.AddStatement("x", k);
        EXPECT_EQ(exec.GetHasExecutableStatements(), 1) << static_cast<int>(k);
    }
}

TEST(SQLExecBase, Captions) {
    using enum TDbOperation;
    struct Row {
        TDbOperation op;
        std::string caption;
    };
    const Row rows[] = {
        {odbCreate, "T: create"},
        {odbAlter, "T: alter"},
        {odbDrop, "T: drop"},
        {odbEmpty, "T: empty body"},
        {odbRestore, "T: restore body"},
        {odbEmptyCreate, "T: create empty"},
        {odbEmptyDrop, "T: empty before drop"},
        {odbDescription, "T: description"},
        {odbInsert, "T: insert"},
        {odbUpdate, "T: update"},
        {odbDelete, "T: delete"},
        {odbCommit, "T"},
    };
    TCustomSQLExec exec;
    for (const Row& r : rows) {
        TStatement* st =
            exec.AddStatement("DROP TABLE T", TStatType::stStatement, "T", TDbObject::dboTable, r.op);
        EXPECT_EQ(st->GetCaption(), r.caption);
    }
    for (TDbOperation op : {odbDrop, odbCreate, odbUnknown}) {
        TStatement* f = exec.AddStatement("x", TStatType::stStatement, "F", TDbObject::dboField, op, "T");
        EXPECT_EQ(f->GetCaption(), "T (F): alter");
    }
    TStatement* bare = exec.AddStatement("first\r\nsecond", TStatType::stStatement);
    EXPECT_EQ(bare->GetCaption(), "first");
    TStatement* none = exec.AddStatement("", TStatType::stComment);
    EXPECT_EQ(none->GetCaption(), "");
}

TEST(SQLExecBase, ErrorsCountWithAndWithoutHandler) {
    BoxCapture box;
    TCustomSQLExec exec;
    exec.DoErrorMessage("boxed");
    ASSERT_EQ(box.texts.size(), 1u);
    EXPECT_EQ(box.texts[0], "boxed");
    EXPECT_EQ(exec.GetErrorCount(), 1);
    std::vector<std::string> got;
    exec.OnErrorMessage = [&](TObject*, const std::string& t) { got.push_back(t); };
    exec.DoErrorMessage("handled");
    EXPECT_EQ(got, std::vector<std::string>{"handled"});
    EXPECT_EQ(box.texts.size(), 1u);
    EXPECT_EQ(exec.GetErrorCount(), 2);
    EXPECT_TRUE(exec.ExecuteScript());
    EXPECT_EQ(exec.GetErrorCount(), 0);
}

TEST(SQLExecBase, MissingScriptFile) {
    TCustomSQLExec exec;
    exec.SetScriptFileName("old.sql");
    std::vector<std::string> got;
    exec.OnErrorMessage = [&](TObject*, const std::string& t) { got.push_back(t); };
    exec.LoadScriptFromFile("missing.sql");
    EXPECT_EQ(exec.GetScriptFileName(), "");
    EXPECT_EQ(got, std::vector<std::string>{"File not found: missing.sql"});
    EXPECT_EQ(exec.GetErrorCount(), 1);

    BoxCapture box;
    TCustomSQLExec quiet;
    quiet.LoadScriptFromFile("missing.sql");
    EXPECT_EQ(box.texts, std::vector<std::string>{"File not found: missing.sql"});
    EXPECT_EQ(quiet.GetErrorCount(), 1);
}

// Records what LoadScript receives.
class LoadingExec : public TCustomSQLExec {
public:
    void LoadScript(const TStringList& Lines) override { loaded.push_back(Lines.Text()); }
    std::vector<std::string> loaded;
};

TEST(SQLExecBase, LoadScriptHandlerReplacesTheFile) {
    LoadingExec exec;
    exec.OnLoadScript = [](TObject*, const std::string& name, TStringList& script, bool& loaded) {
        script.Add("-- " + name);
        loaded = true;
    };
    exec.LoadScriptFromFile("nowhere.sql");
    EXPECT_EQ(exec.GetScriptFileName(), "nowhere.sql");
    ASSERT_EQ(exec.loaded.size(), 1u);
    EXPECT_EQ(exec.loaded[0], "-- nowhere.sql\r\n");
    exec.LoadScriptFromStream(nullptr);
    EXPECT_EQ(exec.loaded.size(), 1u);
}

// Remembers one statement the way a running executor does, and drops it when told.
class CurrentExec : public TCustomSQLExec {
public:
    TStatement* current = nullptr;
    std::vector<TStatement*> told;

protected:
    void StatementFreed(TStatement* st) override {
        told.push_back(st);
        if (!st || st == current) current = nullptr;
    }
};

TEST(SQLExecBase, FreedStatementsAreReported) {
    CurrentExec exec;
    exec.AddStatement("a", TStatType::stStatement);
    TStatement* b = exec.AddStatement("b", TStatType::stStatement);
    exec.current = b;
    exec.DeleteStatement(5); // out of range: nothing
    EXPECT_EQ(exec.GetStatementCount(), 2);
    exec.DeleteStatement(1);
    EXPECT_EQ(exec.current, nullptr);
    EXPECT_EQ(exec.told, std::vector<TStatement*>{b});
    exec.current = exec.GetStatement(0);
    exec.ClearStatements();
    EXPECT_EQ(exec.current, nullptr);
    EXPECT_EQ(exec.told.back(), nullptr);

    std::vector<TStatement*> watched;
    int tag = 0;
    exec.WatchStatements(&tag, [&](TStatement* st) { watched.push_back(st); });
    TStatement* c = exec.AddStatement("c", TStatType::stStatement);
    exec.DeleteStatement(0);
    exec.UnwatchStatements(&tag);
    exec.AddStatement("d", TStatType::stStatement);
    exec.ClearStatements();
    EXPECT_EQ(watched, std::vector<TStatement*>{c});
}

} // namespace
} // namespace smx
