// The window's buttons on the example databases: the table data comparer and its Update, the
// refusals and failures (a missing database, a script side, an unknown table, an empty script),
// the login prompt, the busy flag that keeps runs from re-entering through the message pump,
// and the progress bars.
#include "tests/demo/DemoTestSupport.h"

#include "database/smxConnection_IBX.h"
#include "database/smxIBSQLExec.h"
#include "datacompare/smxTableDataComparer.h"

namespace smx::test {
namespace {

using Strings = std::vector<std::string>;

bool Has(const std::string& Text, const std::string& Part) {
    return Text.find(Part) != std::string::npos;
}

bool AtMaximum(const QProgressBar* Gauge) {
    return Gauge->maximum() > 0 && Gauge->value() == Gauge->maximum();
}

TEST_F(DemoWindow, TableDataCompareAndUpdate) {
    Open();
    UseExample();
    Click("BtnDataCompare");
    EXPECT_EQ(LogCount("Equal: 4, Inserted: 1, Updated: 1, Deleted: 1, All: 7."), 1) << Result();
    const std::string result = Result();
    EXPECT_TRUE(Has(result, "SET BLOBFILE 'Result.LOB';")) << result;
    EXPECT_TRUE(Has(result, "INSERT INTO CUSTOMER")) << result;
    EXPECT_TRUE(Has(result, "UPDATE CUSTOMER SET")) << result;
    EXPECT_TRUE(Has(result, "DELETE FROM CUSTOMER WHERE ID = 7")) << result;
    EXPECT_TRUE(AtMaximum(Gauge("Gauge1")));
    EXPECT_TRUE(AtMaximum(Gauge("Gauge2")));
    EXPECT_TRUE(std::filesystem::exists(Dir().File("Result.SQL")));
    EXPECT_TRUE(std::filesystem::exists(Dir().File("Result.LOB")));
    EXPECT_TRUE(boxes.empty()) << boxes.front();

    Click("BitBtn2");
    EXPECT_EQ(Log().back(), "< Script executed succesfully! >");
    Click("BtnDataCompare");
    EXPECT_EQ(LogCount("Equal: 6, Inserted: 0, Updated: 0, Deleted: 0, All: 6."), 1);
    EXPECT_TRUE(Button("BtnDataCompare")->isEnabled());
    EXPECT_TRUE(Button("BtnSelDatabaseMaster")->isEnabled());
    EXPECT_FALSE(Button("BtnSelScriptMaster")->isEnabled());
}

TEST_F(DemoWindow, TableDataCompareNeedsBothSidesOnDatabase) {
    Open();
    UseExample();
    for (const char* scriptSide : {"rbMasterFromScript", "rbTargetFromScript"}) {
        boxes.clear();
        QTest::mouseClick(Radio(scriptSide), Qt::LeftButton);
        Click("BtnDataCompare");
        EXPECT_EQ(boxes, Strings{"Table data comparer find differences only in database-tables..."});
        EXPECT_TRUE(Radio("rbMasterFromDatabase")->isChecked());
        EXPECT_TRUE(Radio("rbTargetFromDatabase")->isChecked());
        EXPECT_TRUE(Edit("fnDatabaseMaster")->isEnabled());
        EXPECT_FALSE(Edit("fnScriptTarget")->isEnabled());
        EXPECT_EQ(LogCount("Equal: ", true), 0);
        EXPECT_FALSE(std::filesystem::exists(Dir().File("Result.SQL")));
    }
}

TEST_F(DemoWindow, TableDataCompareOnMissingDatabase) {
    Open();
    UseExample();
    Click("BtnDataCompare");
    Edit("fnDatabaseTarget")->setText(QString::fromStdString(Dir().File("missing.fdb")));
    Click("BtnDataCompare");
    EXPECT_EQ(LogCount("Connecting to target-database...: " + Dir().File("missing.fdb")), 1);
    EXPECT_GE(LogCount("Error: ", true), 1);
    EXPECT_TRUE(Result().empty()) << Result();
    EXPECT_TRUE(Button("BtnDataCompare")->isEnabled());
}

TEST_F(DemoWindow, TableDataCompareOnUnknownTable) {
    Open();
    UseExample();
    Edit("EditTableM")->setText("NOPE");
    Click("BtnDataCompare");
    EXPECT_EQ(LogCount("Error: Table: NOPE not exists."), 1);
    EXPECT_GE(LogCount("Database: ", true), 1);
    EXPECT_TRUE(Result().empty()) << Result();
}

TEST_F(DemoWindow, UpdateWithNothingCompared) {
    Open();
    UseExample();
    Click("BtnUpdate");
    EXPECT_EQ(Log(), Strings{"Update script is empty."});
}

TEST_F(DemoWindow, MissingTargetDatabaseSkipsThatSideAndRefusesCompare) {
    Open();
    const std::string ex = UseExample();
    const std::string missing = Dir().File("missing.fdb");
    Edit("fnDatabaseTarget")->setText(QString::fromStdString(missing));
    Click("BtnExtract");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(Has(boxes[0], "I/O error during \"open\" operation")) << boxes[0];
    EXPECT_EQ(LogCount("Error: ", true), 1);
    EXPECT_EQ(LogCount("Error: " + Lines(QString::fromStdString(boxes[0])).front()), 1)
        << Find<QPlainTextEdit>("MemoExtr")->toPlainText().toStdString() << "\n[" << boxes[0] << "]";
    EXPECT_EQ(LogCount("Database: " + missing + " open."), 0);
    EXPECT_EQ(LogCount("Database: " + ex + "/master.fdb open."), 1);
    EXPECT_EQ(Log().back(), "< Extract finished. >");
    EXPECT_FALSE(module->IBDatabase2->GetConnected());
    for (const char* b :
         {"BtnExtract", "BtnCompare", "BtnUpdate", "BtnDataCompare", "BitBtn2", "BtnSelDatabaseTarget"})
        EXPECT_TRUE(Button(b)->isEnabled()) << b;

    Click("BtnCompare");
    EXPECT_EQ(
        LogCount("Error: Compare needs both sides extracted; the last Extract of the target side failed."),
        1);
    EXPECT_EQ(Log().back(), "< Compare finished. >");
    EXPECT_TRUE(Result().empty()) << Result();
    EXPECT_EQ(form->IBSQLExec->GetStatementCount(), 0);
    Click("BtnUpdate");
    EXPECT_EQ(Log().back(), "Update script is empty.");
}

TEST_F(DemoWindow, LoginPromptOnlyForTheTargetWithoutUser) {
    Open();
    const std::string ex = UseExample();
    Edit("EditTUser")->setText("");
    Edit("EditMUser")->setText("");
    Click("BtnExtract");
    EXPECT_EQ(logins, Strings{ex + "/target.fdb"});
    EXPECT_TRUE(module->IBDatabase2->GetLoginPrompt());
    EXPECT_FALSE(module->IBDatabase1->GetLoginPrompt());

    logins.clear();
    Edit("EditTUser")->setText("SYSDBA");
    Click("BtnExtract");
    EXPECT_TRUE(logins.empty());
    EXPECT_FALSE(module->IBDatabase2->GetLoginPrompt());
}

TEST_F(DemoWindow, NoRunReentersDuringUpdate) {
    Open();
    UseExample();
    Click("BtnDataCompare");
    ASSERT_GT(form->IBSQLExec->GetStatementCount(), 1);
    // Even a direct call of a handler is refused while a run is under way.
    const TReentry r = ClickProbingReentry("BitBtn2", [this] { form->BtnCompareClick(); });
    EXPECT_GE(r.Pumps, 1);
    EXPECT_TRUE(r.EnabledAtPump.empty()) << r.EnabledAtPump.front();
    EXPECT_TRUE(r.VisibleAfterClose);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(LogCount("< Script executed succesfully! >"), 1);
    EXPECT_EQ(LogCount("< Compare finished. >"), 0);
    EXPECT_EQ(LogCount("Equal: ", true), 1);
}

TEST_F(DemoWindow, ProgressBarsClampAndShowOneStepRunsFull) {
    Open();
    QProgressBar* g = Gauge("Gauge1");
    struct Case {
        int value, max, shownValue, shownMax;
    };
    for (const Case& c : {Case{3, 10, 3, 10}, Case{11, 10, 10, 10}, Case{-2, 10, 0, 10}, Case{0, 0, 1, 1},
                          Case{5, -1, 1, 1}}) {
        form->ProgressUpdate(nullptr, c.value, c.max);
        EXPECT_EQ(g->value(), c.shownValue) << c.value << "/" << c.max;
        EXPECT_EQ(g->maximum(), c.shownMax) << c.value << "/" << c.max;
        EXPECT_EQ(g->minimum(), 0);
    }
    form->TableDataComparerProgressUpdateTarget(nullptr, 8, 7);
    EXPECT_TRUE(AtMaximum(Gauge("Gauge2")));
}

TEST_F(DemoWindow, ExceptionInAHandlerIsShownAndLogged) {
    Open();
    UseExample();
    // The executor throws out of its progress event; the window's handler catches it.
    Click("BtnDataCompare");
    form->IBSQLExec->OnProgressUpdate = [](TObject*, int, int) { throw std::runtime_error("boom"); };
    Click("BitBtn2");
    EXPECT_EQ(boxes, Strings{"boom"});
    EXPECT_EQ(Log().back(), "Error: boom");
    EXPECT_FALSE(form->IsBusy());
    EXPECT_TRUE(Button("BitBtn2")->isEnabled());
}

TEST_F(DemoWindow, FieldListsReachTheTableDataComparer) {
    Open();
    UseExample();
    Edit("EditCustomFlds")->setText(" id ,name,,X1,1abc");
    Edit("EditExclFlds")->setText("note, ");
    Click("BtnDataCompare");
    const TStringList& keys = form->TableDataComparer->GetCustomKeyFields();
    Strings got;
    for (int i = 0; i < keys.Count(); ++i)
        got.push_back(keys[i]);
    EXPECT_EQ(got, (Strings{"ID", "NAME", "X1", "1abc"}));
    ASSERT_EQ(form->TableDataComparer->GetExcludeDataFields().Count(), 1);
    EXPECT_EQ(form->TableDataComparer->GetExcludeDataFields()[0], "NOTE");
    EXPECT_EQ(form->TableDataComparer->GetTableNameTarget(), "CUSTOMER");
}

} // namespace
} // namespace smx::test
