// Exceptions and events: the schema object classes of the two kinds.
#pragma once

#include "model/smxClasses.h"

namespace smx {

/// A user exception. Kind dboException.
class TExcData : public TDbObj {
public:
    explicit TExcData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TExcData)
};

/// An event. Kind dboEvent.
class TEvtData : public TDbObj {
public:
    explicit TEvtData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TEvtData)
};

} // namespace smx
