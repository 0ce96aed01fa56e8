// The InterBase/Firebird metadata extractor: the run, the capability probe, the step table and the
// readers of every object kind. See the header.
#include "database/smxIBDatabaseExtract.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "database/smxConnection_IBX.h"
#include "foundation/smxMsg.h"
#include "model/smxComp_Clt.h"
#include "model/smxComp_Ctr.h"
#include "model/smxComp_Dmn.h"
#include "model/smxComp_Exc.h"
#include "model/smxComp_Fnc.h"
#include "model/smxComp_Gnr.h"
#include "model/smxComp_Idx.h"
#include "model/smxComp_Pkg.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Rol.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Trg.h"
#include "model/smxComp_Viw.h"
#include "parsing/smxIBExParser.h"
#include "platform/smxIBClient.h"
#include "platform/smxScopeExit.h"
#include "platform/smxStrUtils.h"

namespace smx {

using enum TDbObject;

namespace {

constexpr std::uint8_t CodeNumeric = 46;
constexpr std::uint8_t CodeDecimal = 47;

// Field access by name; a missing column throws the adapter's EDatabaseError.
TField& Fld(TSMXQuery& Q, std::string_view Name) {
    TField* f = Q.FieldByName(Name);
    if (!f) throw std::runtime_error("Field '" + std::string(Name) + "' not found");
    return *f;
}
std::string Str(TSMXQuery& Q, std::string_view Name) {
    return Trim(Fld(Q, Name).AsString());
}
std::int64_t Int(TSMXQuery& Q, std::string_view Name) {
    return Fld(Q, Name).AsInteger();
}
int Int32(TSMXQuery& Q, std::string_view Name) {
    return static_cast<int>(Fld(Q, Name).AsInteger());
}
bool IsNull(TSMXQuery& Q, std::string_view Name) {
    return Fld(Q, Name).IsNull();
}
std::optional<std::int64_t> Opt(TSMXQuery& Q, std::string_view Name) {
    TField& f = Fld(Q, Name);
    if (f.IsNull()) return std::nullopt;
    return f.AsInteger();
}
// The stored source with CR LF line breaks and outer blanks trimmed.
std::string SourceText(TSMXQuery& Q, std::string_view Name) {
    return Trim(AdjustLineBreaks(Fld(Q, Name).AsString()));
}

void SetSQL(TSMXQuery& Q, std::initializer_list<std::string_view> Pieces) {
    TStringList* sql = Q.GetSQL();
    sql->Clear();
    for (std::string_view p : Pieces)
        sql->Add(p);
}
void AddSQL(TSMXQuery& Q, std::string_view Piece) {
    Q.GetSQL()->Add(Piece);
}
void CloseAndClear(TSMXQuery& Q) {
    Q.Close();
    Q.GetSQL()->Clear();
}
TParam& Param(TSMXQuery& Q, std::string_view Name) {
    TParam* p = Q.ParamByName(Name);
    if (!p) throw std::runtime_error("Parameter '" + std::string(Name) + "' not found");
    return *p;
}

// A name as the server compares it: without the blanks that pad it.
std::string_view Unpadded(std::string_view Name) {
    const std::size_t end = Name.find_last_not_of(' ');
    return Name.substr(0, end == std::string_view::npos ? 0 : end + 1);
}
std::string WithoutPadding(std::string_view Name) {
    return std::string(Unpadded(Name));
}

// The value filed under Key; an empty one (as the outer join of a missing row gave) otherwise.
template <typename Map>
typename Map::mapped_type LookUp(const Map& Values, const typename Map::key_type& Key) {
    const auto it = Values.find(Key);
    return it == Values.end() ? typename Map::mapped_type{} : it->second;
}

// A text BLOB column of a SELECT, named Alias. With Raw (an attachment that gets the catalogue's
// texts byte for byte) a text of up to 8000 bytes comes as a VARCHAR of its stored bytes, and a
// longer one as a BLOB named Alias + "_L": the server makes a handle (and, under a character set
// of its own, a converted copy) for every BLOB it hands over, and that costs more than the text.
std::string TextColumn(bool Raw, std::string_view Column, std::string_view Alias) {
    const std::string c(Column), a(Alias);
    if (!Raw) return c + " " + a;
    return "iif(octet_length(" + c + ") <= 8000, cast(" + c +
           " as varchar(8000) character set none), null) " + a + ", iif(octet_length(" + c +
           ") > 8000, cast(" + c + " as blob sub_type text character set none), null) " + a + "_L";
}
// The text of a column that TextColumn selected.
std::string TextValue(TSMXQuery& Q, bool Raw, std::string_view Alias) {
    TField& f = Fld(Q, Alias);
    if (!Raw || !f.IsNull()) return f.AsString();
    return Fld(Q, std::string(Alias) + "_L").AsString();
}

// The text between single quotes in an SQL literal: inner quotes doubled.
std::string LiteralBody(std::string_view Text) {
    std::string r;
    for (char c : Text) {
        r += c;
        if (c == '\'') r += '\'';
    }
    return r;
}

// Block comments dropped (line comments only with DropLineComments); literals copied whole.
std::string RemoveComments(std::string_view S, bool DropLineComments) {
    std::string r;
    r.reserve(S.size());
    std::size_t i = 0;
    const std::size_t n = S.size();
    while (i < n) {
        const char c = S[i];
        if (c == '\'' || c == '"') {
            std::size_t j = i + 1;
            while (j < n) {
                if (S[j] == c) {
                    if (j + 1 < n && S[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const std::size_t end = j < n ? j + 1 : n;
            r.append(S.substr(i, end - i));
            i = end;
        } else if (c == '/' && i + 1 < n && S[i + 1] == '*') {
            const std::size_t close = S.find("*/", i + 2);
            i = close == std::string_view::npos ? n : close + 2;
        } else if (DropLineComments && c == '-' && i + 1 < n && S[i + 1] == '-') {
            while (i < n && S[i] != '\r' && S[i] != '\n')
                ++i;
        } else {
            r += c;
            ++i;
        }
    }
    return r;
}

int PrecisionOfStorage(int FieldType) {
    switch (FieldType) {
    case 7:
        return 4;
    case 8:
        return 9;
    case 16:
        return 18;
    case 27:
        return 15;
    default:
        return 0;
    }
}

bool IsTextCode(std::uint8_t Code) {
    return Code == 14 || Code == 15 || Code == 56;
}

} // namespace

std::string CleanDefaultSource(std::string_view Source) {
    std::string s = Trim(RemoveComments(Source, false));
    // The keyword as stored: any spelling, then any blank or line break.
    if (s.size() > 7 && UpperCase(s.substr(0, 7)) == "DEFAULT" && static_cast<unsigned char>(s[7]) <= ' ')
        s.erase(0, 8);
    else if (!s.empty() && s.front() == '=')
        s.erase(0, 1);
    return Trim(s);
}

TDbObject IBObjectTypeToDbObject(int Code) {
    switch (Code) {
    case 0:
        return dboTable;
    case 1:
        return dboView;
    case 2:
        return dboTrigger;
    case 3:
        return dboComputed;
    case 4:
        return dboValidation;
    case 5:
        return dboProcedure;
    case 6:
        return dboExprIndex;
    case 7:
        return dboException;
    case 8:
        return dboUser;
    case 9:
        return dboField;
    case 10:
        return dboIndex;
    case 11:
        return dboCount;
    case 12:
        return dboUserGroup;
    case 13:
        return dboRole;
    case 14:
        return dboGenerator;
    case 15:
        return dboFunction;
    case 18:
        return dboPackage;
    default:
        return dboUnknown;
    }
}

namespace {

// One row of the column query, kept until its table comes up in the tables' query.
// A field's type (RDB$FIELDS); its texts and dimensions only when it has any.
struct TFieldRow {
    std::string Name; // without padding
    std::optional<std::int64_t> Scale, Precision, CharSet, Collation;
    int FieldType = 0, SubType = 0, SegmentSize = 0, ByteLength = 0, CharLength = 0;
    std::string Check, Default, Computed;
    bool HasDimensions = false;
};

// A relation field's rarely set values (RDB$RELATION_FIELDS); all unset for most columns.
struct TRelationFieldRow {
    std::string Relation, Field; // without padding
    std::optional<std::int64_t> Collation;
    std::int64_t NullFlag = 0;
    std::string Description, Default, DefaultSource, Generator;
    bool OwnDefault = false, Identity = false;
};

// A row of the relation fields' scan. The names without their padding are short enough to be kept
// in place, where padded ones would each take an allocation (made on the worker that reads them,
// freed on the extractor's thread).
struct TColumnScanRow {
    std::string Relation, Field, Source; // without padding
    std::string Name, SourceName;        // trimmed
    std::optional<std::int64_t> Position;
};

std::optional<std::int64_t> OptionalInteger(const TIBRow& Row, int Column) {
    if (Row.IsNull(Column)) return std::nullopt;
    return Row.Integer(Column);
}

// A row of the fields' scan (the column order of SetColumnScanSQL; the precision only when the
// server has it).
TFieldRow FieldScanRow(const TIBRow& Row, bool HasPrecision) {
    TFieldRow row;
    const auto int32 = [&Row](int Column) { return static_cast<int>(Row.Integer(Column)); };
    const int p = HasPrecision ? 1 : 0;
    row.Name = Unpadded(Row.Text(0));
    row.FieldType = int32(1);
    row.ByteLength = int32(2);
    row.CharLength = int32(3);
    row.SubType = int32(4);
    row.SegmentSize = int32(5);
    if (HasPrecision) row.Precision = OptionalInteger(Row, 6);
    row.Scale = OptionalInteger(Row, 6 + p);
    row.CharSet = OptionalInteger(Row, 7 + p);
    row.Collation = OptionalInteger(Row, 8 + p);
    return row;
}

// Indexes the fields' rows by name: the first of a name, as the catalogue's index gives it.
void IndexFieldRows(const std::vector<TFieldRow>& Rows,
                    std::unordered_map<std::string_view, std::size_t>& Index) {
    Index.reserve(Rows.size());
    for (std::size_t i = 0; i < Rows.size(); ++i)
        Index.emplace(Rows[i].Name, i);
}

TColumnScanRow ColumnScanRow(const TIBRow& Row) {
    TColumnScanRow row;
    row.Relation = Unpadded(Row.Text(0));
    row.Field = Unpadded(Row.Text(1));
    row.Source = Unpadded(Row.Text(2));
    row.Name = Trim(row.Field);
    row.SourceName = Trim(row.Source);
    row.Position = OptionalInteger(Row, 3);
    return row;
}

// The current row of a query on the main attachment, by column position.
class TQueryRow final : public TIBRow {
public:
    explicit TQueryRow(TSMXQuery& Query) : fields_(*Query.GetFields()) {}
    bool IsNull(int Column) const override { return fields_[Column].IsNull(); }
    std::int64_t Integer(int Column) const override { return fields_[Column].AsInteger(); }
    std::string_view Text(int Column) const override { return fields_[Column].Value().RawText(); }
    double Float(int Column) const override { return fields_[Column].AsFloat(); }
    std::string Blob(int Column) const override { return fields_[Column].AsString(); }

private:
    TFields& fields_;
};

// A SELECT of a later step read ahead on a worker: its columns as described and its rows' values:
// texts, whole and floating point numbers and BLOBs (read whole) only; a value of another type
// leaves the SELECT to its step.
struct TAheadRead {
    enum class TState : std::uint8_t { Pending, Reading, Read, Failed, Taken };
    struct TValue {
        bool Null = true;
        std::int64_t Integer = 0;
        double Float = 0;
        std::string Text; // a text's or BLOB's bytes
    };
    std::string SQL; // the text of the step's query's SQL list
    TState State = TState::Pending;
    std::vector<TIBColumn> Columns;
    std::vector<std::vector<TValue>> Rows;
};

// Reads the rows of Ahead on Reader; false when a value was of another type or Stop came.
bool ReadAheadRows(TIBSnapshotReader& Reader, TAheadRead& Ahead, const std::atomic<bool>& Stop) {
    // The statement text as the step's query sends it: the list's lines without the last break.
    std::string_view sql = Ahead.SQL;
    if (sql.ends_with("\r\n")) sql.remove_suffix(2);
    bool kept = true;
    Reader.Read(
        std::string(sql),
        [&](const TIBRow& Row) {
            std::vector<TAheadRead::TValue>& values = Ahead.Rows.emplace_back(Ahead.Columns.size());
            for (std::size_t i = 0; i < values.size(); ++i) {
                const int column = static_cast<int>(i);
                if (Row.IsNull(column)) continue;
                TAheadRead::TValue& v = values[i];
                v.Null = false;
                const TIBColumn& c = Ahead.Columns[i];
                if (c.IsText())
                    v.Text = Row.Text(column);
                else if (c.IsWholeNumber())
                    v.Integer = Row.Integer(column);
                else if (c.IsFloat())
                    v.Float = Row.Float(column);
                else if (c.IsBlob())
                    v.Text = Row.Blob(column);
                else
                    kept = false;
            }
            return kept && !Stop;
        },
        &Ahead.Columns);
    return kept && !Stop;
}

// The rows of a SELECT read ahead, served as the step's query would serve them: fields typed and
// named as its fields, set row by row as it sets them (a BLOB as the value its field would load),
// the last row's values kept at the end.
class TAheadQuery final : public TSMXQuery {
public:
    explicit TAheadQuery(TAheadRead& Ahead)
        : columns_(std::move(Ahead.Columns)), rows_(std::move(Ahead.Rows)) {
        for (const TIBColumn& c : columns_)
            fields_.Add(std::make_unique<TField>(c.Name, c.FieldType(), static_cast<int>(c.Length),
                                                 c.Precision(), 0));
        SetRow();
    }
    bool GetEof() override { return at_ >= rows_.size(); }
    bool GetActive() override { return true; }
    TFields* GetFields() override { return &fields_; }
    TField* FieldByName(std::string_view Name) override { return &fields_.FieldByName(Name); }
    void Next() override {
        if (at_ >= rows_.size()) return;
        ++at_;
        SetRow();
    }

private:
    void SetRow() {
        if (at_ >= rows_.size()) return;
        for (int i = 0; i < fields_.Count(); ++i) {
            const TAheadRead::TValue& v = rows_[at_][static_cast<std::size_t>(i)];
            const TIBColumn& c = columns_[static_cast<std::size_t>(i)];
            TField& f = fields_[i];
            if (v.Null)
                f.SetNull();
            else if (c.IsText())
                f.SetText(v.Text,
                          f.DataType() == TFieldType::ftBytes || f.DataType() == TFieldType::ftVarBytes);
            else if (c.IsWholeNumber())
                f.SetInteger(v.Integer);
            else if (c.IsFloat())
                f.SetValue(TVariant::FromFloat(v.Float));
            else
                f.SetValue(TVariant::FromBytes(v.Text));
        }
    }

    std::vector<TIBColumn> columns_;
    TFields fields_;
    std::vector<std::vector<TAheadRead::TValue>> rows_;
    std::size_t at_ = 0;
};

// One column: its names and position, its field and its own values (kept where they were read).
struct TColumnRow {
    std::string RawName;   // without padding: the tie-break after the position, as if blank-padded
    std::string RawSource; // without padding
    std::string Name, Source;
    std::optional<std::int64_t> Position;
    const TFieldRow* Type = nullptr;
    const TRelationFieldRow* Own = nullptr;
};

// The column order of "order by position, name": a NULL position first, names compared byte by
// byte as blank-padded texts.
bool ColumnRowBefore(const TColumnRow& A, const TColumnRow& B) {
    if (A.Position != B.Position) return !A.Position || (B.Position && *A.Position < *B.Position);
    const std::string_view a = A.RawName, b = B.RawName;
    const std::size_t n = std::max(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(i < a.size() ? a[i] : ' ');
        const auto cb = static_cast<unsigned char>(i < b.size() ? b[i] : ' ');
        if (ca != cb) return ca < cb;
    }
    return false;
}

} // namespace

// The two column scans of a run. With Parallel each runs on an attachment of its own on a worker
// thread that fills only its own rows and error and says so (Done); then both read the SELECTs of
// later steps ahead on the same snapshot, one at a time in step order. A worker's rows pass to the
// extractor under the mutex with these states; the stop flag is the one thing both sides touch
// besides. Destruction stops and joins the workers before the attachments go.
struct TIBDBExtract::TColumnScans {
    struct TScan {
        TIBSnapshotReader Reader;
        std::thread Worker;
        std::exception_ptr Error;
        bool Done = false;
    };
    bool Parallel = false;
    bool HasPrecision = false;
    std::atomic<bool> Stop{false};
    std::mutex Mutex;
    std::condition_variable Changed;
    TScan Fields, Columns;
    std::vector<TFieldRow> FieldRows;
    std::unordered_map<std::string_view, std::size_t> FieldIndex; // over FieldRows
    std::vector<TColumnScanRow> ColumnRows;
    std::vector<TAheadRead> Ahead; // in step order, set before the workers start

    // Sets Flag under the mutex and wakes the extractor.
    void Signal(bool& Flag) {
        {
            const std::lock_guard lock(Mutex);
            Flag = true;
        }
        Changed.notify_all();
    }

    // The body of a worker: Scan's rows by ReadRows, then the SELECTs read ahead that no one
    // took yet. A SELECT that fails here is left to its step, which reads it on its own.
    template <class TRead> void Run(TScan& Scan, TRead ReadRows) {
        try {
            ReadRows(Scan.Reader);
        } catch (...) {
            Scan.Error = std::current_exception();
        }
        Signal(Scan.Done);
        while (!Scan.Error && !Stop) {
            TAheadRead* next = nullptr;
            {
                const std::lock_guard lock(Mutex);
                for (TAheadRead& ahead : Ahead)
                    if (ahead.State == TAheadRead::TState::Pending) {
                        ahead.State = TAheadRead::TState::Reading;
                        next = &ahead;
                        break;
                    }
            }
            if (!next) break;
            bool read = false;
            try {
                read = ReadAheadRows(Scan.Reader, *next, Stop);
            } catch (...) {
                read = false;
            }
            {
                const std::lock_guard lock(Mutex);
                next->State = read ? TAheadRead::TState::Read : TAheadRead::TState::Failed;
            }
            Changed.notify_all();
        }
    }

    // Waits for both scans and hands on the error of either.
    void Finish() {
        {
            std::unique_lock lock(Mutex);
            Changed.wait(lock, [this] { return Fields.Done && Columns.Done; });
        }
        for (TScan* scan : {&Fields, &Columns})
            if (scan->Error) std::rethrow_exception(std::exchange(scan->Error, nullptr));
    }

    // The SELECT SQL read ahead, for the step to take its rows; nullptr when it is not one, or
    // when its reading failed or had not begun (it is not read ahead then).
    TAheadRead* Take(const std::string& SQL) {
        std::unique_lock lock(Mutex);
        for (TAheadRead& ahead : Ahead) {
            if (ahead.SQL != SQL || ahead.State == TAheadRead::TState::Taken) continue;
            Changed.wait(lock, [&ahead] { return ahead.State != TAheadRead::TState::Reading; });
            const bool read = ahead.State == TAheadRead::TState::Read;
            ahead.State = TAheadRead::TState::Taken;
            return read ? &ahead : nullptr;
        }
        return nullptr;
    }

    ~TColumnScans() {
        Stop = true;
        for (TScan* scan : {&Fields, &Columns})
            if (scan->Worker.joinable()) scan->Worker.join();
    }
};

// What the tables step read for the views step of a run: the table columns by the name of their
// field (trailing blanks aside), and the columns of the other relations in column order by
// relation, but for those of which a column was left out for a missing field.
struct TIBDBExtract::TViewLookups {
    struct TTableColumn {
        std::string Table, Field;
        bool Shared = false; // more table columns have the field
    };
    struct TColumn {
        std::string Name, Source, Description;
    };
    std::unordered_map<std::string, TTableColumn> TableColumns;
    std::unordered_map<std::string, std::vector<TColumn>> Columns;
    std::unordered_set<std::string> Incomplete;
};

// ===================================================================================================
// The component

TIBDBExtract::TIBDBExtract(TComponent* AOwner) : TCustomExtract(AOwner) {
    StepMax_ = 16;
    StepPosition_ = 0;
    SetDatabaseType(TDatabaseType::dbInterBase);
}

TIBDBExtract::~TIBDBExtract() = default;

void TIBDBExtract::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomExtract::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent && AComponent == SMXConnection_)
        SMXConnection_ = nullptr;
}

void TIBDBExtract::SetSMXConnection(TSMXCustomConnection* Value) {
    if (Value == SMXConnection_) return;
    if (SMXConnection_) RemoveFreeNotification(SMXConnection_);
    SMXConnection_ = Value;
    if (SMXConnection_) FreeNotification(SMXConnection_);
}

TCustomObjs* TIBDBExtract::Objs() const {
    return GetDBStructure()->GetObjs();
}

std::unique_ptr<TSMXQuery> TIBDBExtract::NewQuery() {
    std::unique_ptr<TSMXQuery> q(SMXConnection_->CreateQuery(nullptr));
    if (!q || !q->GetSQL())
        throw std::runtime_error("TIBDBExtract.ExtractDatabase(): the connection offers no query.");
    return q;
}

bool TIBDBExtract::IgnoreIBE() const {
    return Objs()->GetIBServerOptions().GetIBCompareOptions().GetIgnoreIBEObjects();
}

bool TIBDBExtract::KeepsCatalogueBytes() {
    if (!keepsBytes_) {
        keepsBytes_ = false;
        try {
            // The attachment's character set is UTF8 or UNICODE_FSS (ids 4 and 3).
            std::unique_ptr<TSMXQuery> q = NewQuery();
            SetSQL(*q, {"select count(*) from mon$attachments where mon$attachment_id = current_connection "
                        "and mon$character_set_id in (3, 4)"});
            q->Open();
            keepsBytes_ = !q->GetEof() && (*q->GetFields())[0].AsInteger() > 0;
            CloseAndClear(*q);
        } catch (const std::exception&) {
            // A server without the monitoring tables: names and texts are converted as all text.
        }
    }
    return *keepsBytes_;
}

std::string TIBDBExtract::NameColumn(std::string_view Column, std::string_view Alias) {
    if (!KeepsCatalogueBytes()) return std::string(Column) + " " + std::string(Alias);
    if (!nameType_) {
        // A VARCHAR as long as the catalogue's names (31 bytes before Firebird 4): a longer one
        // costs the server and the client for every row.
        nameType_ = "varchar(252) character set none";
        std::unique_ptr<TSMXQuery> q = NewQuery();
        SetSQL(*q, {"select max(rdb$field_length) from rdb$fields where rdb$field_name in "
                    "('RDB$RELATION_NAME', 'RDB$FIELD_NAME', 'RDB$GENERATOR_NAME')"});
        q->Open();
        if (const std::int64_t bytes = q->GetEof() ? 0 : (*q->GetFields())[0].AsInteger(); bytes > 0 && bytes < 252)
            nameType_ = "varchar(" + std::to_string(bytes) + ") character set none";
        CloseAndClear(*q);
    }
    return "cast(" + std::string(Column) + " as " + *nameType_ + ") " + std::string(Alias);
}

bool TIBDBExtract::Stopped() const {
    return StopRequested;
}

void TIBDBExtract::LogObjectLine(const std::string& Text) {
    if (GetShowFullLog()) DoLogNextLine("---" + Text);
}

void TIBDBExtract::FileIfAccepted(TDbObj* Obj, const std::string& Name, TDbObject Kind) {
    std::unique_ptr<TDbObj> owned(Obj);
    if (IsObjectAccepted(Name, Kind)) Objs()->AddObject(owned.release(), true);
}

int TIBDBExtract::CountAndAnnounce(std::initializer_list<std::string_view> Pieces, const std::string& Label,
                                   bool IBEPiece, std::string_view IBEText) {
    if (!OnLog) return 0;
    TSMXQuery& q = *Query_;
    SetSQL(q, Pieces);
    if (IBEPiece && IgnoreIBE()) AddSQL(q, IBEText);
    q.Open();
    const int count = q.GetEof() ? 0 : static_cast<int>((*q.GetFields())[0].AsInteger());
    CloseAndClear(q);
    DoLog(1, Label, 0, count);
    return count;
}

// ---------------------------------------------------------------------------------------------------
// The run

bool TIBDBExtract::ExtractDatabase() {
    bool result = TCustomExtract::ExtractDatabase();
    StepMax_ = 16;
    StepPosition_ = 0;
    DoProgressUpdate(0, StepMax_);
    DoLog(0, "Starting", 0, StepMax_);
    if (!SMXConnection_) {
        DoErrorMessage("TIBDBExtract.ExtractDatabase(): Connection property not assigned.");
        return result;
    }
    if (SMXConnection_->GetConnectionType() == TconnectionType::cnAbstract) {
        DoErrorMessage("TIBDBExtract.ExtractDatabase(): ConnectionType in Connection not specified.");
        return result;
    }
    if (!GetDBStructure()) {
        DoErrorMessage("TIBDBExtract.ExtractDatabase(): DBStructure not assigned.");
        return result;
    }
    TCustomDBStructure* structure = GetDBStructure();
    structure->Clear();
    TCustomObjs* objs = Objs();
    objs->FromDatabase = 1;
    structure->SetDatabaseType(TDatabaseType::dbInterBase);
    objs->GetConnectionOptions() = SMXConnection_->GetConnectionOptions();
    Query_.reset(SMXConnection_->CreateQuery(nullptr));
    indexColumns_.reset();
    viewLookups_.reset();
    keepsBytes_.reset();
    nameType_.reset();
    catalogueNamesRead_ = false;

    TSMXCustomConnection* connection = SMXConnection_;
    ScopeExit cleanup([this, connection] {
        columnScans_.reset(); // their workers stopped and joined, their attachments gone
        // A connection freed by a handler during the run is not touched again.
        if (SMXConnection_ == connection) SMXConnection_->SetConnected(false);
        Query_.reset();
    });
    try {
        if (!Query_ || !Query_->GetSQL())
            throw std::runtime_error("TIBDBExtract.ExtractDatabase(): the connection offers no query.");
        ProcessMessages();
        connection->SetConnected(false);
        connection->SetIBServerOptions(objs->GetIBServerOptions());
        connection->SetConnected(true);
        if (!connection->GetConnected()) {
            // The connection reported its own failure; the run names the database once.
            DoErrorMessage("Cannot connect to \"" + connection->GetConnectTarget() + "\".");
            return false;
        }
        // The InterBase connection fills its options from its database component only while it
        // connects: taken again here, the first run's container names its database too.
        objs->GetConnectionOptions() = connection->GetConnectionOptions();
        LogServerVersion();
        CopyServerInfo();
        ProcessMessages();
        RunExtractionSteps();
        StepPosition_ = 16;
        DoProgressUpdate(16, 16);
        result = true;
    } catch (const std::exception& e) {
        DoErrorMessage(e.what());
        result = false;
    }
    if (result && StopRequested) {
        // What was not read would look dropped to a comparer: the run does not count as complete.
        DoErrorMessage("Extraction stopped.");
        result = false;
    }
    return result;
}

void TIBDBExtract::CopyServerInfo() {
    TIBServerOptions& ib = Objs()->GetIBServerOptions();
    const TIBEngineOptions& engine = SMXConnection_->GetIBServerOptions();
    ib.GetIBDatabaseOptions() = engine.GetIBDatabaseOptions();
    ib.SetDBCharSet(engine.GetDBCharSet());
    ib.SetSQLDialect(engine.GetSQLDialect());
}

void TIBDBExtract::ExtractCharSets() {
    for (bool TIBCapabilities::*flag : IBCapabilityFlags)
        Caps_.*flag = false;
    struct Probe {
        int type;
        const char* table;
        const char* column; // nullptr: the table itself
    };
    static constexpr Probe probes[] = {
        {2, "RDB$FIELDS", "RDB$FIELD_PRECISION"},
        {6, "RDB$RELATIONS", "RDB$RELATION_TYPE"},
        {7, "RDB$GENERATORS", "RDB$DESCRIPTION"},
        {8, "RDB$ROLES", "RDB$DESCRIPTION"},
        {9, "RDB$ROLES", "RDB$SYSTEM_FLAG"},
        {10, "RDB$ROLES", nullptr},
        {11, "RDB$REF_CONSTRAINTS", "RDB$UPDATE_RULE"},
        {12, "RDB$REF_CONSTRAINTS", "RDB$DELETE_RULE"},
        {14, "RDB$PROCEDURE_PARAMETERS", "RDB$PARAMETER_MECHANISM"},
        {15, "RDB$PROCEDURE_PARAMETERS", "RDB$DEFAULT_SOURCE"},
        {16, "RDB$PROCEDURE_PARAMETERS", "RDB$COLLATION_ID"},
        {13, "RDB$FUNCTION_ARGUMENTS", "RDB$FIELD_PRECISION"},
        {17, "RDB$RELATION_FIELDS", "RDB$GENERATOR_NAME"},
        {18, "RDB$RELATION_FIELDS", "RDB$IDENTITY_TYPE"},
        {19, "RDB$PROCEDURE_PARAMETERS", "RDB$RELATION_NAME"},
        {20, "RDB$GENERATORS", "RDB$GENERATOR_INCREMENT"},
        {21, "RDB$PROCEDURE_PARAMETERS", "RDB$NULL_FLAG"},
        {22, "RDB$FUNCTIONS", "RDB$FUNCTION_SOURCE"},
        {23, "RDB$FUNCTION_ARGUMENTS", "RDB$ARGUMENT_NAME"},
        {24, "RDB$FUNCTION_ARGUMENTS", "RDB$DESCRIPTION"},
        {25, "RDB$PACKAGES", nullptr},
        {26, "RDB$PROCEDURES", "RDB$PACKAGE_NAME"},
        {27, "RDB$COLLATIONS", "RDB$BASE_COLLATION_NAME"},
        {28, "RDB$FUNCTIONS", "RDB$OWNER_NAME"},
        {29, "RDB$DATABASE", "RDB$LINGER"},
        {30, "RDB$AUTH_MAPPING", nullptr},
    };
    std::string text = " select cast(1 as integer) Typ, cast(d.rdb$character_set_name as varchar(64)) Val1, "
                       "cast(c.rdb$default_collate_name as varchar(64)) Val2  from rdb$database d left join "
                       "rdb$character_sets c ON (d.rdb$character_set_name = c.rdb$character_set_name)";
    for (const Probe& p : probes) {
        const std::string type = IntToStr(p.type);
        if (p.column)
            text +=
                " union select cast(" + type +
                " as integer),  cast(rdb$relation_name as varchar(64)), cast(rdb$field_name as varchar(64)) "
                "from rdb$relation_fields where (rdb$relation_name = '" +
                p.table + "') and (rdb$field_name = '" + p.column + "')";
        else
            text += " union select cast(" + type +
                    " as integer), cast(rdb$relation_name as varchar(64)), cast(' ' as varchar(64))  from "
                    "rdb$relations where (rdb$relation_name = '" +
                    p.table + "')";
    }
    TSMXQuery& q = *Query_;
    SetSQL(q, {text});
    q.Open();
    TIBCapabilities& c = Caps_;
    for (; !q.GetEof(); q.Next()) {
        TFields& f = *q.GetFields();
        switch (f[0].AsInteger()) {
        case 1:
            if (Objs()->GetIBServerOptions().GetDBCharSet().empty())
                Objs()->GetIBServerOptions().SetDBCharSet(Trim(f[1].AsString()));
            break;
        case 2:
            c.HasFieldPrecision = true;
            break;
        case 6:
            c.HasRelationType = true;
            break;
        case 7:
            c.HasGeneratorDescription = true;
            break;
        case 8:
            c.HasRoleDescription = true;
            break;
        case 9:
            c.HasRoleSystemFlag = true;
            break;
        case 10:
            c.HasRoles = true;
            break;
        case 11:
            c.HasUpdateRule = true;
            break;
        case 12:
            c.HasDeleteRule = true;
            break;
        case 13:
            c.HasArgumentPrecision = true;
            break;
        case 14:
            c.HasParameterMechanism = true;
            break;
        case 15:
            c.HasParameterDefault = true;
            break;
        case 16:
            c.HasParameterCollation = true;
            break;
        case 17:
            c.HasIdentityGenerator = true;
            break;
        case 18:
            c.HasIdentityType = true;
            break;
        case 19:
            c.HasParameterRelation = true;
            break;
        case 20:
            c.HasGeneratorIncrement = true;
            break;
        case 21:
            c.HasParameterNullFlag = true;
            break;
        case 22:
            c.HasFunctionSource = true;
            break;
        case 23:
            c.HasArgumentName = true;
            break;
        case 24:
            c.HasArgumentDescription = true;
            break;
        case 25:
            c.HasPackages = true;
            break;
        case 26:
            c.HasProcedurePackage = true;
            break;
        case 27:
            c.HasBaseCollation = true;
            break;
        case 28:
            c.HasFunctionOwner = true;
            break;
        case 29:
            c.HasLinger = true;
            break;
        case 30:
            c.HasMappings = true;
            break;
        default:
            break;
        }
    }
    CloseAndClear(q);
    ExtractDatabaseSettings();
    ReportNotCompared();
}

void TIBDBExtract::ReportNotCompared() {
    TSMXQuery& q = *Query_;
    std::vector<std::string> pieces = {
        "select cast('BLOB filter' as varchar(40)) Kind, rdb$function_name Name from rdb$filters",
        "where coalesce(rdb$system_flag, 0) = 0",
        "union all select 'description of the database', '' from rdb$database where rdb$description is not null",
        "union all select 'description of character set', rdb$character_set_name from rdb$character_sets",
        "where rdb$description is not null",
        "union all select 'description of collation', rdb$collation_name from rdb$collations",
        "where rdb$description is not null"};
    if (Caps_.HasMappings) {
        pieces.push_back("union all select 'mapping', rdb$map_name from rdb$auth_mapping");
        pieces.push_back("where coalesce(rdb$system_flag, 0) = 0");
    }
    SetSQL(q, {});
    for (const std::string& piece : pieces)
        AddSQL(q, piece);
    q.Open();
    for (; !q.GetEof(); q.Next()) {
        const std::string name = Str(q, "NAME");
        DoLogNextLine("Not compared: " + Str(q, "KIND") + (name.empty() ? "" : " " + name));
    }
    CloseAndClear(q);
}

void TIBDBExtract::ExtractDatabaseSettings() {
    TSMXQuery& q = *Query_;
    TIBDatabaseOptions& settings = Objs()->GetIBServerOptions().GetIBDatabaseOptions();
    settings.SetLinger(0);
    while (!settings.GetCharSetCollations().empty())
        settings.SetCharSetCollation(settings.GetCharSetCollations().begin()->first, "");
    if (Caps_.HasLinger) {
        SetSQL(q, {"select coalesce(rdb$linger, 0) from rdb$database"});
        q.Open();
        if (!q.GetEof()) settings.SetLinger(static_cast<int>((*q.GetFields())[0].AsInteger()));
        CloseAndClear(q);
    }
    // Columns and domains read later compare their collations with these defaults.
    SetSQL(q, {"select rdb$character_set_name, rdb$default_collate_name from rdb$character_sets",
               "where rdb$default_collate_name <> rdb$character_set_name"});
    q.Open();
    for (; !q.GetEof(); q.Next())
        settings.SetCharSetCollation(Str(q, "RDB$CHARACTER_SET_NAME"), Str(q, "RDB$DEFAULT_COLLATE_NAME"));
    CloseAndClear(q);
}

void TIBDBExtract::RunExtractionSteps() {
    using enum TCmpObjType;
    const bool columns = GetExtractObjects().contains(coTable);
    if (columns) BeginColumnScans();
    ExtractCharSets();
    if (columns) LaunchColumnScans();
    ProcessMessages();
    struct Step {
        const char* label;
        std::optional<TCmpObjType> gate;
        void (TIBDBExtract::*reader)();
        void (TIBDBExtract::*second)();
    };
    static const Step steps[] = {
        {"Collations", std::nullopt, &TIBDBExtract::ExtractCollations, nullptr},
        {"Functions", coFunction, &TIBDBExtract::ExtractFunctions, nullptr},
        {"Domains", coDomain, &TIBDBExtract::ExtractDomains, nullptr},
        {"Tables", coTable, &TIBDBExtract::ExtractTables, nullptr},
        {"Views", coView, &TIBDBExtract::ExtractViews, nullptr},
        {"Generators", coGenerator, &TIBDBExtract::ExtractGenerators, nullptr},
        {"Procedures", coProcedure, &TIBDBExtract::ExtractProcedures, &TIBDBExtract::ExtractPackages},
        {"Triggers", coTrigger, &TIBDBExtract::ExtractTriggers, nullptr},
        {"Indexes", coIndex, &TIBDBExtract::ExtractIndices, nullptr},
        {"Exceptions", coException, &TIBDBExtract::ExtractExceptions, nullptr},
        {"Unique's", coUnique, &TIBDBExtract::ExtractUniques, nullptr},
        {"Primary keys", coPrimaryKey, &TIBDBExtract::ExtractPrimaryKeys, nullptr},
        {"Foreign keys", coForeignKey, &TIBDBExtract::ExtractForeignKeys, nullptr},
        {"Checks", coCheck, &TIBDBExtract::ExtractChecks, nullptr},
        {"Roles", coRole, &TIBDBExtract::ExtractRoles, nullptr},
        {"Grants", coGrant, &TIBDBExtract::ExtractGrants, nullptr},
        {"Parsing bodies", std::nullopt, &TIBDBExtract::ParseBodiesAndLinkDependencies, nullptr},
    };
    for (const Step& step : steps) {
        if (Stopped()) return;
        DoLog(0, step.label, StepPosition_, StepMax_);
        if (!step.gate || GetExtractObjects().contains(*step.gate)) {
            (this->*step.reader)();
            if (step.second && !Stopped()) (this->*step.second)();
        }
        ++StepPosition_;
        DoProgressUpdate(StepPosition_, StepMax_);
    }
    DoLog(0, "Finished", 17, StepMax_);
}

void TIBDBExtract::BeginColumnScans() {
    columnScans_ = std::make_unique<TColumnScans>();
    auto* ibx = dynamic_cast<TSMXConnectionIBX*>(SMXConnection_);
    TIBDatabase* database = ibx ? ibx->GetDatabase() : nullptr;
    if (!database || !database->GetConnected()) return;
    TIBTransaction& main = ibx->GetTransaction();
    // A read-committed main transaction sees later commits than any snapshot would.
    for (int i = 0; i < main.Params().Count(); ++i)
        if (LowerCase(main.Params()[i]).find("read_committed") != std::string::npos) return;
    TColumnScans& scans = *columnScans_;
    try {
        // Both attach at once; a worker touches only its reader and error.
        scans.Columns.Worker = std::thread([&scans, database] {
            try {
                scans.Columns.Reader.Attach(*database);
            } catch (...) {
                scans.Columns.Error = std::current_exception();
            }
        });
        scans.Fields.Reader.Attach(*database);
        scans.Columns.Worker.join();
        if (scans.Columns.Error) std::rethrow_exception(std::exchange(scans.Columns.Error, nullptr));
    } catch (const std::exception&) {
        // No second attachment (server limits, an exclusive database, a refusing server): the
        // main attachment reads the columns.
        columnScans_ = std::make_unique<TColumnScans>();
        return;
    }
    // The main transaction (concurrency, as the connection starts it) begins again, nothing
    // having been read yet, right before the readers' snapshots.
    ibx->Commit();
    ibx->StartTransaction();
    try {
        scans.Fields.Reader.Start();
        scans.Columns.Reader.Start();
        // A snapshot sees the commits made before it started. The three snapshots see the same
        // ones when none came between their starts. A commit between them belongs to a
        // transaction that was active then: one started before the main transaction, which would
        // make the oldest active at the main start older than the main transaction itself, or one
        // started between the starts, which would have taken a number between theirs. So
        // consecutive numbers and the main transaction as its own oldest active prove it.
        const auto [number, oldestActive] = main.NumberAndOldestActive();
        scans.Parallel = oldestActive == number &&
                         scans.Fields.Reader.NumberAndOldestActive().first == number + 1 &&
                         scans.Columns.Reader.NumberAndOldestActive().first == number + 2;
    } catch (const std::exception&) {
        scans.Parallel = false;
    }
    if (!scans.Parallel) columnScans_ = std::make_unique<TColumnScans>();
}

void TIBDBExtract::LaunchColumnScans() {
    if (!columnScans_ || !columnScans_->Parallel) return;
    TColumnScans& scans = *columnScans_;
    scans.HasPrecision = Caps_.HasFieldPrecision;
    bool launched = false;
    try {
        if (!Stopped()) {
            std::string fieldsSQL, columnsSQL;
            {
                std::unique_ptr<TSMXQuery> fq = NewQuery(), cq = NewQuery();
                SetColumnScanSQL(*fq, *cq);
                fieldsSQL = fq->GetSQL()->Text();
                columnsSQL = cq->GetSQL()->Text();
            }
            // The later steps' SELECTs that hand over many rows or cost the server much: read
            // on the workers while the tables are made here.
            for (std::string& sql : AheadSQL())
                scans.Ahead.emplace_back().SQL = std::move(sql);
            scans.Fields.Worker = std::thread([&scans, sql = std::move(fieldsSQL)] {
                scans.Run(scans.Fields, [&scans, &sql](TIBSnapshotReader& Reader) {
                    scans.FieldRows.reserve(4096);
                    Reader.Read(sql, [&scans](const TIBRow& Row) {
                        scans.FieldRows.push_back(FieldScanRow(Row, scans.HasPrecision));
                        return !scans.Stop;
                    });
                    IndexFieldRows(scans.FieldRows, scans.FieldIndex);
                });
            });
            scans.Columns.Worker = std::thread([&scans, sql = std::move(columnsSQL)] {
                scans.Run(scans.Columns, [&scans, &sql](TIBSnapshotReader& Reader) {
                    scans.ColumnRows.reserve(4096);
                    Reader.Read(sql, [&scans](const TIBRow& Row) {
                        scans.ColumnRows.push_back(ColumnScanRow(Row));
                        return !scans.Stop;
                    });
                });
            });
            launched = true;
        }
    } catch (const std::exception&) {
        // The texts' queries run again, and fail as before, where the columns are read.
        nameType_.reset();
    }
    // A worker that did start is stopped and joined; the main attachment reads the columns.
    if (!launched) columnScans_ = std::make_unique<TColumnScans>();
}

std::vector<std::string> TIBDBExtract::AheadSQL() {
    using enum TCmpObjType;
    const auto runs = [this](TCmpObjType Step) { return GetExtractObjects().contains(Step); };
    std::vector<std::string> texts;
    const std::unique_ptr<TSMXQuery> q = NewQuery();
    const auto add = [&texts, &q] { texts.push_back(q->GetSQL()->Text()); };
    if (runs(coView)) {
        ViewSQL(*q);
        add();
    }
    if (runs(coGenerator)) {
        GeneratorSQL(*q);
        add();
    }
    if (runs(coProcedure)) {
        const std::unique_ptr<TSMXQuery> pq = NewQuery();
        ProcedureSQL(*pq, *q);
        add();
        texts.push_back(pq->GetSQL()->Text());
    }
    if (runs(coTrigger)) {
        if (OnLog) {
            TriggerSQL(*q, true);
            add();
        }
        TriggerSQL(*q, false);
        add();
    }
    if (runs(coIndex)) {
        IndexSQL(*q);
        add();
    }
    if (runs(coIndex) || runs(coUnique) || runs(coPrimaryKey) || runs(coForeignKey)) {
        IndexSegmentSQL(*q);
        add();
    }
    if (runs(coUnique)) {
        UniqueSQL(*q);
        add();
    }
    if (runs(coPrimaryKey)) {
        if (OnLog) {
            PrimaryKeySQL(*q, true);
            add();
        }
        PrimaryKeySQL(*q, false);
        add();
    }
    if (runs(coForeignKey)) {
        SetSQL(*q, {BuildForeignKeySQL()});
        add();
    }
    if (runs(coGrant)) {
        SetSQL(*q, {GrantsSQL()});
        add();
    }
    return texts;
}

TSMXQuery& TIBDBExtract::OpenRows(TSMXQuery& Q, std::unique_ptr<TSMXQuery>& Ahead) {
    if (columnScans_ && columnScans_->Parallel)
        if (TAheadRead* read = columnScans_->Take(Q.GetSQL()->Text())) {
            Ahead = std::make_unique<TAheadQuery>(*read);
            return *Ahead;
        }
    Q.Open();
    return Q;
}

void TIBDBExtract::SetColumnScanSQL(TSMXQuery& Fields, TSMXQuery& Columns) {
    const TIBCapabilities& c = Caps_;
    const auto name = [this](std::string_view Column, std::string_view Alias) {
        return NameColumn(Column, Alias);
    };
    SetSQL(Fields, {"Select " + name("F.Rdb$field_name", "F_Fld_Name") + ",", "F.Rdb$field_type,",
                    "F.Rdb$field_length F_Fld_length,", "F.Rdb$character_length F_chr_length,",
                    "F.Rdb$field_sub_type F_Fld_sub_type,", "F.Rdb$Segment_Length F_Segment_Length,"});
    if (c.HasFieldPrecision) AddSQL(Fields, "F.RDB$FIELD_PRECISION,");
    for (std::string_view piece :
         {"F.Rdb$Field_Scale F_Field_Scale,", "F.Rdb$Character_Set_ID F_Character_Set_ID,",
          "F.Rdb$Collation_ID F_Collation_ID", "from RDB$FIELDS F"})
        AddSQL(Fields, piece);
    SetSQL(Columns,
           {"Select " + name("R.Rdb$Relation_Name", "Rdb$Relation_Name") + ", " +
                name("R.Rdb$Field_Name", "Rdb$Field_Name") + ", " +
                name("R.Rdb$Field_Source", "Rdb$Field_Source") + ", R.rdb$field_position",
            "from rdb$Relation_Fields R where (R.rdb$system_flag <> 1 or R.rdb$system_flag is null)"});
}

// ---------------------------------------------------------------------------------------------------
// Shared helpers of the readers

void TIBDBExtract::ReadCatalogueNames() {
    if (catalogueNamesRead_) return;
    catalogueNamesRead_ = true;
    charSetNames_.clear();
    collationNames_.clear();
    std::unique_ptr<TSMXQuery> q = NewQuery();
    SetSQL(*q, {"select Rdb$Character_Set_ID, Rdb$Character_Set_Name from Rdb$Character_Sets"});
    for (q->Open(); !q->GetEof(); q->Next())
        charSetNames_.emplace(Int32(*q, "RDB$CHARACTER_SET_ID"), Str(*q, "RDB$CHARACTER_SET_NAME"));
    CloseAndClear(*q);
    SetSQL(*q, {"select Rdb$Character_Set_ID, Rdb$Collation_ID, Rdb$Collation_Name from Rdb$Collations"});
    for (q->Open(); !q->GetEof(); q->Next())
        collationNames_.emplace(std::pair(Int32(*q, "RDB$CHARACTER_SET_ID"), Int32(*q, "RDB$COLLATION_ID")),
                                Str(*q, "RDB$COLLATION_NAME"));
    CloseAndClear(*q);
}

void TIBDBExtract::ReadPrecisionAndScale(int FieldType, int SubType, bool HasPrecision, TFldData& Field,
                                         std::optional<std::int64_t> Scale,
                                         std::optional<std::int64_t> Precision) {
    const int t = FieldType;
    const bool exact = Objs()->GetIBServerOptions().IsODS10OrLater()
                           ? (t == 7 || t == 8 || t == 16 || t == 27)
                           : (t == 7 || t == 8 || t == 27);
    const std::int64_t precision = Precision.value_or(0);
    if (HasPrecision) {
        Field.Precision = static_cast<std::int32_t>(precision);
        if (exact && precision > 0 && (SubType == 1 || SubType == 2)) {
            Field.StorageType = Field.DataType;
            Field.DataType = SubType == 1 ? CodeNumeric : CodeDecimal;
            Field.Precision =
                static_cast<std::int32_t>(std::min<std::int64_t>(precision, PrecisionOfStorage(t)));
            Field.Scale = static_cast<std::int32_t>(-Scale.value_or(0));
            return;
        }
    } else {
        Field.Precision = 0;
    }
    if (Scale && *Scale < 0) {
        Field.Precision = PrecisionOfStorage(t);
        Field.Scale = static_cast<std::int32_t>(-*Scale);
        if (SubType == 0) {
            Field.StorageType = Field.DataType;
            Field.DataType = CodeNumeric;
        }
    }
}

void TIBDBExtract::ReadDimensions(TSMXQuery& Query, const std::string& FieldSource, TFldData& Field) {
    Field.Dimensions.clear();
    SetSQL(Query, {"Select dm.*", "from rdb$field_dimensions dm", "where dm.rdb$field_name = :field_name",
                   "order by dm.rdb$dimension"});
    Param(Query, "FIELD_NAME").SetAsString(FieldSource);
    Query.Open();
    for (; !Query.GetEof(); Query.Next())
        Field.Dimensions.emplace_back(Int32(Query, "RDB$LOWER_BOUND"), Int32(Query, "RDB$UPPER_BOUND"));
    CloseAndClear(Query);
}

// ---------------------------------------------------------------------------------------------------
// Collations, domains, tables

void TIBDBExtract::ExtractCollations() {
    TSMXQuery& q = *Query_;
    DoLogNextLine("Extracting collations...");
    const bool base = Caps_.HasBaseCollation;
    SetSQL(q, {"select c.*, CS.RDB$CHARACTER_SET_NAME,",
               base ? "cc.RDB$SPECIFIC_ATTRIBUTES BASE_ATTR" : "CAST ('' AS varchar(10)) BASE_ATTR",
               "from rdb$collations c",
               "left join RDB$CHARACTER_SETS CS ON CS.RDB$CHARACTER_SET_ID=C.RDB$CHARACTER_SET_ID"});
    if (base) AddSQL(q, "left join RDB$COLLATIONS cc ON cc.RDB$COLLATION_NAME=C.RDB$BASE_COLLATION_NAME");
    AddSQL(q, "where (c.rdb$system_flag = 0 or c.rdb$system_flag is null)");
    AddSQL(q, "order by c.rdb$collation_name");
    try {
        q.Open();
        for (; !q.GetEof(); q.Next()) {
            auto c = std::make_unique<TCltData>(Objs());
            const std::string name = Str(q, "RDB$COLLATION_NAME");
            c->SetName(name);
            c->SetDescription(Fld(q, "RDB$DESCRIPTION").AsString());
            if (base) c->BaseCollation = Str(q, "RDB$BASE_COLLATION_NAME");
            c->CharSet = Str(q, "RDB$CHARACTER_SET_NAME");
            const std::int64_t attrs = Int(q, "RDB$COLLATION_ATTRIBUTES");
            c->PadSpace = (attrs & 1) != 0;
            c->CaseSensitive = (attrs & 2) == 0;
            c->AccentSensitive = (attrs & 4) == 0;
            // Kept as a script states them: what the base does not give, without the version
            // item the server adds by itself.
            const std::string specific = TCltData::NormalizedAttributes("", Str(q, "RDB$SPECIFIC_ATTRIBUTES"));
            if (specific != TCltData::NormalizedAttributes("", Str(q, "BASE_ATTR")))
                c->SpecificAttributes = specific;
            LogObjectLine(name);
            FileIfAccepted(c.release(), name, dboCollation);
            ProcessMessages();
            if (Stopped()) break;
        }
    } catch (const std::exception& e) {
        DoErrorMessage("\r\n" + q.GetSQL()->Text());
        DoErrorMessage(e.what());
    }
    CloseAndClear(q);
}

void TIBDBExtract::ExtractDomains() {
    TSMXQuery& q = *Query_;
    DoLogNextLine("Extracting domains...");
    // The server makes a field named RDB$<n> for every column that names no domain: the ranges of
    // the names' index around that prefix pass over them without reading their rows.
    SetSQL(
        q,
        {"select F.*, (Select C.Rdb$Character_Set_Name from Rdb$Character_Sets C where "
         "C.Rdb$Character_Set_ID=F.Rdb$Character_Set_ID) RDB$CHARACTER_SET_NAME, (Select "
         "C1.Rdb$Collation_Name "
         "from Rdb$Collations C1 where C1.Rdb$Character_Set_ID=F.Rdb$Character_Set_ID and "
         "C1.Rdb$Collation_ID=F.Rdb$Collation_ID) RDB$COLLATION_NAME from RDB$fields F where "
         "(F.rdb$field_name < 'RDB$' or F.rdb$field_name starting with 'RDB%' or F.rdb$field_name > 'RDB%') "
         "and (F.rdb$system_flag<>1 or F.rdb$system_flag is null) and (F.rdb$field_name not like 'RDB$%') "
         "order by F.rdb$field_name "});
    std::unique_ptr<TSMXQuery> dq; // array bounds, opened for the first array domain
    q.Open();
    for (; !q.GetEof(); q.Next()) {
        auto d = std::make_unique<TDmnData>(Objs());
        d->SetExists(true);
        TFldData& f = d->Type();
        const std::string name = Str(q, "RDB$FIELD_NAME");
        d->SetName(name);
        const int type = Int32(q, "RDB$FIELD_TYPE");
        const int subType = Int32(q, "RDB$FIELD_SUB_TYPE");
        f.IBFieldType = type;
        f.IBTypeToDataType(type, subType);
        f.DefaultValue = CleanDefaultSource(Fld(q, "RDB$DEFAULT_SOURCE").AsString());
        if (!f.DefaultValue.empty()) f.DefaultSource = SourceText(q, "RDB$DEFAULT_SOURCE");
        f.ByteLength = Int32(q, "RDB$FIELD_LENGTH");
        f.Length = Int32(q, "RDB$CHARACTER_LENGTH");
        f.SetSource(Str(q, "RDB$COMPUTED_SOURCE"));
        f.Nullable = Int(q, "RDB$NULL_FLAG") == 0;
        ReadPrecisionAndScale(type, subType, Caps_.HasFieldPrecision, f, Opt(q, "RDB$FIELD_SCALE"),
                              Caps_.HasFieldPrecision ? Opt(q, "RDB$FIELD_PRECISION") : std::nullopt);
        f.SubType = subType;
        f.SubTypeName = subType == 1 ? "TEXT" : subType == 2 ? "BLR" : "";
        f.SegmentSize = Int32(q, "RDB$SEGMENT_LENGTH");
        f.SetCharSetAndCollation(Int32(q, "RDB$CHARACTER_SET_ID"), Str(q, "RDB$CHARACTER_SET_NAME"),
                                 Str(q, "RDB$COLLATION_NAME"), Int32(q, "RDB$COLLATION_ID"));
        if (!IsNull(q, "RDB$DIMENSIONS")) {
            if (!dq) dq = NewQuery();
            ReadDimensions(*dq, name, f);
        }
        d->SetDescription(Fld(q, "RDB$DESCRIPTION").AsString());
        std::string check = Str(q, "RDB$VALIDATION_SOURCE");
        if (StartsText("CONSTRAINT", check)) check = Trim(check.substr(10));
        if (StartsText("CHECK", check)) check = check.substr(5);
        f.CheckText = Trim(check);
        if (!f.CheckText.empty()) f.CheckSource = SourceText(q, "RDB$VALIDATION_SOURCE");
        LogObjectLine(name);
        FileIfAccepted(d.release(), name, dboDomain);
        ProcessMessages();
        if (Stopped()) break;
    }
    CloseAndClear(q);
}

void TIBDBExtract::ExtractTables() {
    const TIBCapabilities& c = Caps_;
    std::unique_ptr<TSMXQuery> tq = NewQuery(), cq = NewQuery(), dq = NewQuery();
    TCustomObjs* objs = Objs();
    const bool ibe = IgnoreIBE();
    int count = 0;
    if (OnLog) {
        SetSQL(*tq,
               {" select Count(*)", " from rdb$relations ",
                " where (rdb$system_flag <> 1 or Rdb$System_Flag is null) ", " and Rdb$View_BLR is null "});
        if (ibe) AddSQL(*tq, " and rdb$relation_name not like 'IBE$%' ");
        tq->Open();
        count = tq->GetEof() ? 0 : static_cast<int>((*tq->GetFields())[0].AsInteger());
        CloseAndClear(*tq);
        DoLog(1, "Tables", 0, count);
    }
    DoLogNextLine("Extracting tables...");
    const bool raw = KeepsCatalogueBytes();
    SetSQL(*tq, {" select rdb$Relation_Name, " + TextColumn(raw, "Rdb$Description", "RDB$DESCRIPTION") +
                 ", rdb$External_File,"});
    if (c.HasRelationType) AddSQL(*tq, " rdb$Relation_Type, ");
    AddSQL(*tq, " rdb$System_Flag, rdb$View_BLR");
    AddSQL(*tq, " from rdb$relations ");
    AddSQL(*tq, " where (rdb$system_flag <> 1 or Rdb$System_Flag is null) ");
    AddSQL(*tq, " and Rdb$View_BLR is null ");
    if (ibe) AddSQL(*tq, " and rdb$relation_name not like 'IBE$%' ");
    AddSQL(*tq, " order by rdb$relation_name ");

    // The columns of every user relation, read without a join, a sort or a look-up by name: the
    // server pays for every row, join and value it hands over (far more than for reading its
    // records). The fields (RDB$FIELDS, the types) and the relation fields (RDB$RELATION_FIELDS)
    // are each read once in storage order and joined here by name; the values that are nearly
    // always NULL come from second reads that hand over only the rows that have one. The rows are
    // grouped by relation and put in position order here, the tables' query picks the tables, and
    // under a UTF8 attachment the names come as the catalogue's bytes, which that conversion would
    // return unchanged. The two plain scans run on attachments of their own while the steps before
    // run here, when LaunchColumnScans could start them.
    const auto name = [this](std::string_view Column, std::string_view Alias) {
        return NameColumn(Column, Alias);
    };
    const std::string relationFieldsWhere =
        "from rdb$Relation_Fields R where (R.rdb$system_flag <> 1 or R.rdb$system_flag is null)";
    std::unique_ptr<TSMXQuery> fq = NewQuery();
    SetColumnScanSQL(*fq, *cq);
    std::unique_ptr<TSMXQuery> fsq = NewQuery(); // the fields' texts and dimensions
    SetSQL(*fsq, {"Select " + name("F.Rdb$field_name", "F_Fld_Name") + ",",
                  "F.Rdb$VALIDATION_Source F_VALIDATION_SOURCE, F.Rdb$default_Source F_DEFAULT_SOURCE,",
                  "F.Rdb$COMPUTED_Source, F.Rdb$Dimensions from RDB$FIELDS F",
                  "where F.Rdb$VALIDATION_Source is not null or F.Rdb$default_Source is not null",
                  "or F.Rdb$COMPUTED_Source is not null or F.Rdb$Dimensions is not null"});
    const bool identities = c.HasIdentityGenerator && c.HasIdentityType;
    std::unique_ptr<TSMXQuery> rsq = NewQuery(); // the relation fields' rarely set values
    SetSQL(*rsq, {"Select " + name("R.Rdb$Relation_Name", "Rdb$Relation_Name") + ", " +
                      name("R.Rdb$Field_Name", "Rdb$Field_Name") + ",",
                  "R.Rdb$null_flag, R.Rdb$collation_ID, R.Rdb$default_Value, R.Rdb$default_source,",
                  "R.Rdb$DESCRIPTION"});
    if (identities)
        AddSQL(*rsq, ", " + name("R.Rdb$GENERATOR_NAME", "Rdb$GENERATOR_NAME") + ", R.Rdb$IDENTITY_TYPE");
    AddSQL(*rsq, relationFieldsWhere);
    AddSQL(*rsq, "and (R.Rdb$null_flag is not null or R.Rdb$collation_ID is not null or "
                 "R.Rdb$default_Value is not null or R.Rdb$default_source is not null or "
                 "R.Rdb$DESCRIPTION is not null");
    AddSQL(*rsq,
           identities ? "or R.Rdb$GENERATOR_NAME is not null or R.Rdb$IDENTITY_TYPE is not null)" : ")");
    // The names of the character sets and collations and the start values of the generators, read
    // once: a look-up for every column would cost the server more than the columns themselves.
    ReadCatalogueNames();
    const std::map<int, std::string>& charSetNames = charSetNames_;
    const std::map<std::pair<int, int>, std::string>& collationNames = collationNames_;
    std::map<std::string, std::int64_t> generatorStarts;
    {
        std::unique_ptr<TSMXQuery> lq = NewQuery();
        if (c.HasIdentityGenerator) {
            SetSQL(*lq, {"select Rdb$Generator_Name, Rdb$Initial_Value from Rdb$Generators"});
            for (lq->Open(); !lq->GetEof(); lq->Next())
                generatorStarts.emplace(Str(*lq, "RDB$GENERATOR_NAME"), Int(*lq, "RDB$INITIAL_VALUE"));
            CloseAndClear(*lq);
        }
    }

    const auto opt = [](const TField& f) -> std::optional<std::int64_t> {
        if (f.IsNull()) return std::nullopt;
        return f.AsInteger();
    };
    // The rows are kept in vectors in the order they come, and found by name through indices over
    // them: the columns mostly come in the order of their fields, so the field after the one found
    // last is tried first.
    // The fields' texts and the relation fields' rare values are read while the scans run.
    std::vector<TFieldRow> fieldTexts; // name, check, default, computed source and dimensions
    {
        fsq->Open();
        TField &fieldName = Fld(*fsq, "F_FLD_NAME"), &check = Fld(*fsq, "F_VALIDATION_SOURCE"),
               &fieldDefault = Fld(*fsq, "F_DEFAULT_SOURCE"), &computed = Fld(*fsq, "RDB$COMPUTED_SOURCE"),
               &dimensions = Fld(*fsq, "RDB$DIMENSIONS");
        for (; !fsq->GetEof(); fsq->Next()) {
            TFieldRow& row = fieldTexts.emplace_back();
            row.Name = Unpadded(fieldName.Value().RawText());
            row.Check = Trim(check.AsString());
            row.Default = fieldDefault.AsString();
            row.Computed = Trim(computed.AsString());
            row.HasDimensions = !dimensions.IsNull();
        }
        CloseAndClear(*fsq);
    }
    std::vector<TRelationFieldRow> relationFieldRows;
    std::unordered_map<std::string_view, std::vector<std::size_t>> relationFieldIndex; // by field name
    {
        rsq->Open();
        TField &relationName = Fld(*rsq, "RDB$RELATION_NAME"), &fieldName = Fld(*rsq, "RDB$FIELD_NAME"),
               &nullFlag = Fld(*rsq, "RDB$NULL_FLAG"), &collation = Fld(*rsq, "RDB$COLLATION_ID"),
               &defaultValue = Fld(*rsq, "RDB$DEFAULT_VALUE"), &ownDefault = Fld(*rsq, "RDB$DEFAULT_SOURCE"),
               &description = Fld(*rsq, "RDB$DESCRIPTION");
        TField* identityType = identities ? &Fld(*rsq, "RDB$IDENTITY_TYPE") : nullptr;
        TField* generator = identities ? &Fld(*rsq, "RDB$GENERATOR_NAME") : nullptr;
        for (; !rsq->GetEof(); rsq->Next()) {
            TRelationFieldRow& row = relationFieldRows.emplace_back();
            row.Relation = Unpadded(relationName.Value().RawText());
            row.Field = Unpadded(fieldName.Value().RawText());
            row.NullFlag = nullFlag.AsInteger();
            row.Collation = opt(collation);
            row.OwnDefault = !defaultValue.IsNull();
            if (row.OwnDefault) {
                row.Default = ownDefault.AsString();
                row.DefaultSource = Trim(AdjustLineBreaks(row.Default));
            }
            row.Description = description.AsString();
            if (identities && identityType->AsInteger() == 1 && !identityType->IsNull() &&
                !generator->IsNull()) {
                row.Identity = true;
                row.Generator = Trim(generator->AsString());
            }
        }
        CloseAndClear(*rsq);
        for (std::size_t i = 0; i < relationFieldRows.size(); ++i)
            relationFieldIndex[relationFieldRows[i].Field].push_back(i);
    }
    std::vector<TFieldRow> fieldRows;
    std::unordered_map<std::string_view, std::size_t> fieldIndex; // by name without padding
    TColumnScans* scans = columnScans_ && columnScans_->Parallel ? columnScans_.get() : nullptr;
    {
        if (scans) {
            scans->Finish();
            // Moving the rows keeps them where they are, and so the index's names.
            fieldRows = std::move(scans->FieldRows);
            fieldIndex = std::move(scans->FieldIndex);
        } else {
            fieldRows.reserve(4096);
            const TQueryRow row(*fq);
            for (fq->Open(); !fq->GetEof(); fq->Next())
                fieldRows.push_back(FieldScanRow(row, c.HasFieldPrecision));
            IndexFieldRows(fieldRows, fieldIndex);
        }
        CloseAndClear(*fq);
    }
    for (TFieldRow& texts : fieldTexts) {
        const auto it = fieldIndex.find(texts.Name);
        if (it == fieldIndex.end()) continue; // made after the types were read
        TFieldRow& row = fieldRows[it->second];
        row.Check = std::move(texts.Check);
        row.Default = std::move(texts.Default);
        row.Computed = std::move(texts.Computed);
        row.HasDimensions = texts.HasDimensions;
    }

    // Every column row, by relation.
    std::unordered_map<std::string, std::vector<TColumnRow>> columns;
    std::size_t columnCount = 0;
    TViewLookups* lookups = nullptr;
    if (GetExtractObjects().contains(TCmpObjType::coView)) {
        viewLookups_ = std::make_unique<TViewLookups>();
        lookups = viewLookups_.get();
    }
    {
        std::vector<TColumnScanRow> scanned;
        if (scans) {
            scanned = std::move(scans->ColumnRows);
        } else {
            scanned.reserve(4096);
            const TQueryRow row(*cq);
            for (cq->Open(); !cq->GetEof(); cq->Next())
                scanned.push_back(ColumnScanRow(row));
        }
        CloseAndClear(*cq);
        columnCount = scanned.size();
        static const TRelationFieldRow none;
        std::size_t nextField = 0;               // the field after the one found last
        std::string relation;                    // for the rows that follow their like
        std::vector<TColumnRow>* rows = nullptr; // its rows (map entries stay where they are)
        for (TColumnScanRow& column : scanned) {
            // A column whose field is missing is left out, as an inner join leaves it.
            const std::string_view sourceName = column.Source;
            std::size_t field = nextField;
            if (field >= fieldRows.size() || fieldRows[field].Name != sourceName) {
                const auto it = fieldIndex.find(sourceName);
                if (it == fieldIndex.end()) {
                    if (lookups) lookups->Incomplete.insert(Trim(column.Relation));
                    continue;
                }
                field = it->second;
            }
            nextField = field + 1;
            const TRelationFieldRow* own = &none;
            if (!relationFieldIndex.empty())
                if (const auto it = relationFieldIndex.find(std::string_view(column.Field));
                    it != relationFieldIndex.end()) {
                    const std::string_view relationText = column.Relation;
                    for (std::size_t i : it->second)
                        if (relationFieldRows[i].Relation == relationText) own = &relationFieldRows[i];
                }
            if (!rows || column.Relation != relation) {
                relation = column.Relation;
                rows = &columns[Trim(relation)];
            }
            TColumnRow& row = rows->emplace_back();
            row.RawName = std::move(column.Field);
            row.Name = std::move(column.Name);
            row.Source = std::move(column.SourceName);
            row.RawSource = std::move(column.Source);
            row.Position = column.Position;
            row.Type = &fieldRows[field];
            row.Own = own;
        }
    }

    // The views look up the table columns that their columns read by the columns' fields.
    auto* bySource = lookups ? &lookups->TableColumns : nullptr;
    if (bySource) bySource->reserve(columnCount);
    tq->Open();
    int tables = 0;
    for (; !tq->GetEof(); tq->Next()) {
        auto table = std::make_unique<TTblData>(objs);
        const std::string tableName = Str(*tq, "RDB$RELATION_NAME");
        table->SetName(tableName);
        const std::string description = TextValue(*tq, raw, "RDB$DESCRIPTION");
        if (!description.empty()) table->SetDescription(description);
        table->ExternalFile = Fld(*tq, "RDB$EXTERNAL_FILE").AsString();
        if (c.HasRelationType) {
            const std::string kind = Str(*tq, "RDB$RELATION_TYPE");
            if (kind == "GLOBAL TEMPORARY") {
                table->GlobalTemporary = true;
            } else if (kind == "GLOBAL TEMPORARY DELETE" || kind == "5") {
                table->GlobalTemporary = true;
                table->OnCommit = 1;
            } else if (kind == "GLOBAL TEMPORARY PRESERVE" || kind == "4") {
                table->GlobalTemporary = true;
                table->OnCommit = 2;
            }
        }

        std::vector<TColumnRow> rows;
        if (const auto it = columns.find(tableName); it != columns.end()) rows = std::move(it->second);
        // Mostly stored in position order already.
        if (!std::is_sorted(rows.begin(), rows.end(), ColumnRowBefore))
            std::stable_sort(rows.begin(), rows.end(), ColumnRowBefore);
        for (TColumnRow& row : rows) {
            auto* f = new TFldData(objs, table.get());
            const std::string& fieldName = row.Name;
            table->Fields.AddObject(fieldName, f); // the table owns the column from here on
            f->SetName(fieldName);
            if (bySource) {
                const auto [it, added] =
                    bySource->try_emplace(row.RawSource, TViewLookups::TTableColumn{tableName, fieldName});
                if (!added) it->second.Shared = true;
            }
            const std::string& source = row.Source;
            f->TableName = tableName;
            f->Position = static_cast<std::int32_t>(row.Position.value_or(0));
            const TFieldRow& field = *row.Type;
            const TRelationFieldRow& own = *row.Own;
            const int type = field.FieldType;
            const int subType = field.SubType;
            f->IBFieldType = type;
            f->IBTypeToDataType(type, subType);
            f->SetDescription(own.Description);
            // A default of the column's own is kept as stored; the other comes from its domain.
            const bool ownDefault = own.OwnDefault;
            f->DefaultValue = CleanDefaultSource(ownDefault ? own.Default : field.Default);
            if (ownDefault && !f->DefaultValue.empty()) f->DefaultSource = own.DefaultSource;
            f->Nullable = own.NullFlag == 0;
            ReadPrecisionAndScale(type, subType, c.HasFieldPrecision, *f, field.Scale, field.Precision);
            f->CheckText = field.Check;
            f->SetSource(field.Computed);
            f->ComputedWithType = f->IsComputed();
            f->SubType = subType;
            f->SegmentSize = field.SegmentSize;
            f->ByteLength = field.ByteLength;
            const int charLength = field.CharLength;
            f->Length = IsTextCode(f->DataType) && charLength == 0 ? f->ByteLength : charLength;
            if (f->CheckText.size() > 5) f->CheckText = Trim(f->CheckText.substr(5));
            if (!StartsStr("RDB$", source)) {
                f->DomainName = source;
                TDbObj* domain = objs->FindObject(TObjsList::olDomains, source);
                if (!domain) {
                    DoErrorMessage("Domain: " + source + " not found for: " + tableName + "(" + fieldName +
                                   ").");
                } else if (!f->DefaultValue.empty() && !ownDefault) {
                    const auto* dmn = static_cast<TDmnData*>(domain);
                    if (f->GetDefaultValue() == dmn->Type().GetDefaultValue()) f->DefaultValue.clear();
                }
                f->DataType = DomainDataType;
                f->CheckText.clear();
            }
            // A column without a collation of its own has its field's: both give its character set.
            if (field.CharSet) {
                const int charSet = static_cast<int>(*field.CharSet);
                const std::optional<std::int64_t>& ownOrField = own.Collation ? own.Collation : field.Collation;
                const int collationId = static_cast<int>(ownOrField.value_or(0));
                const std::string collation =
                    !ownOrField ? std::string() : LookUp(collationNames, std::pair(charSet, collationId));
                f->SetCharSetAndCollation(charSet, LookUp(charSetNames, charSet), collation, collationId);
            }
            if (field.HasDimensions) ReadDimensions(*dq, source, *f);
            if (own.Identity) {
                f->Identity = true;
                if (const std::int64_t start = LookUp(generatorStarts, own.Generator); start != 0)
                    f->Generator->StartValue = IntToStr(start);
            }
        }

        ++tables;
        if (OnLog) DoLog(1, tableName, tables, count);
        LogObjectLine(tableName);
        if (IsObjAccepted(table.get())) objs->AddObject(table.release(), true);
        ProcessMessages();
        if (Stopped()) break;
    }
    CloseAndClear(*tq);
    // The other relations' columns, in the order a view's columns are read.
    if (lookups)
        for (auto& [relation, rows] : columns) {
            if (rows.empty()) continue; // a table's, taken above
            if (!std::is_sorted(rows.begin(), rows.end(), ColumnRowBefore))
                std::stable_sort(rows.begin(), rows.end(), ColumnRowBefore);
            std::vector<TViewLookups::TColumn>& kept = lookups->Columns[relation];
            kept.reserve(rows.size());
            for (TColumnRow& row : rows)
                kept.push_back({std::move(row.Name), std::move(row.Source), row.Own->Description});
        }
}

// ---------------------------------------------------------------------------------------------------
// Functions

std::string TIBDBExtract::BuildArgumentSQL(std::string_view FunctionName) const {
    const TIBCapabilities& c = Caps_;
    std::string s = " SELECT";
    if (c.HasArgumentName) {
        s += " CASE WHEN (A.RDB$FIELD_SOURCE IS NULL) THEN A.Rdb$Field_Type ELSE F.Rdb$Field_Type END AS "
             "Rdb$Field_Type,";
        s += " CASE WHEN (A.RDB$FIELD_SOURCE IS NULL) THEN A.Rdb$Field_Length ELSE F.Rdb$Field_Length END AS "
             "Rdb$Field_Length,";
        s += " CASE WHEN (A.RDB$FIELD_SOURCE IS NULL) THEN A.Rdb$Field_Scale ELSE F.Rdb$Field_Scale END AS "
             "Rdb$Field_Scale,";
        s += " CASE WHEN (A.RDB$FIELD_SOURCE IS NULL) THEN A.Rdb$Field_Sub_Type ELSE F.Rdb$Field_Sub_Type "
             "END AS "
             "Rdb$Field_Sub_Type,";
        s += " CASE WHEN (A.RDB$FIELD_SOURCE IS NULL) THEN A.Rdb$Character_Set_ID ELSE "
             "F.Rdb$Character_Set_ID END "
             "AS Rdb$Character_Set_ID, ";
    } else {
        s += " A.Rdb$Field_Type, A.Rdb$Field_Length, A.Rdb$Field_Scale,";
        s += " A.Rdb$Field_Sub_Type, A.Rdb$Character_Set_ID, ";
    }
    s += " A.Rdb$Mechanism, A.Rdb$Argument_Position,";
    if (c.HasArgumentPrecision) s += " A.Rdb$Field_Precision,";
    if (c.HasArgumentName) {
        s += " A.RDB$ARGUMENT_NAME, A.RDB$FIELD_SOURCE,";
        // What a PSQL function's argument declares beyond its type (Firebird 3 on).
        s += " A.RDB$ARGUMENT_MECHANISM, A.RDB$RELATION_NAME ARG_RELATION, A.RDB$FIELD_NAME ARG_FIELD,";
        s += " A.RDB$NULL_FLAG ARG_NULL_FLAG, A.RDB$DEFAULT_SOURCE ARG_DEFAULT_SOURCE,";
        s += " (SELECT L.RDB$COLLATION_NAME FROM RDB$COLLATIONS L WHERE L.RDB$CHARACTER_SET_ID="
             "F.RDB$CHARACTER_SET_ID AND L.RDB$COLLATION_ID=coalesce(A.RDB$COLLATION_ID, F.RDB$COLLATION_ID))"
             " ARG_COLLATION_NAME, coalesce(A.RDB$COLLATION_ID, F.RDB$COLLATION_ID) ARG_COLLATION_ID,"
             " A.RDB$COLLATION_ID ARG_OWN_COLLATION_ID,";
    }
    if (c.HasArgumentDescription) s += " A.RDB$DESCRIPTION,";
    s += " C.RDB$Character_Set_Name,";
    s += " C.RDB$Bytes_Per_Character";
    s += " from Rdb$Function_Arguments A";
    if (c.HasArgumentName) {
        s += " LEFT JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME=A.RDB$FIELD_SOURCE";
        s += " LEFT JOIN Rdb$Character_Sets C ON C.Rdb$Character_Set_ID=";
        s += " CASE WHEN (A.RDB$FIELD_SOURCE IS NULL) THEN A.Rdb$Character_Set_ID ELSE "
             "F.Rdb$Character_Set_ID END";
    } else {
        s += " LEFT JOIN Rdb$Character_Sets C ON C.Rdb$Character_Set_ID=A.Rdb$Character_Set_ID";
    }
    // The name is pasted as a literal: a quote inside a dialect-3 name is doubled.
    s += " where A.Rdb$Function_Name='" + LiteralBody(FunctionName) + "'";
    // A packaged function of the same name has arguments of its own.
    if (c.HasProcedurePackage) s += " and A.RDB$PACKAGE_NAME IS NULL";
    s += " Order by A.Rdb$Argument_Position";
    return s;
}

void TIBDBExtract::ReadArgument(TSMXQuery& Row, TFldData& Field) {
    const TIBCapabilities& c = Caps_;
    if (c.HasArgumentName) Field.SetName(Str(Row, "RDB$ARGUMENT_NAME"));
    if (c.HasArgumentDescription) Field.SetDescription(Str(Row, "RDB$DESCRIPTION"));
    const int type = Int32(Row, "RDB$FIELD_TYPE");
    const int subType = Int32(Row, "RDB$FIELD_SUB_TYPE");
    Field.IBFieldType = type;
    Field.IBTypeToDataType(type, subType);
    Field.ByteLength = Int32(Row, "RDB$FIELD_LENGTH");
    Field.Length = Field.ByteLength;
    if (IsTextCode(Field.DataType)) {
        const int bytesPerChar = std::max(1, Int32(Row, "RDB$BYTES_PER_CHARACTER"));
        Field.Length = Field.ByteLength / bytesPerChar;
    }
    ReadPrecisionAndScale(type, subType, c.HasArgumentPrecision, Field, Opt(Row, "RDB$FIELD_SCALE"),
                          c.HasArgumentPrecision ? Opt(Row, "RDB$FIELD_PRECISION") : std::nullopt);
    Field.SubType = subType;
    Field.SetCharSetAndCollation(Int32(Row, "RDB$CHARACTER_SET_ID"), Str(Row, "RDB$CHARACTER_SET_NAME"), "",
                                 0);
}

void TIBDBExtract::ReadDeclaredArgument(TSMXQuery& Row, TFldData& Field) {
    Field.SetKind(dboParam);
    const std::string fieldSource = Str(Row, "RDB$FIELD_SOURCE");
    if (!fieldSource.empty() && !StartsStr("RDB$", fieldSource)) {
        Field.DataType = DomainDataType;
        Field.DomainName = fieldSource;
    }
    if (!IsNull(Row, "ARG_DEFAULT_SOURCE")) {
        Field.DefaultValue = CleanDefaultSource(Fld(Row, "ARG_DEFAULT_SOURCE").AsString());
        if (!Field.DefaultValue.empty()) Field.DefaultSource = SourceText(Row, "ARG_DEFAULT_SOURCE");
    }
    // The collation and character set of the argument; a domain's stay with the domain.
    if (!IsNull(Row, "RDB$CHARACTER_SET_ID") &&
        (Field.DataType != DomainDataType || !IsNull(Row, "ARG_OWN_COLLATION_ID")))
        Field.SetCharSetAndCollation(Int32(Row, "RDB$CHARACTER_SET_ID"), Str(Row, "RDB$CHARACTER_SET_NAME"),
                                     Str(Row, "ARG_COLLATION_NAME"), Int32(Row, "ARG_COLLATION_ID"));
    if (Int(Row, "RDB$ARGUMENT_MECHANISM") != 0) {
        Field.TypeOf = true;
        Field.DataType = DomainDataType;
        const std::string table = Str(Row, "ARG_RELATION");
        const std::string column = Str(Row, "ARG_FIELD");
        if (!table.empty() && !column.empty()) {
            Field.TypeOfTable = table;
            Field.TypeOfColumn = column;
        }
    }
    if (Int(Row, "ARG_NULL_FLAG") != 0) Field.Nullable = false;
}

void TIBDBExtract::ExtractFunctions() {
    TSMXQuery& q = *Query_;
    DoLogNextLine("Extracting functions...");
    try {
        SetSQL(q, {"select * from rdb$Functions", "where (rdb$system_flag<>1 or rdb$system_flag is null)"});
        if (Caps_.HasProcedurePackage) AddSQL(q, "AND RDB$PACKAGE_NAME IS NULL");
        AddSQL(q, "order by Rdb$Function_Name");
        q.Open();
        for (; !q.GetEof(); q.Next()) {
            if (Str(q, "RDB$ENTRYPOINT").empty() && Str(q, "RDB$MODULE_NAME").empty() &&
                Caps_.HasFunctionSource)
                ExtractPSQLFunction();
            else
                ExtractExternalFunction();
            ProcessMessages();
            if (Stopped()) break;
        }
    } catch (const std::exception& e) {
        // Reported as an error: a structure that silently lacks functions would make the comparer
        // drop them from the target.
        DoErrorMessage(e.what());
    }
    CloseAndClear(q);
}

void TIBDBExtract::ExtractExternalFunction() {
    TSMXQuery& q = *Query_;
    auto udf = std::make_unique<TUdfData>(Objs());
    const std::string name = Str(q, "RDB$FUNCTION_NAME");
    udf->SetName(name);
    udf->EntryPoint = Str(q, "RDB$ENTRYPOINT");
    udf->ModuleName = Str(q, "RDB$MODULE_NAME");
    udf->SetDescription(Fld(q, "RDB$DESCRIPTION").AsString());
    const std::int64_t returnArg = Int(q, "RDB$RETURN_ARGUMENT");
    std::unique_ptr<TSMXQuery> aq = NewQuery();
    aq->GetSQL()->Add(BuildArgumentSQL(name));
    aq->Open();
    for (; !aq->GetEof(); aq->Next()) {
        const std::int64_t position = Int(*aq, "RDB$ARGUMENT_POSITION");
        const std::int64_t mechanism = Int(*aq, "RDB$MECHANISM");
        if (position == returnArg) {
            TFldData& result = *udf->GetReturnValue();
            result.Parent = udf.get();
            result.TableName = name;
            ReadArgument(*aq, result);
            if (mechanism == -1) udf->FreeIt = true;
            if (mechanism == 0) result.ByValue = true;
            if (mechanism == 2) result.ByDescriptor = true;
            if (returnArg != 0) result.ReturnsParameter = static_cast<std::int32_t>(returnArg);
        }
        if (position != 0) {
            TFldData* arg = udf->AddParam();
            ReadArgument(*aq, *arg);
            if (mechanism == 2) arg->ByDescriptor = true;
            if (mechanism == 5) arg->ByNull = true; // NULL passed as a null pointer
        }
    }
    aq->Close();
    LogObjectLine(name);
    FileIfAccepted(udf.release(), name, dboFunction);
}

void TIBDBExtract::ExtractPSQLFunction() {
    TSMXQuery& q = *Query_;
    auto fn = std::make_unique<TPrcData>(Objs());
    fn->IsFunctionFlag = 1;
    const std::string name = Str(q, "RDB$FUNCTION_NAME");
    fn->SetName(name);
    fn->SetDescription(Fld(q, "RDB$DESCRIPTION").AsString());
    fn->SetSource(SourceText(q, "RDB$FUNCTION_SOURCE"));
    const std::int64_t returnArg = Int(q, "RDB$RETURN_ARGUMENT");
    std::unique_ptr<TSMXQuery> aq = NewQuery();
    aq->GetSQL()->Add(BuildArgumentSQL(name));
    aq->Open();
    for (; !aq->GetEof(); aq->Next()) {
        const bool output = Int(*aq, "RDB$ARGUMENT_POSITION") == returnArg;
        const std::string argName = Caps_.HasArgumentName ? Str(*aq, "RDB$ARGUMENT_NAME") : std::string();
        TFldData* arg = fn->AddParam(argName, output);
        ReadArgument(*aq, *arg);
        if (Caps_.HasArgumentName) ReadDeclaredArgument(*aq, *arg);
        if (output && !IsNull(q, "RDB$DETERMINISTIC_FLAG"))
            arg->Deterministic = Int(q, "RDB$DETERMINISTIC_FLAG") != 0;
    }
    aq->Close();
    LogObjectLine(name);
    FileIfAccepted(fn.release(), name, dboFunction);
}

// ---------------------------------------------------------------------------------------------------
// Views

void TIBDBExtract::ViewSQL(TSMXQuery& Q) {
    const bool raw = KeepsCatalogueBytes();
    SetSQL(Q, {"select R.Rdb$Relation_Name, " + TextColumn(raw, "R.Rdb$View_Source", "RDB$VIEW_SOURCE") +
                   ", " + TextColumn(raw, "R.Rdb$Description", "RDB$DESCRIPTION") + " ",
               "from Rdb$Relations R ", "where (R.Rdb$System_Flag <> 1 or R.Rdb$System_Flag is Null) ",
               "and not R.Rdb$View_BLR is null and R.Rdb$Flags = 1 "});
    if (IgnoreIBE()) AddSQL(Q, " and R.Rdb$relation_name not like 'IBE$%' ");
    AddSQL(Q, "Order by R.Rdb$Relation_Name ");
}

void TIBDBExtract::ExtractViews() {
    TCustomObjs* objs = Objs();
    std::unique_ptr<TSMXQuery> vq = NewQuery(), cq = NewQuery(), uq = NewQuery();
    DoLogNextLine("Extracting views...");
    const bool raw = KeepsCatalogueBytes();
    ViewSQL(*vq);
    SetSQL(*cq, {"Select R.Rdb$Field_Name, R.Rdb$Field_Position, R.Rdb$Field_Source, R.Rdb$Description",
                 "from Rdb$Relation_Fields R", "where R.Rdb$Relation_Name = :NAME",
                 "order by R.Rdb$Field_Position, R.Rdb$Field_Name"});
    SetSQL(*uq, {"Select Rdb$Relation_Name, Rdb$Field_Name", "from Rdb$Relation_Fields",
                 "where Rdb$Field_Source = :FIELD_SOURCE"});
    // What the tables step read, when it ran in this run.
    const TViewLookups* lookups = viewLookups_.get();
    // A column of the view being read: its dependency on the table column or domain it reads.
    const auto addColumn = [&](TViwData& View, const std::string& Name, const std::string& Description,
                               const std::string& FieldSource) {
        TFldData* f = View.AddField(Name);
        f->SetDescription(Description);
        const bool implicit = FieldSource.find("RDB$") != std::string::npos;
        // Every table of the structure came with its columns in the tables step: a field that no
        // table column has is a view's or a system table's, and one that a single table column
        // has is the column the view reads.
        const TViewLookups::TTableColumn* read = nullptr;
        bool answered = false;
        if (implicit && lookups) {
            const auto it = lookups->TableColumns.find(FieldSource);
            answered = it == lookups->TableColumns.end() || !it->second.Shared;
            if (answered && it != lookups->TableColumns.end()) read = &it->second;
        }
        if (answered) {
            if (read)
                if (TDbObj* table = objs->FindObject(TObjsList::olTables, read->Table))
                    AddDependency(objs, &View, table, 0, 0, read->Field);
        } else if (implicit) {
            // Every column sharing the implicit field answers, views too and in no order: the
            // first row of a table the structure holds names the column the view reads.
            Param(*uq, "FIELD_SOURCE").SetAsString(FieldSource);
            uq->Open();
            for (; !uq->GetEof(); uq->Next()) {
                if (TDbObj* table = objs->FindObject(TObjsList::olTables, Str(*uq, "RDB$RELATION_NAME"))) {
                    AddDependency(objs, &View, table, 0, 0, Str(*uq, "RDB$FIELD_NAME"));
                    break;
                }
            }
            uq->Close();
        } else if (TDbObj* domain = objs->FindObject(TObjsList::olDomains, FieldSource)) {
            AddDependency(objs, &View, domain);
        }
    };
    std::unique_ptr<TSMXQuery> ahead;
    TSMXQuery& r = OpenRows(*vq, ahead);
    for (; !r.GetEof(); r.Next()) {
        auto view = std::make_unique<TViwData>(objs);
        const std::string name = Str(r, "RDB$RELATION_NAME");
        view->SetName(name);
        view->SetDescription(TextValue(r, raw, "RDB$DESCRIPTION"));
        std::string source = Trim(AdjustLineBreaks(TextValue(r, raw, "RDB$VIEW_SOURCE")));
        if (source.size() >= 10 && UpperCase(source.substr(source.size() - 10)) == "WITH CHECK")
            source = source.substr(0, source.size() - 10) + "WITH CHECK OPTION";
        view->SetSource(source);
        LogObjectLine(name);
        if (lookups && !lookups->Incomplete.contains(name)) {
            if (const auto it = lookups->Columns.find(name); it != lookups->Columns.end())
                for (const TViewLookups::TColumn& column : it->second)
                    addColumn(*view, column.Name, column.Description, column.Source);
        } else {
            Param(*cq, "NAME").SetAsString(name);
            cq->Open();
            for (; !cq->GetEof(); cq->Next())
                addColumn(*view, Str(*cq, "RDB$FIELD_NAME"), Fld(*cq, "RDB$DESCRIPTION").AsString(),
                          Str(*cq, "RDB$FIELD_SOURCE"));
            cq->Close();
        }
        FileIfAccepted(view.release(), name, dboView);
        ProcessMessages();
        if (Stopped()) break;
    }
    CloseAndClear(*vq);
}

// ---------------------------------------------------------------------------------------------------
// Procedures and packages

void TIBDBExtract::ProcedureSQL(TSMXQuery& Procedures, TSMXQuery& Parameters) {
    const TIBCapabilities& c = Caps_;
    const bool raw = KeepsCatalogueBytes();
    SetSQL(Procedures,
           {" Select rdb$Procedure_Name, rdb$System_Flag, " +
                TextColumn(raw, "rdb$Description", "RDB$DESCRIPTION") + ", ",
            " " + TextColumn(raw, "rdb$Procedure_Source", "RDB$PROCEDURE_SOURCE") + ", rdb$Procedure_BLR ",
            " from rdb$procedures ", " where (Rdb$System_Flag <> 1 or Rdb$System_Flag is Null) "});
    if (c.HasProcedurePackage) AddSQL(Procedures, "AND RDB$PACKAGE_NAME IS NULL");
    if (IgnoreIBE()) AddSQL(Procedures, " and rdb$procedure_name not like 'IBE$%' ");
    AddSQL(Procedures, " order by rdb$procedure_name ");

    // The parameters of every procedure in one query, grouped by procedure here: a query for each
    // procedure costs the server more than its rows. The names of the character sets and
    // collations are looked up here too.
    SetSQL(Parameters,
           {"select " + NameColumn("P.RDB$PROCEDURE_NAME", "RDB$PROCEDURE_NAME") + ", " +
                NameColumn("P.RDB$PARAMETER_NAME", "RDB$PARAMETER_NAME") + ",",
            "P.RDB$PARAMETER_TYPE,", "P.RDB$PARAMETER_NUMBER,", "P.RDB$DESCRIPTION,",
            NameColumn("P.RDB$FIELD_SOURCE", "RDB$FIELD_SOURCE") + ",", "F.RDB$FIELD_TYPE F_FLD_TYPE,",
            "F.RDB$FIELD_LENGTH F_FLD_LENGTH,", "F.RDB$CHARACTER_LENGTH F_CHR_LENGTH,",
            "F.RDB$FIELD_SUB_TYPE F_FLD_SUB_TYPE,", "F.RDB$SEGMENT_LENGTH F_SEGMENT_LENGTH,",
            "F.RDB$DEFAULT_SOURCE FLD_DEFAULT_SOURCE,"});
    if (c.HasFieldPrecision) AddSQL(Parameters, "F.RDB$FIELD_PRECISION F_FLD_PRECISION,");
    if (c.HasParameterMechanism) AddSQL(Parameters, "P.Rdb$Parameter_Mechanism,");
    if (c.HasParameterDefault) AddSQL(Parameters, "P.Rdb$DEFAULT_SOURCE as PROC_DEFAULT_SOURCE,");
    if (c.HasParameterCollation) AddSQL(Parameters, "P.Rdb$COLLATION_ID as PROC_COLLATION_ID,");
    if (c.HasParameterNullFlag) AddSQL(Parameters, "P.Rdb$NULL_FLAG as PROC_NULL_FLAG,");
    if (c.HasParameterRelation)
        AddSQL(Parameters, NameColumn("P.RDB$RELATION_NAME", "RDB$RELATION_NAME") + ", " +
                               NameColumn("P.RDB$FIELD_NAME", "RDB$FIELD_NAME") + ",");
    for (std::string_view piece : {"F.RDB$FIELD_SCALE F_FLD_SCALE,", "F.RDB$Character_Set_ID,",
                                   "F.RDB$Collation_ID, F.RDB$DEFAULT_SOURCE",
                                   "from rdb$procedure_parameters P, rdb$fields F",
                                   "where F.rdb$field_name = P.rdb$field_source"})
        AddSQL(Parameters, piece);
    // A packaged procedure of the same name has parameters of its own.
    if (c.HasProcedurePackage) AddSQL(Parameters, "and P.RDB$PACKAGE_NAME IS NULL");
    AddSQL(Parameters, "Order by P.rdb$procedure_name, P.rdb$parameter_type, P.rdb$parameter_number");
}

void TIBDBExtract::ExtractProcedures() {
    const TIBCapabilities& c = Caps_;
    std::unique_ptr<TSMXQuery> pq = NewQuery(), aq = NewQuery();
    DoLogNextLine("Extracting procedures...");
    const bool raw = KeepsCatalogueBytes();
    ProcedureSQL(*pq, *aq);
    ReadCatalogueNames();
    // The name of a character set or collation whose ids are both set; empty otherwise.
    const auto charSetName = [this](TField& CharSet) {
        return CharSet.IsNull() ? std::string() : LookUp(charSetNames_, static_cast<int>(CharSet.AsInteger()));
    };
    const auto collationName = [this](TField& CharSet, TField& Collation) {
        if (CharSet.IsNull() || Collation.IsNull()) return std::string();
        return LookUp(collationNames_, std::pair(static_cast<int>(CharSet.AsInteger()),
                                                 static_cast<int>(Collation.AsInteger())));
    };

    // Adds the parameter of the row R to Proc.
    const auto readParameter = [&](TSMXQuery& r, TPrcData& Proc) {
        const bool output = Int(r, "RDB$PARAMETER_TYPE") == 1;
        TFldData* p = Proc.AddParam(Str(r, "RDB$PARAMETER_NAME"), output);
        p->SetKind(dboParam);
        p->SetDescription(Fld(r, "RDB$DESCRIPTION").AsString());
        const int type = Int32(r, "F_FLD_TYPE");
        const int subType = Int32(r, "F_FLD_SUB_TYPE");
        p->IBFieldType = type;
        p->IBTypeToDataType(type, subType);
        p->ByteLength = Int32(r, "F_FLD_LENGTH");
        p->Length = Int32(r, "F_CHR_LENGTH");
        p->SubType = subType;
        p->SegmentSize = Int32(r, "F_SEGMENT_LENGTH");
        p->DefaultValue = CleanDefaultSource(Fld(r, "RDB$DEFAULT_SOURCE").AsString());
        ReadPrecisionAndScale(type, subType, c.HasFieldPrecision, *p, Opt(r, "F_FLD_SCALE"),
                              c.HasFieldPrecision ? Opt(r, "F_FLD_PRECISION") : std::nullopt);
        const std::string fieldSource = Str(r, "RDB$FIELD_SOURCE");
        if (!StartsStr("RDB$", fieldSource)) {
            p->DataType = DomainDataType;
            p->DomainName = fieldSource;
        }
        if (c.HasParameterDefault) {
            // Only the parameter's own default: the server gives a parameter no default of its
            // domain, and a header written with one would be refused.
            p->DefaultValue.clear();
            if (!IsNull(r, "PROC_DEFAULT_SOURCE")) {
                p->DefaultValue = CleanDefaultSource(Fld(r, "PROC_DEFAULT_SOURCE").AsString());
                if (!p->DefaultValue.empty()) p->DefaultSource = SourceText(r, "PROC_DEFAULT_SOURCE");
            }
        }
        TField& charSet = Fld(r, "RDB$CHARACTER_SET_ID");
        if (c.HasParameterCollation && !IsNull(r, "PROC_COLLATION_ID"))
            p->SetCharSetAndCollation(Int32(r, "RDB$CHARACTER_SET_ID"), charSetName(charSet),
                                      collationName(charSet, Fld(r, "PROC_COLLATION_ID")),
                                      Int32(r, "PROC_COLLATION_ID"));
        else if (p->DataType != DomainDataType)
            p->SetCharSetAndCollation(Int32(r, "RDB$CHARACTER_SET_ID"), charSetName(charSet),
                                      collationName(charSet, Fld(r, "RDB$COLLATION_ID")),
                                      Int32(r, "RDB$COLLATION_ID"));
        // A parameter on a domain without a collation of its own takes the domain's: the field's
        // collation is the domain's, and stating it again would differ from the declaration.
        if (c.HasParameterMechanism && Int(r, "RDB$PARAMETER_MECHANISM") != 0) {
            p->TypeOf = true;
            p->DataType = DomainDataType;
            if (c.HasParameterRelation) {
                const std::string table = Str(r, "RDB$RELATION_NAME");
                const std::string column = Str(r, "RDB$FIELD_NAME");
                if (!table.empty() && !column.empty()) {
                    p->TypeOfTable = table;
                    p->TypeOfColumn = column;
                }
            }
        }
        if (c.HasParameterNullFlag && Int(r, "PROC_NULL_FLAG") != 0) p->Nullable = false;
        p->ParamDirection = output ? 2 : 1;
    };
    // A second procedure of a name (a packaged one, where the catalogue tells no package) has the
    // parameters of every procedure of that name, as a query by name gives them.
    std::unique_ptr<TSMXQuery> nq = NewQuery();
    nq->GetSQL()->Assign(*aq->GetSQL());
    nq->GetSQL()->Delete(nq->GetSQL()->Count() - 1);
    AddSQL(*nq, "and P.rdb$procedure_name = :RDB$PROCEDURE_NAME");
    AddSQL(*nq, "Order by P.rdb$parameter_type, P.rdb$parameter_number");

    // The procedures with parameters, by name without padding, made as their parameters come.
    std::unordered_map<std::string, std::unique_ptr<TPrcData>> withParameters;
    {
        std::unique_ptr<TSMXQuery> ahead;
        TSMXQuery& r = OpenRows(*aq, ahead);
        TField& procedureName = Fld(r, "RDB$PROCEDURE_NAME");
        TPrcData* proc = nullptr;
        std::string procKey;
        for (; !r.GetEof(); r.Next()) {
            if (std::string k = WithoutPadding(procedureName.AsString()); !proc || k != procKey) {
                procKey = std::move(k);
                std::unique_ptr<TPrcData>& made = withParameters[procKey];
                if (!made) {
                    made = std::make_unique<TPrcData>(Objs());
                    made->SetName(Str(r, "RDB$PROCEDURE_NAME"));
                }
                proc = made.get();
            }
            readParameter(r, *proc);
        }
    }
    CloseAndClear(*aq);

    std::unique_ptr<TSMXQuery> ahead;
    TSMXQuery& r = OpenRows(*pq, ahead);
    for (; !r.GetEof(); r.Next()) {
        std::unique_ptr<TPrcData> proc;
        const std::string name = Str(r, "RDB$PROCEDURE_NAME");
        const std::string fetched = Fld(r, "RDB$PROCEDURE_NAME").AsString();
        if (const auto it = withParameters.find(WithoutPadding(fetched)); it == withParameters.end()) {
            proc = std::make_unique<TPrcData>(Objs());
        } else if (it->second) {
            proc = std::move(it->second);
        } else {
            proc = std::make_unique<TPrcData>(Objs());
            proc->SetName(name);
            Param(*nq, "RDB$PROCEDURE_NAME").SetAsString(fetched);
            for (nq->Open(); !nq->GetEof(); nq->Next())
                readParameter(*nq, *proc);
            nq->Close();
        }
        proc->SetName(name);
        proc->SetDescription(TextValue(r, raw, "RDB$DESCRIPTION"));
        proc->SetSource(Trim(AdjustLineBreaks(TextValue(r, raw, "RDB$PROCEDURE_SOURCE"))));
        LogObjectLine(name);
        FileIfAccepted(proc.release(), name, dboProcedure);
        ProcessMessages();
        if (Stopped()) break;
    }
    CloseAndClear(*pq);
}

void TIBDBExtract::ExtractPackages() {
    if (!Caps_.HasPackages) return;
    TSMXQuery& q = *Query_;
    SetSQL(q, {"SELECT P.RDB$PACKAGE_NAME, P.RDB$SYSTEM_FLAG, P.RDB$DESCRIPTION, ",
               "P.RDB$PACKAGE_HEADER_SOURCE, P.RDB$PACKAGE_BODY_SOURCE, P.RDB$VALID_BODY_FLAG",
               "FROM RDB$PACKAGES P", "WHERE (P.RDB$SYSTEM_FLAG=0 OR P.RDB$SYSTEM_FLAG IS NULL)",
               "ORDER BY P.RDB$PACKAGE_NAME"});
    q.Open();
    for (; !q.GetEof(); q.Next()) {
        auto pkg = std::make_unique<TPkgData>(Objs());
        const std::string name = Str(q, "RDB$PACKAGE_NAME");
        pkg->SetName(name);
        pkg->SetHeaderSource(SourceText(q, "RDB$PACKAGE_HEADER_SOURCE"));
        pkg->SetSource(SourceText(q, "RDB$PACKAGE_BODY_SOURCE"));
        pkg->SetDescription(Fld(q, "RDB$DESCRIPTION").AsString());
        LogObjectLine(name);
        FileIfAccepted(pkg.release(), name, dboPackage);
        ProcessMessages();
        if (Stopped()) break;
    }
    CloseAndClear(q);
    // The descriptions of the packaged routines and of their parameters belong to their package.
    SetSQL(q, {"SELECT CAST('PROCEDURE' AS VARCHAR(9)) K, RDB$PACKAGE_NAME PKG, RDB$PROCEDURE_NAME R, ",
               "CAST(NULL AS CHAR(31)) A, RDB$DESCRIPTION D FROM RDB$PROCEDURES ",
               "WHERE RDB$PACKAGE_NAME IS NOT NULL AND RDB$DESCRIPTION IS NOT NULL ",
               "UNION ALL SELECT 'PROCEDURE', RDB$PACKAGE_NAME, RDB$PROCEDURE_NAME, RDB$PARAMETER_NAME, ",
               "RDB$DESCRIPTION FROM RDB$PROCEDURE_PARAMETERS ",
               "WHERE RDB$PACKAGE_NAME IS NOT NULL AND RDB$DESCRIPTION IS NOT NULL ",
               "UNION ALL SELECT 'FUNCTION', RDB$PACKAGE_NAME, RDB$FUNCTION_NAME, NULL, RDB$DESCRIPTION ",
               "FROM RDB$FUNCTIONS WHERE RDB$PACKAGE_NAME IS NOT NULL AND RDB$DESCRIPTION IS NOT NULL ",
               "UNION ALL SELECT 'FUNCTION', RDB$PACKAGE_NAME, RDB$FUNCTION_NAME, RDB$ARGUMENT_NAME, ",
               "RDB$DESCRIPTION FROM RDB$FUNCTION_ARGUMENTS WHERE RDB$PACKAGE_NAME IS NOT NULL ",
               "AND RDB$ARGUMENT_NAME IS NOT NULL AND RDB$DESCRIPTION IS NOT NULL"});
    q.Open();
    for (; !q.GetEof(); q.Next())
        if (auto* pkg = dynamic_cast<TPkgData*>(Objs()->FindObject(TObjsList::olPackages, Str(q, "PKG"))))
            pkg->SetMemberDescription(Str(q, "K"), Str(q, "R"), Str(q, "A"), Fld(q, "D").AsString());
    CloseAndClear(q);
}

// ---------------------------------------------------------------------------------------------------
// Triggers and exceptions

void TIBDBExtract::TriggerSQL(TSMXQuery& Q, bool Count) {
    const auto addWhere = [&] {
        for (std::string_view piece :
             {" where (R.rdb$system_flag <> 1 or R.rdb$system_flag is Null) ",
              " and NOT EXISTS (SELECT * FROM RDB$CHECK_CONSTRAINTS CHK WHERE ",
              " T.RDB$TRIGGER_NAME = CHK.RDB$TRIGGER_NAME) ", " and not (R.rdb$view_blr is not null",
              " and T.rdb$trigger_name like 'CHECK_%' ", " and T.rdb$trigger_source is null)"})
            AddSQL(Q, piece);
        if (IgnoreIBE()) AddSQL(Q, " and T.rdb$trigger_name not like 'IBE$%' ");
    };
    if (Count) {
        SetSQL(Q, {" select Count(*)", " from rdb$triggers T ",
                   " join rdb$relations R on R.rdb$relation_name = T.rdb$relation_name"});
        addWhere();
        return;
    }
    const bool external = Caps_.HasPackages;
    const bool raw = KeepsCatalogueBytes();
    SetSQL(Q, {" select T.RDB$TRIGGER_NAME, T.RDB$RELATION_NAME, " +
                   TextColumn(raw, "T.RDB$TRIGGER_SOURCE", "RDB$TRIGGER_SOURCE") + ", " +
                   TextColumn(raw, "T.RDB$DESCRIPTION", "RDB$DESCRIPTION") + ",",
               " T.RDB$TRIGGER_TYPE, T.RDB$TRIGGER_BLR, T.RDB$TRIGGER_SEQUENCE, T.RDB$TRIGGER_INACTIVE,",
               external ? " T.RDB$ENGINE_NAME, T.RDB$ENTRYPOINT," : "", " T.RDB$SYSTEM_FLAG ",
               " from rdb$triggers T ",
               " left join rdb$relations R on R.rdb$relation_name = T.rdb$relation_name"});
    addWhere();
    AddSQL(Q, " order by T.rdb$trigger_name ");
}

void TIBDBExtract::ExtractTriggers() {
    TSMXQuery& q = *Query_;
    DoLogNextLine("Extracting triggers...");
    int count = 0;
    if (OnLog) {
        TriggerSQL(q, true);
        std::unique_ptr<TSMXQuery> ahead;
        TSMXQuery& r = OpenRows(q, ahead);
        count = r.GetEof() ? 0 : static_cast<int>((*r.GetFields())[0].AsInteger());
        CloseAndClear(q);
        DoLog(1, "Triggers", 0, count);
    }
    // External triggers (EXTERNAL NAME ... ENGINE ...) come with Firebird 3, as packages do.
    const bool external = Caps_.HasPackages;
    const bool raw = KeepsCatalogueBytes();
    TriggerSQL(q, false);
    std::unique_ptr<TSMXQuery> ahead;
    TSMXQuery& r = OpenRows(q, ahead);
    int triggers = 0;
    for (; !r.GetEof(); r.Next()) {
        const std::string name = Str(r, "RDB$TRIGGER_NAME");
        // RDB$TRIGGER_TYPE is 64 bits wide: DDL triggers use the high bits.
        const std::int64_t type = Int(r, "RDB$TRIGGER_TYPE");
        auto trg = std::make_unique<TTrgData>(Objs());
        trg->SetName(name);
        trg->SetTableName(Str(r, "RDB$RELATION_NAME"));
        trg->Position = Int32(r, "RDB$TRIGGER_SEQUENCE");
        trg->SetSource(Trim(AdjustLineBreaks(TextValue(r, raw, "RDB$TRIGGER_SOURCE"))));
        trg->Active = Int(r, "RDB$TRIGGER_INACTIVE") == 0 ? 1 : 0;
        trg->SetDescription(TextValue(r, raw, "RDB$DESCRIPTION"));
        trg->IBTypeCode = static_cast<std::int32_t>(type);
        if (external) {
            trg->EngineName = Str(r, "RDB$ENGINE_NAME");
            if (!trg->EngineName.empty()) trg->ExternalName = Str(r, "RDB$ENTRYPOINT");
        }
        if ((type & DDLTriggerFlag) != 0 && (type & 0x2000) == 0) {
            // A DDL trigger: its events are bits of the 64-bit type, which IBTypeCode cannot hold.
            trg->IBTypeCode = 0;
            trg->SetTableName("DATABASE");
            trg->DatabaseEvent = DDLTriggerEventText(static_cast<std::uint64_t>(type));
        } else if ((type & 0x2000) != 0) {
            static constexpr std::string_view events[] = {"CONNECT", "DISCONNECT", "TRANSACTION START",
                                                          "TRANSACTION COMMIT", "TRANSACTION ROLLBACK"};
            trg->SetTableName("DATABASE");
            const std::int64_t event = type - 8192;
            if (event >= 0 && event < 5) trg->DatabaseEvent = events[event];
        } else if (type >= 1 && type <= 6) {
            trg->Time = type % 2 == 1 ? 1 : 2;
            trg->Events = type <= 2 ? 2 : type <= 4 ? 4 : 8;
        }
        ++triggers;
        if (OnLog) DoLog(1, name, triggers, count);
        LogObjectLine(name);
        FileIfAccepted(trg.release(), name, dboTrigger);
        ProcessMessages();
        if (Stopped()) break;
    }
    CloseAndClear(q);
}

void TIBDBExtract::ExtractExceptions() {
    TCustomObjs* objs = Objs();
    const TIBServerOptions& ib = objs->GetIBServerOptions();
    const std::string charSet = ib.GetDBCharSet();
    const bool reconnect = (ib.GetSQLServerVersion() < TIBSQLServerVersionType::st_Firebird_21 ||
                            ib.GetSQLServerVersion() == TIBSQLServerVersionType::st_InterBase_2020) &&
                           !charSet.empty() && !SameText(charSet, "NONE");
    if (reconnect) SMXConnection_->ReconnectWithCharSet("NONE");
    TSMXQuery& q = *Query_;
    DoLogNextLine("Extracting exceptions...");
    SetSQL(q, {"select * from rdb$exceptions", "where (rdb$system_flag = 0 or rdb$system_flag is null)",
               "order by rdb$exception_name"});
    q.Open();
    for (; !q.GetEof(); q.Next()) {
        auto exc = std::make_unique<TExcData>(objs);
        const std::string name = Str(q, "RDB$EXCEPTION_NAME");
        exc->SetName(name);
        exc->Message = Fld(q, "RDB$MESSAGE").AsString();
        exc->SetDescription(Fld(q, "RDB$DESCRIPTION").AsString());
        LogObjectLine(name);
        FileIfAccepted(exc.release(), name, dboException);
        ProcessMessages();
        if (Stopped()) break;
    }
    CloseAndClear(q);
    if (reconnect) SMXConnection_->ReconnectWithCharSet(charSet);
}

// ---------------------------------------------------------------------------------------------------
// Generators, indices, constraints

void TIBDBExtract::GeneratorSQL(TSMXQuery& Q) {
    SetSQL(Q, {"select * from rdb$generators ", "where (Rdb$System_Flag = 0 or Rdb$System_Flag is Null) "});
    if (IgnoreIBE()) AddSQL(Q, " and rdb$generator_name not like 'IBE$%' ");
    AddSQL(Q, "order by rdb$generator_name ");
}

void TIBDBExtract::ExtractGenerators() {
    TSMXQuery& q = *Query_;
    DoLogNextLine("Extracting generators...");
    const int count = CountAndAnnounce(
        {"select Count(*)", "from rdb$generators", "where (Rdb$System_Flag = 0 or Rdb$System_Flag is Null) "},
        "Generators", true, " and rdb$generator_name not like 'IBE$%' ");
    GeneratorSQL(q);
    std::unique_ptr<TSMXQuery> ahead;
    TSMXQuery& r = OpenRows(q, ahead);
    int generators = 0;
    for (; !r.GetEof(); r.Next()) {
        auto g = std::make_unique<TGnrData>(Objs());
        const std::string name = Str(r, "RDB$GENERATOR_NAME");
        g->SetName(name);
        if (Caps_.HasGeneratorDescription) g->SetDescription(Fld(r, "RDB$DESCRIPTION").AsString());
        if (Caps_.HasGeneratorIncrement) {
            const std::int64_t increment = Int(r, "RDB$GENERATOR_INCREMENT");
            if (increment != 1) g->Increment = IntToStr(increment);
            // The start value came with the increment (Firebird 3).
            const std::int64_t start = Int(r, "RDB$INITIAL_VALUE");
            if (start != 0) g->StartValue = IntToStr(start);
        }
        ++generators;
        if (OnLog) DoLog(1, name, generators, count);
        LogObjectLine(name);
        FileIfAccepted(g.release(), name, dboGenerator);
        ProcessMessages();
        if (Stopped()) break;
    }
    CloseAndClear(q);
}

void TIBDBExtract::IndexSQL(TSMXQuery& Q) {
    SetSQL(Q, {"Select I.* from RDB$Indices I ", "where Not Exists ",
               "(select RC.Rdb$Constraint_Name from Rdb$Relation_Constraints RC ",
               "where RC.Rdb$Index_Name=I.Rdb$Index_Name) ", "and I.rdb$index_name not like 'RDB$%' "});
    if (IgnoreIBE()) AddSQL(Q, " and I.rdb$index_name not like 'IBE$%' ");
    AddSQL(Q, "Order By I.rdb$index_name ");
}

void TIBDBExtract::ExtractIndices() {
    TSMXQuery& q = *Query_;
    DoLogNextLine("Extracting indices...");
    IndexSQL(q);
    std::unique_ptr<TSMXQuery> ahead;
    TSMXQuery& r = OpenRows(q, ahead);
    for (; !r.GetEof(); r.Next()) {
        auto idx = std::make_unique<TIdxData>(Objs());
        const std::string name = Str(r, "RDB$INDEX_NAME");
        idx->SetName(name);
        idx->Unique = Int(r, "RDB$UNIQUE_FLAG") != 0;
        idx->TableName = Str(r, "RDB$RELATION_NAME");
        idx->SetDescription(Fld(r, "RDB$DESCRIPTION").AsString());
        idx->Active = Int(r, "RDB$INDEX_INACTIVE") == 0;
        idx->Descending = Int(r, "RDB$INDEX_TYPE") == 1;
        idx->SetSource(Str(r, "RDB$EXPRESSION_SOURCE"));
        if (Int(r, "RDB$SEGMENT_COUNT") > 0)
            for (const std::string& column : IndexColumns(Fld(r, "RDB$INDEX_NAME").AsString()))
                idx->AddColumn(column);
        LogObjectLine(name);
        FileIfAccepted(idx.release(), name, dboIndex);
        ProcessMessages();
        if (Stopped()) break;
    }
    CloseAndClear(q);
}

void TIBDBExtract::ApplyConstraintName(TCtrData& Ctr, const std::string& ConstraintName) {
    if (StartsStr("INTEG_", ConstraintName)) {
        Ctr.OverrideName = ConstraintName;
        Ctr.SetName("");
    } else {
        Ctr.SetName(ConstraintName);
    }
}

void TIBDBExtract::ApplyConstraintIndex(TCtrData& Ctr, const std::string& IndexName, std::int64_t IndexType) {
    if (StartsStr("RDB$", IndexName)) return;
    if (IndexName != Ctr.GetName() || IndexType != 0) Ctr.IndexName = IndexName;
    if (IndexType != 0) Ctr.IndexDescending = true;
}

void TIBDBExtract::FileConstraint(TCtrData* Ctr, TDbObject Kind) {
    std::unique_ptr<TCtrData> owned(Ctr);
    LogObjectLine(Ctr->GetCreateSQL());
    const bool accepted = Ctr->GetName().empty() ? IsObjectAccepted(Ctr->TableName, dboTable)
                                                 : IsObjectAccepted(Ctr->GetName(), Kind);
    if (accepted) Objs()->AddObject(owned.release(), true);
}

void TIBDBExtract::IndexSegmentSQL(TSMXQuery& Q) {
    SetSQL(Q, {"select " + NameColumn("rdb$index_name", "rdb$index_name") + ", " +
                   NameColumn("rdb$field_name", "rdb$field_name") + " from rdb$index_segments",
               "order by rdb$index_name, rdb$field_position"});
}

const std::vector<std::string>& TIBDBExtract::IndexColumns(std::string_view IndexName) {
    if (!indexColumns_) {
        // One statement for the segments of every index: one per index costs the server more.
        indexColumns_ = std::make_unique<std::unordered_map<std::string, std::vector<std::string>>>();
        std::unique_ptr<TSMXQuery> q = NewQuery(), ahead;
        IndexSegmentSQL(*q);
        for (TSMXQuery& r = OpenRows(*q, ahead); !r.GetEof(); r.Next())
            (*indexColumns_)[WithoutPadding(Fld(r, "RDB$INDEX_NAME").AsString())].push_back(
                Str(r, "RDB$FIELD_NAME"));
        CloseAndClear(*q);
    }
    static const std::vector<std::string> none;
    const auto it = indexColumns_->find(WithoutPadding(IndexName));
    return it == indexColumns_->end() ? none : it->second;
}

void TIBDBExtract::UniqueSQL(TSMXQuery& Q) {
    SetSQL(Q, {"Select C.Rdb$Constraint_Name, C.Rdb$Relation_Name, C.Rdb$Index_Name, ", "I.Rdb$Index_Type ",
               "from Rdb$Relation_Constraints C ",
               "JOIN Rdb$Relations R ON R.RDB$RELATION_NAME=C.RDB$RELATION_NAME AND R.RDB$SYSTEM_FLAG <> 1 ",
               "left Join rdb$indices I on I.Rdb$Index_Name = C.Rdb$Index_Name ",
               "where C.Rdb$Constraint_Type = 'UNIQUE' "});
    if (IgnoreIBE()) AddSQL(Q, " and C.rdb$constraint_name not like 'IBE$%' ");
    AddSQL(Q, "order by C.Rdb$Constraint_Name");
}

void TIBDBExtract::ExtractUniques() {
    TSMXQuery& q = *Query_;
    DoLogNextLine("Extracting unique constraints...");
    UniqueSQL(q);
    std::unique_ptr<TSMXQuery> ahead;
    TSMXQuery& r = OpenRows(q, ahead);
    for (; !r.GetEof(); r.Next()) {
        auto ctr = std::make_unique<TCtrData>(Objs());
        ctr->SetConstraintType(ctUnique);
        ApplyConstraintName(*ctr, Str(r, "RDB$CONSTRAINT_NAME"));
        ctr->SetTableName(Str(r, "RDB$RELATION_NAME"));
        const std::string indexName = Str(r, "RDB$INDEX_NAME");
        ApplyConstraintIndex(*ctr, indexName, Int(r, "RDB$INDEX_TYPE"));
        for (const std::string& column : IndexColumns(indexName))
            ctr->AddColumn(column);
        FileConstraint(ctr.release(), dboUnique);
        ProcessMessages();
        if (Stopped()) break;
    }
    CloseAndClear(q);
}

void TIBDBExtract::PrimaryKeySQL(TSMXQuery& Q, bool Count) {
    SetSQL(Q, {Count ? "Select Count(*)" : "Select C.*, I.Rdb$Index_Type", "from Rdb$Relation_Constraints C",
               "Left Join Rdb$Indices I on I.RDB$Index_Name = C.Rdb$Index_Name",
               "where C.Rdb$Constraint_Type='PRIMARY KEY'"});
    if (IgnoreIBE()) {
        AddSQL(Q, " and C.rdb$constraint_name not like 'IBE$%' ");
        AddSQL(Q, " and C.rdb$Relation_Name not like 'IBE$%' ");
    }
    if (!Count) AddSQL(Q, "Order by C.rdb$relation_name");
}

void TIBDBExtract::ExtractPrimaryKeys() {
    TSMXQuery& q = *Query_;
    TCustomObjs* objs = Objs();
    DoLogNextLine("Extracting primary keys...");
    int count = 0;
    if (OnLog) {
        PrimaryKeySQL(q, true);
        std::unique_ptr<TSMXQuery> ahead;
        TSMXQuery& r = OpenRows(q, ahead);
        count = r.GetEof() ? 0 : static_cast<int>((*r.GetFields())[0].AsInteger());
        CloseAndClear(q);
        DoLog(1, "Primary keys", 0, count);
    }
    PrimaryKeySQL(q, false);
    std::unique_ptr<TSMXQuery> ahead;
    TSMXQuery& r = OpenRows(q, ahead);
    int keys = 0;
    for (; !r.GetEof(); r.Next()) {
        auto ctr = std::make_unique<TCtrData>(objs);
        ctr->SetConstraintType(ctPrimaryKey);
        const std::string tableName = Str(r, "RDB$RELATION_NAME");
        ctr->SetTableName(tableName);
        TDbObj* table = objs->FindObject(TObjsList::olTables, tableName);
        AddDependency(objs, ctr.get(), table);
        const std::string indexName = Str(r, "RDB$INDEX_NAME");
        for (const std::string& field : IndexColumns(indexName)) {
            ctr->AddColumn(field);
            AddDependency(objs, ctr.get(), table, 0, 0, field);
        }
        ApplyConstraintName(*ctr, Str(r, "RDB$CONSTRAINT_NAME"));
        ApplyConstraintIndex(*ctr, indexName, Int(r, "RDB$INDEX_TYPE"));
        ++keys;
        if (OnLog) DoLog(1, ctr->GetDisplayName(), keys, count);
        FileConstraint(ctr.release(), dboPKey);
        ProcessMessages();
        if (Stopped()) break;
    }
    CloseAndClear(q);
}

std::string TIBDBExtract::BuildForeignKeySQL() const {
    std::string s =
        "Select C.rdb$constraint_name, C.rdb$constraint_type, C.rdb$relation_name FK_RELATION_NAME, "
        "C.rdb$index_name FK_INDEX_NAME, ";
    if (Caps_.HasUpdateRule) s += "R.rdb$UPDATE_RULE, ";
    if (Caps_.HasDeleteRule) s += "R.rdb$DELETE_RULE, ";
    s += "I2.rdb$relation_name PK_RELATION_NAME, I2.RDB$Index_Name PK_INDEX_NAME, I1.RDB$Index_Type "
         "FK_INDEX_TYPE, "
         "I2.RDB$Index_Type PK_INDEX_TYPE from Rdb$Relation_Constraints C, rdb$ref_constraints R, "
         "rdb$indices I1, "
         "rdb$indices I2 where C.Rdb$Constraint_Type='FOREIGN KEY' and I1.Rdb$index_name = C.Rdb$index_name "
         "and "
         "I2.Rdb$index_name=I1.Rdb$foreign_key and R.rdb$constraint_name=C.rdb$constraint_name ";
    if (IgnoreIBE()) s += " and C.rdb$constraint_name not like 'IBE$%' ";
    s += "Order by C.rdb$relation_name, C.rdb$constraint_name ";
    return s;
}

void TIBDBExtract::ExtractForeignKeys() {
    TSMXQuery& q = *Query_;
    TCustomObjs* objs = Objs();
    DoLogNextLine("Extracting foreign keys...");
    const int count = CountAndAnnounce(
        {"Select Count(*)", "from Rdb$Relation_Constraints C, rdb$ref_constraints R, ",
         "rdb$indices I1, rdb$indices I2 ", "where C.Rdb$Constraint_Type='FOREIGN KEY' ",
         "and I1.Rdb$index_name = C.Rdb$index_name ", "and I2.Rdb$index_name=I1.Rdb$foreign_key ",
         "and R.rdb$constraint_name=C.rdb$constraint_name "},
        "Foreign keys", true, " and C.rdb$constraint_name not like 'IBE$%' ");
    SetSQL(q, {BuildForeignKeySQL()});
    std::unique_ptr<TSMXQuery> rq = NewQuery();
    SetSQL(*rq, {"Select S.Rdb$field_name", "from rdb$indices I1, Rdb$indices I2, Rdb$index_segments S",
                 "where I1.rdb$Index_name = :INDEX_NAME", "and I2.rdb$Index_name=I1.rdb$foreign_key",
                 "and S.rdb$Index_name=I2.rdb$Index_name", "order by S.rdb$field_position"});
    rq->Prepare();
    const auto rule = [](const std::string& text, std::uint8_t current) -> std::uint8_t {
        if (text == "CASCADE") return raCascade;
        if (text == "SET DEFAULT") return raSetDefault;
        if (text == "SET NULL") return raSetNull;
        if (text == "NO ACTION") return raNoAction;
        return current;
    };
    std::unique_ptr<TSMXQuery> ahead;
    TSMXQuery& r = OpenRows(q, ahead);
    int keys = 0;
    for (; !r.GetEof(); r.Next()) {
        auto ctr = std::make_unique<TCtrData>(objs);
        ctr->SetConstraintType(ctForeignKey);
        const std::string tableName = Str(r, "FK_RELATION_NAME");
        ctr->SetTableName(tableName);
        TDbObj* table = objs->FindObject(TObjsList::olTables, tableName);
        AddDependency(objs, ctr.get(), table);
        const std::string refName = Str(r, "PK_RELATION_NAME");
        ctr->SetRefTableName(refName);
        TDbObj* refTable = objs->FindObject(TObjsList::olTables, refName);
        AddDependency(objs, ctr.get(), refTable);
        const std::string indexName = Str(r, "FK_INDEX_NAME");
        ApplyConstraintName(*ctr, Str(r, "RDB$CONSTRAINT_NAME"));
        ApplyConstraintIndex(*ctr, indexName, Int(r, "FK_INDEX_TYPE"));
        for (const std::string& field : IndexColumns(indexName)) {
            ctr->AddColumn(field);
            AddDependency(objs, ctr.get(), table, 0, 0, field);
        }
        // The referenced key's columns: those of the index the row names, unless the key's index
        // name has more than padding around it, which the look-up by the trimmed name would miss.
        const std::string rawIndexName = Fld(r, "FK_INDEX_NAME").AsString();
        std::vector<std::string> refColumns;
        if (WithoutPadding(rawIndexName) == indexName) {
            refColumns = IndexColumns(Fld(r, "PK_INDEX_NAME").AsString());
        } else {
            Param(*rq, "INDEX_NAME").SetAsString(indexName);
            for (rq->Open(); !rq->GetEof(); rq->Next())
                refColumns.push_back(Str(*rq, "RDB$FIELD_NAME"));
            rq->Close();
        }
        for (const std::string& field : refColumns) {
            ctr->AddRefColumn(field);
            AddDependency(objs, ctr.get(), refTable, 0, 0, field);
        }
        if (Caps_.HasUpdateRule) ctr->UpdateRule = rule(Str(r, "RDB$UPDATE_RULE"), ctr->UpdateRule);
        if (Caps_.HasDeleteRule) ctr->DeleteRule = rule(Str(r, "RDB$DELETE_RULE"), ctr->DeleteRule);
        ++keys;
        if (OnLog) DoLog(1, ctr->GetDisplayName(), keys, count);
        FileConstraint(ctr.release(), dboFKey);
        ProcessMessages();
        if (Stopped()) break;
    }
    CloseAndClear(q);
}

void TIBDBExtract::ExtractChecks() {
    TSMXQuery& q = *Query_;
    DoLogNextLine("Extracting check constraints...");
    SetSQL(q, {"select C.Rdb$Constraint_Name, C.Rdb$Trigger_Name, ",
               "T.Rdb$Trigger_Source, T.Rdb$Relation_Name ", "from Rdb$Check_Constraints C, ",
               "Rdb$Triggers T ", "where T.Rdb$Trigger_Name = C.Rdb$Trigger_Name ",
               "and T.Rdb$Trigger_Type = 1 ", "and T.Rdb$Trigger_Name like 'CHECK_%' "});
    if (IgnoreIBE()) {
        AddSQL(q, " and C.rdb$constraint_name not like 'IBE$%' ");
        AddSQL(q, " and T.rdb$Relation_name not like 'IBE$%' ");
    }
    AddSQL(q, "Order by C.Rdb$Constraint_Name ");
    q.Open();
    for (; !q.GetEof(); q.Next()) {
        auto ctr = std::make_unique<TCtrData>(Objs());
        ctr->SetConstraintType(ctCheck);
        ctr->SetTableName(Str(q, "RDB$RELATION_NAME"));
        const std::string source = Str(q, "RDB$TRIGGER_SOURCE");
        ctr->SetSource(Trim(AdjustLineBreaks(source.size() > 5 ? source.substr(5) : std::string())));
        ctr->CheckSource = SourceText(q, "RDB$TRIGGER_SOURCE");
        ApplyConstraintName(*ctr, Str(q, "RDB$CONSTRAINT_NAME"));
        const std::string line = ctr->GetCreateSQL();
        Objs()->AddObject(ctr.release(), true);
        LogObjectLine(line);
        ProcessMessages();
        if (Stopped()) break;
    }
    CloseAndClear(q);
}

// ---------------------------------------------------------------------------------------------------
// Roles and grants

void TIBDBExtract::ExtractRoles() {
    if (!Caps_.HasRoles) return;
    TSMXQuery& q = *Query_;
    DoLogNextLine("Extracting roles...");
    SetSQL(q, {"Select R.* from RDB$Roles R"});
    if (Caps_.HasRoleSystemFlag) AddSQL(q, "where (Rdb$System_Flag = 0 or Rdb$System_Flag is Null)");
    AddSQL(q, "Order By R.Rdb$Role_Name");
    q.Open();
    for (; !q.GetEof(); q.Next()) {
        auto role = std::make_unique<TRolData>(Objs());
        const std::string name = Str(q, "RDB$ROLE_NAME");
        role->SetName(name);
        role->OwnerName = Str(q, "RDB$OWNER_NAME");
        if (Caps_.HasRoleDescription) role->SetDescription(Fld(q, "RDB$DESCRIPTION").AsString());
        Objs()->AddObject(role.release(), true);
        if (GetShowFullLog()) DoLogNextLine("--- " + name);
        ProcessMessages();
        if (Stopped()) break;
    }
    CloseAndClear(q);
}

namespace {
// The conditions that leave out an owner's own USAGE record on objects of the kinds that have one.
std::string OwnUsageLeftOut() {
    struct TOwned {
        int Type;
        const char* Table;
        const char* NameField;
    };
    static constexpr TOwned owned[] = {{9, "RDB$FIELDS", "RDB$FIELD_NAME"},
                                       {14, "RDB$GENERATORS", "RDB$GENERATOR_NAME"},
                                       {7, "RDB$EXCEPTIONS", "RDB$EXCEPTION_NAME"},
                                       {11, "RDB$CHARACTER_SETS", "RDB$CHARACTER_SET_NAME"},
                                       {17, "RDB$COLLATIONS", "RDB$COLLATION_NAME"}};
    std::string s;
    for (const TOwned& o : owned)
        s += std::string(" AND NOT EXISTS (SELECT 1 FROM ") + o.Table + " OWN WHERE PRV.RDB$OBJECT_TYPE = " +
             std::to_string(o.Type) + " AND OWN." + o.NameField +
             " = PRV.RDB$RELATION_NAME AND OWN.RDB$OWNER_NAME = PRV.RDB$USER)";
    return s;
}
} // namespace

std::string TIBDBExtract::GrantsSQL() const {
    // Every kind of grant the comparison keeps, each read by its own SELECT, all in one statement
    // sorted by kind. Nearly all rows of the privileges are the server's own records for the
    // owners (one for every column's field), so each SELECT starts from the objects it looks for
    // and finds their privileges through an index (an object's name compared as an expression
    // leaves only that index to the server) instead of reading every row.
    struct TGrantKind {
        bool Read;
        std::string FromWhere;
    };
    // Role memberships: from the roles where the server has them (the membership rows name a role).
    const std::string memberships =
        Caps_.HasRoles ? "FROM RDB$ROLES MR JOIN RDB$USER_PRIVILEGES PRV ON PRV.RDB$RELATION_NAME = "
                         "MR.RDB$ROLE_NAME || '' WHERE "
                       : "FROM RDB$USER_PRIVILEGES PRV WHERE ";
    const TGrantKind kinds[] = {
        {true, memberships + "PRV.RDB$OBJECT_TYPE = 13 AND PRV.RDB$USER_TYPE = 8 AND PRV.RDB$PRIVILEGE = "
                             "'M' AND PRV.RDB$RELATION_NAME <> 'RDB$ADMIN'"},
        {true,
         "FROM RDB$RELATIONS REL JOIN RDB$USER_PRIVILEGES PRV ON PRV.RDB$RELATION_NAME = "
         "REL.RDB$RELATION_NAME || '' WHERE PRV.RDB$PRIVILEGE <> 'M' AND REL.RDB$OWNER_NAME <> "
         "PRV.RDB$USER AND REL.RDB$SECURITY_CLASS STARTING WITH 'SQL$' AND (REL.RDB$SYSTEM_FLAG IS NULL "
         "OR REL.RDB$SYSTEM_FLAG = 0)"},
        {true,
         "FROM RDB$PROCEDURES PRC JOIN RDB$USER_PRIVILEGES PRV ON PRV.RDB$RELATION_NAME = "
         "PRC.RDB$PROCEDURE_NAME || '' WHERE PRV.RDB$OBJECT_TYPE = 5 AND PRV.RDB$PRIVILEGE IN ('X', 'G') "
         "AND PRC.RDB$OWNER_NAME <> PRV.RDB$USER"},
        {Caps_.HasFunctionOwner,
         "FROM RDB$FUNCTIONS FNC JOIN RDB$USER_PRIVILEGES PRV ON PRV.RDB$RELATION_NAME = "
         "FNC.RDB$FUNCTION_NAME || '' WHERE PRV.RDB$OBJECT_TYPE = 15 AND PRV.RDB$PRIVILEGE IN ('X', 'G') "
         "AND FNC.RDB$OWNER_NAME <> PRV.RDB$USER"},
        // Packages, DDL rights and USAGE: Firebird 3 on.
        {Caps_.HasPackages,
         "FROM RDB$PACKAGES PKG JOIN RDB$USER_PRIVILEGES PRV ON PRV.RDB$RELATION_NAME = "
         "PKG.RDB$PACKAGE_NAME || '' WHERE PRV.RDB$OBJECT_TYPE = 18 AND PRV.RDB$PRIVILEGE IN ('X', 'G') "
         "AND PKG.RDB$OWNER_NAME <> PRV.RDB$USER"},
        {true,
         "FROM RDB$TRIGGERS TRG JOIN RDB$RELATIONS REL ON REL.RDB$RELATION_NAME = TRG.RDB$RELATION_NAME "
         "JOIN RDB$USER_PRIVILEGES PRV ON PRV.RDB$USER = TRG.RDB$TRIGGER_NAME || '' WHERE "
         "PRV.RDB$USER_TYPE = 2 AND PRV.RDB$PRIVILEGE IN ('X', 'G') AND REL.RDB$OWNER_NAME <> "
         "PRV.RDB$USER"},
        {true,
         "FROM RDB$RELATIONS REL JOIN RDB$USER_PRIVILEGES PRV ON PRV.RDB$USER = REL.RDB$RELATION_NAME || "
         "'' WHERE PRV.RDB$USER_TYPE = 1 AND PRV.RDB$PRIVILEGE IN ('G') AND REL.RDB$OWNER_NAME <> "
         "PRV.RDB$USER"},
        {true,
         "FROM RDB$ROLES ROL JOIN RDB$USER_PRIVILEGES PRV ON PRV.RDB$USER = ROL.RDB$ROLE_NAME || '' WHERE "
         "PRV.RDB$USER_TYPE = 13 AND PRV.RDB$PRIVILEGE IN ('G') AND ROL.RDB$OWNER_NAME <> PRV.RDB$USER"},
        // Every grantee but the two, as ranges of the grantees' index. From Firebird 3 on the
        // server records USAGE for the owner of every domain (each column's own field too),
        // sequence, exception, character set and collation: an owner's own record is no grant.
        {true, "FROM RDB$USER_PRIVILEGES PRV WHERE (PRV.RDB$USER < 'PUBLIC' OR (PRV.RDB$USER > 'PUBLIC' AND "
               "PRV.RDB$USER < 'SYSDBA') OR PRV.RDB$USER > 'SYSDBA') AND PRV.RDB$USER_TYPE = 8 AND "
               "PRV.RDB$PRIVILEGE IN ('G') AND PRV.RDB$USER NOT IN ('SYSDBA','PUBLIC')" +
                   (Caps_.HasPackages ? OwnUsageLeftOut() : std::string())},
        // Firebird 3's DDL rights: CREATE, ALTER ANY and DROP ANY of a metadata class.
        {Caps_.HasPackages,
         "FROM RDB$USER_PRIVILEGES PRV WHERE PRV.RDB$OBJECT_TYPE BETWEEN 20 AND 32 AND PRV.RDB$PRIVILEGE "
         "IN ('C', 'L', 'O') AND PRV.RDB$RELATION_NAME STARTING WITH 'SQL$'"},
        // Firebird 3's USAGE of sequences and exceptions, beside their owners' own.
        {Caps_.HasPackages,
         "FROM RDB$GENERATORS GEN JOIN RDB$USER_PRIVILEGES PRV ON PRV.RDB$RELATION_NAME = "
         "GEN.RDB$GENERATOR_NAME || '' WHERE PRV.RDB$OBJECT_TYPE = 14 AND PRV.RDB$PRIVILEGE = 'G' AND "
         "GEN.RDB$OWNER_NAME <> PRV.RDB$USER"},
        {Caps_.HasPackages,
         "FROM RDB$EXCEPTIONS EXC JOIN RDB$USER_PRIVILEGES PRV ON PRV.RDB$RELATION_NAME = "
         "EXC.RDB$EXCEPTION_NAME || '' WHERE PRV.RDB$OBJECT_TYPE = 7 AND PRV.RDB$PRIVILEGE = 'G' AND "
         "EXC.RDB$OWNER_NAME <> PRV.RDB$USER"},
    };
    const std::string ibe = IgnoreIBE() ? " AND PRV.RDB$RELATION_NAME NOT LIKE 'IBE$%'" : "";
    std::string text;
    for (std::size_t i = 0; i < std::size(kinds); ++i) {
        if (!kinds[i].Read) continue;
        if (!text.empty()) text += " UNION ALL";
        text += " SELECT PRV.RDB$USER, PRV.RDB$GRANTOR, PRV.RDB$PRIVILEGE, PRV.RDB$GRANT_OPTION, "
                "PRV.RDB$RELATION_NAME, PRV.RDB$FIELD_NAME, PRV.RDB$USER_TYPE, PRV.RDB$OBJECT_TYPE, Cast(" +
                std::to_string(i) + " as integer) SRT " + kinds[i].FromWhere + ibe;
    }
    return text + " ORDER BY 9, 1, 6, 4";
}

void TIBDBExtract::ExtractGrants() {
    DoLogNextLine("Extracting grants...");
    ReadGrants(GrantsSQL());
    CloseAndClear(*Query_);
    Objs()->SortGrants();
}

void TIBDBExtract::ReadGrants(const std::string& QueryText) {
    TSMXQuery& q = *Query_;
    TCustomObjs* objs = Objs();
    SetSQL(q, {QueryText});
    std::unique_ptr<TGntData> grant;
    const auto handOver = [&] {
        if (!grant) return;
        if (grant->GranteeName.empty()) {
            grant.reset();
            return;
        }
        TGntData* g = grant.release();
        if (!objs->MergeGrants(g)) delete g;
    };
    const auto privilegeOf = [](char letter) -> std::uint64_t {
        switch (letter) {
        case 'D':
            return std::uint64_t{1} << 3;
        case 'I':
            return std::uint64_t{1} << 1;
        case 'U':
            return std::uint64_t{1} << 2;
        case 'S':
            return std::uint64_t{1} << 4;
        case 'R':
            return std::uint64_t{1} << 6;
        case 'X':
            return std::uint64_t{1} << 5;
        case 'G':
            return std::uint64_t{1} << 43;
        case 'C':
            return std::uint64_t{1} << GrantBitCreate;
        case 'L':
            return std::uint64_t{1} << GrantBitAlterAny;
        case 'O':
            return std::uint64_t{1} << GrantBitDropAny;
        default:
            return 0;
        }
    };
    std::unique_ptr<TSMXQuery> ahead;
    TSMXQuery& r = OpenRows(q, ahead);
    for (; !r.GetEof(); r.Next()) {
        const std::string grantee = Str(r, "RDB$USER");
        const std::string letter = Str(r, "RDB$PRIVILEGE");
        const std::uint64_t privilege = privilegeOf(letter.empty() ? ' ' : letter[0]);
        const int granteeType = Int32(r, "RDB$USER_TYPE");
        const int objectType = Int32(r, "RDB$OBJECT_TYPE");
        // A DDL right names its metadata class by a system name (SQL$TABLES): the class word stands
        // in for the object.
        const bool ddlRight = letter == "C" || letter == "L" || letter == "O";
        const std::string metaClass(ddlRight ? MetadataClassOfObjectType(objectType) : std::string_view());
        const std::string object = metaClass.empty() ? Str(r, "RDB$RELATION_NAME") : std::string();
        const std::string column = Str(r, "RDB$FIELD_NAME");
        const auto option = static_cast<std::uint8_t>(Int(r, "RDB$GRANT_OPTION"));
        const bool same = grant && grant->GranteeName == grantee && grant->ObjectName == object &&
                          grant->MetadataClass == metaClass && grant->GrantOption == option;
        if (same && column.empty() && grant->Columns.Count() == 0) {
            grant->Privileges |= privilege;
        } else if (same && !column.empty() && grant->Privileges == privilege) {
            if (grant->Columns.IndexOf(column) < 0) grant->Columns.Add(column);
        } else {
            handOver();
            grant = std::make_unique<TGntData>(objs);
            grant->GranteeName = grantee;
            grant->ObjectName = object;
            grant->GranteeKind = IBObjectTypeToDbObject(granteeType);
            grant->ObjectKind = metaClass.empty() ? IBObjectTypeToDbObject(objectType) : dboUnknown;
            grant->MetadataClass = metaClass;
            grant->GrantOption = option;
            if (!column.empty()) grant->Columns.Add(column);
            grant->Privileges = privilege;
        }
        ProcessMessages();
        if (Stopped()) break;
    }
    handOver();
    CloseAndClear(q);
}

// ---------------------------------------------------------------------------------------------------
// Body parsing and linking

void TIBDBExtract::ParseBodiesAndLinkDependencies() {
    DoLogNextLine("Parsing bodies...");
    TCustomObjs* objs = Objs();
    // The parser works on the structure's container and its InterBase options.
    TIbExParser parser(this);
    parser.OnErrorMessage = GetOnErrorMessage();
    parser.OnLogNextLine = GetOnLogNextLine();
    for (TObjsList which : {TObjsList::olDomains, TObjsList::olProcedures, TObjsList::olTriggers,
                            TObjsList::olViews, TObjsList::olIndices}) {
        TStringList& list = objs->List(which);
        for (int i = 0; i < list.Count(); ++i)
            if (auto* obj = dynamic_cast<TDbObj*>(list.Objects(i))) parser.ParseBody(obj);
    }
    TStringList& tables = objs->Tables();
    for (int i = 0; i < tables.Count(); ++i) {
        auto* table = dynamic_cast<TTblData*>(tables.Objects(i));
        if (!table) continue;
        for (int f = 0; f < table->FieldCount(); ++f)
            if (TFldData* field = table->Field(f); field && !field->GetSource().empty())
                parser.ParseBody(field);
    }
    TStringList& constraints = objs->Constraints();
    for (int i = 0; i < constraints.Count(); ++i) {
        auto* ctr = dynamic_cast<TCtrData*>(constraints.Objects(i));
        if (ctr && ctr->GetConstraintType() == ctCheck && !ctr->GetSource().empty()) parser.ParseBody(ctr);
    }
    DoLogNextLine("Linking dependencies...");
    // The link passes give script grants a compare kind by their grantee; grants read from a
    // database keep coGrant, which every grant step admits.
    std::vector<std::pair<TGntData*, TCmpObjType>> grantKinds;
    TStringList& grants = objs->Grants();
    for (int i = 0; i < grants.Count(); ++i)
        if (auto* g = dynamic_cast<TGntData*>(grants.Objects(i))) grantKinds.emplace_back(g, g->CompareKind);
    parser.LinkObjects();
    for (const auto& [grant, kind] : grantKinds)
        grant->CompareKind = kind;
    GetMsgManager().AddMessages(&parser.GetMsgManager());
}

} // namespace smx
