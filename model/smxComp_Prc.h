// Stored procedures and functions. A routine owns its input and output parameters (column objects)
// and knows the empty body of its dialect, which the dependency walkers put in place of a body that
// something being dropped or re-created still needs.
#pragma once

#include "model/smxClasses.h"

namespace smx {

/// A stored procedure or function. Kind dboProcedure.
class TPrcData : public TDbObj {
public:
    explicit TPrcData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TPrcData)

    std::string GetEmptyBody() const override { return EmptyRoutineBody(); }
    bool IsFunction() const override { return IsFunctionFlag != 0; }
    bool ReturnsTable() const override;
    /// Sets the body-emptied flag on the routine and on its partner.
    void SetBodyEmptied(bool Value) override;
    /// Nothing when the routine does not exist or already has its empty body. Otherwise the body
    /// becomes the empty body, DependsOn entries need no more processing, the master namesake is
    /// flagged body-emptied, and with Emit the ALTER text is filed (odbEmpty) and becomes the
    /// compare text's source.
    void EmptyBody(bool Emit) override;
    /// The body that does nothing, in the effective dialect.
    std::string EmptyRoutineBody() const;

    std::uint8_t BodyEmptied = 0;
    TStringList InputParams{true};  ///< TFldData, in declaration order
    TStringList OutputParams{true}; ///< TFldData (a function's result first)
    std::uint8_t ReturnsTableFlag = 0;
    std::int32_t ProcNumber = 0;
    std::uint8_t IsFunctionFlag = 0;
};

} // namespace smx
