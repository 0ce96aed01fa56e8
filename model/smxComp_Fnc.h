// External functions (UDFs) of InterBase/Firebird: the schema object class of the kind with its
// DECLARE text and the dependency handling around its drop, and the compare steps that declare,
// alter (drop and declare again, with what uses the function emptied or dropped first) and drop
// external functions.
#pragma once

#include <memory>
#include <string>

#include "model/smxClasses.h"

namespace smx {

class TFldData;

/// An external function. Kind dboFunction. Its DROP text is the base one.
class TUdfData : public TDbObj {
public:
    explicit TUdfData(TCustomObjs* AOwner = nullptr);
    ~TUdfData() override;
    SMX_CLASSNAME(TUdfData)

    std::optional<TObjsList> GetObjsList() const override { return TObjsList::olFunctions; }

    /// DECLARE EXTERNAL FUNCTION with its parameters, RETURNS line, entry point and module.
    std::string GetCreateSQL() const override;
    /// Before the drop: views over the function and computed columns that call it are dropped.
    void MarkDependents() override;
    /// After the drop: master views and computed columns that use the function no more and are
    /// missing are created again.
    void MarkDropped() override;

    /// Appends an unnamed parameter (a column of this function) and returns it.
    TFldData* AddParam();
    /// The return value (a column of this function).
    TFldData* GetReturnValue() const { return ReturnValue_.get(); }

    TStringList Params{true}; ///< TFldData, in declaration order
    std::string EntryPoint;
    std::string ModuleName;
    bool FreeIt = false; ///< the server frees the returned value

private:
    std::unique_ptr<TFldData> ReturnValue_;
};

/// Declares the master functions without a partner.
void DeclareUdfs(TCustomObjs* MasterObjects, TCustomObjs* TargetObjects, TCustomSQLExec* Executor,
                 TCmpObjSetType CompareObjects);
/// Drops and declares again the functions whose declarations differ, emptying or dropping what
/// uses them first.
void AlterUdfs(TCustomSchemalyst* Comparer);
/// Drops the existing target functions without a partner.
void DropUdfs(TCustomObjs* MasterObjects, TCustomObjs* TargetObjects, TCustomSQLExec* Executor,
              TCmpObjSetType CompareObjects);

} // namespace smx
