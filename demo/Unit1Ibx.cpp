// The demo's main window: see the header.
#include "demo/Unit1Ibx.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <algorithm>
#include <exception>
#include <iostream>

#include "database/smxConnection_IBX.h"
#include "database/smxIBDatabaseExtract.h"
#include "database/smxIBSQLExec.h"
#include "datacompare/smxTableDataComparer.h"
#include "demo/IBDataModuleIbx.h"
#include "demo/IniFile.h"
#include "model/smxDBStructure.h"
#include "model/smxSQL_Exec.h"
#include "model/smxSchemalyst.h"
#include "parsing/smxIBScriptExtract.h"
#include "platform/smxScopeExit.h"
#include "platform/smxStrUtils.h"
#include "platform/smxUIHooks.h"

namespace smx {

namespace {

constexpr const char* SectionDatabases = "Databases";
constexpr const char* SectionTableData = "TableDataComparer";
constexpr int DataCompareModeCount = 5;
// The demo runs on the Firebird 3.0 engine: its script syntax, reserved words and COMMENT ON.
constexpr TIBSQLServerVersionType ServerVersion = TIBSQLServerVersionType::st_Firebird_30;

std::string ToStd(const QString& Text) {
    return Text.toUtf8().toStdString();
}
/// The text for a pane: the suite's CR LF line breaks become the panes' LF.
QString ToQt(std::string_view Text) {
    return QString::fromUtf8(Text.data(), static_cast<qsizetype>(Text.size())).replace("\r\n", "\n");
}

/// A control of the window, named as the settings and the tests know it.
template <class W, class... Args> W* Named(const char* Name, Args&&... args) {
    W* w = new W(std::forward<Args>(args)...);
    w->setObjectName(Name);
    return w;
}

/// A read-only pane without wrapping.
QPlainTextEdit* Pane(const char* Name) {
    auto* p = Named<QPlainTextEdit>(Name);
    p->setReadOnly(true);
    p->setLineWrapMode(QPlainTextEdit::NoWrap);
    p->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return p;
}

/// Window colour when enabled, button-face colour when not.
void SetEditState(QLineEdit* Edit, bool Enabled) {
    Edit->setEnabled(Enabled);
    QPalette p = Edit->palette();
    p.setColor(QPalette::Base,
               Edit->style()->standardPalette().color(Enabled ? QPalette::Base : QPalette::Button));
    Edit->setPalette(p);
}

void SetGauge(QProgressBar* Gauge, int Value, int MaxValue) {
    // A range 0..0 makes Qt show a busy bar; a finished one-step run shows full instead.
    if (MaxValue <= 0) {
        Gauge->setRange(0, 1);
        Gauge->setValue(1);
        return;
    }
    Gauge->setMaximum(MaxValue);
    Gauge->setValue(std::clamp(Value, 0, MaxValue));
}

} // namespace

void SplitFieldList(std::string_view Text, TStringList& List) {
    List.Clear();
    auto addPiece = [&List](std::string_view Piece) {
        std::size_t b = 0, e = Piece.size();
        while (b < e && static_cast<unsigned char>(Piece[b]) <= 32)
            ++b;
        while (e > b && static_cast<unsigned char>(Piece[e - 1]) <= 32)
            --e;
        if (e > b) List.Add(NormalizeFieldName(Piece.substr(b, e - b)));
    };
    std::size_t start = 0;
    for (std::size_t comma = Text.find(','); comma != std::string_view::npos; comma = Text.find(',', start)) {
        addPiece(Text.substr(start, comma - start));
        start = comma + 1;
    }
    addPiece(Text.substr(start));
}

std::string NormalizeFieldName(std::string_view Name) {
    const bool letter =
        !Name.empty() && ((Name[0] >= 'A' && Name[0] <= 'Z') || (Name[0] >= 'a' && Name[0] <= 'z'));
    return letter ? UpperCase(Name) : std::string(Name);
}

// ---------------------------------------------------------------------------------------------------
// Construction and the settings file

TForm1::TForm1(TDataMdIbx& DataModule, std::string SettingsFileName, QWidget* Parent)
    : QWidget(Parent), DataMdIbx(DataModule), settingsFileName_(std::move(SettingsFileName)) {
    setObjectName("Form1");
    setWindowTitle("Schemalyst Demo (IBX)");
    CreateControls();
    CreateComponents();
    DataMdIbx.Form1 = this;
    FormCreate();
}

TForm1::~TForm1() {
    FormDestroy();
    if (DataMdIbx.Form1 == this) DataMdIbx.Form1 = nullptr;
    // The components go before the controls their handlers write to.
    TableDataComparer.reset();
    Schemalyst1.reset();
    IBSQLExec.reset();
    IBScriptExtract2.reset();
    IBScriptExtract1.reset();
    IBDBExtract2.reset();
    IBDBExtract1.reset();
    DBStructure2.reset();
    DBStructure1.reset();
}

void TForm1::CreateControls() {
    // Databases...
    fnDatabaseMaster = Named<QLineEdit>("fnDatabaseMaster");
    fnDatabaseTarget = Named<QLineEdit>("fnDatabaseTarget");
    fnScriptMaster = Named<QLineEdit>("fnScriptMaster");
    fnScriptTarget = Named<QLineEdit>("fnScriptTarget");
    BtnSelDatabaseMaster = Named<QPushButton>("BtnSelDatabaseMaster", "...");
    BtnSelDatabaseTarget = Named<QPushButton>("BtnSelDatabaseTarget", "...");
    BtnSelScriptMaster = Named<QPushButton>("BtnSelScriptMaster", "...");
    BtnSelScriptTarget = Named<QPushButton>("BtnSelScriptTarget", "...");
    EditMUser = Named<QLineEdit>("EditMUser", "SYSDBA");
    EditMPswd = Named<QLineEdit>("EditMPswd", "plumbtide");
    EditTUser = Named<QLineEdit>("EditTUser", "SYSDBA");
    EditTPswd = Named<QLineEdit>("EditTPswd", "plumbtide");
    LabelMUser = Named<QLabel>("LabelMUser", "User");
    LabelMPswd = Named<QLabel>("LabelMPswd", "Password");
    LabelTUser = Named<QLabel>("LabelTUser", "User");
    LabelTPswd = Named<QLabel>("LabelTPswd", "Password");
    rbMasterFromDatabase = Named<QRadioButton>("rbMasterFromDatabase", "Database");
    rbMasterFromScript = Named<QRadioButton>("rbMasterFromScript", "Script");
    rbTargetFromDatabase = Named<QRadioButton>("rbTargetFromDatabase", "Database");
    rbTargetFromScript = Named<QRadioButton>("rbTargetFromScript", "Script");
    BtnExtract = Named<QPushButton>("BtnExtract", "Extract");
    BtnCompare = Named<QPushButton>("BtnCompare", "Compare");
    BtnUpdate = Named<QPushButton>("BtnUpdate", "Update");
    // A password edit shows "#" for every character.
    for (QLineEdit* e : {EditMPswd, EditTPswd}) {
        e->setEchoMode(QLineEdit::Password);
        e->setStyleSheet("lineedit-password-character: 35");
    }
    MasterSource = new QButtonGroup(this);
    MasterSource->setObjectName("MasterSource");
    MasterSource->addButton(rbMasterFromDatabase);
    MasterSource->addButton(rbMasterFromScript);
    TargetSource = new QButtonGroup(this);
    TargetSource->setObjectName("TargetSource");
    TargetSource->addButton(rbTargetFromDatabase);
    TargetSource->addButton(rbTargetFromScript);
    rbMasterFromDatabase->setChecked(true);
    rbTargetFromDatabase->setChecked(true);

    auto* databases = Named<QGroupBox>("GroupDatabases", "Databases...");
    auto* dg = new QGridLayout(databases);
    int row = 0;
    auto side = [&](const char* caption, QRadioButton* rbDb, QLineEdit* db, QPushButton* selDb,
                    QRadioButton* rbScr, QLineEdit* scr, QPushButton* selScr, QLabel* lUser, QLineEdit* user,
                    QLabel* lPswd, QLineEdit* pswd) {
        dg->addWidget(new QLabel(caption), row++, 0, 1, 5);
        dg->addWidget(rbDb, row, 0);
        dg->addWidget(db, row, 1, 1, 3);
        dg->addWidget(selDb, row++, 4);
        dg->addWidget(rbScr, row, 0);
        dg->addWidget(scr, row, 1, 1, 3);
        dg->addWidget(selScr, row++, 4);
        dg->addWidget(lUser, row, 0, Qt::AlignRight);
        dg->addWidget(user, row, 1);
        dg->addWidget(lPswd, row, 2, Qt::AlignRight);
        dg->addWidget(pswd, row++, 3);
    };
    side("Master...", rbMasterFromDatabase, fnDatabaseMaster, BtnSelDatabaseMaster, rbMasterFromScript,
         fnScriptMaster, BtnSelScriptMaster, LabelMUser, EditMUser, LabelMPswd, EditMPswd);
    side("Target...", rbTargetFromDatabase, fnDatabaseTarget, BtnSelDatabaseTarget, rbTargetFromScript,
         fnScriptTarget, BtnSelScriptTarget, LabelTUser, EditTUser, LabelTPswd, EditTPswd);
    auto* actions = new QHBoxLayout;
    actions->addWidget(new QLabel("Metadata compare:"));
    actions->addWidget(BtnExtract);
    actions->addWidget(BtnCompare);
    actions->addWidget(BtnUpdate);
    dg->addLayout(actions, row, 0, 1, 5);
    dg->setColumnStretch(1, 1);
    dg->setColumnStretch(3, 1);

    // Table data comparer...
    EditTableM = Named<QLineEdit>("EditTableM");
    EditTableT = Named<QLineEdit>("EditTableT");
    cbCompareMode = Named<QComboBox>("cbCompareMode");
    cbCompareMode->addItems({"All fields", "Primary key", "Unique", "Custom fields", "Auto"});
    cbCompareMode->setCurrentIndex(0);
    EditCustomFlds = Named<QLineEdit>("EditCustomFlds");
    LabelCustomFlds = Named<QLabel>("LabelCustomFlds", "Custom key fields:");
    EditExclFlds = Named<QLineEdit>("EditExclFlds");
    BtnDataCompare = Named<QPushButton>("BtnDataCompare", "Compare");
    BitBtn2 = Named<QPushButton>("BitBtn2", "Update");
    auto* tables = Named<QGroupBox>("GroupTableData", "Table data comparer...");
    auto* tg = new QGridLayout(tables);
    tg->addWidget(new QLabel("Master table-name:"), 0, 0);
    tg->addWidget(EditTableM, 0, 1, 1, 2);
    tg->addWidget(new QLabel("Target table-name:"), 1, 0);
    tg->addWidget(EditTableT, 1, 1, 1, 2);
    tg->addWidget(new QLabel("Data compare mode:"), 2, 0);
    tg->addWidget(cbCompareMode, 2, 1, 1, 2);
    tg->addWidget(LabelCustomFlds, 3, 0);
    tg->addWidget(EditCustomFlds, 3, 1, 1, 2);
    tg->addWidget(new QLabel("Exclude data fields:"), 4, 0);
    tg->addWidget(EditExclFlds, 4, 1, 1, 2);
    tg->addWidget(new QLabel("Data:"), 5, 0);
    tg->addWidget(BtnDataCompare, 5, 1);
    tg->addWidget(BitBtn2, 5, 2);
    tg->setRowStretch(6, 1);

    // Log..., Result Script... and the progress bars.
    MemoExtr = Pane("MemoExtr");
    MemoResult = Pane("MemoResult");
    auto* log = Named<QGroupBox>("GroupLog", "Log...");
    (new QHBoxLayout(log))->addWidget(MemoExtr);
    auto* result = Named<QGroupBox>("GroupResult", "Result Script...");
    (new QHBoxLayout(result))->addWidget(MemoResult);
    Gauge1 = Named<QProgressBar>("Gauge1");
    Gauge2 = Named<QProgressBar>("Gauge2");
    for (QProgressBar* g : {Gauge1, Gauge2}) {
        g->setRange(0, 100);
        g->setValue(0);
    }

    auto* grid = new QGridLayout(this);
    grid->addWidget(databases, 0, 0);
    grid->addWidget(tables, 0, 1);
    grid->addWidget(log, 1, 0);
    grid->addWidget(result, 1, 1);
    grid->addWidget(Gauge1, 2, 0);
    grid->addWidget(Gauge2, 2, 1);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    setMinimumSize(1000, 680);

    for (QPushButton* b :
         {BtnSelDatabaseMaster, BtnSelDatabaseTarget, BtnSelScriptMaster, BtnSelScriptTarget})
        connect(b, &QPushButton::clicked, this, [this, b] { BtnSelFileClick(b); });
    connect(BtnExtract, &QPushButton::clicked, this, [this] { BtnExtractClick(); });
    connect(BtnCompare, &QPushButton::clicked, this, [this] { BtnCompareClick(); });
    connect(BtnUpdate, &QPushButton::clicked, this, [this] { BtnUpdateClick(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BtnUpdateClick(); });
    connect(BtnDataCompare, &QPushButton::clicked, this, [this] { BtnDataCompareClick(); });
    for (QRadioButton* rb :
         {rbMasterFromDatabase, rbMasterFromScript, rbTargetFromDatabase, rbTargetFromScript})
        connect(rb, &QRadioButton::toggled, this, [this] { rbFromClick(); });
    connect(cbCompareMode, &QComboBox::currentIndexChanged, this, [this] { cbCompareModeChange(); });
    connect(EditTableM, &QLineEdit::textChanged, this, [this] { EditTableMChange(); });
}

void TForm1::CreateComponents() {
    auto log = [this](TObject* Sender, const std::string& Text) { LogNextLine(Sender, Text); };
    auto error = [this](TObject* Sender, const std::string& Text) { ErrorMessage(Sender, Text); };
    auto progress = [this](TObject* Sender, int Value, int MaxValue) {
        ProgressUpdate(Sender, Value, MaxValue);
    };
    auto connectionError = [this](TObject* Sender, const std::string& Text) {
        ConnectionErrorMessage(Sender, Text);
    };
    DataMdIbx.SMXConnection1->OnErrorMessage = connectionError;
    DataMdIbx.SMXConnection2->OnErrorMessage = connectionError;
    DataMdIbx.SMXConnection1->GetIBServerOptions().SetSQLServerVersion(ServerVersion);
    DataMdIbx.SMXConnection2->GetIBServerOptions().SetSQLServerVersion(ServerVersion);

    DBStructure1 = std::make_unique<TDBStructure>();
    DBStructure2 = std::make_unique<TDBStructure>();
    DBStructure1->SetName("DBStructure1");
    DBStructure2->SetName("DBStructure2");
    for (TDBStructure* s : {DBStructure1.get(), DBStructure2.get()}) {
        s->SetDatabaseType(TDatabaseType::dbInterBase);
        s->GetIBServerOptions().SetSQLServerVersion(ServerVersion);
    }

    IBDBExtract1 = std::make_unique<TIBDBExtract>();
    IBDBExtract2 = std::make_unique<TIBDBExtract>();
    IBDBExtract1->SetSMXConnection(DataMdIbx.SMXConnection1.get());
    IBDBExtract2->SetSMXConnection(DataMdIbx.SMXConnection2.get());
    IBDBExtract1->SetDBStructure(DBStructure1.get());
    IBDBExtract2->SetDBStructure(DBStructure2.get());
    IBScriptExtract1 = std::make_unique<TIBScriptExtract>();
    IBScriptExtract2 = std::make_unique<TIBScriptExtract>();
    IBScriptExtract1->SetDBStructure(DBStructure1.get());
    IBScriptExtract2->SetDBStructure(DBStructure2.get());
    IBDBExtract1->SetName("IBDBExtract1");
    IBDBExtract2->SetName("IBDBExtract2");
    IBScriptExtract1->SetName("IBScriptExtract1");
    IBScriptExtract2->SetName("IBScriptExtract2");
    for (TCustomExtract* e : std::initializer_list<TCustomExtract*>{
             IBDBExtract1.get(), IBDBExtract2.get(), IBScriptExtract1.get(), IBScriptExtract2.get()}) {
        e->SetOnLogNextLine(log);
        e->SetOnErrorMessage(error);
        e->SetOnProgressUpdate(progress);
    }

    IBSQLExec = std::make_unique<TIBSQLExec>();
    IBSQLExec->SetName("IBSQLExec");
    IBSQLExec->SetSMXConnection(DataMdIbx.SMXConnection2.get());
    IBSQLExec->GetIBServerOptions().SetSQLServerVersion(ServerVersion);
    IBSQLExec->OnLogNextLine = log;
    IBSQLExec->OnErrorMessage = error;
    IBSQLExec->OnProgressUpdate = progress;

    Schemalyst1 = std::make_unique<TSchemalyst>();
    Schemalyst1->SetName("Schemalyst1");
    Schemalyst1->SetDBStructureMaster(DBStructure1.get());
    Schemalyst1->SetDBStructureTarget(DBStructure2.get());
    Schemalyst1->SetSQLExec(IBSQLExec.get());
    // Firebird 3 refuses direct updates of descriptions in the system tables.
    Schemalyst1->GetIBCompareOptions().SetUpdateDescriptionMode(TUpdateDescriptionType::udComment);
    Schemalyst1->OnLogNextLine = log;
    Schemalyst1->OnErrorMessage = error;
    Schemalyst1->OnProgressUpdate = progress;

    TableDataComparer = std::make_unique<TTableDataComparer>();
    TableDataComparer->SetName("TableDataComparer");
    TableDataComparer->SetSMXConnectionMaster(DataMdIbx.SMXConnection1.get());
    TableDataComparer->SetSMXConnectionTarget(DataMdIbx.SMXConnection2.get());
    TableDataComparer->SetScriptFileName("Result.SQL");
    TableDataComparer->SetBlobFileName("Result.LOB");
    TableDataComparer->SetSQLExec(IBSQLExec.get());
    TableDataComparer->GetIBServerOptions().SetSQLServerVersion(ServerVersion);
    TableDataComparer->OnLogNextLine = log;
    TableDataComparer->OnErrorMessage = error;
    TableDataComparer->OnProgressUpdateMaster = [this](TObject* Sender, int Value, int MaxValue) {
        TableDataComparerProgressUpdateMaster(Sender, Value, MaxValue);
    };
    TableDataComparer->OnProgressUpdateTarget = [this](TObject* Sender, int Value, int MaxValue) {
        TableDataComparerProgressUpdateTarget(Sender, Value, MaxValue);
    };
}

void TForm1::FormCreate() {
    for (QLineEdit* e : {fnDatabaseMaster, fnDatabaseTarget, fnScriptMaster, fnScriptTarget})
        e->clear();
    MemoExtr->clear();
    MemoResult->clear();
    const TIniFile ini(settingsFileName_);
    fnDatabaseMaster->setText(ToQt(ini.ReadString(SectionDatabases, "MasterDB", "")));
    fnDatabaseTarget->setText(ToQt(ini.ReadString(SectionDatabases, "TargetDB", "")));
    fnScriptMaster->setText(ToQt(ini.ReadString(SectionDatabases, "MasterScript", "")));
    fnScriptTarget->setText(ToQt(ini.ReadString(SectionDatabases, "TargetScript", "")));
    const bool masterDb = ini.ReadBool(SectionDatabases, "MasterFromDatabase", true);
    (masterDb ? rbMasterFromDatabase : rbMasterFromScript)->setChecked(true);
    const bool targetDb = ini.ReadBool(SectionDatabases, "TargetFromDatabase", true);
    (targetDb ? rbTargetFromDatabase : rbTargetFromScript)->setChecked(true);
    // Setting EditTableM copies its text into EditTableT; the target's own name follows.
    EditTableM->setText(ToQt(ini.ReadString(SectionTableData, "TableNameMaster", "")));
    EditTableT->setText(ToQt(ini.ReadString(SectionTableData, "TableNameTarget", "")));
    int mode = ini.ReadInteger(SectionTableData, "DataCompareMode", 0);
    if (mode < 0 || mode >= DataCompareModeCount) mode = 0;
    cbCompareMode->setCurrentIndex(mode);
    cbCompareModeChange();
    EditCustomFlds->setText(ToQt(ini.ReadString(SectionTableData, "CustomKeyFields", "")));
    EditExclFlds->setText(ToQt(ini.ReadString(SectionTableData, "ExcludeDataFields", "")));
    rbFromClick();
}

void TForm1::FormDestroy() {
    try {
        TIniFile ini(settingsFileName_);
        ini.WriteString(SectionDatabases, "MasterDB", ToStd(fnDatabaseMaster->text()));
        ini.WriteString(SectionDatabases, "TargetDB", ToStd(fnDatabaseTarget->text()));
        ini.WriteString(SectionDatabases, "MasterScript", ToStd(fnScriptMaster->text()));
        ini.WriteString(SectionDatabases, "TargetScript", ToStd(fnScriptTarget->text()));
        ini.WriteBool(SectionDatabases, "MasterFromDatabase", rbMasterFromDatabase->isChecked());
        ini.WriteBool(SectionDatabases, "TargetFromDatabase", rbTargetFromDatabase->isChecked());
        ini.WriteString(SectionTableData, "TableNameMaster", ToStd(EditTableM->text()));
        ini.WriteString(SectionTableData, "TableNameTarget", ToStd(EditTableT->text()));
        ini.WriteInteger(SectionTableData, "DataCompareMode", cbCompareMode->currentIndex());
        ini.WriteString(SectionTableData, "CustomKeyFields", ToStd(EditCustomFlds->text()));
        ini.WriteString(SectionTableData, "ExcludeDataFields", ToStd(EditExclFlds->text()));
        ini.UpdateFile();
    } catch (const std::exception& e) {
        // The window closes regardless; the user learns which file kept its old settings.
        std::cerr << e.what() << std::endl;
    }
}

// ---------------------------------------------------------------------------------------------------
// Running the buttons

template <class F> void TForm1::RunExclusive(F&& Body) {
    if (busy_) return;
    busy_ = true;
    SetButtonsEnabled(false);
    DataMdIbx.ForgetLogins();
    try {
        Body();
    } catch (const std::exception& e) {
        ReportError(e.what());
    } catch (...) {
        ReportError("Unknown exception");
    }
    busy_ = false;
    SetButtonsEnabled(true);
    if (closeRequested_) {
        closeRequested_ = false;
        close();
    }
}

void TForm1::SetButtonsEnabled(bool Enabled) {
    for (QPushButton* b : {BtnExtract, BtnCompare, BtnUpdate, BtnDataCompare, BitBtn2})
        b->setEnabled(Enabled);
    if (Enabled) {
        rbFromClick();
    } else {
        for (QPushButton* b :
             {BtnSelDatabaseMaster, BtnSelDatabaseTarget, BtnSelScriptMaster, BtnSelScriptTarget})
            b->setEnabled(false);
    }
}

void TForm1::closeEvent(QCloseEvent* Event) {
    if (busy_) {
        closeRequested_ = true;
        Event->ignore();
        return;
    }
    Event->accept();
}

void TForm1::ReportError(const std::string& Text) {
    PlatformShowMessage(Text);
    LogNextLine(nullptr, "Error: " + Text);
}

void TForm1::ConnectionErrorMessage(TObject*, const std::string& Text) {
    ReportError(Text);
}

void TForm1::BtnSelFileClick(QPushButton* Sender) {
    if (busy_) return;
    const bool script = Sender == BtnSelScriptMaster || Sender == BtnSelScriptTarget;
    QLineEdit* edit = Sender == BtnSelDatabaseMaster   ? fnDatabaseMaster
                      : Sender == BtnSelDatabaseTarget ? fnDatabaseTarget
                      : Sender == BtnSelScriptMaster   ? fnScriptMaster
                                                       : fnScriptTarget;
    const QString filter =
        script ? "SQL Script (*.SQL) (*.sql *.SQL);;SQL Script (*.DDL) (*.ddl *.DDL);;All Files (*)"
               : "InterBase Databases (*.GDB) (*.gdb *.GDB);;All Files (*)";
    const QString name = QFileDialog::getOpenFileName(this, QString(), edit->text(), filter);
    if (!name.isEmpty()) edit->setText(name);
}

void TForm1::BtnExtractClick() {
    RunExclusive([this] {
        if (rbTargetFromDatabase->isChecked())
            ExtractTargetFromDatabase();
        else if (rbTargetFromScript->isChecked())
            ExtractTargetFromScript();
        if (rbMasterFromDatabase->isChecked())
            ExtractMasterFromDatabase();
        else if (rbMasterFromScript->isChecked())
            ExtractMasterFromScript();
        LogNextLine(nullptr, "< Extract finished. >");
    });
}

void TForm1::ExtractFromDatabase(bool Master) {
    TSMXConnectionIBX& connection = Master ? *DataMdIbx.SMXConnection1 : *DataMdIbx.SMXConnection2;
    TIBDatabase& database = Master ? *DataMdIbx.IBDatabase1 : *DataMdIbx.IBDatabase2;
    TIBDBExtract& extract = Master ? *IBDBExtract1 : *IBDBExtract2;
    TDBStructure& structure = Master ? *DBStructure1 : *DBStructure2;
    bool& extracted = Master ? masterExtracted_ : targetExtracted_;
    extracted = false;

    // The connection reports a failed connect through ConnectionErrorMessage; it is judged by
    // the state it leaves.
    try {
        connection.SetConnected(true);
    } catch (const std::exception& e) {
        ReportError(e.what());
    }
    if (!connection.GetConnected()) {
        try {
            database.SetConnected(false);
        } catch (const std::exception&) {
        }
        return;
    }
    LogNextLine(nullptr, "Database: " + database.GetDatabaseName() + " open.");
    ScopeExit disconnect([&connection] {
        try {
            connection.SetConnected(false);
        } catch (const std::exception&) {
        }
    });
    structure.Clear();
    extract.ExtractDatabase();
    extracted = !extract.GetMsgManager().HasErrors();
}

void TForm1::ExtractFromScript(bool Master) {
    TIBScriptExtract& extract = Master ? *IBScriptExtract1 : *IBScriptExtract2;
    bool& extracted = Master ? masterExtracted_ : targetExtracted_;
    extracted = false;
    extract.SetScriptFileName(ToStd((Master ? fnScriptMaster : fnScriptTarget)->text()));
    extract.ExtractDatabase();
    extracted = !extract.GetMsgManager().HasErrors();
}

void TForm1::ShowScript() {
    TStringList lines;
    IBSQLExec->GetScriptLines(lines, true);
    QString text;
    for (int i = 0; i < lines.Count(); ++i) {
        if (i > 0) text += '\n';
        text += ToQt(lines[i]);
    }
    MemoResult->setPlainText(text);
}

void TForm1::BtnCompareClick() {
    RunExclusive([this] {
        MemoResult->clear();
        if (!masterExtracted_ || !targetExtracted_) {
            // A structure left empty or stale by a failed Extract would turn into DROPs of
            // everything the target has; Update must not run such a script.
            LogNextLine(nullptr,
                        std::string("Error: Compare needs both sides extracted; the last Extract of the ") +
                            (targetExtracted_ ? "master" : "target") + " side failed.");
            IBSQLExec->ClearStatements();
        } else {
            try {
                Schemalyst1->CompareStructures();
                ShowScript();
            } catch (const std::exception& e) {
                PlatformShowMessage(e.what());
                MemoResult->appendPlainText(ToQt(std::string("Error: ") + e.what()));
            }
        }
        LogNextLine(nullptr, "< Compare finished. >");
    });
}

void TForm1::BtnUpdateClick() {
    RunExclusive([this] { IBSQLExec->ExecuteScript(); });
}

void TForm1::BtnDataCompareClick() {
    RunExclusive([this] {
        if (!rbMasterFromDatabase->isChecked() || !rbTargetFromDatabase->isChecked()) {
            PlatformShowMessage("Table data comparer find differences only in database-tables...");
            rbMasterFromDatabase->setChecked(true);
            rbTargetFromDatabase->setChecked(true);
            rbFromClick();
            return;
        }
        TableDataComparer->SetTableNameMaster(ToStd(EditTableM->text()));
        TableDataComparer->SetTableNameTarget(ToStd(EditTableT->text()));
        TStringList fields;
        SplitFieldList(ToStd(EditCustomFlds->text()), fields);
        TableDataComparer->SetCustomKeyFields(fields);
        SplitFieldList(ToStd(EditExclFlds->text()), fields);
        TableDataComparer->SetExcludeDataFields(fields);
        // Structure and data statements never share the executor's list.
        IBSQLExec->ClearStatements();
        MemoResult->clear();
        DataMdIbx.TakeFormSettings();
        if (TableDataComparer->Execute()) ShowScript();
    });
}

// ---------------------------------------------------------------------------------------------------
// Control handlers

void TForm1::rbFromClick() {
    auto side = [this](bool fromDatabase, QLineEdit* db, QPushButton* selDb, QLineEdit* scr,
                       QPushButton* selScr, std::initializer_list<QWidget*> login) {
        SetEditState(db, fromDatabase);
        SetEditState(scr, !fromDatabase);
        // The file buttons stay off while a run is under way.
        selDb->setEnabled(fromDatabase && !busy_);
        selScr->setEnabled(!fromDatabase && !busy_);
        for (QWidget* w : login)
            w->setEnabled(fromDatabase);
    };
    side(rbMasterFromDatabase->isChecked(), fnDatabaseMaster, BtnSelDatabaseMaster, fnScriptMaster,
         BtnSelScriptMaster, {EditMUser, EditMPswd, LabelMUser, LabelMPswd});
    side(rbTargetFromDatabase->isChecked(), fnDatabaseTarget, BtnSelDatabaseTarget, fnScriptTarget,
         BtnSelScriptTarget, {EditTUser, EditTPswd, LabelTUser, LabelTPswd});
}

void TForm1::cbCompareModeChange() {
    const bool custom = cbCompareMode->currentIndex() == 3;
    EditCustomFlds->setEnabled(custom);
    LabelCustomFlds->setEnabled(custom);
}

void TForm1::EditTableMChange() {
    EditTableT->setText(EditTableM->text());
}

void TForm1::LogNextLine(TObject*, const std::string& Text) {
    MemoExtr->appendPlainText(ToQt(Text));
    MemoExtr->moveCursor(QTextCursor::End);
    MemoExtr->ensureCursorVisible();
}

void TForm1::ErrorMessage(TObject* Sender, const std::string& Text) {
    // The data comparer writes the prefix itself.
    LogNextLine(Sender, StartsStr("Error: ", Text) ? Text : "Error: " + Text);
}

void TForm1::TraceToLogMemo(const std::string& Text) {
    QScrollBar* bar = MemoExtr->verticalScrollBar();
    const int at = bar->value();
    MemoExtr->appendPlainText(ToQt(Text));
    bar->setValue(at);
}

void TForm1::ProgressUpdate(TObject*, int Value, int MaxValue) {
    SetGauge(Gauge1, Value, MaxValue);
}

void TForm1::TableDataComparerProgressUpdateMaster(TObject*, int Value, int MaxValue) {
    SetGauge(Gauge1, Value, MaxValue);
}

void TForm1::TableDataComparerProgressUpdateTarget(TObject*, int Value, int MaxValue) {
    SetGauge(Gauge2, Value, MaxValue);
}

} // namespace smx
