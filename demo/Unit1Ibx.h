// The demo's main window: master and target from a Firebird database or a script file, Extract,
// Compare and Update of the schema, and the table data comparer, with a log pane, a result pane
// and two progress bars. Every run happens on the GUI thread inside a button handler; the suite's
// loops pump the event queue, so one busy flag keeps a second run (or closing the window) from
// starting while one is under way. The control values are kept in the settings file between starts.
#pragma once

#include <QWidget>

#include <memory>
#include <string>
#include <string_view>

#include "platform/smxComponent.h"
#include "platform/smxStringList.h"

class QButtonGroup;
class QCloseEvent;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace smx {

class TDataMdIbx;
class TDBStructure;
class TIBDBExtract;
class TIBScriptExtract;
class TIBSQLExec;
class TSchemalyst;
class TTableDataComparer;

/// Empties List, then adds every piece of Text between commas, trimmed of characters up to
/// code 32 and passed through NormalizeFieldName; empty pieces are skipped.
void SplitFieldList(std::string_view Text, TStringList& List);
/// A name starting with an ASCII letter upper-cased whole; any other name unchanged.
std::string NormalizeFieldName(std::string_view Name);

/// The main window, bound to the data module's connections for its whole life.
class TForm1 : public QWidget {
public:
    /// Builds the window and its components over DataModule's connections, then reads the
    /// settings file SettingsFileName (FormCreate).
    TForm1(TDataMdIbx& DataModule, std::string SettingsFileName, QWidget* Parent = nullptr);
    /// Writes the settings file (FormDestroy); a file that cannot be written is named in one
    /// line on standard error.
    ~TForm1() override;

    // Handlers.
    void FormCreate();
    void FormDestroy();
    void BtnSelFileClick(QPushButton* Sender);
    void BtnExtractClick();
    void BtnCompareClick();
    void BtnUpdateClick();
    void BtnDataCompareClick();
    void rbFromClick();
    void cbCompareModeChange();
    void EditTableMChange();
    void LogNextLine(TObject* Sender, const std::string& Text);
    /// Gauge1: maximum, then the value clamped to [0, maximum]; a maximum <= 0 shows 1 of 1.
    void ProgressUpdate(TObject* Sender, int Value, int MaxValue);
    void TableDataComparerProgressUpdateMaster(TObject* Sender, int Value, int MaxValue);
    void TableDataComparerProgressUpdateTarget(TObject* Sender, int Value, int MaxValue);
    /// A component's error: "Error: " + Text in the log (Text as it is when it has the prefix).
    void ErrorMessage(TObject* Sender, const std::string& Text);
    /// A connection's error: the message box and "Error: " + Text in the log.
    void ConnectionErrorMessage(TObject* Sender, const std::string& Text);
    /// Appends the text to the log without scrolling.
    void TraceToLogMemo(const std::string& Text);

    /// True while a button's run is under way.
    bool IsBusy() const { return busy_; }
    const std::string& GetSettingsFileName() const { return settingsFileName_; }

    // Controls (their object names are these member names).
    QLineEdit *fnDatabaseMaster, *fnDatabaseTarget, *fnScriptMaster, *fnScriptTarget;
    QPushButton *BtnSelDatabaseMaster, *BtnSelDatabaseTarget, *BtnSelScriptMaster, *BtnSelScriptTarget;
    QLineEdit *EditMUser, *EditMPswd, *EditTUser, *EditTPswd;
    QLabel *LabelMUser, *LabelMPswd, *LabelTUser, *LabelTPswd;
    QRadioButton *rbMasterFromDatabase, *rbMasterFromScript, *rbTargetFromDatabase, *rbTargetFromScript;
    QButtonGroup *MasterSource, *TargetSource;
    QPushButton *BtnExtract, *BtnCompare, *BtnUpdate;
    QPlainTextEdit *MemoExtr, *MemoResult;
    QProgressBar *Gauge1, *Gauge2;
    QLineEdit *EditTableM, *EditTableT, *EditCustomFlds, *EditExclFlds;
    QComboBox* cbCompareMode;
    QLabel* LabelCustomFlds;
    QPushButton *BtnDataCompare, *BitBtn2;

    // Components.
    TDataMdIbx& DataMdIbx;
    std::unique_ptr<TDBStructure> DBStructure1, DBStructure2;
    std::unique_ptr<TIBDBExtract> IBDBExtract1, IBDBExtract2;
    std::unique_ptr<TIBScriptExtract> IBScriptExtract1, IBScriptExtract2;
    std::unique_ptr<TIBSQLExec> IBSQLExec;
    std::unique_ptr<TSchemalyst> Schemalyst1;
    std::unique_ptr<TTableDataComparer> TableDataComparer;

protected:
    /// Waits for a running button handler: the close happens when the run ends.
    void closeEvent(QCloseEvent* Event) override;

private:
    void CreateControls();
    void CreateComponents();
    /// Runs Body as the one run of the window: refused while another runs; every button is
    /// disabled meanwhile; an exception shows the message box and logs "Error: " + its text.
    template <class F> void RunExclusive(F&& Body);
    void SetButtonsEnabled(bool Enabled);
    void ReportError(const std::string& Text);
    void ExtractFromDatabase(bool Master);
    void ExtractFromScript(bool Master);
    void ExtractMasterFromDatabase() { ExtractFromDatabase(true); }
    void ExtractTargetFromDatabase() { ExtractFromDatabase(false); }
    void ExtractMasterFromScript() { ExtractFromScript(true); }
    void ExtractTargetFromScript() { ExtractFromScript(false); }
    void ShowScript();

    std::string settingsFileName_;
    bool busy_ = false;
    bool closeRequested_ = false;
    bool masterExtracted_ = true; // false after a failed Extract of that side
    bool targetExtracted_ = true;
};

} // namespace smx
