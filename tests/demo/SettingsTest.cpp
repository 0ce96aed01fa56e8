// The window's start state, the settings file it reads at start and writes at close, the INI
// reader and writer under it, and the field lists of the table data comparer group.
#include "tests/demo/DemoTestSupport.h"

#include <QLabel>

#include "demo/IniFile.h"

namespace smx::test {
namespace {

using Strings = std::vector<std::string>;

void WriteText(const std::string& Path, const std::string& Text) {
    std::ofstream(Path, std::ios::binary) << Text;
}

TEST_F(DemoWindow, StartsWithDefaultsWithoutSettingsFile) {
    Open();
    EXPECT_EQ(form->windowTitle().toStdString(), "Schemalyst Demo (IBX)");
    EXPECT_TRUE(Radio("rbMasterFromDatabase")->isChecked());
    EXPECT_TRUE(Radio("rbTargetFromDatabase")->isChecked());
    for (const char* e : {"fnDatabaseMaster", "fnDatabaseTarget", "fnScriptMaster", "fnScriptTarget",
                          "EditTableM", "EditTableT", "EditCustomFlds", "EditExclFlds"})
        EXPECT_TRUE(Edit(e)->text().isEmpty()) << e;
    EXPECT_EQ(Edit("EditMUser")->text().toStdString(), "SYSDBA");
    EXPECT_EQ(Edit("EditTUser")->text().toStdString(), "SYSDBA");
    EXPECT_EQ(Combo("cbCompareMode")->currentText().toStdString(), "All fields");
    EXPECT_FALSE(Edit("EditCustomFlds")->isEnabled());
    EXPECT_FALSE(Find<QLabel>("LabelCustomFlds")->isEnabled());
    // The database side's edits are on, the script side's off.
    EXPECT_TRUE(Edit("fnDatabaseMaster")->isEnabled());
    EXPECT_FALSE(Edit("fnScriptMaster")->isEnabled());
    EXPECT_FALSE(Button("BtnSelScriptTarget")->isEnabled());

    // The sides are chosen apart.
    QTest::mouseClick(Radio("rbMasterFromScript"), Qt::LeftButton);
    EXPECT_TRUE(Radio("rbMasterFromScript")->isChecked());
    EXPECT_TRUE(Radio("rbTargetFromDatabase")->isChecked());
    EXPECT_TRUE(Edit("fnScriptMaster")->isEnabled());
    EXPECT_FALSE(Edit("EditMUser")->isEnabled());
    EXPECT_FALSE(Button("BtnSelDatabaseMaster")->isEnabled());
    EXPECT_TRUE(Edit("EditTUser")->isEnabled());
    QTest::mouseClick(Radio("rbMasterFromDatabase"), Qt::LeftButton);

    Close();
    EXPECT_EQ(Lines(QString::fromUtf8(ReadFileText(SettingsFile()).c_str())),
              (Strings{"[Databases]", "MasterDB=", "TargetDB=", "MasterScript=", "TargetScript=",
                       "MasterFromDatabase=1", "TargetFromDatabase=1", "[TableDataComparer]",
                       "TableNameMaster=", "TableNameTarget=", "DataCompareMode=0",
                       "CustomKeyFields=", "ExcludeDataFields="}));
}

TEST_F(DemoWindow, SettingsRoundTrip) {
    Open();
    Edit("fnDatabaseMaster")->setText("/data/m'aster.fdb");
    Edit("fnDatabaseTarget")->setText("/data/Zürich.fdb");
    Edit("fnScriptMaster")->setText("/data/master.sql");
    Edit("fnScriptTarget")->setText("/data/target.sql");
    QTest::mouseClick(Radio("rbTargetFromScript"), Qt::LeftButton);
    Edit("EditTableM")->setText("CUSTOMER");
    EXPECT_EQ(Edit("EditTableT")->text().toStdString(), "CUSTOMER"); // follows the master's name
    Edit("EditTableT")->setText("CLIENT");
    Combo("cbCompareMode")->setCurrentIndex(3);
    EXPECT_TRUE(Edit("EditCustomFlds")->isEnabled());
    Edit("EditCustomFlds")->setText("ID, NAME");
    Edit("EditExclFlds")->setText("NOTE");
    Close();

    const std::string ini = ReadFileText(SettingsFile());
    EXPECT_NE(ini.find("\nCustomKeyFields=ID, NAME\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("\nTargetFromDatabase=0\n"), std::string::npos) << ini;

    Open();
    EXPECT_EQ(Edit("fnDatabaseMaster")->text().toStdString(), "/data/m'aster.fdb");
    EXPECT_EQ(Edit("fnDatabaseTarget")->text().toUtf8().toStdString(), "/data/Zürich.fdb");
    EXPECT_EQ(Edit("fnScriptMaster")->text().toStdString(), "/data/master.sql");
    EXPECT_EQ(Edit("fnScriptTarget")->text().toStdString(), "/data/target.sql");
    EXPECT_TRUE(Radio("rbMasterFromDatabase")->isChecked());
    EXPECT_TRUE(Radio("rbTargetFromScript")->isChecked());
    EXPECT_FALSE(Edit("fnDatabaseTarget")->isEnabled());
    EXPECT_TRUE(Edit("fnScriptTarget")->isEnabled());
    EXPECT_EQ(Edit("EditTableM")->text().toStdString(), "CUSTOMER");
    EXPECT_EQ(Edit("EditTableT")->text().toStdString(), "CLIENT");
    EXPECT_EQ(Combo("cbCompareMode")->currentIndex(), 3);
    EXPECT_TRUE(Edit("EditCustomFlds")->isEnabled());
    EXPECT_EQ(Edit("EditCustomFlds")->text().toStdString(), "ID, NAME");
    EXPECT_EQ(Edit("EditExclFlds")->text().toStdString(), "NOTE");
}

TEST_F(DemoWindow, BadSettingsTakeTheirDefaults) {
    WriteText(SettingsFile(), "garbage without equals\n"
                              "=no key\n"
                              "[databases]\n"
                              "masterdb = /x/m.fdb \n"
                              "MasterFromDatabase=maybe\n"
                              "TargetFromDatabase=0\n"
                              "Unknown=kept\n"
                              "[TableDataComparer]\n"
                              "DataCompareMode=abc\n"
                              "TableNameMaster=T1\n"
                              "[Other]\n"
                              "Key=value\n");
    Open();
    EXPECT_EQ(Edit("fnDatabaseMaster")->text().toStdString(), "/x/m.fdb");
    EXPECT_TRUE(Radio("rbMasterFromDatabase")->isChecked());
    EXPECT_TRUE(Radio("rbTargetFromScript")->isChecked());
    EXPECT_EQ(Combo("cbCompareMode")->currentIndex(), 0);
    EXPECT_EQ(Edit("EditTableM")->text().toStdString(), "T1");
    EXPECT_EQ(Edit("EditTableT")->text().toStdString(), ""); // its own key is absent: the default
    Close();
    const std::string ini = ReadFileText(SettingsFile());
    for (const char* kept : {"garbage without equals\n", "Unknown=kept\n", "[Other]\nKey=value\n"})
        EXPECT_NE(ini.find(kept), std::string::npos) << kept << "\n" << ini;
    EXPECT_NE(ini.find("MasterFromDatabase=1\n"), std::string::npos) << ini;

    for (const char* mode : {"9", "-1", "5"}) {
        WriteText(SettingsFile(), std::string("[TableDataComparer]\nDataCompareMode=") + mode + "\n");
        Open();
        EXPECT_EQ(Combo("cbCompareMode")->currentIndex(), 0) << mode;
        Close();
    }
}

TEST_F(DemoWindow, UnwritableSettingsFileIsNamedOnce) {
    // The settings file's folder is a regular file: nothing can be written there.
    const std::string blocker = Dir().File("notafolder");
    WriteText(blocker, "x");
    module = std::make_unique<TDataMdIbx>();
    form = std::make_unique<TForm1>(*module, blocker + "/Lirvendo.Ini");
    testing::internal::CaptureStderr();
    form->close();
    form.reset();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Lines(QString::fromStdString(err)).size(), 1u) << err;
    EXPECT_NE(err.find(blocker + "/Lirvendo.Ini"), std::string::npos) << err;
}

TEST(IniFile, SectionsAndKeysIgnoreCaseAndValuesStayVerbatim) {
    TTempDir dir("smxini");
    const std::string file = dir.File("s.ini");
    WriteText(file, "; comment\n[Sec]\nA=1\n\n[Next]\nB = two words, with comma \n");
    TIniFile ini(file);
    EXPECT_EQ(ini.ReadString("sec", "a", "d"), "1");
    EXPECT_EQ(ini.ReadString("NEXT", "b", "d"), "two words, with comma");
    EXPECT_EQ(ini.ReadString("Sec", "B", "d"), "d"); // B belongs to the other section
    EXPECT_EQ(ini.ReadInteger("Next", "B", 7), 7);
    EXPECT_TRUE(ini.ReadBool("Sec", "A", false));
    ini.WriteString("SEC", "New", "x");
    ini.WriteBool("Sec", "a", false);
    ini.WriteInteger("Third", "N", -3);
    ini.UpdateFile();
    EXPECT_EQ(ReadFileText(file),
              "; comment\n[Sec]\nA=0\nNew=x\n\n[Next]\nB = two words, with comma \n[Third]\nN=-3\n");
}

TEST(IniFile, BooleansReadNumbersAndWords) {
    TTempDir dir("smxini");
    const std::string file = dir.File("b.ini");
    WriteText(file, "[S]\nZero=0\nTwo=2\nT=TRUE\nF=false\nBad=maybe\nEmpty=\n");
    const TIniFile ini(file);
    EXPECT_FALSE(ini.ReadBool("S", "Zero", true));
    EXPECT_TRUE(ini.ReadBool("S", "Two", false));
    EXPECT_TRUE(ini.ReadBool("S", "T", false));
    EXPECT_FALSE(ini.ReadBool("S", "F", true));
    EXPECT_TRUE(ini.ReadBool("S", "Bad", true));
    EXPECT_FALSE(ini.ReadBool("S", "Empty", false));
    EXPECT_TRUE(ini.ReadBool("S", "Missing", true));
}

TEST(FieldLists, SplitTrimsDropsEmptyPiecesAndUpperCasesNames) {
    struct Case {
        const char* text;
        Strings expected;
    };
    const Case cases[] = {
        {" id ,name,,X1,1abc", {"ID", "NAME", "X1", "1abc"}}, {"", {}},         {" , ,", {}},
        {"\"Mixed\",_low,zz", {"\"Mixed\"", "_low", "ZZ"}},   {"\tA\t", {"A"}}, {"é1,b", {"é1", "B"}},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.Add("stale");
        SplitFieldList(c.text, list);
        Strings got;
        for (int i = 0; i < list.Count(); ++i)
            got.push_back(list[i]);
        EXPECT_EQ(got, c.expected) << c.text;
    }
}

} // namespace
} // namespace smx::test
