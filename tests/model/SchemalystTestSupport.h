// Helpers of the comparer tests: a structure with its container at hand, an extractor that
// fills its structure from a function (and may report an error), an event recorder, and small
// builders of tables, views and procedures.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/smxClasses.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Viw.h"
#include "model/smxDBStructure.h"
#include "model/smxSQL_Exec.h"
#include "model/smxSchemalyst.h"

namespace smx::cmptest {

/// A structure whose container is reached by reference.
class Structure : public TDBStructure {
public:
    using TDBStructure::TDBStructure;
    TObjs& Objs() const { return *TDBStructure::Objs(); }
};

/// An extractor whose ExtractDatabase runs Fill (and counts its calls).
class CodeExtract : public TCustomExtract {
public:
    using TCustomExtract::TCustomExtract;
    bool ExtractDatabase() override {
        GetMsgManager().Clear();
        ++Calls;
        SeenObjects = GetExtractObjects();
        if (Fill) Fill(*this);
        return !GetMsgManager().HasErrors();
    }
    std::function<void(CodeExtract&)> Fill;
    int Calls = 0;
    TCmpObjSetType SeenObjects{};
};

/// Data-type codes the tests use.
inline constexpr std::uint8_t IntegerType = 1;
inline constexpr std::uint8_t VarcharType = 14;

/// Adds a column of the given type to table t.
inline TFldData* AddColumn(TTblData* t, const std::string& name, std::uint8_t type = IntegerType,
                           int length = 0) {
    TFldData* f = t->AddField(name);
    f->DataType = type;
    f->Length = length;
    return f;
}

/// Adds a table of INTEGER columns to Objs.
inline TTblData* AddTable(TCustomObjs& objs, const std::string& name,
                          const std::vector<std::string>& columns = {}) {
    auto* t = new TTblData(&objs);
    t->SetName(name);
    for (const std::string& c : columns)
        AddColumn(t, c);
    objs.AddObject(t, true);
    return t;
}

inline TViwData* AddView(TCustomObjs& objs, const std::string& name, const std::string& source) {
    auto* v = new TViwData(&objs);
    v->SetName(name);
    v->SetSource(source);
    objs.AddObject(v, true);
    return v;
}

inline TPrcData* AddProc(TCustomObjs& objs, const std::string& name, const std::string& source) {
    auto* p = new TPrcData(&objs);
    p->SetName(name);
    p->SetSource(source);
    objs.AddObject(p, true);
    return p;
}

/// The rendered script, one entry per line.
inline std::vector<std::string> ScriptLines(TCustomSQLExec& exec) {
    TStringList out;
    exec.GetScriptLines(out, false);
    std::vector<std::string> r;
    for (int i = 0; i < out.Count(); ++i)
        r.push_back(out[i]);
    return r;
}

/// A comparer named Schemalyst1 over two structures, with recorded messages and events.
struct Rig {
    Rig() {
        cmp.SetName("Schemalyst1");
        cmp.OnErrorMessage = [this](TObject*, const std::string& t) { errors.push_back(t); };
        for (auto [ev, name] : {std::pair{&cmp.OnBeforeExtract, "BeforeExtract"},
                                {&cmp.OnAfterExtract, "AfterExtract"},
                                {&cmp.OnBeforeExtractTarget, "BeforeExtractTarget"},
                                {&cmp.OnAfterExtractTarget, "AfterExtractTarget"},
                                {&cmp.OnBeforeExtractMaster, "BeforeExtractMaster"},
                                {&cmp.OnAfterExtractMaster, "AfterExtractMaster"},
                                {&cmp.OnBeforeCompare, "BeforeCompare"},
                                {&cmp.OnAfterCompare, "AfterCompare"}}) {
            std::string n = name;
            *ev = [this, n](TObject*) { events.push_back(n); };
        }
    }
    /// Assigns both structures and both extractors.
    void Wire() {
        exMaster.SetDBStructure(&master);
        exTarget.SetDBStructure(&target);
        cmp.SetExtractorMaster(&exMaster);
        cmp.SetExtractorTarget(&exTarget);
        cmp.SetDBStructureMaster(&master);
        cmp.SetDBStructureTarget(&target);
    }
    /// Both sides InterBase at Firebird 3.0, dialect 3, with the given character set.
    void InterBase(const std::string& charset = "UTF8") {
        for (Structure* s : {&master, &target}) {
            s->SetDatabaseType(TDatabaseType::dbInterBase);
            s->GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
            s->GetIBServerOptions().SetSQLDialect(3);
            s->GetIBServerOptions().SetDBCharSet(charset);
        }
        TConnectionOptions& c = target.Objs().GetConnectionOptions();
        c.SetDatabaseName("/data/x/t.fdb");
        c.SetUserName("SYSDBA");
        c.SetPassword("pw");
        cmp.GetIBCompareOptions().SetUpdateDescriptionMode(TUpdateDescriptionType::udComment);
    }
    /// InterBase as above, the target being the database file at path (SYSDBA, masterkey); wired.
    void TargetDatabase(const std::string& path) {
        InterBase();
        TConnectionOptions& c = target.Objs().GetConnectionOptions();
        c.SetDatabaseName(path);
        c.SetPassword("masterkey");
        Wire();
    }

    Structure master, target;
    CodeExtract exMaster, exTarget;
    TSchemalyst cmp;
    std::vector<std::string> errors, events;
};

} // namespace smx::cmptest
