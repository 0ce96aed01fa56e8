// The InterBase/Firebird script executor: the generic executor with what Firebird needs. It reads a
// CONNECT statement into its connection options, connects and disconnects with log lines that name
// the database actually attached, writes object descriptions (the statement's COMMENT ON, or the
// system tables), takes the character set from SET NAMES, runs one statement at once in a
// transaction of its own, and loads script files into its statement list through the InterBase
// script parser. Loading errors count as errors of the next run, so such a run never ends as a success.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/smxSQL_Exec.h"

namespace smx {

class TCustomParser;

/// The quoted values of a CONNECT statement in order (database, user, password, role), at most
/// four. Each value is an SQL string literal (a doubled quote is one quote); the words USER,
/// PASSWORD and ROLE are not examined. Empty when "CONNECT" (or "CONNECT DATABASE") is not
/// followed by a quoted, closed database name.
std::vector<std::string> ReadConnectValues(std::string_view Text);

/// The character set a SET NAMES statement names: its object name, else the word after NAMES in
/// its text (upper-cased); empty when there is neither.
std::string SetNamesCharSet(const TStatement& Statement);

/// The executor the demo uses for the update script and the data script.
class TIBSQLExec : public TSQLExec {
public:
    /// Database type dbInterBase.
    explicit TIBSQLExec(TComponent* AOwner = nullptr);
    SMX_CLASSNAME(TIBSQLExec)

    /// Empties DatabaseName, UserName, Password and RoleName, then fills them from the statement's
    /// quoted values by position (ReadConnectValues).
    void ParseConnectSQL(std::string_view Text) override;
    /// Connects the connection with the executor's options and logs "Connect: "db"" with the
    /// database actually attached (a warning when the options named another one). A connection
    /// still disconnected afterwards gives the error "Cannot connect to "db".". Never raises.
    void Connect() override;
    /// When connected: logs "Disconnect: "db"" with the connection's database and disconnects.
    /// Failures are reported, not raised.
    void Disconnect() override;
    /// Runs one statement now, in a transaction of its own (committed, or rolled back on failure),
    /// and sets its Skip flag when it succeeded. Only DDL, routine, description and data statements
    /// run; other kinds do nothing and return True. Refused during a run; without a connection
    /// "...: Connection property not assigned."; a disconnected connection is connected for the
    /// statement and disconnected again, a connected one gets a new transaction afterwards.
    bool ExecuteStatement(TStatement* Statement) override;
    /// Empties the list and the messages; "File not found: " + name (counted as a load error) when
    /// the file is missing; else the file's lines go to LoadScript.
    void LoadScriptFromFile(const std::string& FileName) override;
    /// Reads the stream into lines and passes them to LoadScript, which parses the stream's text
    /// itself: the statements keep the script's line breaks, CR LF, LF or CR. Nothing for nullptr.
    void LoadScriptFromStream(std::istream* Stream) override;
    /// Replaces the list by the statements the InterBase parser reports in the lines (in the
    /// stream's own text when LoadScriptFromStream passed them), in script order; routines become
    /// routine statements (rendered in SET TERM blocks). The connection options and InterBase
    /// options take what the script set (CONNECT, SET NAMES, SET SQL DIALECT). The parser's
    /// messages are copied into the executor's; a statement the executor will not run (SELECT,
    /// EXECUTE BLOCK) gets a warning with its line. Logs "Loading script..." and "Script loaded.".
    void LoadScript(const TStringList& Lines) override;
    /// As inherited; the load errors are forgotten too.
    void ClearStatements() override;
    /// The errors recorded while the list was loaded (parser errors, a stop, a missing file).
    int GetLoadErrorCount() const override { return LoadErrors_; }

protected:
    /// SET NAMES and the character-set step (stSetNames, stCharSet) set DBCharSet and send nothing;
    /// every other kind as inherited.
    bool ExecStatement(TStatement* Statement) override;
    /// Writes the current description statement and commits it: under udComment its own text,
    /// otherwise the system-table update of its object kind with the description bound as a
    /// parameter. A kind without such an update sends nothing and reports "No description
    /// statement for object kind <kind>.". Database errors are thrown to the caller.
    bool UpdateDescription() override;
    /// Disconnects, reads the CONNECT statement, connects as Connect does and logs the dialect and
    /// character set. A statement without a quoted database name is refused and reported.
    bool ExecConnect() override;

private:
    /// Connects and logs; false (with the error reported) when still disconnected.
    bool ConnectTarget();
    /// Records a kind-1 message and logs it.
    void Warn(const std::string& Text, int Line = 0);
    /// Files a statement the parser reported; returns it, or nullptr when it was refused.
    TStatement* AddParsedStatement(const TCustomParser& Parser, const std::string& Text, TStatType StatType,
                                   const std::string& ObjName, TDbObject ObjKind, TDbOperation Operation,
                                   const std::string& ParentName);

    int LoadErrors_ = 0;
    // While LoadScriptFromStream runs: the lines it hands to LoadScript and the text they came from.
    const TStringList* StreamLines_ = nullptr;
    std::string StreamText_;
};

} // namespace smx
