// Extract, Compare and Update of the schema from the window, on the example databases and
// scripts: the order of the sides, the update script, its run on the target (read back from the
// system tables), the script side, a missing script, and runs that must not re-enter through the
// message pump.
#include "tests/demo/DemoTestSupport.h"

#include "database/smxIBSQLExec.h"
#include "tests/database/IBXTestSupport.h"

namespace smx::test {
namespace {

using Strings = std::vector<std::string>;

bool AtMaximum(const QProgressBar* Gauge) {
    return Gauge->maximum() > 0 && Gauge->value() == Gauge->maximum();
}

bool HasLineStarting(const std::string& Text, const std::string& Prefix) {
    std::istringstream in(Text);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(Prefix, 0) == 0) return true;
    return false;
}

/// The first line after the script's leading comment (the target's database facts).
std::string FirstStatementLine(const std::string& Text) {
    std::istringstream in(Text);
    bool inComment = false;
    for (std::string line; std::getline(in, line);) {
        if (!inComment && line.rfind("/*", 0) == 0) inComment = true;
        if (inComment) {
            inComment = line.find("*/") == std::string::npos;
            continue;
        }
        if (!line.empty()) return line;
    }
    return {};
}

/// The statement lines of a script: every line that starts one of the statements Update runs
/// beyond the header.
Strings StatementLines(const std::string& Text) {
    Strings r;
    std::istringstream in(Text);
    for (std::string line; std::getline(in, line);)
        for (const char* verb : {"CREATE", "ALTER", "DROP", "RECREATE", "COMMENT", "GRANT", "REVOKE",
                                 "INSERT", "UPDATE", "DELETE", "EXECUTE", "SET GENERATOR"})
            if (line.rfind(verb, 0) == 0) r.push_back(line);
    return r;
}

/// Changes every test expects between master and target of the example.
const char* const TableChanges[] = {"CREATE TABLE PRODUCT", "ALTER TABLE ORDERS ADD SHIPPED",
                                    "ALTER TABLE ORDERS DROP OLD_CODE", "DROP TABLE LEGACY"};

Strings Column(const std::string& Path, const std::string& Sql) {
    return ReadColumnElsewhere(Path, Sql);
}

TEST_F(DemoWindow, ExtractCompareUpdateOnTheExample) {
    Open();
    const std::string ex = UseExample();
    const std::string target = ex + "/target.fdb";

    Click("BtnExtract");
    const int targetOpen = LogIndex("Database: " + target + " open.");
    const int masterOpen = LogIndex("Database: " + ex + "/master.fdb open.");
    ASSERT_GE(targetOpen, 0);
    EXPECT_GT(masterOpen, targetOpen);
    EXPECT_EQ(Log().back(), "< Extract finished. >");
    EXPECT_TRUE(AtMaximum(Gauge("Gauge1")));
    EXPECT_TRUE(boxes.empty()) << boxes.front();
    EXPECT_EQ(LogCount("Error: ", true), 0);

    Click("BtnCompare");
    const std::string script = Result();
    EXPECT_EQ(FirstStatementLine(script), "SET NAMES UTF8;") << script;
    for (const char* change : TableChanges)
        EXPECT_TRUE(HasLineStarting(script, change)) << change << "\n" << script;
    EXPECT_EQ(LogCount("< Compare finished. >"), 1);

    Click("BtnUpdate");
    EXPECT_EQ(Log().back(), "< Script executed succesfully! >") << script;
    EXPECT_TRUE(AtMaximum(Gauge("Gauge1")));
    EXPECT_EQ(Column(target, "select rdb$relation_name from rdb$relations where rdb$system_flag = 0 and "
                             "rdb$view_blr is null order by 1"),
              (Strings{"CUSTOMER", "ORDERS", "PRODUCT"}));
    EXPECT_EQ(Column(target,
                     "select rdb$field_name from rdb$relation_fields where rdb$relation_name = 'ORDERS' "
                     "order by rdb$field_position"),
              (Strings{"ID", "CUSTOMER_ID", "ORDERED", "SHIPPED"}));

    Click("BtnExtract");
    Click("BtnCompare");
    EXPECT_EQ(StatementLines(Result()), Strings{}) << Result();
    EXPECT_TRUE(boxes.empty()) << boxes.front();
}

TEST_F(DemoWindow, ScriptTargetIsParsedBeforeTheMasterDatabase) {
    Open();
    const std::string ex = UseExample();
    QTest::mouseClick(Radio("rbTargetFromScript"), Qt::LeftButton);
    Click("BtnExtract");
    const Strings log = Log();
    int parsed = -1;
    for (std::size_t i = 0; i < log.size() && parsed < 0; ++i)
        if (log[i].find("target.sql") != std::string::npos) parsed = static_cast<int>(i);
    const int masterOpen = LogIndex("Database: " + ex + "/master.fdb open.");
    ASSERT_GE(parsed, 0) << Find<QPlainTextEdit>("MemoExtr")->toPlainText().toStdString();
    EXPECT_GT(masterOpen, parsed);
    EXPECT_EQ(LogCount("Error: ", true), 0) << Find<QPlainTextEdit>("MemoExtr")->toPlainText().toStdString();

    Click("BtnCompare");
    for (const char* change : TableChanges)
        EXPECT_TRUE(HasLineStarting(Result(), change)) << change << "\n" << Result();
}

TEST_F(DemoWindow, MissingScriptFileRefusesCompare) {
    Open();
    UseExample();
    Edit("fnScriptTarget")->setText(QString::fromStdString(Dir().File("missing.sql")));
    QTest::mouseClick(Radio("rbTargetFromScript"), Qt::LeftButton);
    Click("BtnExtract");
    EXPECT_GE(LogCount("Error: ", true), 1) << Find<QPlainTextEdit>("MemoExtr")->toPlainText().toStdString();
    EXPECT_EQ(Log().back(), "< Extract finished. >");
    Click("BtnCompare");
    EXPECT_EQ(
        LogCount("Error: Compare needs both sides extracted; the last Extract of the target side failed."),
        1);
    EXPECT_TRUE(Result().empty());
}

TEST_F(DemoWindow, NoRunReentersDuringExtract) {
    Open();
    UseExample();
    const TReentry r = ClickProbingReentry("BtnExtract", [this] { form->BtnExtractClick(); });
    EXPECT_GE(r.Pumps, 1);
    EXPECT_TRUE(r.EnabledAtPump.empty()) << r.EnabledAtPump.front();
    EXPECT_TRUE(r.VisibleAfterClose);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(LogCount("< Extract finished. >"), 1);
    EXPECT_EQ(LogCount("< Compare finished. >"), 0);
    EXPECT_EQ(LogCount("Equal: ", true), 0);
}

} // namespace
} // namespace smx::test
