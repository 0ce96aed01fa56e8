// smxSchemalyst: extraction through the two extractors, partner linking, existence flags, the
// script header, the character-set step and the fixed step table of a comparison. The steps of
// each object kind live with their kind; the rows below call them in the sequence's order.
#include "model/smxSchemalyst.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <typeinfo>
#include <unordered_map>

#include "model/smxCompSteps.h"
#include "model/smxComp_Clt.h"
#include "model/smxComp_Cnv.h"
#include "model/smxComp_Ctr.h"
#include "model/smxComp_Def.h"
#include "model/smxComp_Dmn.h"
#include "model/smxComp_Exc.h"
#include "model/smxComp_Fnc.h"
#include "model/smxComp_Gnr.h"
#include "model/smxComp_Idx.h"
#include "model/smxComp_Opr.h"
#include "model/smxComp_Pbl.h"
#include "model/smxComp_Pkg.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Rol.h"
#include "model/smxComp_Rul.h"
#include "model/smxComp_Sch.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Trg.h"
#include "model/smxComp_Viw.h"
#include "model/smxDBStructure.h"
#include "model/smxKeywords.h"
#include "model/smxSQL_Exec.h"
#include "platform/smxScopeExit.h"
#include "platform/smxStrUtils.h"

namespace smx {

namespace {

using enum TCmpObjType;
using enum TDatabaseType;

// The kind lists a comparison pairs, in the order in which partners are linked.
constexpr std::array<TObjsList, 22> PairedLists = {
    TObjsList::olSchemas,         TObjsList::olDomains,      TObjsList::olTables,
    TObjsList::olProcedures,      TObjsList::olTriggers,     TObjsList::olGenerators,
    TObjsList::olExceptions,      TObjsList::olFunctions,    TObjsList::olViews,
    TObjsList::olIndices,         TObjsList::olRoles,        TObjsList::olGrants,
    TObjsList::olConstraints,     TObjsList::olPackages,     TObjsList::olDefaults,
    TObjsList::olRules,           TObjsList::olPublications, TObjsList::olOperators,
    TObjsList::olOperatorClasses, TObjsList::olConversions,  TObjsList::olEvents,
    TObjsList::olCollations,
};

constexpr std::string_view CheckOptionClause = "WITH CHECK OPTION";

// Container lists and field lists hold schema objects only, so the entry is cast without a check.
TDbObj* ObjectAt(const TStringList& List, int Index) {
    return static_cast<TDbObj*>(List.Objects(Index));
}

// The table or routine behind an object, by its kind first (a field is neither; no cast needed).
TTblData* AsTable(TDbObj* Obj) {
    return Obj->GetKind() == TDbObject::dboTable ? dynamic_cast<TTblData*>(Obj) : nullptr;
}
TPrcData* AsRoutine(TDbObj* Obj) {
    const TDbObject k = Obj->GetKind();
    return k == TDbObject::dboProcedure || k == TDbObject::dboFunction ? dynamic_cast<TPrcData*>(Obj)
                                                                       : nullptr;
}

// Loads the first bytes of the object at Index (links, flags and kind) for a pass that reads no
// more of it; such a pass is quick, so the look-ahead is long.
void PrefetchHead(const TStringList& List, int Index) {
    if (Index >= 0 && Index < List.Count()) __builtin_prefetch(List.Objects(Index));
}

// Loads ahead what a pass over List reads next: the object two places on, and the entries of the
// next object's field list.
void PrefetchAhead(const TStringList& List, int Index) {
    List.PrefetchObject(Index + 2);
    if (Index + 1 < List.Count())
        if (TDbObj* next = ObjectAt(List, Index + 1))
            if (const TStringList* fields = next->GetFields()) fields->PrefetchItems();
}

// Finds objects of a list by key: binary search in a sorted list; in an unsorted one (field lists
// keep position order) first the entry at the caller's position, then a hash index built on first
// need, so that pairing two lists never loops over both.
class ListLookup {
public:
    explicit ListLookup(const TStringList& List) : list_(List) {}
    TDbObj* Find(const std::string& Key, int Position) {
        if (list_.GetSorted()) {
            int i = 0;
            return list_.Find(Key, i) ? ObjectAt(list_, i) : nullptr;
        }
        // Column names are unique within a list, so an equal entry at the position is the one.
        if (Position >= 0 && Position < list_.Count() && list_.CompareStrings(list_[Position], Key) == 0)
            return ObjectAt(list_, Position);
        if (!indexed_) {
            indexed_ = true;
            index_.reserve(static_cast<std::size_t>(list_.Count()));
            for (int i = 0; i < list_.Count(); ++i)
                index_.emplace(Fold(list_[i]), i); // the first of equal keys stays
        }
        auto it = index_.find(Fold(Key));
        return it == index_.end() ? nullptr : ObjectAt(list_, it->second);
    }

private:
    std::string Fold(std::string_view Key) const {
        return list_.GetCaseSensitive() ? std::string(Key) : UpperCase(Key);
    }
    const TStringList& list_;
    bool indexed_ = false;
    std::unordered_map<std::string, int> index_;
};

// ---------------------------------------------------------------------------------------------------
// The compare sequence. Every step takes the comparer; the steps of the object kinds live with
// their kinds, those written for given containers run through OnComparer.

using TCompareStep = void (*)(TCustomSchemalyst*);

// The comparer's own steps.
void ScriptHeaderStep(TCustomSchemalyst* c) {
    static_cast<TSchemalyst*>(c)->WriteScriptHeader();
}
void DatabaseCharsetStep(TCustomSchemalyst* c) {
    static_cast<TSchemalyst*>(c)->CompareDatabaseCharset();
}
void DatabaseSettingsStep(TCustomSchemalyst* c) {
    static_cast<TSchemalyst*>(c)->CompareDatabaseSettings();
}

// One row of the sequence: its steps, in order, run when any of Kinds is compared (no kind gate
// when empty) and the target's database type is in Types (no type gate when empty). A guarded row
// reports the exceptions of its steps and lets the sequence go on.
struct StepRow {
    TCmpObjSetType Kinds;
    TDatabaseSetType Types;
    bool Guarded;
    std::array<TCompareStep, 6> Steps; // the unused tail is empty
};

constexpr TCmpObjSetType Always{};
constexpr TCmpObjSetType Constraints = ConstraintCmpObjTypes;
constexpr TCmpObjSetType Grants = GrantCmpObjTypes;
constexpr TDatabaseSetType AnyType{};

// Packages: headers of new packages come early (routines created later may call them); drops,
// alterations and the bodies of new packages come late. Defaults are created after the first
// procedure alteration, and only then.
// clang-format off
constexpr std::array<StepRow, 49> StepTable = {{
    /*  1 */ {Always, AnyType, false, {MatchTables}},
    /*  2 */ {Always, AnyType, false, {ScriptHeaderStep}},
    /*  3 */ {Always, AnyType, false, {DatabaseCharsetStep}},
    /*  4 */ {Always, AnyType, false, {CreateCollations, AlterCollations, DatabaseSettingsStep}},
    /*  5 */ {Always, AnyType, false, {CreateSchemas, AlterSchemas}},
    /*  6 */ {Always, {dbPostgreSQL}, false, {CreateConversions, AlterConversions, CreateOperators, AlterOperators,
                                            CreateOperatorClasses, AlterOperatorClasses}},
    /*  7 */ {Always, {dbMSSQL}, false, {CreateRules, CreateDefaults, AlterRules, AlterDefaults}},
    /*  8 */ {Constraints, AnyType, false, {DropConstraints}},
    /*  9 */ {{coDomain}, AnyType, false, {CreateDomains}},
    /* 10 */ {{coFunction}, AnyType, false, {OnComparer<DeclareUdfs>}},
    /* 11 */ {{coTrigger}, AnyType, false, {OnComparer<EmptyTriggersBeforeDrop>}},
    /* 12 */ {{coProcedure}, AnyType, false, {DropProcedures}},
    /* 13 */ {{coTrigger}, AnyType, false, {OnComparer<DropTriggers>}},
    /* 14 */ {{coIndex}, AnyType, false, {DropIndices}},
    /* 15 */ {{coView}, AnyType, false, {OnComparer<DropViews>}},
    /* 16 */ {{coFunction}, AnyType, false, {AlterUdfs}},
    /* 17 */ {{coException}, AnyType, false, {OnComparer<DropExceptions>}},
    /* 18 */ {{coFunction}, AnyType, false, {OnComparer<DropUdfs>}},
    /* 19 */ {{coDomain}, AnyType, false, {AlterDomains}},
    /* 20 */ {{coTable}, AnyType, false, {CreateTables}},
    /* 21 */ {{coTable}, AnyType, false, {AddNewColumns, AlterTables}},
    /* 22 */ {{coTable}, AnyType, false, {DropTables}},
    /* 23 */ {{coProcedure}, AnyType, false, {CreateProcedures}},
    /* 23a*/ {Always, {dbInterBase, dbOracle}, false, {CreatePackageHeaders}},
    /* 24 */ {{coDomain}, AnyType, false, {DropDomains}},
    /* 25 */ {{coView}, AnyType, true, {CreateViews}},
    /* 26 */ {{coView}, AnyType, false, {OnComparer<AlterViews>}},
    /* 27 */ {{coRule}, AnyType, false, {CreateRules}},
    /* 28 */ {{coIndex}, AnyType, false, {CreateIndices}},
    /* 29 */ {{coIndex}, AnyType, false, {AlterIndices}},
    /* 30 */ {{coGenerator}, AnyType, false, {CreateGenerators}},
    /* 31 */ {{coException}, AnyType, false, {OnComparer<CreateExceptions>}},
    /* 32 */ {{coException}, AnyType, false, {OnComparer<AlterExceptions>}},
    /* 33 */ {Constraints, AnyType, false, {CreateConstraintsButDefaults}},
    /* 34 */ {{coProcedure}, AnyType, false, {AlterProcedures, CreateDefaultConstraints}},
    /* 35 */ {{coTrigger}, AnyType, false, {OnComparer<CreateNewTriggers>}},
    /* 36 */ {{coView}, AnyType, false, {CreateViews}},
    /* 37 */ {{coTrigger}, AnyType, false, {AlterTriggers}},
    /* 38 */ {{coGenerator}, AnyType, false, {AlterGenerators, DropGenerators}},
    /* 39 */ {{coProcedure}, AnyType, false, {AlterProcedures}},
    /* 40 */ {Always, {dbMSSQL}, false, {DropDefaults, DropRules}},
    /* 41 */ {Always, {dbInterBase, dbOracle}, false, {DropPackages, AlterPackages, CreatePackages,
                                                     UpdatePackageDescriptions}},
    /* 42 */ {{coTable}, AnyType, false, {UpdateColumnOrder}},
    /* 43 */ {{coTable}, AnyType, false, {DropPublications, AlterPublications, CreatePublications}},
    /* 44 */ {{coRole}, AnyType, false, {CreateRoles, UpdateRoleDescriptions}},
    /* 45 */ {Always, {dbPostgreSQL}, false, {DropOperatorClasses, DropOperators, DropConversions, AlterRules,
                                            DropRules}},
    /* 46 */ {Always, AnyType, false, {CreateEvents, AlterEvents, DropEvents, DropSchemas, DropCollations}},
    /* 47 */ {Grants, AnyType, false, {DropGrants, CreateGrants}},
    /* 48 */ {{coRole}, AnyType, false, {DropRoles}},
}};
// clang-format on

} // namespace

// ===================================================================================================
// Set-up and extraction

// What a comparison may change in the model beyond partners and existence flags.
struct TSchemalyst::SavedState {
    std::string Source;
    std::vector<std::uint8_t> Recreate; // UsedBy records, then DependsOn records
    std::uint8_t BodyEmptied = 0;       // routines and triggers
    bool Changed = false;               // tables; views: the re-create flag
    bool Active = true;                 // an index's flag (AlterIndices copies the master's into the target)
};

TSchemalyst::TSchemalyst(TComponent* AOwner) : TCustomSchemalyst(AOwner) {
    ExtractMaster_ = true;
    ExtractTarget_ = true;
    ExtractionOK_ = true;
}

TSchemalyst::~TSchemalyst() = default;

void TSchemalyst::SetCompareObjects(TCmpObjSetType Value) {
    AssignedCompareObjects_ = Value;
    TCustomSchemalyst::SetCompareObjects(Value);
}

void TSchemalyst::NarrowCompareObjects(TCmpObjSetType Value) {
    TCustomSchemalyst::SetCompareObjects(Value);
}

void TSchemalyst::DoBeforeExtract() {
    GetLogList().Clear();
    MsgManager_.Clear();
    if (OnBeforeExtract) OnBeforeExtract(this);
}

bool TSchemalyst::CheckSide(bool Target) {
    const std::string prefix = std::string(ClassName()) + "(" + GetName() + "): property ";
    bool ok = true;
    if (!(Target ? GetExtractorTarget() : GetExtractorMaster())) {
        DoErrorMessage(prefix + (Target ? "ExtractorTarget" : "ExtractorMaster") + " not assigned.");
        ok = false;
    }
    if (!(Target ? GetDBStructureTarget() : GetDBStructureMaster())) {
        DoErrorMessage(prefix + (Target ? "DBStructureTarget" : "DBStructureMaster") + " not assigned.");
        ok = false;
    }
    return ok;
}

void TSchemalyst::SetUpExtractor(TCustomExtract* Extractor, TCustomDBStructure* Structure) {
    Extractor->SetDBStructure(Structure);
    Extractor->SetShowFullLog(GetShowFullLog());
    TCustomObjs* objs = Structure->GetObjs();
    CompareOptions().CopyInto(objs->ServerOptions());
    Extractor->SetExtractObjects(GetIBCompareOptions().GetExtractOnlyComparedObjects() ? GetCompareObjects()
                                                                                       : AllCmpObjTypes);
    objs->SetCompareObjects(GetCompareObjects());
}

bool TSchemalyst::ExtractStructures() {
    MsgManager_.Clear();
    ExtractMaster_ = true;
    ExtractTarget_ = true;
    ExtractionOK_ = true;
    // A converter may have narrowed the set during the last run; each run starts from the caller's.
    TCustomSchemalyst::SetCompareObjects(AssignedCompareObjects_);
    DoBeforeExtract();

    if (ExtractTarget_) {
        if (OnBeforeExtractTarget) OnBeforeExtractTarget(this);
        if (!CheckSide(true)) return false;
        SetUpExtractor(GetExtractorTarget(), GetDBStructureTarget());
        GetExtractorTarget()->ExtractDatabase();
        SetConnectionOptions(GetTargetObjs()->GetConnectionOptions());
        MsgManager_.AddMessages(&GetExtractorTarget()->GetMsgManager());
        if (OnAfterExtractTarget) OnAfterExtractTarget(this);
    }
    if (ExtractMaster_) {
        if (OnBeforeExtractMaster) OnBeforeExtractMaster(this);
        if (!CheckSide(false)) return false;
        SetUpExtractor(GetExtractorMaster(), GetDBStructureMaster());
        if (MsgManager_.HasErrors()) {
            ExtractionOK_ = false; // the target failed: the master is not read at all
        } else {
            GetExtractorMaster()->ExtractDatabase();
            MsgManager_.AddMessages(&GetExtractorMaster()->GetMsgManager());
            if (OnAfterExtractMaster) OnAfterExtractMaster(this);
        }
    }
    const bool ok = !MsgManager_.HasErrors();
    if (!ok) ExtractionOK_ = false;
    if (TCustomObjs* target = GetTargetObjs()) SetConnectionOptions(target->GetConnectionOptions());
    if (ok && GetMasterObjs() && GetTargetObjs() &&
        GetMasterObjs()->GetDatabaseType() != GetTargetObjs()->GetDatabaseType())
        ConvertMasterStructure();
    DoAfterExtract();
    return ok;
}

void TSchemalyst::DoAfterExtract() {
    TCustomObjs* master = GetMasterObjs();
    TCustomObjs* target = GetTargetObjs();
    if (master && target) {
        PrepareStructures();
        master->CacheObjectScripts();
        target->CacheObjectScripts();
        ResetStates();
        NormalizeStructures();
    }
    if (OnAfterExtract) OnAfterExtract(this);
}

// ===================================================================================================
// Partners, existence flags, normalisation

namespace {

// How a pairing pass treats an object of the source list that has no namesake in the other list.
enum class Unpaired {
    Keep,      // it keeps whatever partner it has
    Drop,      // it loses its partner (and its fields theirs)
    DropStale, // it keeps a partner that the pass before linked to it, else loses it
};

// One pairing pass: how it treats objects without a namesake, and what it has changed. A pass that
// links the field lists of a master table or view with a target's notes the pair when linking them
// the other way round can change nothing (see PairFieldsChecked); the pass the other way round
// then skips the pair, as long as no link has changed since.
struct Pairing {
    struct Checked {
        const TStringList* MasterFields;
        std::uint64_t Changes; // Changes when the pair was checked
    };
    Unpaired Mode;
    const TCustomObjs* OtherObjs;
    std::uint64_t Changes = 0; // links set or dropped so far
    // Target field lists (with their master lists) the pass the other way round leaves as they are.
    std::unordered_map<const TStringList*, Checked>* Unchanging = nullptr;
    bool Record = false; // notes pairs into Unchanging (master to target)
    bool Skip = false;   // skips the pairs noted there (target to master)
};

void SetLink(TDbObj* Obj, TDbObj* Partner, Pairing& Pass) {
    if (Obj->GetPartner() == Partner) return;
    Obj->SetPartner(Partner);
    ++Pass.Changes;
}

// Drops Obj's partner and the partner's link back to Obj.
void Unlink(TDbObj* Obj, Pairing& Pass) {
    if (TDbObj* old = Obj->GetPartner(); old && old->GetPartner() == Obj) SetLink(old, nullptr, Pass);
    SetLink(Obj, nullptr, Pass);
}

// True when Obj's partner belongs to Other and names Obj in turn: a link made by the pass over
// Other's objects, which links or unlinks every one of them.
bool LinkedBy(const TDbObj* Obj, const TCustomObjs* Other) {
    const TDbObj* p = Obj->GetPartner();
    return p && p->GetOwner() == Other && p->GetPartner() == Obj;
}

void UnlinkUnpaired(TDbObj* Obj, Pairing& Pass);

// The name of Obj when it is also its full name, which then needs not be built: a plain column
// (whose GetFullName is the base one) under a database type that keys objects by their short name,
// in a structure that strips no name prefix. nullptr otherwise.
const std::string* NameAsFullName(const TDbObj* Obj) {
    if (typeid(*Obj) != typeid(TFldData)) return nullptr;
    switch (Obj->GetDatabaseType()) {
    case dbMSSQL:
    case dbPostgreSQL:
    case dbSybaseASA:
    case dbOracle:
    case dbDB2:
        return nullptr;
    default:
        break;
    }
    const TCustomObjs* owner = Obj->GetOwner();
    const TCustomDBStructure* structure = owner ? owner->GetStructure() : nullptr;
    if (structure && !structure->GetNamePrefix().empty()) return nullptr;
    return &Obj->GetName();
}

void PairLists(TStringList& Source, TStringList& Other, Pairing& Pass);

// Pairs two field lists as PairLists does, and tells whether pairing them the other way round
// would change nothing: both lists as long and in position order, every column plain and linked
// to the column at its own position in the other list, each name the other list's key there.
// Pairing Other with Source then finds for each column its partner at its own position, whose
// link names it in turn, and leaves both as they are.
bool PairFieldsChecked(TStringList& Source, TStringList& Other, Pairing& Pass) {
    bool unchanging = Source.Count() == Other.Count() && !Source.GetSorted() && !Other.GetSorted();
    for (int i = 0; unchanging && i < Source.Count(); ++i) {
        Source.PrefetchObject(i + 2);
        Other.PrefetchObject(i + 2);
        TDbObj* obj = ObjectAt(Source, i);
        TDbObj* mate = ObjectAt(Other, i);
        const std::string* name = obj ? NameAsFullName(obj) : nullptr;
        const std::string* mateName = mate ? NameAsFullName(mate) : nullptr;
        if (!name || !mateName || obj->GetPartner() != mate || mate->GetPartner() != obj ||
            Other.CompareStrings(Other[i], *name) != 0 || Source.CompareStrings(Source[i], *mateName) != 0) {
            unchanging = false;
            break;
        }
        // obj and mate are linked already: pairing them leaves them as they are.
    }
    if (unchanging) return true;
    // Whatever the check has passed over is linked already; pairing it again changes nothing.
    PairLists(Source, Other, Pass);
    return false;
}

void PairLists(TStringList& Source, TStringList& Other, Pairing& Pass) {
    ListLookup other(Other);
    for (int i = 0; i < Source.Count(); ++i) {
        // The namesake is mostly at the same position (columns) or near it (sorted lists). Field
        // lists are looked ahead into only from a list of objects that have them.
        Source.PrefetchObject(i + 2);
        Other.PrefetchObject(i + 2);
        TDbObj* obj = ObjectAt(Source, i);
        if (!obj) continue;
        TStringList* fields = obj->GetFields(); // tables and views
        if (fields) {
            PrefetchAhead(Source, i);
            PrefetchAhead(Other, i);
        }
        const std::string* name = NameAsFullName(obj);
        TDbObj* mate = name ? other.Find(*name, i) : other.Find(obj->GetFullName(), i);
        if (!mate) {
            UnlinkUnpaired(obj, Pass);
            continue;
        }
        if (obj->GetPartner() != mate) Unlink(obj, Pass);
        if (mate->GetPartner() != obj) Unlink(mate, Pass);
        SetLink(obj, mate, Pass);
        SetLink(mate, obj, Pass);
        TStringList* mateFields = fields ? mate->GetFields() : nullptr;
        if (!fields || !mateFields) continue;
        if (Pass.Skip) {
            auto it = Pass.Unchanging->find(fields);
            if (it != Pass.Unchanging->end() && it->second.MasterFields == mateFields &&
                it->second.Changes == Pass.Changes)
                continue;
        }
        if (!Pass.Record) {
            PairLists(*fields, *mateFields, Pass);
            continue;
        }
        if (PairFieldsChecked(*fields, *mateFields, Pass))
            (*Pass.Unchanging)[mateFields] = {fields, Pass.Changes};
        else
            Pass.Unchanging->erase(mateFields);
    }
}

void UnlinkUnpaired(TDbObj* Obj, Pairing& Pass) {
    if (Pass.Mode == Unpaired::Keep) return;
    if (Pass.Mode == Unpaired::Drop || !LinkedBy(Obj, Pass.OtherObjs)) Unlink(Obj, Pass);
    if (TStringList* fields = Obj->GetFields())
        for (int j = 0; j < fields->Count(); ++j)
            if (TDbObj* f = ObjectAt(*fields, j)) UnlinkUnpaired(f, Pass);
}

} // namespace

void TSchemalyst::LinkPartnerList(TStringList& Source, TStringList& Other) {
    Pairing pass{Unpaired::Keep, nullptr};
    PairLists(Source, Other, pass);
}

void TSchemalyst::LinkPartners(TCustomObjs* Source, TCustomObjs* Other) {
    if (!Source || !Other) return;
    for (TObjsList which : PairedLists)
        LinkPartnerList(Source->List(which), Other->List(which));
}

void TSchemalyst::PrepareStructures() {
    TCustomObjs* master = GetMasterObjs();
    TCustomObjs* target = GetTargetObjs();
    if (!master || !target) return;
    // Both passes pair as LinkPartners does, but no object keeps a partner from an earlier pairing:
    // that partner may have been freed or belong to a structure extracted or replaced since. The
    // result is that of dropping every partner on both sides first; pairs that stay as they were
    // are left untouched.
    std::unordered_map<const TStringList*, Pairing::Checked> unchanging;
    Pairing toTarget{Unpaired::Drop, target};
    toTarget.Unchanging = &unchanging;
    toTarget.Record = true;
    for (TObjsList which : PairedLists)
        PairLists(master->List(which), target->List(which), toTarget);
    // The second pass counts on from the first, so that a noted pair is skipped only while no link
    // has changed since it was noted.
    Pairing toMaster{Unpaired::DropStale, master};
    toMaster.Changes = toTarget.Changes;
    toMaster.Unchanging = &unchanging;
    toMaster.Skip = true;
    for (TObjsList which : PairedLists)
        PairLists(target->List(which), master->List(which), toMaster);

    if (master->GetDatabaseType() != dbInterBase || target->GetDatabaseType() != dbInterBase) return;
    const std::size_t n = CheckOptionClause.size();
    TStringList& views = master->Views();
    for (int i = 0; i < views.Count(); ++i) {
        TDbObj* view = ObjectAt(views, i);
        TDbObj* mate = view ? view->GetPartner() : nullptr;
        if (!mate) continue;
        const std::string& ms = view->GetSource();
        const std::string ts = mate->GetSource();
        if (ms.size() < n || ts.size() < n) continue;
        const std::string masterTail = ms.substr(ms.size() - n);
        const std::string targetTail = ts.substr(ts.size() - n);
        if (UpperCase(masterTail) == CheckOptionClause && UpperCase(targetTail) == CheckOptionClause &&
            masterTail != targetTail)
            mate->SetSource(ts.substr(0, ts.size() - n) + masterTail);
    }
}

void TSchemalyst::ResetStates() {
    TCustomObjs* master = GetMasterObjs();
    TCustomObjs* target = GetTargetObjs();
    if (!master || !target) return;
    auto reset = [](TCustomObjs* objs, bool isMaster) {
        for (TObjsList which : PairedLists) {
            TStringList& list = objs->List(which);
            for (int i = 0; i < list.Count(); ++i) {
                PrefetchAhead(list, i);
                TDbObj* obj = ObjectAt(list, i);
                if (!obj) continue;
                obj->SetExists(!isMaster || obj->GetPartner());
                TTblData* table = AsTable(obj);
                if (!table) continue;
                for (int j = 0; j < table->Fields.Count(); ++j) {
                    table->Fields.PrefetchObject(j + 2);
                    if (TDbObj* f = ObjectAt(table->Fields, j)) f->SetExists(!isMaster || f->GetPartner());
                }
            }
        }
    };
    reset(master, true);
    reset(target, false);
}

void TSchemalyst::NormalizeStructures() {
    TCustomObjs* master = GetMasterObjs();
    TCustomObjs* target = GetTargetObjs();
    if (!master || !target) return;
    // A text stated on one side only takes the other side's value (MySQL) or is cleared (Oracle),
    // so that leaving out a default is no difference.
    auto fillEmpty = [](auto get, auto set, TMySQLTableOptions& a, TMySQLTableOptions& b) {
        if ((a.*get)().empty() && !(b.*get)().empty())
            (a.*set)((b.*get)());
        else if ((b.*get)().empty() && !(a.*get)().empty())
            (b.*set)((a.*get)());
    };
    auto clearOneSided = [](auto& a, auto& b) {
        if (a.empty() != b.empty()) {
            a.clear();
            b.clear();
        }
    };
    switch (target->GetDatabaseType()) {
    case dbMySQL: {
        TStringList& tables = master->Tables();
        for (int i = 0; i < tables.Count(); ++i) {
            TTblData* m = AsTable(ObjectAt(tables, i));
            TTblData* p = m && m->GetPartner() ? AsTable(m->GetPartner()) : nullptr;
            if (!p) continue;
            fillEmpty(&TMySQLTableOptions::GetEngine, &TMySQLTableOptions::SetEngine, m->MySQLOptions,
                      p->MySQLOptions);
            fillEmpty(&TMySQLTableOptions::GetCharSet, &TMySQLTableOptions::SetCharSet, m->MySQLOptions,
                      p->MySQLOptions);
            fillEmpty(&TMySQLTableOptions::GetCollation, &TMySQLTableOptions::SetCollation, m->MySQLOptions,
                      p->MySQLOptions);
        }
        break;
    }
    case dbOracle: {
        const TConnectionOptions& conn = target->GetConnectionOptions();
        const std::string schema = conn.GetDatabaseName() != conn.GetHostName() ? conn.GetDatabaseName() : "";
        if (!schema.empty()) {
            // The keys hold the parent name: every entry is keyed again and the list re-sorted.
            for (TObjsList which : {TObjsList::olGenerators, TObjsList::olTables, TObjsList::olViews,
                                    TObjsList::olConstraints, TObjsList::olIndices, TObjsList::olTriggers}) {
                TStringList& list = master->List(which);
                list.SetSorted(false);
                for (int i = 0; i < list.Count(); ++i)
                    if (TDbObj* o = ObjectAt(list, i)) {
                        o->SetParentName(schema);
                        list.SetString(i, o->GetFullName());
                    }
                list.SetSorted(true);
            }
        }
        TStringList& tables = master->Tables();
        for (int i = 0; i < tables.Count(); ++i) {
            TTblData* m = AsTable(ObjectAt(tables, i));
            TTblData* p = m && m->GetPartner() ? AsTable(m->GetPartner()) : nullptr;
            if (!p) continue;
            MergeTableSpaces(m->TableSpace, p->TableSpace);
            clearOneSided(m->TablespaceName, p->TablespaceName);
            clearOneSided(m->Storage, p->Storage);
        }
        break;
    }
    default:
        break;
    }
}

// ===================================================================================================
// The comparison

namespace {

// A column without source and dependency records: the comparison has nothing of it to give back
// but a source, which it does not write. Such columns are the bulk of a structure and are not saved
// one by one.
bool IsPlainColumn(const TDbObj* Field) {
    if (Field->GetKind() != TDbObject::dboField) return false;
    return !Field->MayHaveSourceOrDependencies() ||
           (Field->GetSource().empty() && Field->GetUsedBy().Empty() && Field->GetDependsOn().Empty());
}

// Calls Visit for every object of the paired lists of Objs and VisitFields for each one's field
// list (tables and views).
template <typename F, typename G> void ForEachObjectAndFieldList(TCustomObjs* Objs, F&& Visit, G&& VisitFields) {
    for (TObjsList which : PairedLists) {
        TStringList& list = Objs->List(which);
        for (int i = 0; i < list.Count(); ++i) {
            PrefetchAhead(list, i);
            TDbObj* obj = ObjectAt(list, i);
            if (!obj) continue;
            Visit(obj);
            if (TStringList* fields = obj->GetFields()) VisitFields(*fields);
        }
    }
}

} // namespace

int TSchemalyst::SaveObjectState(TDbObj* o) {
    TPrcData* routine = AsRoutine(o);
    TTblData* table = AsTable(o);
    auto* trigger = o->GetKind() == TDbObject::dboTrigger ? dynamic_cast<TTrgData*>(o) : nullptr;
    auto* view = o->GetKind() == TDbObject::dboView ? dynamic_cast<TViwData*>(o) : nullptr;
    auto* index = o->GetKind() == TDbObject::dboIndex ? dynamic_cast<TIdxData*>(o) : nullptr;
    const TDependList& usedBy = o->GetUsedBy();
    const TDependList& dependsOn = o->GetDependsOn();
    if (!routine && !table && !trigger && !view && !index && o->GetSource().empty() && usedBy.Empty() &&
        dependsOn.Empty())
        return -1;
    SavedState s;
    s.Source = o->GetSource();
    s.Recreate.reserve(static_cast<std::size_t>(usedBy.Count() + dependsOn.Count()));
    for (int i = 0; i < usedBy.Count(); ++i)
        s.Recreate.push_back(o->UsedByItem(i)->Recreate);
    for (int i = 0; i < dependsOn.Count(); ++i)
        s.Recreate.push_back(o->DependsOnItem(i)->Recreate);
    if (routine) s.BodyEmptied = routine->BodyEmptied;
    if (trigger) s.BodyEmptied = trigger->BodyEmptied;
    if (table) s.Changed = table->Changed;
    if (view) s.Changed = view->GetRecreate();
    if (index) s.Active = index->Active;
    savedStates_.push_back(std::move(s));
    return static_cast<int>(savedStates_.size()) - 1;
}

void TSchemalyst::RestoreObjectState(TDbObj* o, int State) const {
    if (State < 0) {
        if (!o->GetSource().empty()) o->SetSource("");
        return;
    }
    const SavedState& s = savedStates_[static_cast<std::size_t>(State)];
    if (o->GetSource() != s.Source) o->SetSource(s.Source);
    const int usedBy = o->GetUsedBy().Count();
    const int dependsOn = o->GetDependsOn().Count();
    if (static_cast<std::size_t>(usedBy + dependsOn) == s.Recreate.size()) {
        std::size_t k = 0;
        for (int i = 0; i < usedBy; ++i)
            o->UsedByItem(i)->Recreate = s.Recreate[k++];
        for (int i = 0; i < dependsOn; ++i)
            o->DependsOnItem(i)->Recreate = s.Recreate[k++];
    }
    if (TPrcData* p = AsRoutine(o)) p->BodyEmptied = s.BodyEmptied;
    if (TTblData* t = AsTable(o)) t->Changed = s.Changed;
    if (o->GetKind() == TDbObject::dboTrigger)
        if (auto* trg = dynamic_cast<TTrgData*>(o)) {
            trg->BodyEmptied = s.BodyEmptied;
            trg->Recreated = false;
        }
    if (o->GetKind() == TDbObject::dboView)
        if (auto* v = dynamic_cast<TViwData*>(o)) v->SetRecreate(s.Changed);
    if (o->GetKind() == TDbObject::dboIndex)
        if (auto* index = dynamic_cast<TIdxData*>(o)) index->Active = s.Active;
}

void TSchemalyst::SaveModelState() {
    savedEntries_.clear();
    savedStates_.clear();
    savedFields_.clear();
    savedFieldLists_.clear();
    columnSourceWrites_ = TDbObj::ColumnSourceWrites();
    auto save = [this](TDbObj* o) { savedEntries_.push_back({o, SaveObjectState(o)}); };
    auto saveFields = [this](TStringList& fields) {
        bool kept = false;
        for (int j = 0; j < fields.Count(); ++j) {
            PrefetchHead(fields, j + 6);
            TDbObj* f = ObjectAt(fields, j);
            if (!f || IsPlainColumn(f)) continue;
            savedFields_.emplace(f, SaveObjectState(f));
            kept = true;
        }
        if (kept) savedFieldLists_.insert(&fields);
    };
    ForEachObjectAndFieldList(GetMasterObjs(), save, saveFields);
    ForEachObjectAndFieldList(GetTargetObjs(), save, saveFields);
}

void TSchemalyst::RestoreModelState() {
    // Walks the live objects in the order they were saved; an object the comparison added or
    // freed (none of the steps does) shifts the order, and the rest is then matched by address.
    // Fields are found by address; a plain column only loses a source it was given, so the field
    // lists without saved fields are walked only when a column's source was written meanwhile.
    std::unordered_map<const TDbObj*, int> byAddress;
    std::size_t next = 0;
    auto restore = [&](TDbObj* o) {
        int state = -1;
        if (next < savedEntries_.size() && savedEntries_[next].Obj == o) {
            state = savedEntries_[next++].State;
        } else {
            if (byAddress.empty())
                for (const SavedEntry& e : savedEntries_)
                    byAddress.emplace(e.Obj, e.State);
            auto it = byAddress.find(o);
            if (it == byAddress.end()) return;
            state = it->second;
        }
        RestoreObjectState(o, state);
    };
    const bool columnSourcesWritten = TDbObj::ColumnSourceWrites() != columnSourceWrites_;
    auto restoreFields = [&](TStringList& fields) {
        if (!columnSourcesWritten && !savedFieldLists_.contains(&fields)) return;
        for (int j = 0; j < fields.Count(); ++j) {
            fields.PrefetchObject(j + 2);
            TDbObj* f = ObjectAt(fields, j);
            if (!f) continue;
            auto it = savedFields_.find(f);
            if (it != savedFields_.end())
                RestoreObjectState(f, it->second);
            else if (columnSourcesWritten)
                RestoreObjectState(f, -1);
        }
    };
    if (GetMasterObjs()) ForEachObjectAndFieldList(GetMasterObjs(), restore, restoreFields);
    if (GetTargetObjs()) ForEachObjectAndFieldList(GetTargetObjs(), restore, restoreFields);
    savedEntries_.clear();
    savedStates_.clear();
    savedFields_.clear();
    savedFieldLists_.clear();
}

void TSchemalyst::DoBeforeCompare() {
    TCustomObjs* master = GetMasterObjs();
    TCustomObjs* target = GetTargetObjs();
    GetLogList().Clear();
    MsgManager_.Clear();
    for (TCustomObjs* objs : {master, target}) {
        objs->StateTexts[0].clear();
        objs->StateTexts[1].clear();
    }
    PrepareStructures();
    master->CacheObjectScripts();
    target->CacheObjectScripts();
    ResetStates();
    master->ForgetGrantIndex();
    target->ForgetGrantIndex();
    if (OnBeforeCompare) OnBeforeCompare(this);
}

void TSchemalyst::DoAfterCompare() {
    if (OnAfterCompare) OnAfterCompare(this);
}

void TSchemalyst::CompareStructures() {
    if (!ExtractionOK_) return;
    const std::string prefix = std::string(ClassName()) + "(" + GetName() + "): property ";
    if (!GetDBStructureTarget()) {
        DoErrorMessage(prefix + "DBStructureTarget not assigned.");
        return;
    }
    if (!GetDBStructureMaster()) {
        DoErrorMessage(prefix + "DBStructureMaster not assigned.");
        return;
    }
    TCustomObjs* master = GetMasterObjs();
    TCustomObjs* target = GetTargetObjs();
    if (!master || !target) return;

    // However the sequence ends, the master leaves comparing mode and the model returns to its
    // extracted state, so that the next comparison writes the same script.
    SaveModelState();
    // (The master container is fetched again at the end: a handler may have unassigned it.)
    ScopeExit finish([this] {
        if (TCustomObjs* m = GetMasterObjs()) m->Comparing = 0;
        RestoreModelState();
    });
    DoBeforeCompare();

    if (!GetSQLExec()) {
        auto own = std::make_unique<TSQLExec>();
        own->OnErrorMessage = OnErrorMessage;
        own->OnLogNextLine = OnLogNextLine;
        own->OnProgressUpdate = OnProgressUpdate;
        SetOwnSQLExec(std::move(own));
    }
    TCustomSQLExec* exec = GetSQLExec();
    // The own executor renders in the target's dialect (SET TERM blocks, reconnects, GO).
    if (exec == GetOwnSQLExec()) exec->SetDatabaseType(target->GetDatabaseType());
    exec->ClearStatements();
    // The comparer's compare options go into both containers before the executor copies the
    // target's, so that the header, the texts and the executor follow the same options.
    master->GetIBServerOptions().SetIBCompareOptions(GetIBCompareOptions());
    target->GetIBServerOptions().SetIBCompareOptions(GetIBCompareOptions());
    if (auto* sqlExec = dynamic_cast<TSQLExec*>(exec)) {
        sqlExec->SetIBServerOptions(target->GetIBServerOptions());
        sqlExec->SetMSSQLServerOptions(target->GetMSSQLServerOptions());
        sqlExec->SetMySQLServerOptions(target->GetMySQLServerOptions());
        sqlExec->SetConnectionOptions(target->GetConnectionOptions());
    }
    master->SetSQLExec(exec);
    target->SetSQLExec(exec);
    SetConnectionOptions(target->GetConnectionOptions());

    master->Comparing = 1;
    DoLogNextLine("Comparing databases...");
    RunSteps();
    DoAfterCompare();
}

void TSchemalyst::RunSteps() {
    const TDatabaseType type = GetTargetObjs()->GetDatabaseType();
    for (const StepRow& row : StepTable) {
        if (!row.Kinds.empty() && (GetCompareObjects() * row.Kinds).empty()) continue;
        if (!row.Types.empty() && !row.Types.contains(type)) continue;
        auto run = [&] {
            for (TCompareStep step : row.Steps)
                if (step) step(this);
        };
        if (!row.Guarded) {
            run();
            continue;
        }
        try {
            run();
        } catch (const std::exception& e) {
            DoErrorMessage(e.what());
        }
    }
}

// ===================================================================================================
// Script header and character set

void TSchemalyst::WriteScriptHeader() {
    TCustomObjs* master = GetMasterObjs();
    TCustomObjs* target = GetTargetObjs();
    TCustomSQLExec* exec = GetSQLExec();
    if (!master || !target || !exec) return;
    const TConnectionOptions& conn = GetConnectionOptions();
    const std::string& db = conn.GetDatabaseName();
    switch (target->GetDatabaseType()) {
    case dbInterBase: {
        const TIBServerOptions& ib = target->GetIBServerOptions();
        const std::string info = ib.GetDatabaseInfoText();
        if (!Trim(info).empty()) exec->AddComment(info + "\r\n");
        const std::string names = ib.GetSetNamesSQL();
        if (!Trim(names).empty()) exec->AddStatement(names, TStatType::stSetNames, ib.GetDBCharSet());
        const int dialect = ib.GetSQLDialect();
        if (dialect == 2 || dialect == 3)
            exec->AddStatement(ib.GetSetSQLDialectSQL(), TStatType::stSqlDialect, IntToStr(dialect));
        exec->AddStatement(
            GetDBStructureTarget()->GetIBServerOptions().GetConnectSQL(target->GetConnectionOptions()),
            TStatType::stConnect);
        if (!ib.GetIBCompareOptions().GetGenerateCOMMIT())
            exec->AddStatement("SET AUTODDL ON", TStatType::stSet);
        break;
    }
    case dbMySQL: {
        const TMySQLServerOptions& my = target->GetMySQLServerOptions();
        if (!my.GetCharSet().empty())
            exec->AddStatement("SET CHARACTER SET " + my.GetCharSet(), TStatType::stCharSet);
        if (!my.GetNames().empty()) exec->AddStatement("SET NAMES " + my.GetNames(), TStatType::stSetNames);
        if (!db.empty()) exec->AddStatement("USE " + db, TStatType::stConnect);
        break;
    }
    case dbMSSQL: {
        const TMSSQLServerOptions& ms = target->GetMSSQLServerOptions();
        if (!ms.GetDBCharSet().empty())
            exec->AddStatement("-- Default character set: " + ms.GetDBCharSet() + "\r\n",
                               TStatType::stComment);
        if (!ms.GetCollation().empty())
            exec->AddStatement("-- Default collation: " + ms.GetCollation() + "\r\n", TStatType::stComment);
        if (!db.empty()) exec->AddStatement("USE " + db, TStatType::stConnect);
        break;
    }
    case dbSybaseASE: {
        const TASEDatabaseOptions& facts = target->GetASEServerOptions().GetASEDatabaseOptions();
        const TASEDatabaseOptions& masterFacts = master->GetASEServerOptions().GetASEDatabaseOptions();
        auto comment = [exec](std::string_view label, const std::string& value) {
            if (!value.empty()) exec->AddComment(std::string(label) + value);
        };
        comment("-- ", facts.GetServerVersion());
        comment("-- Database: ", db);
        comment("-- Size    : ", facts.GetSize());
        comment("-- Owner   : ", facts.GetOwner());
        comment("-- Created : ", facts.GetCreated());
        comment("-- Options : ", facts.GetOptions());
        if (!facts.GetServerVersion().empty()) exec->AddComment("\r\n");
        if (!db.empty()) exec->AddStatement("use " + db, TStatType::stConnect);
        const int changed = (masterFacts.GetOptionWord() ^ facts.GetOptionWord()) & 0xFFFF;
        if (GetASECompareOptions().GetCompareDBOptions() && changed != 0 && !db.empty()) {
            for (int n = 0; n < TASEDatabaseOptions::OptionCount; ++n)
                if (changed & (1 << n))
                    WriteASEDatabaseOptions(n, (masterFacts.GetOptionWord() & (1 << n)) != 0);
            exec->AddStatement("checkpoint", TStatType::stStatement, db, TDbObject::dboDatabase);
        }
        break;
    }
    case dbOracle:
        if (!conn.GetUserName().empty())
            exec->AddComment("-- CONNECT " + conn.GetUserName() + "/*****" + "@" + db + ";");
        if (!db.empty() && db != conn.GetHostName())
            exec->AddStatement("ALTER SESSION SET CURRENT_SCHEMA = " + db, TStatType::stSet);
        break;
    default:
        break;
    }
}

void TSchemalyst::WriteASEDatabaseOptions(int Option, bool Value) {
    TCustomSQLExec* exec = GetSQLExec();
    if (!exec) return;
    const std::string& db = GetConnectionOptions().GetDatabaseName();
    exec->AddStatement("exec master.dbo.sp_dboption " + db + ", " +
                           QuotedStr(TASEDatabaseOptions::GetOptionName(Option)) + ", " +
                           (Value ? "True" : "False"),
                       TStatType::stStatement, db, TDbObject::dboDatabase, TDbOperation::odbAlter);
}

void TSchemalyst::CompareDatabaseCharset() {
    using enum TIBSQLServerVersionType;
    TCustomObjs* master = GetMasterObjs();
    TCustomObjs* target = GetTargetObjs();
    TCustomSQLExec* exec = GetSQLExec();
    if (!master || !target || !exec) return;
    if (target->GetDatabaseType() != dbInterBase || !GetIBCompareOptions().GetDbCharsetCompare()) return;
    const std::string& charset = master->GetIBServerOptions().GetDBCharSet();
    if (charset == target->GetIBServerOptions().GetDBCharSet()) return;
    const TIBSQLServerVersionType version = target->GetIBServerOptions().GetSQLServerVersion();
    std::string names;
    if (!charset.empty()) {
        if (version >= st_Firebird_30) {
            exec->AddStatement("ALTER DATABASE SET DEFAULT CHARACTER SET " + charset, TStatType::stStatement);
            exec->AddComment("/* Database charset: " + charset + " */\r\n");
        } else {
            exec->AddStatement("UPDATE RDB$DATABASE SET RDB$CHARACTER_SET_NAME = " + QuotedStr(charset),
                               TStatType::stStatement);
        }
        names = charset;
    } else {
        if (version == st_Firebird_30) {
            exec->AddStatement("ALTER DATABASE SET DEFAULT CHARACTER SET NONE", TStatType::stStatement);
            exec->AddComment("/* Database charset: <none> */\r\n");
        } else {
            exec->AddStatement("UPDATE RDB$DATABASE SET RDB$CHARACTER_SET_NAME = Null",
                               TStatType::stStatement);
        }
        names = "NONE";
    }
    exec->AddStatement("SET NAMES " + names, TStatType::stCharSet);
    exec->AddReconnect();
}

void TSchemalyst::CompareDatabaseSettings() {
    using enum TIBSQLServerVersionType;
    TCustomObjs* master = GetMasterObjs();
    TCustomObjs* target = GetTargetObjs();
    TCustomSQLExec* exec = GetSQLExec();
    if (!master || !target || !exec || target->GetDatabaseType() != dbInterBase ||
        master->GetDatabaseType() != dbInterBase)
        return;
    const TIBSQLServerVersionType version = target->GetIBServerOptions().GetSQLServerVersion();
    if (version < st_Firebird_25 || version == st_InterBase_2020) return;
    const TIBDatabaseOptions& m = master->GetIBServerOptions().GetIBDatabaseOptions();
    const TIBDatabaseOptions& t = target->GetIBServerOptions().GetIBDatabaseOptions();
    bool header = false;
    auto add = [&](const std::string& Text, const std::string& Name) {
        if (!header) exec->AddComment("/* Database settings... */");
        header = true;
        exec->AddStatement(Text, TStatType::stStatement, Name, TDbObject::dboDatabase,
                           TDbOperation::odbAlter);
    };
    // The default collations first: the domains and columns created later take them.
    std::map<std::string, std::string> charsets = t.GetCharSetCollations();
    charsets.insert(m.GetCharSetCollations().begin(), m.GetCharSetCollations().end());
    for (const auto& [charset, unused] : charsets) {
        const std::string collation = m.GetDefaultCollation(charset);
        if (collation != t.GetDefaultCollation(charset))
            add("ALTER CHARACTER SET " + QuoteName(charset) + " SET DEFAULT COLLATION " +
                    QuoteName(collation),
                charset);
    }
    if (version >= st_Firebird_30 && m.GetLinger() != t.GetLinger())
        add(m.GetLinger() > 0 ? "ALTER DATABASE SET LINGER TO " + IntToStr(m.GetLinger())
                              : std::string("ALTER DATABASE DROP LINGER"),
            "LINGER");
    if (header) exec->AddComment("\r\n");
}

// ===================================================================================================
// Database-type conversion of the master

namespace {

using TCode = std::uint8_t;

// Old name -> new name of the tables, columns (per old table name) and domains a converter renamed;
// a name that is not recorded goes through the converter's own rule, so that what refers to a
// renamed object follows it.
class TNameMap {
public:
    using Rule = std::function<std::string(const std::string&)>;
    TNameMap(Rule TableRule, Rule ColumnRule, Rule DomainRule)
        : tableRule_(std::move(TableRule)), columnRule_(std::move(ColumnRule)),
          domainRule_(std::move(DomainRule)) {}

    void AddTable(const std::string& Old, const std::string& New) { tables_[Old] = New; }
    void AddColumn(const std::string& OldTable, const std::string& Old, const std::string& New) {
        columns_[OldTable][Old] = New;
    }
    void AddDomain(const std::string& Old, const std::string& New) { domains_[Old] = New; }

    std::string Table(const std::string& Old) const {
        auto it = tables_.find(Old);
        return it != tables_.end() ? it->second : tableRule_(Old);
    }
    std::string Column(const std::string& OldTable, const std::string& Old) const {
        auto t = columns_.find(OldTable);
        if (t != columns_.end())
            if (auto c = t->second.find(Old); c != t->second.end()) return c->second;
        return columnRule_(Old);
    }
    std::string Domain(const std::string& Old) const {
        auto it = domains_.find(Old);
        return it != domains_.end() ? it->second : domainRule_(Old);
    }

private:
    Rule tableRule_, columnRule_, domainRule_;
    std::map<std::string, std::string> tables_;
    std::map<std::string, std::map<std::string, std::string>> columns_;
    std::map<std::string, std::string> domains_;
};

std::string Same(const std::string& s) {
    return s;
}

TDbObj* ObjAt(TStringList& list, int i) {
    return dynamic_cast<TDbObj*>(list.Objects(i));
}

// Every entry keyed again with its object's current full name; the list sorted again after.
void Rekey(TStringList& list) {
    list.SetSorted(false);
    for (int i = 0; i < list.Count(); ++i)
        if (TDbObj* o = ObjAt(list, i)) list.SetString(i, o->GetFullName());
    list.SetSorted(true);
}

// A column list (of a table, index or constraint) renamed through Rename, entries and objects.
void RenameColumnList(TStringList& list, const std::function<std::string(const std::string&)>& Rename) {
    for (int i = 0; i < list.Count(); ++i) {
        const std::string name = Rename(list[i]);
        list.SetString(i, name);
        if (TDbObj* o = ObjAt(list, i)) o->SetName(name);
    }
}

// What refers to tables, columns and domains follows their new names.
void RenameReferences(TCustomObjs* objs, const TNameMap& map, bool Constraints = true) {
    if (Constraints) {
        TStringList& list = objs->Constraints();
        for (int i = 0; i < list.Count(); ++i) {
            auto* c = dynamic_cast<TCtrData*>(ObjAt(list, i));
            if (!c) continue;
            const std::string table = c->TableName, ref = c->RefTableName;
            c->SetTableName(map.Table(table));
            if (!ref.empty()) c->SetRefTableName(map.Table(ref));
            RenameColumnList(c->Columns, [&](const std::string& n) { return map.Column(table, n); });
            RenameColumnList(c->RefColumns, [&](const std::string& n) { return map.Column(ref, n); });
        }
    }
    TStringList& indices = objs->Indices();
    for (int i = 0; i < indices.Count(); ++i) {
        auto* x = dynamic_cast<TIdxData*>(ObjAt(indices, i));
        if (!x) continue;
        const std::string table = x->TableName;
        x->TableName = map.Table(table);
        RenameColumnList(x->Columns, [&](const std::string& n) { return map.Column(table, n); });
        RenameColumnList(x->IncludeColumns, [&](const std::string& n) { return map.Column(table, n); });
    }
    TStringList& tables = objs->Tables();
    for (int i = 0; i < tables.Count(); ++i)
        if (auto* t = dynamic_cast<TTblData*>(ObjAt(tables, i)))
            for (int j = 0; j < t->FieldCount(); ++j)
                if (TFldData* f = t->Field(j); f && !f->DomainName.empty())
                    f->DomainName = map.Domain(f->DomainName);
}

// Renames a table and its columns through the map's rules, recording both, and re-keys the column
// list; each column's table name follows the table.
void RenameTable(TTblData* t, TNameMap& map, const std::function<std::string(const std::string&)>& TableRule,
                 const std::function<std::string(const std::string&)>& ColumnRule) {
    const std::string old = t->GetName();
    const std::string name = TableRule(old);
    map.AddTable(old, name);
    t->SetName(name);
    for (int j = 0; j < t->FieldCount(); ++j) {
        TFldData* f = t->Field(j);
        if (!f) continue;
        const std::string col = ColumnRule(f->GetName());
        map.AddColumn(old, f->GetName(), col);
        f->SetName(col);
        t->Fields.SetString(j, col);
        f->TableName = name;
    }
}

// The type record of a domain (nullptr for another object).
TFldData* DomainType(TDbObj* d) {
    auto* dmn = dynamic_cast<TDmnData*>(d);
    return dmn ? &dmn->Type() : nullptr;
}

// The base-type text of an MS SQL or SQL Anywhere user type: the type's name ("INT" for INTEGER),
// with the length of VARCHAR and CHAR.
std::string UserTypeText(const TColumnAttrs& t) {
    std::string s = t.DataType == 1 ? "INT" : std::string(GetDataTypeName(t.DataType));
    if (t.DataType == 14 || t.DataType == 15) s += "(" + IntToStr(t.Length) + ")";
    return s;
}

void ClearPrecisionUnlessNumeric(TColumnAttrs& f) {
    if (f.DataType != 46 && f.DataType != 47) {
        f.Precision = 0;
        f.Scale = 0;
    }
}

bool IsIntegerText(std::string_view s) {
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) s.remove_prefix(1);
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A name MySQL accepts unquoted in a script: a keyword (looked up upper-cased) gets "_" appended,
// every blank becomes "_"; the case stays.
std::string MySQLSafeName(const std::string& Name) {
    std::string s = Name;
    if (FindMySQLKeyword(UpperCase(s)) != IdentTokenCode) s += "_";
    std::replace(s.begin(), s.end(), ' ', '_');
    return s;
}

// A PostgreSQL name: lower-cased when the lower-cased form needs no quotes, else as it is.
std::string PGName(const std::string& Name) {
    const std::string lower = LowerCase(Name);
    return PGSQLNeedsQuotes(lower) ? Name : lower;
}

// A number for a MySQL default: DOUBLE in the shortest form that reads back as the same value,
// DECIMAL fixed to the column's scale; the text unchanged when it is no number.
std::string MySQLNumber(const std::string& Text, const TColumnAttrs& f) {
    const std::string t = Trim(Text);
    double v = 0;
    const char* end = t.data() + t.size();
    auto [ptr, ec] = std::from_chars(t.data(), end, v);
    if (ec != std::errc() || ptr != end || !std::isfinite(v)) return Text;
    std::array<char, 64> buf{};
    std::to_chars_result r{};
    if (f.DataType == 47)
        r = std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::fixed,
                          std::max(0, f.Scale));
    else
        r = std::to_chars(buf.data(), buf.data() + buf.size(), v);
    if (r.ec != std::errc()) return Text;
    const std::string out(buf.data(), r.ptr);
    if (f.DataType != 47) {
        double back = 0;
        std::from_chars(out.data(), out.data() + out.size(), back);
        if (back != v) return Text;
    }
    return out;
}

} // namespace

std::string TSchemalyst::TruncateName(std::string_view Name) {
    return std::string(Name.size() >= 32 ? Name.substr(0, 31) : Name);
}

void TSchemalyst::TruncateObjectNames(TDbObj* Obj) {
    if (!Obj) return;
    Obj->SetName(TruncateName(Obj->GetName()));
    Obj->SetParentName("");
}

std::string TSchemalyst::ConvertDefaultToIB(std::string_view Default) const {
    std::string s(Default);
    // Drops an outer pair only when its "(" closes at the very end ("(1)+(2)" keeps both pairs);
    // parentheses inside quoted text do not count.
    auto enclosed = [](const std::string& t) {
        if (t.size() < 2 || t.front() != '(' || t.back() != ')') return false;
        int depth = 0;
        char quote = 0;
        for (std::size_t i = 0; i < t.size(); ++i) {
            const char c = t[i];
            if (quote) {
                if (c == quote) quote = 0;
                continue;
            }
            if (c == '\'' || c == '"') {
                quote = c;
            } else if (c == '(') {
                ++depth;
            } else if (c == ')' && --depth == 0) {
                return i == t.size() - 1;
            }
        }
        return false;
    };
    while (enclosed(s))
        s = s.substr(1, s.size() - 2);
    const std::string upper = UpperCase(s);
    if (upper == "GETDATE()") {
        const TCustomObjs* target = GetTargetObjs();
        const bool before6 = target && target->GetIBServerOptions().GetSQLServerVersion() <
                                           TIBSQLServerVersionType::st_InterBase_6x;
        return before6 ? "'TODAY'" : "CURRENT_DATE";
    }
    if (upper == "NEWID()") return {};
    return s;
}

void TSchemalyst::ConvertFieldTypeToIB(TColumnAttrs& f, const std::string& Unicode) const {
    const bool fromMSSQL = GetMasterObjs() && GetMasterObjs()->GetDatabaseType() == dbMSSQL;
    auto blobText = [&f](bool unicode, const std::string& cs) {
        f.DataType = 41;
        f.SubType = 1;
        f.Length = 0;
        if (unicode) f.CharSetName = cs;
    };
    switch (f.DataType) {
    case 50: // NVARCHAR
        if (f.Length == -1 && fromMSSQL) {
            blobText(true, Unicode);
        } else {
            f.DataType = 14;
            f.CharSetName = Unicode;
        }
        break;
    case 14:
        if (f.Length == -1 && fromMSSQL) blobText(false, Unicode);
        break;
    case 49:
        f.DataType = 15;
        f.CharSetName = Unicode;
        break;
    case 48:
        blobText(false, Unicode);
        break;
    case 52:
    case 85:
        blobText(true, Unicode);
        break;
    case 73:
    case 74:
        f.Precision = f.DataType == 73 ? 18 : 9;
        f.Scale = 4;
        f.DataType = 46;
        break;
    case 71: {
        f.DataType = 54;
        // A bit default is kept only as an integer.
        if (!f.DefaultValue.empty() && !IsIntegerText(ConvertDefaultToIB(f.DefaultValue)))
            f.DefaultValue.clear();
        break;
    }
    case 23:
        f.DataType = 20;
        break;
    case 8:
    case 96:
        f.DataType = 54;
        break;
    case 9:
        f.DataType = 3;
        break;
    case 10:
        f.DataType = 4;
        break;
    case 76:
    case 77:
        f.DataType = 41;
        f.SubType = 0;
        f.Length = 0;
        break;
    case 79:
        f.DataType = 14;
        f.Length = 38;
        break;
    default:
        break;
    }
    if (!f.DefaultValue.empty()) f.DefaultValue = ConvertDefaultToIB(DefaultValueText(f.DefaultValue));
    f.CollationName.clear();
    f.CollationID = 0;
}

void TSchemalyst::ConvertMasterStructure() {
    TCustomObjs* master = GetMasterObjs();
    TCustomObjs* target = GetTargetObjs();
    if (!master || !target || master->GetDatabaseType() == target->GetDatabaseType()) return;
    switch (target->GetDatabaseType()) {
    case dbInterBase:
        ConvertToIB();
        break;
    case dbSybaseASA:
        ConvertToSybase();
        break;
    case dbMySQL:
        ConvertToMySQL();
        break;
    case dbMSSQL:
        ConvertToMSSQL();
        break;
    case dbPostgreSQL:
        ConvertToPostgreSQL();
        break;
    default:
        break;
    }
}

void TSchemalyst::ConvertToIB() {
    auto* master = dynamic_cast<TObjs*>(GetMasterObjs());
    TCustomObjs* target = GetTargetObjs();
    if (!master || !target) return;
    DoLogNextLine("Convert master-database to IB/FB-database...");
    NarrowCompareObjects(GetCompareObjects() - TCmpObjSetType{coFunction, coView, coProcedure, coTrigger,
                                                              coGrant, coDefault, coCtrDefault});
    using V = TIBSQLServerVersionType;
    const V version = target->GetIBServerOptions().GetSQLServerVersion();
    const std::string unicode =
        version == V::st_Firebird_20 || version == V::st_Firebird_21 || version == V::st_Firebird_25
            ? "UTF8"
            : "UNICODE_FSS";
    const bool fromMSSQL = master->GetDatabaseType() == dbMSSQL;
    auto truncate = [](const std::string& n) { return TruncateName(n); };
    TNameMap map(truncate, truncate, truncate);

    TStringList& domains = master->Domains();
    for (int i = 0; i < domains.Count(); ++i) {
        TDbObj* d = ObjAt(domains, i);
        if (!d) continue;
        const std::string old = d->GetName();
        TruncateObjectNames(d);
        map.AddDomain(old, d->GetName());
        if (TFldData* type = DomainType(d)) {
            ConvertFieldTypeToIB(*type, unicode);
            if (static_cast<TDmnData*>(d)->IsXmlSchemaCollection()) {
                type->DataType = 41;
                type->SubType = 1;
            }
        }
    }
    Rekey(domains);

    TStringList& tables = master->Tables();
    for (int i = 0; i < tables.Count(); ++i) {
        auto* t = dynamic_cast<TTblData*>(ObjAt(tables, i));
        if (!t) continue;
        // Columns of more than 31 characters would not fit either.
        RenameTable(t, map, truncate, truncate);
        t->SetParentName("");
        for (int j = 0; j < t->FieldCount(); ++j) {
            TFldData* f = t->Field(j);
            if (!f) continue;
            const bool sysname =
                f->DataType == 80 || (f->DataType == DomainDataType && SameText(f->DomainName, "SYSNAME"));
            if (sysname && fromMSSQL) {
                f->DataType = 14;
                f->Length = 256;
                f->DomainName.clear();
                f->CharSetName = unicode;
            }
            ConvertFieldTypeToIB(*f, unicode);
        }
    }
    Rekey(tables);

    RenameReferences(master, map, false);
    TStringList& constraints = master->Constraints();
    for (int i = 0; i < constraints.Count(); ++i) {
        auto* c = dynamic_cast<TCtrData*>(ObjAt(constraints, i));
        if (!c) continue;
        const std::string table = c->TableName, ref = c->RefTableName;
        TruncateObjectNames(c);
        c->OverrideName = TruncateName(c->OverrideName);
        c->SetTableName(map.Table(table));
        c->SetRefTableName(ref.empty() ? ref : map.Table(ref));
        c->SetRefTableOwner("");
        RenameColumnList(c->Columns, [&](const std::string& n) { return map.Column(table, n); });
        RenameColumnList(c->RefColumns, [&](const std::string& n) { return map.Column(ref, n); });
        if (c->GetConstraintType() == ctDefault && c->Columns.Count() > 0) {
            if (TFldData* f = master->FindTableField(c->TableName, c->Columns[0]))
                f->DefaultValue = ConvertDefaultToIB(c->GetSource());
            // Its value now lives in the column: the constraint itself is never written.
            c->SetExists(true);
            c->Ignore = 1;
        }
    }
    Rekey(constraints);
    Rekey(master->Indices());
    master->SetDatabaseType(dbInterBase);
}

void TSchemalyst::ConvertToMySQL() {
    auto* master = dynamic_cast<TObjs*>(GetMasterObjs());
    if (!master) return;
    DoLogNextLine("Convert master-database to MySQL-database...");
    NarrowCompareObjects(GetCompareObjects() - TCmpObjSetType{coDomain, coFunction, coGenerator, coException,
                                                              coView, coProcedure, coTrigger, coRole,
                                                              coGrant});
    const bool fromIB = master->GetDatabaseType() == dbInterBase;
    const bool dialect1 = fromIB && master->GetIBServerOptions().GetSQLDialect() == 1;
    auto tableRule = [](const std::string& n) { return MySQLSafeName(LowerCase(n)); };
    TNameMap map(tableRule, MySQLSafeName, Same);

    TStringList& tables = master->Tables();
    for (int i = 0; i < tables.Count(); ++i) {
        auto* t = dynamic_cast<TTblData*>(ObjAt(tables, i));
        if (!t) continue;
        RenameTable(t, map, tableRule, MySQLSafeName);
        bool timestampDefaultUsed = false;
        for (int j = 0; j < t->FieldCount(); ++j) {
            TFldData* f = t->Field(j);
            if (!f) continue;
            f->SetSource("");
            if (f->DataType == DomainDataType) {
                if (const TColumnAttrs* d = DomainType(master->FindDomain(f->DomainName))) {
                    f->DataType = d->DataType;
                    f->Length = d->Length;
                    f->Precision = d->Precision;
                    f->Scale = d->Scale;
                    f->SubType = d->SubType;
                    f->Nullable = f->Nullable && d->Nullable;
                    f->CharSetName = d->CharSetName;
                    f->CollationName = d->CollationName;
                    if (f->DefaultValue.empty()) f->DefaultValue = d->DefaultValue;
                }
            }
            f->DomainName.clear();
            f->CharSetName.clear();
            f->CollationName.clear();
            switch (f->DataType) {
            case 46:
                f->DataType = 47;
                break;
            case 4:
            case 73:
                f->DataType = 10;
                break;
            case 52:
                f->DataType = 48;
                f->CharSetName = "UTF8";
                break;
            case 49:
                f->DataType = 15;
                f->CharSetName = "UTF8";
                break;
            case 50:
                f->DataType = 14;
                f->CharSetName = "UTF8";
                break;
            case 77:
                f->DataType = 65;
                break;
            case 71:
                f->DataType = 8;
                break;
            case 41:
                if (fromIB) {
                    f->DataType = f->SubType == 1 || SameText(f->SubTypeName, "TEXT") ? 68 : 65;
                    f->SegmentSize = 0;
                }
                break;
            case 18:
                if (dialect1) f->DataType = 20;
                break;
            default:
                break;
            }
            // One TIMESTAMP per table may default to the current time; the others are DATETIME.
            const std::string def = UpperCase(Trim(f->GetDefaultValue()));
            const bool nowDefault = def == "CURRENT_TIMESTAMP" || def == "'NOW'";
            if (f->DataType == 20 && (timestampDefaultUsed || !nowDefault)) f->DataType = 23;
            if (f->DataType == 14 || f->DataType == 15) f->Precision = f->Length;
            if (f->DefaultValue.empty()) continue;
            if (nowDefault) {
                if (!timestampDefaultUsed) {
                    f->DefaultValue = "CURRENT_TIMESTAMP";
                    f->Nullable = false;
                    timestampDefaultUsed = true;
                } else {
                    f->DefaultValue.clear();
                }
            } else if (def == "'TODAY'" || def == "CURRENT_DATE" || def == "CURRENT_TIME") {
                f->DefaultValue.clear();
            } else if (f->GetDefaultValue().front() != '\'') {
                std::string text = f->GetDefaultValue();
                if (f->DataType == 10 || f->DataType == 47) text = MySQLNumber(text, *f);
                f->DefaultValue = QuotedStr(text);
            }
        }
    }
    Rekey(tables);

    TStringList& views = master->Views();
    for (int i = 0; i < views.Count(); ++i)
        if (TDbObj* v = ObjAt(views, i)) v->SetName(tableRule(v->GetName()));
    Rekey(views);

    RenameReferences(master, map);
    TStringList& constraints = master->Constraints();
    for (int i = constraints.Count() - 1; i >= 0; --i) {
        auto* c = dynamic_cast<TCtrData*>(ObjAt(constraints, i));
        if (!c || c->GetConstraintType() != ctPrimaryKey) continue;
        c->SetName("");
        if (c->Columns.Count() != 1) continue;
        const std::string table =
            c->GetParentName().empty() ? c->TableName : c->GetParentName() + "." + c->TableName;
        if (TFldData* f = master->FindTableField(table, c->Columns[0]); f && f->DataType == 1)
            f->Nullable = false;
    }
    Rekey(constraints);
    Rekey(master->Indices());
    master->SetDatabaseType(dbMySQL);
}

void TSchemalyst::ConvertToMSSQL() {
    auto* master = dynamic_cast<TObjs*>(GetMasterObjs());
    if (!master) return;
    DoLogNextLine("Convert master-database to MSSQL-database...");
    NarrowCompareObjects(GetCompareObjects() - TCmpObjSetType{coFunction, coGenerator, coException,
                                                              coProcedure, coTrigger, coGrant, coRoleGrant,
                                                              coUserGrant, coObjGrant});
    const bool fromIB = master->GetDatabaseType() == dbInterBase;
    const std::string dbCharSet = UpperCase(Trim(master->GetIBServerOptions().GetDBCharSet()));
    auto unicode = [](const std::string& cs) {
        const std::string u = UpperCase(Trim(cs));
        return u == "UNICODE_FSS" || u == "UTF8";
    };
    auto convert = [&](TColumnAttrs& f) {
        switch (f.DataType) {
        case 3:
        case 4:
        case 10:
            f.DataType = 3;
            break;
        case 18:
        case 19:
        case 20:
            f.DataType = 23;
            break;
        case 41:
            if (f.SubType == 1)
                f.DataType = UpperCase(Trim(f.CharSetName)) == "UNICODE_FSS" ? 52 : 48;
            else
                f.DataType = 77;
            break;
        case 14:
            if (fromIB && (unicode(f.CharSetName) || (f.CharSetName.empty() && unicode(dbCharSet))))
                f.DataType = 50;
            break;
        default:
            break;
        }
        f.CharSetName.clear();
        f.CollationName.clear();
        ClearPrecisionUnlessNumeric(f);
    };

    TStringList& domains = master->Domains();
    for (int i = 0; i < domains.Count(); ++i) {
        TDbObj* d = ObjAt(domains, i);
        if (!d) continue;
        d->SetDescription("");
        if (TFldData* type = DomainType(d)) {
            convert(*type);
            static_cast<TDmnData*>(d)->TypeText = UserTypeText(*type);
        }
    }

    TStringList& tables = master->Tables();
    std::vector<TCtrData*> defaults;
    for (int i = 0; i < tables.Count(); ++i) {
        auto* t = dynamic_cast<TTblData*>(ObjAt(tables, i));
        if (!t) continue;
        t->SetDescription("");
        for (int j = 0; j < t->FieldCount(); ++j) {
            TFldData* f = t->Field(j);
            if (!f) continue;
            convert(*f);
            f->SetDescription("");
            const std::string def = Trim(f->GetDefaultValue());
            if (def.empty()) continue;
            // The default becomes a default constraint on the column.
            const std::string upper = UpperCase(def);
            std::string text;
            if (upper == "CURRENT_TIMESTAMP" || upper == "CURRENT_DATE" || upper == "'NOW'" ||
                upper == "'TODAY'")
                text = "(getdate())";
            else if (def.front() == '(')
                text = def.substr(1, def.size() >= 2 ? def.size() - 2 : 0);
            else if (def.front() == '-')
                text = "((" + def + "))";
            else
                text = "(" + def + ")";
            auto* c = new TCtrData(master);
            c->SetConstraintType(ctDefault);
            c->SetTableName(f->TableName);
            c->AddColumn(f->GetName());
            c->SetSource(text);
            defaults.push_back(c);
            f->DefaultValue.clear();
        }
    }

    TStringList& indices = master->Indices();
    for (int i = 0; i < indices.Count(); ++i)
        if (auto* x = dynamic_cast<TIdxData*>(ObjAt(indices, i))) x->Descending = false;

    TStringList& constraints = master->Constraints();
    for (int i = 0; i < constraints.Count(); ++i) {
        auto* c = dynamic_cast<TCtrData*>(ObjAt(constraints, i));
        if (!c) continue;
        if (c->GetConstraintType() == ctPrimaryKey) c->Clustered = true;
        if (c->GetConstraintType() == ctForeignKey) {
            if (c->DeleteRule == raSetNull || c->DeleteRule == raCascade) c->DeleteRule = raNone;
            if (c->UpdateRule == raCascade) c->UpdateRule = raNone;
        }
    }
    Rekey(constraints);
    master->SetDatabaseType(dbMSSQL);
    // Filed once the container is MS SQL: an unnamed constraint's key is its MS SQL text.
    for (TCtrData* c : defaults)
        master->AddObject(c, true);
}

void TSchemalyst::ConvertToSybase() {
    auto* master = dynamic_cast<TObjs*>(GetMasterObjs());
    if (!master) return;
    DoLogNextLine("Convert master-database to Sybase-database...");
    NarrowCompareObjects(GetCompareObjects() - TCmpObjSetType{coFunction, coGenerator, coException, coView,
                                                              coProcedure, coTrigger, coGrant});
    // Names compare case-insensitively while the work is done.
    master->SetDatabaseType(dbSybaseASA);
    auto convert = [](TColumnAttrs& f) {
        if (f.DataType == 4) f.DataType = 10;
        if (f.DataType == 41)
            f.DataType = f.SubType == 1 ? (UpperCase(Trim(f.CharSetName)) == "UNICODE_FSS" ? 52 : 16) : 45;
        f.CharSetName.clear();
        f.CollationName.clear();
        ClearPrecisionUnlessNumeric(f);
    };
    TStringList& domains = master->Domains();
    for (int i = 0; i < domains.Count(); ++i) {
        TDbObj* d = ObjAt(domains, i);
        if (!d) continue;
        d->SetDescription("");
        d->SetSource("");
        if (TFldData* type = DomainType(d)) {
            convert(*type);
            static_cast<TDmnData*>(d)->TypeText = UserTypeText(*type);
        }
    }
    TStringList& tables = master->Tables();
    for (int i = 0; i < tables.Count(); ++i) {
        auto* t = dynamic_cast<TTblData*>(ObjAt(tables, i));
        if (!t) continue;
        t->Owner2 = "DBA";
        for (int j = 0; j < t->FieldCount(); ++j)
            if (TFldData* f = t->Field(j)) {
                convert(*f);
                f->SetDescription("");
                f->SetSource("");
            }
    }
    Rekey(tables);
    TStringList& indices = master->Indices();
    for (int i = 0; i < indices.Count(); ++i)
        if (auto* x = dynamic_cast<TIdxData*>(ObjAt(indices, i))) {
            x->Owner2 = "DBA";
            x->Descending = false;
        }
    Rekey(indices);
    TStringList& constraints = master->Constraints();
    for (int i = 0; i < constraints.Count(); ++i) {
        auto* c = dynamic_cast<TCtrData*>(ObjAt(constraints, i));
        if (!c) continue;
        c->Owner2 = "DBA";
        switch (c->GetConstraintType()) {
        case ctPrimaryKey:
            c->Clustered = true;
            break;
        case ctForeignKey:
            c->RefOwner = "DBA";
            if (c->DeleteRule == raSetNull || c->DeleteRule == raCascade) c->DeleteRule = raNone;
            if (c->UpdateRule == raCascade) c->UpdateRule = raNone;
            // Sybase knows no NO ACTION: its keys without an action restrict.
            if (c->DeleteRule == raNoAction) c->DeleteRule = raNone;
            if (c->UpdateRule == raNoAction) c->UpdateRule = raNone;
            c->RoleName = c->GetName();
            c->SetName("");
            break;
        case ctUnique: {
            TTblData* t = master->FindTable(c->TableName);
            for (int j = 0; j < c->Columns.Count(); ++j)
                if (TFldData* f = t ? t->FindField(c->Columns[j]) : nullptr) f->Nullable = false;
            if (!t) break;
            // The key's columns in the table's column order.
            TStringList ordered(true);
            for (int j = 0; j < t->FieldCount(); ++j) {
                const int k = c->Columns.IndexOf(t->Field(j)->GetName());
                if (k < 0) continue;
                ordered.AddObject(c->Columns[k], c->Columns.Objects(k));
                c->Columns.SetObject(k, nullptr);
            }
            for (int k = 0; k < c->Columns.Count(); ++k)
                if (c->Columns.Objects(k) || ordered.IndexOf(c->Columns[k]) < 0) {
                    ordered.AddObject(c->Columns[k], c->Columns.Objects(k));
                    c->Columns.SetObject(k, nullptr);
                }
            c->Columns.Clear();
            for (int k = 0; k < ordered.Count(); ++k) {
                c->Columns.AddObject(ordered[k], ordered.Objects(k));
                ordered.SetObject(k, nullptr);
            }
            break;
        }
        default:
            break;
        }
    }
    Rekey(constraints);
    master->SetDatabaseType(dbSybaseASA);
}

void TSchemalyst::ConvertToPostgreSQL() {
    auto* master = dynamic_cast<TObjs*>(GetMasterObjs());
    if (!master) return;
    DoLogNextLine("Convert master-database to PostgreSQL-database...");
    NarrowCompareObjects(GetCompareObjects() - TCmpObjSetType{coFunction, coGenerator, coException, coView,
                                                              coProcedure, coTrigger, coRole, coGrant,
                                                              coRoleGrant, coUserGrant, coObjGrant});
    master->SetDatabaseType(dbSybaseASA);
    TNameMap map(PGName, PGName, PGName);
    auto publicSchema = [](TDbObj* o) {
        if (o->GetParentName().empty()) o->SetParentName("public");
    };
    auto convert = [](TColumnAttrs& f) {
        f.CharSetName.clear();
        f.CollationName.clear();
        switch (f.DataType) {
        case 17:
            f.DataType = 14;
            break;
        case 68:
            f.DataType = 48;
            break;
        case 41:
            f.DataType = f.SubType == 1 ? 48 : 90;
            break;
        case 11:
            f.DataType = f.Scale != 0 ? 46 : 1;
            break;
        default:
            break;
        }
        ClearPrecisionUnlessNumeric(f);
        const std::string def = UpperCase(Trim(DefaultValueText(f.DefaultValue)));
        if (def == "CURRENT_TIMESTAMP" || def == "'NOW'") f.DefaultValue = "current_timestamp";
        if (def == "CURRENT_DATE" || def == "'TODAY'") f.DefaultValue = "current_date";
    };

    TStringList& domains = master->Domains();
    for (int i = 0; i < domains.Count(); ++i) {
        TDbObj* d = ObjAt(domains, i);
        if (!d) continue;
        const std::string old = d->GetName();
        d->SetName(PGName(old));
        map.AddDomain(old, d->GetName());
        publicSchema(d);
        if (TFldData* type = DomainType(d)) {
            convert(*type);
            type->SetSource("");
        }
    }
    Rekey(domains);
    TStringList& tables = master->Tables();
    for (int i = 0; i < tables.Count(); ++i) {
        auto* t = dynamic_cast<TTblData*>(ObjAt(tables, i));
        if (!t) continue;
        RenameTable(t, map, PGName, PGName);
        publicSchema(t);
        for (int j = 0; j < t->FieldCount(); ++j)
            if (TFldData* f = t->Field(j)) {
                convert(*f);
                f->SetSource("");
            }
    }
    Rekey(tables);
    RenameReferences(master, map);
    TStringList& indices = master->Indices();
    for (int i = 0; i < indices.Count(); ++i)
        if (auto* x = dynamic_cast<TIdxData*>(ObjAt(indices, i))) {
            x->SetName(PGName(x->GetName()));
            publicSchema(x);
            x->Descending = false;
        }
    Rekey(indices);
    TStringList& constraints = master->Constraints();
    for (int i = 0; i < constraints.Count(); ++i)
        if (TDbObj* c = ObjAt(constraints, i)) {
            c->SetName(PGName(c->GetName()));
            publicSchema(c);
        }
    Rekey(constraints);
    master->SetDatabaseType(dbPostgreSQL);
    // The lists compare case-sensitively again: keys are sorted for that rule.
    for (TObjsList which :
         {TObjsList::olDomains, TObjsList::olTables, TObjsList::olIndices, TObjsList::olConstraints})
        Rekey(master->List(which));
}

} // namespace smx
