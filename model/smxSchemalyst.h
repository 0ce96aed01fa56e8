// The comparer component. It fills a master and a target structure through their extractors, pairs
// every master object with its namesake in the target (its partner), resets the existence flags that
// the update script keeps current, and runs the fixed sequence of compare steps that writes the
// update script, with its header and the database character-set step, into an executor. Every
// comparison starts from the extracted state of both structures, so comparing twice gives the same
// script; wiring faults are reported, never raised.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "model/smxClasses.h"

namespace smx {

/// Compares a master structure with a target structure into an update script.
class TSchemalyst : public TCustomSchemalyst {
public:
    explicit TSchemalyst(TComponent* AOwner = nullptr);
    ~TSchemalyst() override;
    SMX_CLASSNAME(TSchemalyst)

    /// Extracts the target, then (when the target collected no error) the master, links partners
    /// and caches texts. False on missing wiring (reported) or when any error was collected.
    bool ExtractStructures() override;
    /// Writes the update script into SQLExec (creating an own TSQLExec when none is assigned).
    /// Silent after a failed extraction; reports a missing structure. An exception of a step other
    /// than the first view creation reaches the caller; the statements added so far stay.
    void CompareStructures() override;
    /// The header statements for the target's database type (CONNECT, SET NAMES, USE ...).
    virtual void WriteScriptHeader();
    /// InterBase/Firebird: sets the target's default character set to the master's, when enabled.
    void CompareDatabaseCharset();
    /// InterBase/Firebird 2.5 and later: the default collations of character sets and (Firebird 3
    /// on) LINGER of the target set to the master's; each difference one ALTER statement.
    void CompareDatabaseSettings();
    /// One ASE "sp_dboption" statement: option number Option (0 to 14) switched to Value.
    void WriteASEDatabaseOptions(int Option, bool Value);

    /// Stores the kinds to compare as the caller's choice; every extraction starts from it again.
    void SetCompareObjects(TCmpObjSetType Value) override;
    /// Narrows the kinds to compare for the current run only (the converters use it); the next
    /// extraction restores the caller's set.
    void NarrowCompareObjects(TCmpObjSetType Value);

    /// Links partners both ways (every earlier partner dropped first) and, between InterBase
    /// structures, equalises the letter case of a view's closing check-option clause.
    void PrepareStructures();
    /// Master objects exist when they have a partner; target objects exist (fields included).
    void ResetStates();
    /// Equalises per-dialect details the target's database type does not compare (MySQL table
    /// options, Oracle schema names and tablespace attributes).
    void NormalizeStructures();
    /// Converts the master into the target's database type (InterBase, SQL Anywhere, MySQL, MS SQL
    /// or PostgreSQL targets; other targets and equal types: nothing).
    void ConvertMasterStructure();
    // The converters: each logs its line, narrows the compared kinds for this run, rewrites the
    // master's names, types, defaults and flags for the target, renames in one go whatever refers
    // to a renamed table, column or domain, re-keys the lists, and sets the master's type.
    void ConvertToIB();
    void ConvertToMySQL();
    void ConvertToMSSQL();
    void ConvertToSybase();
    void ConvertToPostgreSQL();
    /// A name of 32 characters or more cut to its first 31.
    static std::string TruncateName(std::string_view Name);
    /// The object's name cut by TruncateName; its parent name cleared.
    static void TruncateObjectNames(TDbObj* Obj);
    /// A default for InterBase/Firebird: outer parentheses that enclose the whole text dropped, then
    /// GETDATE() as CURRENT_DATE ('TODAY' before InterBase 6) and NEWID() as no default.
    std::string ConvertDefaultToIB(std::string_view Default) const;
    /// A column or domain type for InterBase/Firebird (the master's own type decides; see the
    /// converter), its default converted and its collation cleared.
    void ConvertFieldTypeToIB(TColumnAttrs& Field, const std::string& UnicodeCharSet) const;
    /// Pairs the objects of every kind list of Source with their namesakes in Other.
    static void LinkPartners(TCustomObjs* Source, TCustomObjs* Other);
    /// Pairs each object of Source with the object of Other filed under its full name (both ways),
    /// recursing into the fields of paired tables and views. An object without a namesake keeps
    /// its partner: callers drop all partners first.
    static void LinkPartnerList(TStringList& Source, TStringList& Other);

    /// False after an extraction that collected an error: CompareStructures then does nothing.
    bool GetExtractionOK() const { return ExtractionOK_; }

protected:
    /// Empties the log list and the messages, fires OnBeforeExtract.
    virtual void DoBeforeExtract();
    /// Partners, cached texts, existence flags, normalisation; fires OnAfterExtract.
    virtual void DoAfterExtract();
    /// Prepares both structures for one comparison and fires OnBeforeCompare.
    virtual void DoBeforeCompare();
    /// Fires OnAfterCompare.
    virtual void DoAfterCompare();

private:
    struct SavedState;
    struct SavedEntry {
        TDbObj* Obj;
        int State; // index into savedStates_; -1: no source, no dependencies, no flags to keep
    };
    bool CheckSide(bool Target);
    void SetUpExtractor(TCustomExtract* Extractor, TCustomDBStructure* Structure);
    void RunSteps();
    void SaveModelState();
    void RestoreModelState();
    /// Saves what RestoreObjectState gives back: the index of the saved state, or -1 when the
    /// object has no source, no dependency records and no flags to keep.
    int SaveObjectState(TDbObj* Obj);
    void RestoreObjectState(TDbObj* Obj, int State) const;

    TCmpObjSetType AssignedCompareObjects_ = AllCmpObjTypes;
    std::vector<SavedEntry> savedEntries_; // every object of the kind lists, in walking order
    std::vector<SavedState> savedStates_;
    std::unordered_map<const TDbObj*, int> savedFields_;    // fields that are not plain columns
    std::unordered_set<const TStringList*> savedFieldLists_; // the field lists that hold them
    std::uint64_t columnSourceWrites_ = 0;                   // TDbObj::ColumnSourceWrites() when saved
};

} // namespace smx
