// The structure component and its object container: a structure owns one container (TObjs) that
// owns every schema object filed in it. The container finds objects by name, writes the whole
// structure as one DDL script in its own dialect (optionally also one file per object in a folder)
// and caches the texts that the compare steps of views, procedures and triggers compare. The
// program-wide trace hook receives the messages of failed file writes and other trace texts.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/smxDBOptions.h"
#include "model/smxClasses.h"

namespace smx {

class TDmnData;
class TTblData;
class TViwData;
class TPrcData;
class TTrgData;
class TGnrData;
class TExcData;
class TIdxData;
class TUdfData;
class TPkgData;
class TFldData;
class TRolData;

/// A procedure taking one text: what the suite's trace output goes to.
using TTraceProc = std::function<void(const std::string& Text)>;
/// Does nothing: the trace hook's initial value.
void NoTrace(const std::string& Text);
/// The program-wide trace hook (NoTrace until an application replaces it).
extern TTraceProc TraceHook;

/// The container of a structure: owns and frees its objects, writes the DDL script.
class TObjs : public TCustomObjs {
public:
    explicit TObjs(TCustomDBStructure* AStructure = nullptr);
    /// Frees every object filed in the lists.
    ~TObjs() override;
    SMX_CLASSNAME(TObjs)

    /// Frees every filed object (packages too), then empties the lists as the base does.
    void Clear() override;
    /// Stores the CREATE text of every view, procedure and trigger as its cached and compare text.
    void CacheObjectScripts() override;
    /// Writes the structure as one DDL script into the script lines (emptied first). With a script
    /// folder set, every object written is also saved in it; a failed write goes to TraceHook.
    void GetScript() override;
    /// Appends the DDL script to Strings; the container's own script lines are left empty.
    void CopyScriptTo(TStringList& Strings) override;

    // Find-by-name: nullptr when the name is not filed (with the list's case rule).
    TDmnData* FindDomain(std::string_view Name);
    TTblData* FindTable(std::string_view Name);
    TViwData* FindView(std::string_view Name);
    TPrcData* FindProcedure(std::string_view Name);
    TTrgData* FindTrigger(std::string_view Name);
    TGnrData* FindGenerator(std::string_view Name);
    TExcData* FindException(std::string_view Name);
    TIdxData* FindIndex(std::string_view Name);
    TUdfData* FindUdf(std::string_view Name);
    TPkgData* FindPackage(std::string_view Name);
    /// The column of the table (by the column list's own name lookup); nullptr when either is absent.
    TFldData* FindTableField(std::string_view TableName, std::string_view FieldName);
    TFldData* FindViewField(std::string_view ViewName, std::string_view FieldName);
    /// The procedure's input parameter of that name, else its output parameter, else nullptr.
    TFldData* FindProcedureParam(std::string_view ProcedureName, std::string_view ParamName);
    /// The first role-list entry named exactly Name (case-sensitive) that is a role (login, user).
    TRolData* FindRole(std::string_view Name);
    TRolData* FindLogin(std::string_view Name);
    TRolData* FindUser(std::string_view Name);

    /// Owner lines (PostgreSQL) and description lines of Obj, its table columns and its routine
    /// parameters, as the script writer adds them after each object.
    void WriteOwnerStatements(TDbObj* Obj);
    /// With a script folder set: the object's files folder/kind_name_body.sql (its CREATE text)
    /// and, for procedures and triggers, folder/kind_name_header.sql (the empty-body text).
    /// A failed write passes its message to TraceHook.
    void SaveObjectToFile(TDbObj* Obj);
    /// Creates or truncates the file and writes the bytes. Throws EFileError when it cannot.
    static void SaveTextToFile(const std::string& FileName, std::string_view Text);

    TScriptOptions& GetScriptOptions() { return ScriptOptions_; }
    const TScriptOptions& GetScriptOptions() const { return ScriptOptions_; }
    void SetScriptOptions(const TScriptOptions& Value) { ScriptOptions_ = Value; }
    /// The folder the per-object files go to; empty (the default) writes no files.
    const std::string& GetScriptFilesFolder() const { return ScriptFilesFolder_; }
    void SetScriptFilesFolder(std::string_view Value) { ScriptFilesFolder_ = Value; }

    /// The MS SQL settings the script has stated so far (used only while a script is written).
    bool QuotedIdentifierState = false;
    bool AnsiNullsState = false;

private:
    void AddLine(std::string_view Text);
    void WriteHeader();
    void WriteSettingLines(bool QuotedIdentifier, bool AnsiNulls);
    void WriteObjectBlock(TObjsList Which, bool SettingLines, bool EmptyLine);
    void WriteObjects(const std::vector<TDbObj*>& Objects, bool SettingLines, bool EmptyLine);
    /// A SET TERM block creating the given procedures with empty bodies (nothing when none).
    void WriteEmptyRoutines(const std::set<const TDbObj*>& Routines);
    void WriteSchemas();
    void WritePackages();
    /// The block of a routine kind; the routines in CreatedEmpty are written as ALTER with their body.
    void WriteRoutineBlock(TObjsList Which, const std::set<const TDbObj*>* CreatedEmpty = nullptr);
    void WriteConstraints();

    TScriptOptions ScriptOptions_;
    std::string ScriptFilesFolder_;
};

/// A structure: one side of a comparison, filled by an extractor, written as a DDL script.
class TDBStructure : public TCustomDBStructure {
public:
    /// Creates the container with its back link to this structure.
    explicit TDBStructure(TComponent* AOwner = nullptr);
    ~TDBStructure() override;
    SMX_CLASSNAME(TDBStructure)

    /// The structure's container.
    TObjs* Objs() const { return static_cast<TObjs*>(GetObjs()); }
};

} // namespace smx
