// Pieces the compare steps of the smaller object kinds share: the comparer's containers and
// executor gathered once per step, the header comment written before a step's first statement with
// the closing empty line after its last, and the lookup of an object by its list key.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "model/smxClasses.h"

namespace smx {

/// What one compare step works with; ok() is false when the comparer lacks a side or an executor.
struct TStepContext {
    TCustomObjs* Master = nullptr;
    TCustomObjs* Target = nullptr;
    TCustomSQLExec* Exec = nullptr;
    TCmpObjSetType CompareObjects = AllCmpObjTypes;
    bool ok() const { return Master && Target && Exec; }
    /// True when descriptions are compared.
    bool Descriptions() const { return CompareObjects.contains(TCmpObjType::coDescription); }
};

/// The comparer's master and target containers, its executor and its compared kinds.
TStepContext StepContextOf(TCustomSchemalyst* Comparer);

/// A step written for given containers, executor and compared kinds, run on the comparer's: every
/// step of the comparer's sequence then takes the comparer alone.
template <void (*Step)(TCustomObjs*, TCustomObjs*, TCustomSQLExec*, TCmpObjSetType)>
void OnComparer(TCustomSchemalyst* Comparer) {
    const TStepContext c = StepContextOf(Comparer);
    Step(c.Master, c.Target, c.Exec, c.CompareObjects);
}

/// The header comment of a step: written (through the first object's FormatComment) before the
/// first statement, and followed by an empty-line comment when the step ends, if it was written.
class TStepComment {
public:
    TStepComment(TCustomSQLExec* Exec, std::string Text) : exec_(Exec), text_(std::move(Text)) {}
    TStepComment(const TStepComment&) = delete;
    TStepComment& operator=(const TStepComment&) = delete;
    ~TStepComment() { Close(); }

    /// Writes the header once, formatted as a comment of Obj's dialect.
    void Write(const TDbObj& Obj);
    /// Writes the closing empty line now (once), when the header was written.
    void Close();
    bool Written() const { return written_; }

private:
    TCustomSQLExec* exec_;
    std::string text_;
    bool written_ = false;
    bool closed_ = false;
};

/// The object filed under Key in the list, or nullptr.
TDbObj* FindByKey(TCustomObjs* Objs, TObjsList Which, std::string_view Key);

// The three steps of the kinds that pair master and target objects by their list keys alone (no
// partner or existence test): each writes its header comment before its first object.

/// Each master object whose key the target list lacks: its CreateDependDef.
void CreateMissingByKey(const TStepContext& Context, TObjsList Which, const std::string& Comment);
/// Each master object the target list also holds, when the CREATE texts differ: the target's
/// DropWithDependents, then the master's CreateDependDef.
void RecreateChangedByKey(const TStepContext& Context, TObjsList Which, const std::string& Comment);
/// Each target object whose key the master list lacks: its DropWithDependents.
void DropSurplusByKey(const TStepContext& Context, TObjsList Which, const std::string& Comment);

} // namespace smx
