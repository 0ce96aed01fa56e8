// Test support for the index and constraint suites: structures of one database type, builders of
// indices and constraints filed in a container, and a recorder of the statements an executor files.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "model/smxComp_Ctr.h"
#include "model/smxComp_Idx.h"
#include "model/smxComp_Tbl.h"
#include "model/smxDBStructure.h"
#include "model/smxSQL_Exec.h"
#include "model/smxSchemalyst.h"

namespace smx::keytest {

/// A structure of the type (InterBase at Firebird 3, dialect 3, UTF8, COMMENT ON by default).
inline void Prepare(TDBStructure& s, TDatabaseType type = TDatabaseType::dbInterBase) {
    s.SetDatabaseType(type);
    TIBServerOptions& ib = s.GetIBServerOptions();
    ib.SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
    ib.SetSQLDialect(3);
    ib.SetDBCharSet("UTF8");
    ib.GetIBCompareOptions().SetUpdateDescriptionMode(TUpdateDescriptionType::udComment);
}

/// An index filed in objs: name, table and key columns ("-" before a name makes it descending).
inline TIdxData* Index(TCustomObjs* objs, std::string_view name, std::string_view table,
                       std::initializer_list<std::string_view> columns, bool file = true) {
    auto* x = new TIdxData(objs);
    x->SetName(name);
    x->TableName = table;
    for (std::string_view c : columns) {
        const bool desc = !c.empty() && c.front() == '-';
        TFldData* f = x->AddColumn(desc ? c.substr(1) : c);
        if (desc) f->ParamDirection = IndexColumnDescending;
    }
    if (file) objs->AddObject(x, true);
    return x;
}

/// A constraint of the type on table, filed in objs after Fill has set it up.
template <class F>
TCtrData* Constraint(TCustomObjs* objs, std::uint8_t type, std::string_view name, std::string_view table,
                     std::initializer_list<std::string_view> columns, F&& Fill, bool file = true) {
    auto* c = new TCtrData(objs);
    c->SetConstraintType(type);
    c->SetName(name);
    c->SetTableName(table);
    for (std::string_view col : columns)
        c->AddColumn(col);
    Fill(*c);
    if (file) objs->AddObject(c, true);
    return c;
}

inline TCtrData* Constraint(TCustomObjs* objs, std::uint8_t type, std::string_view name,
                            std::string_view table, std::initializer_list<std::string_view> columns) {
    return Constraint(objs, type, name, table, columns, [](TCtrData&) {});
}

/// A foreign key from table(columns) to refTable(refColumns).
inline TCtrData* ForeignKey(TCustomObjs* objs, std::string_view name, std::string_view table,
                            std::initializer_list<std::string_view> columns, std::string_view refTable,
                            std::initializer_list<std::string_view> refColumns,
                            std::uint8_t deleteRule = raNone, std::uint8_t updateRule = raNone) {
    return Constraint(objs, ctForeignKey, name, table, columns, [&](TCtrData& c) {
        c.SetRefTableName(refTable);
        for (std::string_view r : refColumns)
            c.AddRefColumn(r);
        c.DeleteRule = deleteRule;
        c.UpdateRule = updateRule;
    });
}

/// A table of columns (NOT NULL when the name ends in "!") filed in objs.
inline TTblData* Table(TCustomObjs* objs, std::string_view name,
                       std::initializer_list<std::string_view> columns, std::uint8_t type = 1) {
    auto* t = new TTblData(objs);
    t->SetName(name);
    for (std::string_view c : columns) {
        const bool notNull = !c.empty() && c.back() == '!';
        TFldData* f = t->AddField(notNull ? c.substr(0, c.size() - 1) : c);
        f->DataType = type;
        f->Nullable = !notNull;
    }
    objs->AddObject(t, true);
    return t;
}

/// What the link passes after a script record for a constraint: it needs its table and columns, a
/// foreign key also the referenced table, its columns and the key it hangs on.
inline void LinkConstraint(TCustomObjs* objs, TCtrData* c) {
    TDbObj* table = objs->FindObject(TObjsList::olTables, c->TableName);
    AddDependency(objs, c, table);
    for (int i = 0; i < c->Columns.Count(); ++i)
        AddDependency(objs, c, table, 0, 0, c->Columns[i]);
    if (c->GetConstraintType() != ctForeignKey) return;
    TDbObj* ref = objs->FindObject(TObjsList::olTables, c->RefTableName);
    AddDependency(objs, c, ref);
    for (int i = 0; i < c->RefColumns.Count(); ++i)
        AddDependency(objs, c, ref, 0, 0, c->RefColumns[i]);
    AddDependency(objs, c, FindReferencedKey(objs, c));
}

/// Links every index to its table and columns and every constraint as LinkConstraint does.
inline void LinkAll(TCustomObjs* objs) {
    TStringList& indices = objs->Indices();
    for (int i = 0; i < indices.Count(); ++i) {
        auto* x = dynamic_cast<TIdxData*>(indices.Objects(i));
        TDbObj* table = objs->FindObject(TObjsList::olTables, x->TableName);
        AddDependency(objs, x, table);
        for (int j = 0; j < x->Columns.Count(); ++j)
            AddDependency(objs, x, table, 0, 0, x->Columns[j]);
    }
    TStringList& constraints = objs->Constraints();
    for (int i = 0; i < constraints.Count(); ++i)
        LinkConstraint(objs, dynamic_cast<TCtrData*>(constraints.Objects(i)));
}

/// One statement as an OnStatementAdd handler saw it.
struct TSeen {
    TStatType StatType;
    std::string Text;
    TDbOperation Operation;
    TDbObject ObjKind;
    std::string ObjName;
};

/// Records every statement an executor files (text lines joined by CR LF).
struct TRecorder {
    void Attach(TCustomSQLExec& exec) {
        exec.OnStatementAdd = [this](TObject*, TStatement* s, bool&) {
            std::string text;
            for (int i = 0; i < s->Lines.Count(); ++i)
                text += (i ? "\r\n" : "") + s->Lines[i];
            seen.push_back({s->StatType, text, s->Operation, s->ObjKind, s->ObjName});
        };
    }
    /// The texts of the executable statements (no comments).
    std::vector<std::string> Executable() const {
        std::vector<std::string> r;
        for (const TSeen& s : seen)
            if (s.StatType != TStatType::stComment) r.push_back(s.Text);
        return r;
    }
    /// The texts of the statements and reconnects (what reaches the server of a structure script).
    std::vector<std::string> Statements() const {
        std::vector<std::string> r;
        for (const TSeen& s : seen)
            if (s.StatType == TStatType::stStatement || s.StatType == TStatType::stReconnect)
                r.push_back(s.Text);
        return r;
    }
    /// Every text, comments included.
    std::vector<std::string> All() const {
        std::vector<std::string> r;
        for (const TSeen& s : seen)
            r.push_back(s.Text);
        return r;
    }
    /// Position of the first statement whose text starts with prefix at or after from; -1 if none.
    int Find(std::string_view prefix, int from = 0) const {
        for (int i = from; i < static_cast<int>(seen.size()); ++i)
            if (std::string_view(seen[static_cast<std::size_t>(i)].Text).substr(0, prefix.size()) == prefix)
                return i;
        return -1;
    }
    /// Position of the first statement whose text contains part; -1 if none.
    int Contains(std::string_view part, int from = 0) const {
        for (int i = from; i < static_cast<int>(seen.size()); ++i)
            if (seen[static_cast<std::size_t>(i)].Text.find(part) != std::string::npos) return i;
        return -1;
    }
    std::vector<TSeen> seen;
};

/// A comparer over two structures of one type (prepared as Prepare does) that writes into a generic
/// executor whose statements are recorded as they are filed.
struct TCompareRun {
    explicit TCompareRun(TDatabaseType type = TDatabaseType::dbInterBase) {
        Prepare(master, type);
        Prepare(target, type);
        exec.SetDatabaseType(type);
        cmp.SetDBStructureMaster(&master);
        cmp.SetDBStructureTarget(&target);
        cmp.SetSQLExec(&exec);
        cmp.GetIBCompareOptions().SetUpdateDescriptionMode(TUpdateDescriptionType::udComment);
        rec.Attach(exec);
    }
    TObjs* M() { return master.Objs(); }
    TObjs* T() { return target.Objs(); }
    /// Compares, recording only this comparison's statements.
    void Run() {
        rec.seen.clear();
        cmp.CompareStructures();
    }
    /// The executor's script as text.
    std::string Script() {
        TStringList lines;
        exec.GetScriptLines(lines, false);
        return lines.Text();
    }

    TDBStructure master, target;
    TSQLExec exec;
    TSchemalyst cmp;
    TRecorder rec;
};

} // namespace smx::keytest
