// Exceptions of InterBase/Firebird and scheduled events of SQL Anywhere: the schema object classes of
// the two kinds with their texts, the schedule record of an event, and their compare steps.
// Exceptions are matched by their list keys; events by their partners.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/smxClasses.h"

namespace smx {

/// A user exception: a name and a message. Kind dboException. DROP is the base text.
class TExcData : public TDbObj {
public:
    explicit TExcData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TExcData)

    std::optional<TObjsList> GetObjsList() const override { return TObjsList::olExceptions; }

    /// "CREATE EXCEPTION " + quoted name + " " + the message as a string literal.
    std::string GetCreateSQL() const override;
    /// "ALTER EXCEPTION " + quoted name + " " + the message as a string literal.
    std::string GetAlterSQL() const override;

    std::string Message;
};

class TEvtData;

/// One schedule of an event.
class TEvtSdlData {
public:
    explicit TEvtSdlData(const TEvtData* AEvent = nullptr) : Event(AEvent) {}

    /// "SCHEDULE" with its name, time window or start time, interval, days and start date.
    std::string GetText() const;

    const TEvtData* Event = nullptr; ///< the owning event; quotes the schedule name
    std::string Name;
    std::string StartTime, EndTime, StartDate;
    std::int32_t EveryHours = 0, EveryMinutes = 0, EverySeconds = 0; ///< 0 = not set
    /// Bit n-1 for day n of the month (1..31); the sign bit stands for day 0.
    std::uint32_t Days = 0;
};

/// A scheduled event (SQL Anywhere); its handler is the source text. Kind dboEvent.
class TEvtData : public TDbObj {
public:
    explicit TEvtData(TCustomObjs* AOwner = nullptr);
    SMX_CLASSNAME(TEvtData)

    std::optional<TObjsList> GetObjsList() const override { return TObjsList::olEvents; }

    /// CREATE EVENT with its type, condition, schedules, ENABLE/DISABLE, location and handler.
    std::string GetCreateSQL() const override;
    /// "DROP EVENT " + quoted name.
    std::string GetDropSQL() const override;

    /// Appends a schedule owned by the event and returns it.
    TEvtSdlData* AddSchedule();

    std::vector<std::unique_ptr<TEvtSdlData>> Schedules;
    std::string Location; ///< written after " AT "
    bool Enabled = false;
    std::string EventType;
    std::string Condition;
};

/// Creates the master exceptions whose key the target lacks (with their descriptions).
void CreateExceptions(TCustomObjs* MasterObjects, TCustomObjs* TargetObjects, TCustomSQLExec* Executor,
                      TCmpObjSetType CompareObjects);
/// Alters the exceptions whose CREATE texts differ; writes changed descriptions.
void AlterExceptions(TCustomObjs* MasterObjects, TCustomObjs* TargetObjects, TCustomSQLExec* Executor,
                     TCmpObjSetType CompareObjects);
/// Drops the target exceptions whose key the master lacks (emptying the routines that raise them).
void DropExceptions(TCustomObjs* MasterObjects, TCustomObjs* TargetObjects, TCustomSQLExec* Executor,
                    TCmpObjSetType CompareObjects);

/// Creates the master events without an existing partner.
void CreateEvents(TCustomSchemalyst* Comparer);
/// Drops and creates again the events whose CREATE texts differ; writes changed descriptions.
void AlterEvents(TCustomSchemalyst* Comparer);
/// Drops the existing target events without a partner.
void DropEvents(TCustomSchemalyst* Comparer);

} // namespace smx
