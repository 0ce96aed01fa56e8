// Test support for the table suites: a master and a target structure of one database type, a
// comparer over them with a generic executor, table pairing by name as a comparison sets it up,
// and the filed statements as plain records.
#pragma once

#include <string>
#include <vector>

#include "model/smxComp_Tbl.h"
#include "model/smxDBStructure.h"
#include "model/smxSQL_Exec.h"

namespace smx::test {

/// One filed statement: its kind, its lines joined by CR LF, and what it does to which object.
struct TStmt {
    TStatType StatType = TStatType::stStatement;
    std::string Text;
    TDbOperation Operation = TDbOperation::odbUnknown;
    TDbObject ObjKind = TDbObject::dboUnknown;
    std::string ObjName;
};

/// A column of the given type on table t.
inline TFldData* AddColumn(TTblData* t, std::string_view name, std::uint8_t code, int length = 0,
                           bool nullable = true) {
    TFldData* f = t->AddField(name);
    f->DataType = code;
    f->Length = length;
    f->Nullable = nullable;
    return f;
}

/// Master and target structures of one type (InterBase at Firebird 3 by default) with a comparer
/// that writes into a generic executor.
class TCompareFixture {
public:
    explicit TCompareFixture(TDatabaseType type = TDatabaseType::dbInterBase) {
        for (TDBStructure* s : {&master, &target}) {
            s->SetDatabaseType(type);
            s->GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
        }
        exec.SetDatabaseType(type);
        comparer.SetDBStructureMaster(&master);
        comparer.SetDBStructureTarget(&target);
        comparer.SetSQLExec(&exec);
    }

    TObjs* M() const { return master.Objs(); }
    TObjs* T() const { return target.Objs(); }

    /// A table filed in the container.
    static TTblData* Table(TObjs* objs, std::string_view name) {
        auto* t = new TTblData(objs);
        t->SetName(name);
        objs->AddObject(t, true);
        return t;
    }

    /// Links master and target tables (and their columns) of the same name, marks master objects
    /// without a partner as not existing, and puts the master container in comparing mode.
    void Link() {
        comparer.LinkStructures();
        M()->SetSQLExec(&exec);
        T()->SetSQLExec(&exec);
        TStringList& tables = M()->Tables();
        for (int i = 0; i < tables.Count(); ++i) {
            auto* m = dynamic_cast<TTblData*>(tables.Objects(i));
            TTblData* p = T()->FindTable(m->GetName());
            if (p) {
                m->SetPartner(p);
                p->SetPartner(m);
            }
            m->Exists = p ? 1 : 0;
            for (int j = 0; j < m->FieldCount(); ++j) {
                TFldData* pf = p ? p->FindField(m->Field(j)->GetName()) : nullptr;
                if (pf) {
                    m->Field(j)->SetPartner(pf);
                    pf->SetPartner(m->Field(j));
                }
                m->Field(j)->Exists = pf ? 1 : 0;
            }
        }
        M()->Comparing = 1;
    }

    /// The statements filed so far.
    std::vector<TStmt> Statements() const {
        std::vector<TStmt> r;
        for (int i = 0; i < exec.GetStatementCount(); ++i) {
            const TStatement* s = exec.GetStatement(i);
            std::string text;
            for (int j = 0; j < s->Lines.Count(); ++j)
                text += (j ? "\r\n" : "") + s->Lines[j];
            r.push_back({s->StatType, text, s->Operation, s->ObjKind, s->ObjName});
        }
        return r;
    }

    /// The texts of the statements filed so far.
    std::vector<std::string> Texts() const {
        std::vector<std::string> r;
        for (const TStmt& s : Statements())
            r.push_back(s.Text);
        return r;
    }

    TDBStructure master;
    TDBStructure target;
    TCustomSchemalyst comparer;
    TSQLExec exec;
};

/// Index of the first text containing part, or -1.
inline int IndexOfText(const std::vector<std::string>& texts, std::string_view part) {
    for (std::size_t i = 0; i < texts.size(); ++i)
        if (texts[i].find(part) != std::string::npos) return static_cast<int>(i);
    return -1;
}

} // namespace smx::test
