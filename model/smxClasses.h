// The abstract object model of the suite: the statement record and the executor interface that
// collects an update script, the schema object base with its dependency records and walkers, the
// per-side object container, and the abstract extractor, structure and comparer components.
// Ownership is strict: an executor owns its statements, an object its dependency records, a container
// (through its concrete class) its objects; whatever goes unlinks every pointer that names it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "foundation/smxDBOptions.h"
#include "foundation/smxMsgMngr.h"
#include "foundation/smxTypes.h"
#include "model/smxBlockPool.h"
#include "platform/smxCompactString.h"
#include "platform/smxComponent.h"
#include "platform/smxStringList.h"

namespace smx {

class TCustomDBStructure;
class TCustomExtract;
class TCustomObjs;
class TCustomSQLExec;
class TDbObj;
class TDependObj;
class TGntData;
class TStatement;
struct TColumnAttrs;

/// Set by an application to make the extractors, the parser loop and the executor loop end early.
extern bool StopRequested;

using TStatementExecuteEvent = std::function<void(TObject* Sender, int Index)>;
/// The handler may create the statement object itself (leaving it empty lets the executor do so).
using TStatementCreateEvent = std::function<void(TObject* Sender, std::unique_ptr<TStatement>& Statement)>;
/// The handler refuses a statement by setting Accept to false.
using TStatementAddEvent = std::function<void(TObject* Sender, TStatement* Statement, bool& Accept)>;

// ---------------------------------------------------------------------------------------------------
// Statements

/// One statement of a script: its lines, what it does to which object, and how it ends.
class TStatement : public TObject {
public:
    explicit TStatement(TCustomSQLExec* AOwner) : Owner(AOwner) {}
    SMX_CLASSNAME(TStatement)

    /// ObjName followed by the operation text (": create", ": drop", ...); a field gives
    /// "Table (Field): alter"; an empty caption falls back to the first line of the text.
    std::string GetCaption() const;
    /// True when the statement keeps its text as added, because Lines cannot give it back: the
    /// text holds a lone LF or CR (inside a string literal such a break is data) and Lines still
    /// hold that text.
    bool KeepsSourceText() const;

    TCustomSQLExec* Owner = nullptr; ///< the executor the statement belongs to; not owned
    TStringList Lines;               ///< the statement text, one entry per line
    /// The text as added, kept only when it holds a lone LF or CR (empty otherwise). Lines render
    /// every line break as CR LF; the server gets these bytes.
    std::string SourceText;
    TStatType StatType = TStatType::stConnect;
    std::int32_t FirstLine = 0; ///< first line in the text last rendered with line marking
    std::int32_t LineCount = 0; ///< number of lines when the statement was added
    std::uint8_t Skip = 0;      ///< 1: neither rendered nor executed
    TDbObject ObjKind = TDbObject::dboUnknown;
    TDbOperation Operation = TDbOperation::odbUnknown;
    std::string ObjName;     ///< object name (for a field, the field name)
    std::string ParentName;  ///< table or schema name (for a field, its table)
    /// For the description of a field or parameter: the kind of its owner (a routine flagged as a
    /// function gives dboFunction, as its arguments live apart from procedure parameters).
    TDbObject ParentKind = TDbObject::dboUnknown;
    std::string Description; ///< for a description statement, the description text
    std::string ErrorText;   ///< the last error reported while the statement was executed
    std::string Terminator;  ///< text that ends the statement in a script
};

// ---------------------------------------------------------------------------------------------------
// The executor interface

/// The abstract executor: owns the statement list, files statements and reports through events.
/// Rendering and running are left to the descendants (the generic executor and its dialects).
class TCustomSQLExec : public TComponent {
public:
    explicit TCustomSQLExec(TComponent* AOwner = nullptr);
    /// Frees the statements (telling the watchers) and clears the executor link of every container
    /// that still names this executor.
    ~TCustomSQLExec() override;
    SMX_CLASSNAME(TCustomSQLExec)

    /// OnLogNextLine(this, Text) when assigned.
    virtual void DoLogNextLine(const std::string& Text);
    /// OnProgressUpdate when assigned.
    virtual void DoProgressUpdate(int Value, int MaxValue);
    /// OnErrorMessage when assigned, else the message box; ErrorCount grows by one either way.
    virtual void DoErrorMessage(const std::string& Text);
    virtual bool GetShowFullLog() const { return ShowFullLog_; }
    /// OnStatementAdd when assigned.
    virtual void DoStatementAdd(TStatement* Statement, bool& Accept);
    virtual void DoBeforeStatementExecute(int Index);
    virtual void DoAfterStatementExecute(int Index);
    /// The statement OnStatementCreate supplies, else a new one owned by this executor.
    virtual std::unique_ptr<TStatement> CreateStatement();
    /// Stores the schema or owner of the objects whose statements follow.
    virtual void SetCurrentSchema(std::string_view Name) { CurrentSchema_ = Name; }
    virtual void Connect() {}
    virtual void Disconnect() {}
    /// Runs one statement at once; the base does nothing and reports failure.
    virtual bool ExecuteStatement(TStatement* Statement);
    /// Loads a script through OnLoadScript, else from the file; a missing file is reported as
    /// "File not found: " + FileName and leaves ScriptFileName empty.
    virtual void LoadScriptFromFile(const std::string& FileName);
    /// Reads the stream's lines and passes them to LoadScript; nothing for a null stream.
    virtual void LoadScriptFromStream(std::istream* Stream);
    /// Turns script lines into statements; nothing in the base.
    virtual void LoadScript(const TStringList& Lines);
    /// Files a statement; returns it, or nullptr when Text is empty (except for comments) or the
    /// OnStatementAdd handler refused it (the statement is then freed). An empty Terminator takes
    /// the dialect's default, except for comments.
    virtual TStatement* AddStatement(std::string_view Text, TStatType StatType, std::string_view ObjName = "",
                                     TDbObject ObjKind = TDbObject::dboUnknown,
                                     TDbOperation Operation = TDbOperation::odbUnknown,
                                     std::string_view ParentName = "", std::string_view Terminator = "");
    /// Files a comment; nothing in the base (returns nullptr).
    virtual TStatement* AddComment(std::string_view Text);
    virtual void AddReconnect() {}
    /// Reads a CONNECT statement's text into the executor's connection settings; nothing in the base.
    virtual void ParseConnectSQL(std::string_view Text);
    /// Frees every statement; LineTotal and HasExecutableStatements go back to 0.
    virtual void ClearStatements();
    /// Frees statement Index and removes it from the list (out-of-range indices do nothing).
    virtual void DeleteStatement(int Index);
    virtual void AddCommit() {}
    /// Files Obj's description statement (nothing when its text is empty).
    virtual TStatement* AddDescription(TDbObj* Obj);
    /// Renders the list as script text; nothing in the base.
    virtual void GetScriptLines(TStringList& Lines, bool MarkLines);
    /// Runs the list; the base resets ErrorCount and succeeds.
    virtual bool ExecuteScript();

    TStatement* GetStatement(int Index) const {
        return Statements_.at(static_cast<std::size_t>(Index)).get();
    }
    int GetStatementCount() const { return static_cast<int>(Statements_.size()); }

    const std::string& GetCurrentSchema() const { return CurrentSchema_; }
    const std::string& GetScriptFileName() const { return ScriptFileName_; }
    void SetScriptFileName(std::string_view Value) { ScriptFileName_ = Value; }
    int GetLineTotal() const { return LineTotal_; }
    std::uint8_t GetHasExecutableStatements() const { return HasExecutableStatements_; }
    bool GetBreakOnError() const { return BreakOnError_; }
    void SetBreakOnError(bool Value) { BreakOnError_ = Value; }
    int GetErrorCount() const { return ErrorCount_; }
    TDatabaseType GetDatabaseType() const { return DatabaseType_; }
    void SetDatabaseType(TDatabaseType Value) { DatabaseType_ = Value; }
    void SetShowFullLog(bool Value) { ShowFullLog_ = Value; }
    TMsgManager& GetMsgManager() { return MsgManager_; }

    /// Registers a handler told before statements of this executor are freed: with the statement,
    /// or with nullptr when the whole list goes. One handler per watcher; a new one replaces it.
    void WatchStatements(const void* Watcher, std::function<void(TStatement*)> OnFreed);
    void UnwatchStatements(const void* Watcher);

    TLogNextLineEvent OnLogNextLine;
    TProgressUpdateEvent OnProgressUpdate;
    TErrorMessageEvent OnErrorMessage;
    TStatementExecuteEvent OnBeforeStatementExecute;
    TStatementExecuteEvent OnAfterStatementExecute;
    TStatementCreateEvent OnStatementCreate;
    TStatementAddEvent OnStatementAdd;
    /// Supplies a script file's lines instead of reading the file.
    TLoadScriptEvent OnLoadScript;

protected:
    /// Called before a statement of the list is freed (Statement), or before the whole list is
    /// freed (nullptr): a descendant that keeps a statement pointer drops it here.
    virtual void StatementFreed(TStatement* Statement);

    std::string CurrentSchema_;
    std::string ScriptFileName_;
    std::vector<std::unique_ptr<TStatement>> Statements_;
    std::int32_t LineTotal_ = 0;
    std::uint8_t HasExecutableStatements_ = 0;
    bool BreakOnError_ = false;
    std::int32_t ErrorCount_ = 0;
    TDatabaseType DatabaseType_ = TDatabaseType::dbAbstract;
    bool ShowFullLog_ = false;
    TMsgManager MsgManager_;

private:
    friend class TCustomObjs;
    void NotifyFreed(TStatement* Statement);

    struct Watch {
        const void* watcher;
        std::function<void(TStatement*)> onFreed;
    };
    std::vector<Watch> watches_;
    std::vector<TCustomObjs*> linkedObjs_; // containers whose executor link names us
};

// ---------------------------------------------------------------------------------------------------
// Schema objects and dependency records

/// The per-kind lists of a container, in their order.
enum class TObjsList : std::uint8_t {
    olSchemas,
    olDomains,
    olFunctions,
    olTriggers,
    olProcedures,
    olTables,
    olExceptions,
    olGenerators,
    olIndices,
    olViews,
    olRoles,
    olGrants,
    olConstraints,
    olReserved1,
    olReserved2,
    olReserved3,
    olReserved4,
    olReserved5,
    olReserved6,
    olRules,
    olDefaults,
    olPackages,
    olPublications,
    olOperators,
    olOperatorClasses,
    olConversions,
    olEvents,
    olCollations,
};
inline constexpr int ObjsListCount = 28;
static_assert(static_cast<int>(TObjsList::olCollations) + 1 == ObjsListCount);

/// How the extractor's name test is asked about an object of a list: with its name and a kind,
/// with its table's name as a table (indices, constraints), or not at all (grants).
struct TListAcceptRule {
    bool Asked;
    TDbObject Kind;
    bool ByTable;
};
inline constexpr TListAcceptRule NotAsked{false, TDbObject::dboUnknown, false};
inline constexpr TListAcceptRule AskTable{true, TDbObject::dboTable, true};
constexpr TListAcceptRule AskName(TDbObject Kind) {
    return {true, Kind, false};
}

/// What the suite knows of each list apart from its objects' classes: the extractor's accept rule,
/// the kind word of an object's own script file (empty for kinds without one), and whether the
/// list keeps its case-sensitive keys under every database type.
struct TObjsListInfo {
    TListAcceptRule Accept;
    std::string_view FileWord;
    bool KeepsCase;
};
inline constexpr std::array<TObjsListInfo, ObjsListCount> ObjsListInfo = {{
    {AskName(TDbObject::dboSchema), "", true},              // olSchemas
    {AskName(TDbObject::dboDomain), "domain", false},       // olDomains
    {AskName(TDbObject::dboFunction), "udf", false},        // olFunctions
    {AskName(TDbObject::dboTrigger), "trigger", false},     // olTriggers
    {AskName(TDbObject::dboProcedure), "procedure", false}, // olProcedures
    {AskName(TDbObject::dboTable), "table", false},         // olTables
    {AskName(TDbObject::dboException), "exception", false}, // olExceptions
    {AskName(TDbObject::dboGenerator), "generator", false}, // olGenerators
    {AskTable, "index", false},                             // olIndices
    {AskName(TDbObject::dboView), "view", false},           // olViews
    {AskName(TDbObject::dboRole), "role", false},           // olRoles
    {NotAsked, "grant", false},                             // olGrants
    {AskTable, "constraint", false},                        // olConstraints
    {NotAsked, "", false},                                  // olReserved1
    {NotAsked, "", false},                                  // olReserved2
    {NotAsked, "", false},                                  // olReserved3
    {NotAsked, "", false},                                  // olReserved4
    {NotAsked, "", false},                                  // olReserved5
    {NotAsked, "", false},                                  // olReserved6
    {AskName(TDbObject::dboRule), "", false},               // olRules
    {AskName(TDbObject::dboDefault), "", false},            // olDefaults
    {AskName(TDbObject::dboPackage), "", false},            // olPackages
    {AskName(TDbObject::dboPublication), "", false},        // olPublications
    {AskName(TDbObject::dboOperator), "", true},            // olOperators
    {AskName(TDbObject::dboOperatorClass), "", true},       // olOperatorClasses
    {AskName(TDbObject::dboConversion), "", true},          // olConversions
    {AskName(TDbObject::dboEvent), "event", true},          // olEvents
    {AskName(TDbObject::dboCollation), "collation", false}, // olCollations
}};

/// Makes ProcessDependents and the field kind write trace lines; off, and nothing turns it on.
extern bool DependencyTrace;

/// One of an object's two lists of dependency records (UsedBy, DependsOn): the records in the order
/// they were added, owned by the list, each keyed by its name. The records are chained through
/// themselves: adding one allocates nothing beyond the record, and a record goes in one step however
/// long its list is (a large structure's teardown takes out hundreds of thousands). Reading by
/// index walks from the nearest of the ends and the place last read, so a loop over the indices in
/// either direction takes one step per record.
class TDependList {
public:
    TDependList() = default;
    TDependList(const TDependList&) = delete;
    TDependList& operator=(const TDependList&) = delete;
    /// Frees the records.
    ~TDependList();

    int Count() const { return count_; }
    bool Empty() const { return count_ == 0; }
    /// Record Index (std::out_of_range outside 0 to Count-1).
    TDependObj* Objects(int Index) const;
    /// The key of record Index: its name.
    const std::string& operator[](int Index) const;

    /// The records in order, for a range-for (the list must not change while it runs).
    class iterator {
    public:
        explicit iterator(TDependObj* Rec) : rec_(Rec) {}
        TDependObj* operator*() const { return rec_; }
        iterator& operator++();
        bool operator!=(const iterator& Other) const { return rec_ != Other.rec_; }

    private:
        TDependObj* rec_;
    };
    iterator begin() const { return iterator(head_); }
    iterator end() const { return iterator(nullptr); }

private:
    friend class TDbObj;
    friend TDependObj* AddDependencyPair(TCustomObjs*, TDbObj*, TDbObj*, int, int, std::string_view);
    friend void OrderUsedByRecords(const std::vector<std::pair<TDependObj*, std::uint64_t>>&);

    /// Appends Rec (owned from now on).
    void Add(TDependObj* Rec);
    /// Takes Rec, a record of this list, out (not freed).
    void TakeOut(TDependObj* Rec);
    /// Takes record Index out and frees it.
    void Delete(int Index);
    /// Frees every record; the list is empty while they go.
    void Clear();

    TDependObj* head_ = nullptr;
    TDependObj* tail_ = nullptr;
    int count_ = 0;
    mutable int readIndex_ = -1; // the place last read by index (-1: none)
    mutable TDependObj* read_ = nullptr;
};

/// Base of every schema object. Destroying an object removes every dependency record that refers to
/// it from the other objects' lists and clears every partner link that names it.
class TDbObj : public TObject {
public:
    explicit TDbObj(TCustomObjs* AOwner = nullptr);
    TDbObj(const TDbObj&) = delete;
    TDbObj& operator=(const TDbObj&) = delete;
    ~TDbObj() override;
    SMX_CLASSNAME(TDbObj)

    virtual bool GetExists() const { return Exists != 0; }
    /// Sets the flag on the object and on its partner.
    virtual void SetExists(bool Value);
    /// The name for logs and messages (prefix removed, owner or schema added per dialect).
    virtual std::string GetDisplayName() const;
    virtual int GetNumber() const { return Number; }
    /// The key of the object in its container's list, by the effective database type.
    virtual std::string GetFullName() const;
    /// The CREATE text; empty in the base.
    virtual std::string GetCreateSQL() const { return {}; }
    /// The text compared between master and target (the CREATE text; views in a PostgreSQL
    /// structure with line breaks and runs of blanks squeezed to one blank).
    virtual std::string GetCompareSQL() const;
    /// Emits what the object needs, then its CREATE when it does not exist, and marks it existing.
    virtual void CreateDependDef();
    /// Emits the object's DROP after dropping or emptying its dependants; nothing when it does not
    /// exist, nor for a table or generator that the master container also holds.
    virtual void DropWithDependents();
    /// Walks UsedBy: drops dependent views, empties dependent routines and triggers.
    virtual void MarkDependents();
    virtual void MarkDropped() { SetExists(false); }
    /// Walks DependsOn once: re-creates what the object needs.
    virtual void ProcessDependents();
    virtual void MarkCreated() { SetExists(true); }
    /// The CREATE text for the update script (passes ParentName to the executor as its schema first).
    virtual std::string GetCreateScript() const;
    /// "/* Drop: name (class) */" and, for the kinds the base knows, the DROP statement.
    virtual std::string GetDropSQL() const;
    virtual std::string GetAlterSQL() const;
    /// CachedSQL when set, else GetCreateSQL.
    virtual std::string GetCachedSQL() const;
    /// The text as a comment of the effective dialect.
    virtual std::string FormatComment(std::string_view Text) const;
    /// Name quoted for the effective database; unchanged without a container.
    virtual std::string QuoteName(std::string_view Name) const;
    /// QuoteName(Name) appended to Text; an InterBase name without a text made for it.
    void AppendQuotedName(std::string& Text, std::string_view Name) const;
    /// The statement that stores Description; empty when ignored or descriptions are not compared.
    virtual std::string GetDescriptionSQL() const;

    // Per-kind hooks with neutral defaults; the kind classes override them.
    /// The object that holds this one (a column's table, view or routine); nullptr otherwise.
    virtual TDbObj* GetParentObject() const { return nullptr; }
    /// The table a column, index, constraint or trigger belongs to; empty for other kinds.
    virtual std::string GetTableName() const { return {}; }
    /// The columns of a table or view (objects are the column objects); nullptr for other kinds.
    virtual TStringList* GetFields() { return nullptr; }
    /// The empty body of a routine or trigger in the effective dialect; empty for other kinds.
    virtual std::string GetEmptyBody() const { return {}; }
    /// The CREATE text of a routine with its empty body; empty for other kinds.
    virtual std::string GetEmptyCreateSQL() const { return {}; }
    /// Replaces a routine's body by its empty body in the target (with Emit, as a statement).
    virtual void EmptyBody(bool Emit) { (void)Emit; }
    /// Sets the source to GetEmptyBody(); what the old body needed is no longer re-created. False,
    /// with nothing changed, when the body is empty already.
    bool SetEmptySource();
    /// Flags a routine as created or left with an empty body (on the object and its partner).
    virtual void SetBodyEmptied(bool Value) { (void)Value; }
    /// A master routine whose target copy has another parameter list declares the new list in the
    /// target (with its empty body) before an object that calls it is created.
    virtual void DeclareNewSignature() {}
    /// The statement kind of GetDropSQL's text: a plain statement, or a block the script writes
    /// between SET TERM lines.
    virtual TStatType GetDropStatType() const { return TStatType::stStatement; }
    /// An object whose key is filed already moves on to the next key of its kind's duplicates and
    /// answers True (two unnamed checks of one text on one table are two objects); False when its
    /// kind keeps only the first object of a key.
    virtual bool TakeNextDuplicateKey() { return false; }
    /// DeclareNewSignature of every existing routine in DependsOn: this object is about to be
    /// created against their master parameter lists.
    void DeclareNeededSignatures();
    /// A routine declared as a function.
    virtual bool IsFunction() const { return false; }
    /// A table-valued function (MS SQL).
    virtual bool ReturnsTable() const { return false; }
    /// While set, a table's CREATE leaves out computed columns.
    virtual void SetSkipComputed(bool Value) { (void)Value; }
    virtual bool GetSkipComputed() const { return false; }
    /// A column's type and attributes as written after its name (MySQL descriptions).
    virtual std::string GetColumnDefinition() const { return {}; }
    /// The type of a domain (the attributes of its type record); nullptr for other kinds.
    virtual const TColumnAttrs* GetDomainType() const { return nullptr; }
    /// The container list an object of this class is filed in; none for a class no list holds.
    /// Every kind class answers for itself, so the container never asks for a class.
    virtual std::optional<TObjsList> GetObjsList() const { return std::nullopt; }
    /// The column named Name (by the column list's own lookup) of a table or view; nullptr for
    /// other kinds and for a name the list does not hold.
    virtual TDbObj* FieldObject(std::string_view Name) {
        (void)Name;
        return nullptr;
    }
    /// Files the description statements of the object just created: a column's own; a routine's
    /// own and its parameters'. Nothing for other kinds.
    virtual void AddCreatedDescriptions(TCustomSQLExec& Exec);

    const std::string& GetName() const { return Name_; }
    /// Stored upper-cased in an MS SQL container with case-insensitive identifiers.
    void SetName(std::string_view Value);
    const std::string& GetParentName() const { return ParentName_.str(); }
    void SetParentName(std::string_view Value);
    TDbObject GetKind() const { return Kind_; }
    void SetKind(TDbObject Value) { Kind_ = Value; }
    TCustomObjs* GetOwner() const { return Owner_; }
    /// Moves the object to another container (no filing happens here).
    void SetOwner(TCustomObjs* Value) { Owner_ = Value; }
    TDbObj* GetPartner() const { return Partner_; }
    /// Links this object to Partner (one direction; the partner's own link is its business).
    void SetPartner(TDbObj* Partner);
    const std::string& GetDescription() const { return Description_.str(); }
    /// Stored with CR LF line breaks, outer blanks and control characters trimmed.
    void SetDescription(std::string_view Value);
    const std::string& GetSource() const { return Source_.str(); }
    void SetSource(std::string_view Value);
    /// How many times SetSource has been called on a column (kind dboField), in any container:
    /// while the count stays the same, no column's source has changed.
    static std::uint64_t ColumnSourceWrites();
    /// False while the object has never been given a non-empty source or a dependency record:
    /// it then has neither, and walks over many objects can tell so from its first bytes.
    bool MayHaveSourceOrDependencies() const { return mayHaveState_; }

    /// The owner structure's object-name prefix; empty without a structure.
    std::string GetNamePrefix() const;
    /// The name without the structure's prefix (when it starts with it, case-sensitive).
    std::string GetShortName() const;
    /// The short name with the partner structure's prefix in front.
    std::string GetPartnerName() const;
    std::string GetQualifiedObjectName() const;
    /// The container's database type, or the partner container's while the container is comparing.
    TDatabaseType GetDatabaseType() const;
    /// The InterBase options that apply (as GetDatabaseType); nullptr without a container.
    const TIBServerOptions* GetIBServerOptions() const;
    /// The container's CompareObjects; all kinds without a container.
    TCmpObjSetType GetCompareObjects() const;
    /// The container's executor, or nullptr.
    TCustomSQLExec* GetSQLExec() const;
    TUpdateDescriptionType GetUpdateDescriptionMode() const;
    /// True when a DependsOn entry still to process refers to another object that does not exist.
    bool HasMissingDependency() const;

    /// Objects that depend on this one (records owned by this object; key = dependant's name).
    const TDependList& GetUsedBy() const { return links_ ? links_->UsedBy : NoRecords(); }
    /// Objects this one needs (records owned by this object; key = needed object's name).
    const TDependList& GetDependsOn() const { return links_ ? links_->DependsOn : NoRecords(); }
    TDependObj* UsedByItem(int Index) const;
    TDependObj* DependsOnItem(int Index) const;
    /// The DependsOn record that refers to Needed, or nullptr.
    TDependObj* FindDependsOn(const TDbObj* Needed) const;
    /// Hints for passes that record many dependencies, asked for a few objects ahead so that the
    /// waits for memory overlap; neither changes anything. The object's own parts that recording
    /// reads and writes:
    void PrefetchDependencyState() const {
        __builtin_prefetch(this);
        __builtin_prefetch(&links_);
    }
    /// and once those are at hand, its lists and the chain of records that refer to it.
    void PrefetchDependencyLists() const {
        if (links_) __builtin_prefetch(links_.get());
        if (referencedBy_) __builtin_prefetch(referencedBy_);
    }
    /// Frees every dependency record the object holds; the paired records held by the other objects
    /// stay (they refer to this object, which lives on).
    void ClearDependencies();
    /// Forgets what the object needs: its DependsOn records and, on each needed object, the UsedBy
    /// record that names this one. What needs this object stays recorded (a redefined body).
    void ClearDependsOn();

    // The members that the compare passes read for every object and column come first, so that
    // they share the object's first cache lines.
    std::uint8_t Exists = 1;
    std::uint8_t Ignore = 0;
    /// MS SQL settings the object was created under (SET QUOTED_IDENTIFIER, SET ANSI_NULLS).
    bool QuotedIdentifier = true;
    bool AnsiNulls = true;
    std::int32_t Number = -1;

private:
    TDbObject Kind_ = TDbObject::dboUnknown;
    bool walking_ = false; // guards the walkers against dependency cycles
    bool mayHaveState_ = false; // see MayHaveSourceOrDependencies; set for good once true
    TCustomObjs* Owner_ = nullptr;
    TDbObj* Partner_ = nullptr;
    std::string Name_;
    TCompactString Source_;
    TCompactString Description_;

public:
    TCompactString CachedSQL;
    /// The CREATE text the object last had in the target.
    TCompactString CompareText;
    TCompactString OverrideName;
    TCompactString Owner2;

private:
    friend class TDependObj;
    friend TDependObj* AddDependencyPair(TCustomObjs*, TDbObj*, TDbObj*, int, int, std::string_view);
    friend void OrderUsedByRecords(const std::vector<std::pair<TDependObj*, std::uint64_t>>&);

    std::string DescriptionSQLInterBase() const;
    std::string DescriptionSQLOther(TDatabaseType Type) const;

    // One link of a record's chain of records that refer to an object: a record is on the chain of
    // its referenced object through one link and on that of its second object through another.
    struct RefLink {
        RefLink* prev = nullptr;
        RefLink* next = nullptr;
        TDependObj* rec = nullptr;
    };
    static void LinkRef(RefLink*& head, RefLink& link);
    static void UnlinkRef(RefLink*& head, RefLink& link);

    // The dependency lists and the objects whose Partner is this one; made when the first is
    // filled (most columns have none, and a large structure holds hundreds of thousands).
    struct Links {
        SMX_POOLED_CLASS(Links)
        TDependList UsedBy;
        TDependList DependsOn;
        std::vector<TDbObj*> partneredBy;
    };
    Links& EnsureLinks() {
        if (!links_) links_ = std::make_unique<Links>();
        return *links_;
    }
    static const TDependList& NoRecords();
    std::unique_ptr<Links> links_;
    RefLink* referencedBy_ = nullptr; // records (held anywhere) that refer to this one, newest first
    TCompactString ParentName_;
};

/// One dependency record: the object (and field) depended on, or the dependant, by list. A record
/// is a small object of its own (a large structure holds hundreds of thousands): its name, kind and
/// container as its object's were when it was made, the field, the flags and the links.
class TDependObj : public TObject {
public:
    explicit TDependObj(TCustomObjs* AOwner = nullptr);
    TDependObj(const TDependObj&) = delete;
    TDependObj& operator=(const TDependObj&) = delete;
    ~TDependObj() override;
    SMX_CLASSNAME(TDependObj)
    SMX_POOLED_CLASS(TDependObj)

    /// "Name (field: F)" with a field, "(+/-) Name" when toggled, else the referenced object's name.
    std::string GetDisplayName() const;

    /// The name of the object the record was made for.
    const std::string& GetName() const { return Name_; }
    /// Stored upper-cased in an MS SQL container with case-insensitive identifiers (as object names).
    void SetName(std::string_view Value);
    /// The kind of the object the record was made for; dboDepend for a record made on its own.
    TDbObject GetKind() const { return Kind_; }
    void SetKind(TDbObject Value) { Kind_ = Value; }
    /// The container the record was made in.
    TCustomObjs* GetOwner() const { return Owner_; }

    /// The object the entry refers to (needed object in DependsOn, dependant in UsedBy).
    TDbObj* GetReferenced() const { return Referenced_; }
    void SetReferenced(TDbObj* Value);
    /// A further object the entry leads to (e.g. the table through which a column is dropped).
    TDbObj* GetSecond() const { return second_ ? second_->Obj : nullptr; }
    void SetSecond(TDbObj* Value);
    /// The object whose list holds this record.
    TDbObj* GetHolder() const { return Holder_; }

private:
    // The members a dependency look-up reads for every record of an object come first; the small
    // ones share their padding.
    TDbObj* Referenced_ = nullptr;

public:
    std::string FieldName;
    std::uint8_t Recreate = 1;
    std::uint8_t Toggle = 0;

private:
    TDbObject Kind_ = TDbObject::dboDepend;
    bool inUsedBy_ = false; // in its holder's UsedBy list, else in its DependsOn list

public:
    std::int32_t Int1 = 0;
    std::int32_t Int2 = 0;

private:
    friend class TDbObj;
    friend class TDependList;
    friend TDependObj* AddDependencyPair(TCustomObjs*, TDbObj*, TDbObj*, int, int, std::string_view);
    friend void OrderUsedByRecords(const std::vector<std::pair<TDependObj*, std::uint64_t>>&);
    /// A record of Holder's list made by AddDependencyPair, its texts as given.
    TDependObj(TCustomObjs* AOwner, std::string_view Name, TDbObject Kind, std::string_view Field, int AInt1,
               int AInt2, TDbObj* Holder, bool InUsedBy);
    std::uint32_t batch_ = 0; // OrderUsedByRecords only: 1 + the record's place in its batch
    void Unregister(TDbObj*& target, TDbObj::RefLink& link);

    // The second object and the link on its chain, made when one is set: nearly every record has
    // none.
    struct SecondRef {
        TDbObj* Obj = nullptr;
        TDbObj::RefLink Link;
    };

    std::string Name_;
    TCustomObjs* Owner_ = nullptr;
    TDbObj* Holder_ = nullptr;
    TDependObj* listPrev_ = nullptr; // the neighbours in the holder's list
    TDependObj* listNext_ = nullptr;
    TDbObj::RefLink referencedLink_; // on Referenced_'s chain
    std::unique_ptr<SecondRef> second_;
};

/// Records that Dependent needs Needed (with FieldName, on that column of a table or view; nothing
/// when the column is absent). Nothing for null objects or an entry already present.
void AddDependency(TCustomObjs* Container, TDbObj* Dependent, TDbObj* Needed, int Int1 = 0, int Int2 = 0,
                   std::string_view FieldName = "");
/// Creates the two records: one in Dependent's DependsOn, one in Needed's UsedBy (the result).
TDependObj* AddDependencyPair(TCustomObjs* Container, TDbObj* Dependent, TDbObj* Needed, int Int1, int Int2,
                              std::string_view FieldName);
/// Puts the UsedBy records that a batch of dependencies made out of order where the batch's order
/// puts them: Made holds each UsedBy record the batch made, in the order made, with its place in
/// the batch's order (the key; equal keys keep the order made). The batch must have made each of
/// those lists' records after all the list's others. A pass over many objects can so meet them in
/// the order they lie in memory and still leave every list as the pass in its own order would.
void OrderUsedByRecords(const std::vector<std::pair<TDependObj*, std::uint64_t>>& Made);
/// The entries of a list in the order their objects lie in memory, which is about the order they
/// were made in. A pass over every object of a large structure meets them so one after the other,
/// where in name order (a script joined from several, a schema grown over time) nearly every object
/// would be a wait for memory of its own.
std::vector<int> InMemoryOrder(const TStringList& List);
/// The script has just dropped Obj: the grants on it and those it holds as a procedure, trigger,
/// view, function, package or role grantee went with it. They are marked not existing, with their
/// partners, so that no REVOKE is written for them and the master's grants are written again.
/// (Defined with the grant kind.)
void MarkGrantsOfDroppedObject(TDbObj* Obj);

// ---------------------------------------------------------------------------------------------------
// The object container

/// The filter a container asks last: Accept may be changed.
using TAccept_ObjEvent = std::function<void(TObject* Sender, TDbObj* aObj, bool& Accept)>;
/// The filter an extractor asks last for a name of a kind.
using TAcceptObjEvent =
    std::function<void(TObject* Sender, const std::string& aObjName, TDbObject aObjType, bool& Accept)>;

/// Whether an include/exclude entry matches Name (case-sensitive; "*" counts as "%", which stands for
/// any text; an entry without a wildcard must equal the name; an empty entry matches nothing).
bool MatchObjNamePattern(std::string_view Pattern, std::string_view Name);

/// The schema of one side: one sorted list per kind keyed by full name, the side's options, its
/// role, the other side's container and the executor that receives statements. The base frees no
/// schema object (its concrete class does); it clears every link to itself when destroyed.
class TCustomObjs : public TObject, public TServerOptionsAccess<TCustomObjs> {
public:
    explicit TCustomObjs(TCustomDBStructure* AStructure = nullptr);
    TCustomObjs(const TCustomObjs&) = delete;
    TCustomObjs& operator=(const TCustomObjs&) = delete;
    /// Clears the executor and partner links that name this container.
    ~TCustomObjs() override;
    SMX_CLASSNAME(TCustomObjs)

    /// Empties every list and the script lines (freeing no object), resets the database facts of
    /// the InterBase, MS SQL and ASA options, Terminator ";".
    virtual void Clear();
    virtual void CacheObjectScripts() {}
    virtual void GetScript() {}
    virtual void CopyScriptTo(TStringList& Strings) { (void)Strings; }

    /// Files Obj under its full name in its kind's list. Returns its index in that list as the
    /// list reads when the call returns; -1 when refused, of no known kind, or its key is present
    /// (the first object stays filed). A refused object is freed when FreeIfRejected is set.
    /// Filing is n log n: lists are sorted when read.
    int AddObject(TDbObj* Obj, bool FreeIfRejected);
    /// AddObject for a caller that knows the object's list (the one ListOfObject names for it):
    /// the same tests and filing without asking the object's class.
    int AddObjectTo(TObjsList Which, TDbObj* Obj, bool FreeIfRejected);
    /// AddObject (Which unset) or AddObjectTo for a caller that needs no index: True when filed.
    /// Filing many objects is cheaper so (the order of the objects filed since the list was last
    /// read is kept only once an index is asked for).
    bool FileObject(TDbObj* Obj, bool FreeIfRejected, std::optional<TObjsList> Which = std::nullopt);
    /// The accept filter of AddObject: the container handler, else the extractor's name test.
    bool AcceptObject(TDbObj* Obj);
    /// The list an object of this class is filed in (false for a class no list holds).
    static bool ListOfObject(const TDbObj* Obj, TObjsList& Which);

    /// The list, sorted; objects filed since the last read are merged in first.
    TStringList& List(TObjsList Which);
    /// The object filed under Key, or nullptr (binary search; no merge needed).
    TDbObj* FindObject(TObjsList Which, std::string_view Key) const;
    /// Number of objects filed in the list.
    int ObjectCount(TObjsList Which) const;
    /// Merges the objects filed since the list was last read and makes its look-up index, so that
    /// FindObject on that list only reads (and may be asked on several threads at once) until the
    /// list changes.
    void PrepareLookups(TObjsList Which);

    TStringList& Schemas() { return List(TObjsList::olSchemas); }
    TStringList& Domains() { return List(TObjsList::olDomains); }
    TStringList& Functions() { return List(TObjsList::olFunctions); }
    TStringList& Triggers() { return List(TObjsList::olTriggers); }
    TStringList& Procedures() { return List(TObjsList::olProcedures); }
    TStringList& Tables() { return List(TObjsList::olTables); }
    TStringList& Exceptions() { return List(TObjsList::olExceptions); }
    TStringList& Generators() { return List(TObjsList::olGenerators); }
    TStringList& Indices() { return List(TObjsList::olIndices); }
    TStringList& Views() { return List(TObjsList::olViews); }
    TStringList& Roles() { return List(TObjsList::olRoles); }
    TStringList& Grants() { return List(TObjsList::olGrants); }
    TStringList& Constraints() { return List(TObjsList::olConstraints); }
    TStringList& Rules() { return List(TObjsList::olRules); }
    TStringList& Defaults() { return List(TObjsList::olDefaults); }
    TStringList& Packages() { return List(TObjsList::olPackages); }
    TStringList& Publications() { return List(TObjsList::olPublications); }
    TStringList& Operators() { return List(TObjsList::olOperators); }
    TStringList& OperatorClasses() { return List(TObjsList::olOperatorClasses); }
    TStringList& Conversions() { return List(TObjsList::olConversions); }
    TStringList& Events() { return List(TObjsList::olEvents); }
    TStringList& Collations() { return List(TObjsList::olCollations); }

    TDatabaseType GetDatabaseType() const { return DatabaseType_; }
    /// Stores the type and sets the lists' case rule (case-insensitive for ASA, MS SQL and ASE, except
    /// the schema, operator, operator class, conversion and event lists).
    void SetDatabaseType(TDatabaseType Value);
    std::uint8_t GetRole() const { return Role_; }
    /// 0 none, 1 master, 2 target.
    void SetRole(std::uint8_t Value) { Role_ = Value; }
    /// This container when it is the master, else the partner container.
    TCustomObjs* GetMaster();
    /// This container when it is the target, else the partner container.
    TCustomObjs* GetTarget();
    /// The target's InterBase ODS major version; 0 when neither side is the target.
    int GetTargetODSMajor() const;
    /// The structure's object-name prefix; empty without a structure.
    std::string GetNamePrefix() const;
    /// "Server Version (user defined): " + the version name of this side's server options; empty
    /// when the name is empty.
    std::string GetServerVersionText() const;
    /// The container's OnLogNextLine, else the extractor's, else the executor's (Sender = container).
    void DoLogNextLine(const std::string& Text);
    /// Passes Text to the structure's extractor (which reports and records it); nothing without one.
    void ErrorMessage(const std::string& Text);
    /// Merges G into a grant of the same object, grantee and option, or files it (result G). A
    /// result of nullptr means G was not filed and stays the caller's to free: merged, or (reported
    /// as a warning) its key was taken by a grant it does not merge with.
    /// (The grant-list members are defined with the grant kind.)
    TGntData* MergeGrants(TGntData* G);
    /// Re-keys every grant with its current full name and sorts the grant list again.
    void SortGrants();
    /// The grants whose object is named Name (OnObject) and those whose grantee is (HeldBy), by the
    /// grant list's case rule. The name index is built on first use and forgotten whenever the
    /// grant list changes (and by ForgetGrantIndex).
    void FindGrants(std::string_view Name, std::vector<TGntData*>& OnObject, std::vector<TGntData*>& HeldBy);
    /// Drops the grant name index; the next FindGrants builds it again.
    void ForgetGrantIndex();
    /// Drops the look-up index of a list whose entries were removed or moved through List(); the
    /// next look-up builds it again.
    void ForgetListIndex(TObjsList Which) { lists_[static_cast<std::size_t>(Which)].listHashed = -1; }
    /// The identifier quoting of the suite, by database type.
    static std::string QuoteIdentifier(std::string_view Name, TDatabaseType DatabaseType,
                                       TIBSQLServerVersionType ServerVersion, TIBSQLDialectType Dialect);

    TCustomDBStructure* GetStructure() const { return Structure_; }
    TCustomObjs* GetPartnerObjs() const { return PartnerObjs_; }
    /// Links the other side's container (cleared automatically when that container goes).
    void SetPartnerObjs(TCustomObjs* Value);
    TCustomSQLExec* GetSQLExec() const { return SQLExec_; }
    /// Links the executor (cleared automatically when that executor goes).
    void SetSQLExec(TCustomSQLExec* Value);

    const std::string& GetTerminator() const { return Terminator_; }
    void SetTerminator(std::string_view Value) { Terminator_ = Value; }
    TCmpObjSetType GetCompareObjects() const { return CompareObjects_; }
    void SetCompareObjects(TCmpObjSetType Value) { CompareObjects_ = Value; }
    TConnectionOptions& GetConnectionOptions() { return ConnectionOptions_; }
    const TConnectionOptions& GetConnectionOptions() const { return ConnectionOptions_; }
    /// The eight server-option objects (their accessors come with TServerOptionsAccess).
    TServerOptionsSet<>& ServerOptions() { return ServerOptions_; }
    const TServerOptionsSet<>& ServerOptions() const { return ServerOptions_; }
    TStringList& GetScriptLines() { return ScriptLines_; }

    std::uint8_t QuoteStyle = 0;   ///< dbCustomOLEDB: 2 single quotes, 3 double quotes, 4 brackets
    std::uint8_t Comparing = 0;    ///< 1 while the comparer runs its steps on this (master) container
    std::uint8_t FromDatabase = 0; ///< 1 when the metadata extractor filled the container
    /// Three texts of the script writer's state; emptied by Clear.
    std::string StateTexts[3];
    TLogNextLineEvent OnLogNextLine;
    TAccept_ObjEvent OnAccept_Obj;

protected:
    /// Frees every object filed in the lists and empties them. For the concrete container's Clear;
    /// its destructor must clear too, since the base destructor runs the base Clear only.
    void FreeObjects();

private:
    friend class TCustomSQLExec;
    struct Pending {
        std::string key;
        TDbObj* obj;
        std::size_t hash;
    };
    struct PendingOrder; // the pending positions in key order, with ranks
    struct KindList {
        KindList();
        ~KindList();
        TStringList list;
        // Objects filed since the list was last read: merged (and the list sorted) on the next read.
        std::vector<Pending> pending;
        // Open-addressing index of the pending keys (0 = free, else the pending position + 1).
        // Each slot also holds the key hash's upper half, so that a probe passes over another key
        // without reading its pending entry.
        std::vector<std::uint64_t> slots;
        // The pending keys in list order, so that filing can tell an object's place in the list.
        std::unique_ptr<PendingOrder> order;
        // Open-addressing index of the listed keys (position + 1 and key hash; 0 = free) for
        // look-ups in long lists. Only an accelerator: every hit is checked against the list, and
        // a miss is searched in the list as well, so a list changed behind its back is still read
        // right. Built for the list count and case rule noted here.
        struct ListSlot {
            std::uint32_t Entry = 0;
            std::uint32_t Hash = 0;
        };
        std::vector<ListSlot> listSlots;
        int listHashed = -1;
        bool listHashFolded = false;
    };
    static void ClearPending(KindList& k);
    static std::size_t HashKey(const KindList& k, std::string_view Key);
    static int FindPending(const KindList& k, std::string_view Key, std::size_t Hash);
    static void IndexPending(KindList& k, std::uint32_t Position);
    static void Merge(KindList& k);
    /// The pending positions in the list's key order.
    static std::vector<std::uint32_t> SortedPending(const KindList& k);
    /// The position of Key in the list by the list index (made or remade first when the list
    /// changed); -1 when the index does not find it.
    static int FindListed(KindList& k, std::string_view Key);
    /// The same with the key's HashKey given.
    static int FindListed(KindList& k, std::string_view Key, std::size_t Hash);
    static void IndexListed(KindList& k);
    /// Adds the list's last entry to a current index.
    static void AddListed(KindList& k);
    /// Files Obj under Key: its index in the list as it reads now with WantIndex, else 0; -1 when
    /// the key is present.
    int File(TObjsList Which, std::string_view Key, TDbObj* Obj, bool WantIndex = true);
    /// Files Obj (its accept tests first): the index as File gives it, -1 when refused.
    int FileAccepted(std::optional<TObjsList> Which, TDbObj* Obj, bool FreeIfRejected, bool WantIndex);

    TCustomDBStructure* Structure_ = nullptr;
    TCustomObjs* PartnerObjs_ = nullptr;
    std::vector<TCustomObjs*> partneredBy_; // containers whose PartnerObjs is this one
    // The grants by object name and by grantee name (keys folded to upper case when the grant
    // list ignores case).
    struct GrantIndex {
        std::unordered_multimap<std::string, TGntData*> byObject, byGrantee;
    };
    std::unique_ptr<GrantIndex> grantIndex_; // see FindGrants
    std::string Terminator_ = ";";
    TCmpObjSetType CompareObjects_ = AllCmpObjTypes;
    TConnectionOptions ConnectionOptions_;
    TServerOptionsSet<> ServerOptions_;
    TDatabaseType DatabaseType_ = TDatabaseType::dbAbstract;
    std::uint8_t Role_ = 0;
    TCustomSQLExec* SQLExec_ = nullptr;
    mutable KindList lists_[ObjsListCount];
    TStringList ScriptLines_;
};

// ---------------------------------------------------------------------------------------------------
// Extractor, structure and comparer bases

/// Step log of an extractor: position, text and two numbers.
using TExtractLogEvent =
    std::function<void(TObject* Sender, int Position, const std::string& Text, int A, int B)>;

/// An extractor fills a structure from a database or script files, through include, exclude and
/// accept rules. Destroying it unbinds the structure that names it.
class TCustomExtract : public TComponent {
public:
    explicit TCustomExtract(TComponent* AOwner = nullptr);
    ~TCustomExtract() override;
    SMX_CLASSNAME(TCustomExtract)

    virtual void SetOnProgressUpdate(TProgressUpdateEvent Handler) { OnProgressUpdate_ = std::move(Handler); }
    virtual void SetOnErrorMessage(TErrorMessageEvent Handler) { OnErrorMessage_ = std::move(Handler); }
    virtual void SetOnLogNextLine(TLogNextLineEvent Handler) { OnLogNextLine_ = std::move(Handler); }
    /// Binds the structure (its Extractor and its container's accept handler become this
    /// extractor's); a previous structure that named this extractor is unbound.
    virtual void SetDBStructure(TCustomDBStructure* Structure);
    virtual TCmpObjSetType GetExtractObjects() const { return ExtractObjects_; }
    virtual void DoProgressUpdate(int Value, int MaxValue);
    virtual void DoLog(int Position, const std::string& Text, int A, int B);
    virtual TMsgManager& GetMsgManager() { return MsgManager_; }
    virtual void DoDebugMessage(const std::string& Text);
    virtual void DoLogNextLine(const std::string& Text);
    /// Logs the structure's server-version text when there is one.
    virtual void LogServerVersion();
    /// OnErrorMessage when assigned, else the message box; always recorded as a kind-2 message.
    virtual void DoErrorMessage(const std::string& Text);
    /// Clears the messages; the base extracts nothing and returns false.
    virtual bool ExtractDatabase();

    void Notification(TComponent* AComponent, TOperation Operation) override;

    const TProgressUpdateEvent& GetOnProgressUpdate() const { return OnProgressUpdate_; }
    const TErrorMessageEvent& GetOnErrorMessage() const { return OnErrorMessage_; }
    const TLogNextLineEvent& GetOnLogNextLine() const { return OnLogNextLine_; }
    TCustomDBStructure* GetDBStructure() const { return DBStructure_; }
    bool GetShowFullLog() const { return ShowFullLog_; }
    void SetShowFullLog(bool Value) { ShowFullLog_ = Value; }
    TDatabaseType GetDatabaseType() const { return DatabaseType_; }
    void SetDatabaseType(TDatabaseType Value) { DatabaseType_ = Value; }
    void SetExtractObjects(TCmpObjSetType Value) { ExtractObjects_ = Value; }
    const TStringList& GetIncludeObjsNames() const { return IncludeObjsNames_; }
    const TStringList& GetExcludeObjsNames() const { return ExcludeObjsNames_; }
    /// Copies the lines into the owned list.
    void SetIncludeObjsNames(const TStringList& Strings) { IncludeObjsNames_.Assign(Strings); }
    void SetExcludeObjsNames(const TStringList& Strings) { ExcludeObjsNames_.Assign(Strings); }

    /// True when the include list is empty or an entry matches.
    bool IsIncluded(std::string_view Name) const;
    /// True when an exclude entry matches.
    bool IsExcluded(std::string_view Name) const;
    /// Include/exclude test, then the structure's name prefix for the top-level kinds, then OnAcceptObj.
    bool IsObjectAccepted(const std::string& Name, TDbObject Kind);
    /// The per-object test (indices and constraints by their table name; grants pass), then OnAccept_Obj.
    bool IsObjAccepted(TDbObj* Obj);
    /// Files Obj in the structure's container when its name is accepted, else frees it. Returns the
    /// filing result (-1 when not filed).
    int AddObjectIfAccepted(TDbObj* Obj);
    /// AddObjectIfAccepted for a caller that needs no index (see TCustomObjs::FileObject): True
    /// when filed. Which names the object's list when the caller knows it.
    bool FileObjectIfAccepted(TDbObj* Obj, std::optional<TObjsList> Which = std::nullopt);

    TExtractLogEvent OnLog;
    TLogNextLineEvent OnDebugMessage;
    TAcceptObjEvent OnAcceptObj;
    TAccept_ObjEvent OnAccept_Obj;

private:
    void Unbind();

    TProgressUpdateEvent OnProgressUpdate_;
    TLogNextLineEvent OnLogNextLine_;
    TErrorMessageEvent OnErrorMessage_;
    bool ShowFullLog_ = true;
    TCustomDBStructure* DBStructure_ = nullptr;
    TDatabaseType DatabaseType_ = TDatabaseType::dbAbstract;
    TCmpObjSetType ExtractObjects_ = AllCmpObjTypes;
    TMsgManager MsgManager_;
    TStringList IncludeObjsNames_;
    TStringList ExcludeObjsNames_;
};

/// A structure holds one container of schema objects (created by the concrete class).
class TCustomDBStructure : public TComponent, public TServerOptionsAccess<TCustomDBStructure> {
public:
    explicit TCustomDBStructure(TComponent* AOwner = nullptr);
    ~TCustomDBStructure() override;
    SMX_CLASSNAME(TCustomDBStructure)

    /// Empties the container; NamePrefix becomes empty.
    virtual void Clear();

    TCustomObjs* GetObjs() const { return Objs_.get(); }
    TCustomExtract* GetExtractor() const { return Extractor_; }
    void SetExtractor(TCustomExtract* Value) { Extractor_ = Value; }
    const std::string& GetNamePrefix() const { return NamePrefix_; }
    void SetNamePrefix(std::string_view Value) { NamePrefix_ = Value; }
    void SetDatabaseType(TDatabaseType Value);
    TDatabaseType GetDatabaseType() const;

    /// The container's eight server-option objects, which the structure publishes.
    TServerOptionsSet<>& ServerOptions() { return Objs_->ServerOptions(); }
    const TServerOptionsSet<>& ServerOptions() const { return Objs_->ServerOptions(); }

protected:
    /// Installs the container (the concrete structure creates it with the back link set).
    void SetObjs(std::unique_ptr<TCustomObjs> Objs) { Objs_ = std::move(Objs); }

private:
    std::unique_ptr<TCustomObjs> Objs_;
    TCustomExtract* Extractor_ = nullptr;
    std::string NamePrefix_;
};

/// A comparer extracts a master and a target structure and writes the update script into an
/// executor: the assigned one, else one of its own (OwnSQLExec, its single owner).
class TCustomSchemalyst : public TComponent, public TCompareOptionsAccess<TCustomSchemalyst> {
public:
    explicit TCustomSchemalyst(TComponent* AOwner = nullptr);
    /// Frees the own executor once; no container keeps naming it.
    ~TCustomSchemalyst() override;
    SMX_CLASSNAME(TCustomSchemalyst)

    /// The base extracts nothing and returns false.
    virtual bool ExtractStructures() { return false; }
    virtual void CompareStructures() {}
    /// ExtractStructures, then CompareStructures only when extraction succeeded.
    virtual void ExtractAndCompare();
    virtual void DoLogNextLine(const std::string& Text);
    /// OnErrorMessage when assigned, else the message box.
    virtual void DoErrorMessage(const std::string& Text);

    void Notification(TComponent* AComponent, TOperation Operation) override;

    TCustomDBStructure* GetDBStructureMaster() const { return DBStructureMaster_; }
    TCustomDBStructure* GetDBStructureTarget() const { return DBStructureTarget_; }
    /// Stores the structure (role 1 on its container) and links the two containers.
    void SetDBStructureMaster(TCustomDBStructure* Structure);
    /// Stores the structure (role 2 on its container) and links the two containers.
    void SetDBStructureTarget(TCustomDBStructure* Structure);
    /// With both structures: roles 1 and 2, and each container's PartnerObjs the other.
    void LinkStructures();
    TCmpObjSetType GetCompareObjects() const { return CompareObjects_; }
    virtual void SetCompareObjects(TCmpObjSetType Value) { CompareObjects_ = Value; }
    bool GetShowFullLog() const { return ShowFullLog_; }
    /// Stores the flag and copies it into both structures' extractors.
    void SetShowFullLog(bool Value);
    /// The assigned executor, else the own one (nullptr when there is neither).
    TCustomSQLExec* GetSQLExec() const;
    /// Assigns an executor; the own executor, when it is the current one and Exec differs, is freed.
    /// Containers that named the replaced executor forget it.
    void SetSQLExec(TCustomSQLExec* Exec);
    TCustomSQLExec* GetOwnSQLExec() const { return OwnSQLExec_.get(); }
    TCustomExtract* GetExtractorMaster() const { return ExtractorMaster_; }
    void SetExtractorMaster(TCustomExtract* Value);
    TCustomExtract* GetExtractorTarget() const { return ExtractorTarget_; }
    void SetExtractorTarget(TCustomExtract* Value);
    /// The master's or target's container; nullptr without structure.
    TCustomObjs* GetMasterObjs() const;
    TCustomObjs* GetTargetObjs() const;
    /// Name quoted for the target container's database type, version and dialect.
    std::string QuoteName(std::string_view Name) const;
    /// One line per generated statement, the statement as its object (cleared when it is freed).
    TStringList& GetLogList() { return LogList_; }
    TMsgManager& GetMsgManager() { return MsgManager_; }

    TConnectionOptions& GetConnectionOptions() { return ConnectionOptions_; }
    void SetConnectionOptions(const TConnectionOptions& Value) { ConnectionOptions_ = Value; }
    /// The eight compare-option objects (their accessors come with TCompareOptionsAccess).
    TCompareOptionsSet& CompareOptions() { return CompareOptions_; }
    const TCompareOptionsSet& CompareOptions() const { return CompareOptions_; }

    TLogNextLineEvent OnLogNextLine;
    TProgressUpdateEvent OnProgressUpdate;
    TErrorMessageEvent OnErrorMessage;
    TNotifyEvent OnBeforeExtract, OnAfterExtract, OnBeforeExtractTarget, OnAfterExtractTarget;
    TNotifyEvent OnBeforeExtractMaster, OnAfterExtractMaster, OnBeforeCompare, OnAfterCompare;

protected:
    /// Makes Exec the comparer's own executor (freeing a previous own one); it is used while no
    /// executor is assigned.
    void SetOwnSQLExec(std::unique_ptr<TCustomSQLExec> Exec);

    bool ExtractMaster_ = false;
    bool ExtractTarget_ = false;
    bool ExtractionOK_ = false;
    TMsgManager MsgManager_;

private:
    void ForgetExecutor(TCustomSQLExec* Exec);
    void FreeOwnSQLExec();
    void WatchExecutor();

    std::unique_ptr<TCustomSQLExec> OwnSQLExec_;
    TCustomSQLExec* SQLExec_ = nullptr;
    TCustomSQLExec* watchedExec_ = nullptr; // the executor whose statements the log list refers to
    TCmpObjSetType CompareObjects_ = AllCmpObjTypes;
    TCustomDBStructure* DBStructureMaster_ = nullptr;
    TCustomDBStructure* DBStructureTarget_ = nullptr;
    bool ShowFullLog_ = true;
    TStringList LogList_;
    TConnectionOptions ConnectionOptions_;
    TCompareOptionsSet CompareOptions_;
    TCustomExtract* ExtractorMaster_ = nullptr;
    TCustomExtract* ExtractorTarget_ = nullptr;
};

} // namespace smx
