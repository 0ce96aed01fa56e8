// Test support for the column-alteration suites: a domain of a given type, a master and a
// target table of one name whose columns are built side by side, and the run of the table steps
// (pairing, new columns, alterations, drops, column order) that a comparison makes of them.
#pragma once

#include <string>
#include <vector>

#include "model/smxComp_Ctr.h"
#include "model/smxComp_Dmn.h"
#include "model/smxComp_Idx.h"
#include "model/smxComp_Viw.h"
#include "tests/model/TablesTestSupport.h"

namespace smx::test {

/// A domain of the given type filed in objs.
inline TDmnData* AddDomain(TCustomObjs* objs, std::string_view name, std::uint8_t code, int precision = 0, int scale = 0,
                           std::string_view def = {}) {
    auto* d = new TDmnData(objs);
    d->SetName(name);
    d->Type().DataType = code;
    d->Type().Precision = precision;
    d->Type().Scale = scale;
    d->Type().DefaultValue = def;
    objs->AddObject(d, true);
    return d;
}

/// Master and target table T in a comparer fixture; columns are added to either side by name.
class TColumnPair : public TCompareFixture {
public:
    explicit TColumnPair(TDatabaseType type = TDatabaseType::dbInterBase,
                         TIBSQLServerVersionType version = TIBSQLServerVersionType::st_Firebird_30)
        : TCompareFixture(type) {
        for (TDBStructure* s : {&master, &target})
            s->GetIBServerOptions().SetSQLServerVersion(version);
        m = Table(M(), "T");
        t = Table(T(), "T");
    }

    /// A column on both sides: the master's of type mcode, the target's of type tcode.
    std::pair<TFldData*, TFldData*> Both(std::string_view name, std::uint8_t mcode, std::uint8_t tcode) {
        return {AddColumn(m, name, mcode), AddColumn(t, name, tcode)};
    }
    /// A column typed by a domain.
    static TFldData* DomainColumn(TTblData* table, std::string_view name, std::string_view domain) {
        TFldData* f = AddColumn(table, name, DomainDataType);
        f->DomainName = domain;
        return f;
    }
    void AllowConversion(bool on) { comparer.GetIBCompareOptions().SetAllowDataTypeConversion(on); }

    /// Links both sides, pairs the tables, then runs the table steps of a comparison.
    void Run() {
        Link();
        MatchTables(&comparer);
        AddNewColumns(&comparer);
        AlterTables(&comparer);
        DropTables(&comparer);
        UpdateColumnOrder(&comparer);
    }

    /// The comparer's log lines.
    std::vector<std::string> LogLines() {
        std::vector<std::string> r;
        for (int i = 0; i < comparer.GetLogList().Count(); ++i)
            r.push_back(comparer.GetLogList()[i]);
        return r;
    }

    TTblData* m = nullptr;
    TTblData* t = nullptr;
};

/// A NUMERIC(precision, scale) column.
inline TFldData* AddNumeric(TTblData* t, std::string_view name, int precision, int scale) {
    TFldData* f = AddColumn(t, name, 46);
    f->Precision = precision;
    f->Scale = scale;
    return f;
}

/// Primary key PK_T(ID) and index IX_T_B(B) of table t, with the dependency records a reader makes
/// (the key on its table and column, the index on its column).
inline void AddKeyAndIndex(TObjs* objs, TTblData* t) {
    auto* pk = new TCtrData(objs);
    pk->SetName("PK_T");
    pk->SetConstraintType(ctPrimaryKey);
    pk->SetTableName(t->GetName());
    pk->AddColumn("ID");
    objs->AddObject(pk, true);
    AddDependency(objs, pk, t);
    AddDependency(objs, pk, t, 0, 0, "ID");
    auto* ix = new TIdxData(objs);
    ix->SetName("IX_T_B");
    ix->TableName = t->GetName();
    ix->AddColumn("B");
    objs->AddObject(ix, true);
    AddDependency(objs, ix, t, 0, 0, "B");
}

/// View VT(ID, B, A) over t, with the reader's dependency records on the columns it selects.
inline void AddView(TObjs* objs, TTblData* t) {
    auto* v = new TViwData(objs);
    v->SetName("VT");
    v->SetSource("SELECT ID, B, A FROM T");
    for (const char* c : {"ID", "B", "A"}) {
        v->AddField(c);
        AddDependency(objs, v, t, 0, 0, c);
    }
    objs->AddObject(v, true);
}

/// The structures of the kept-data check: domains D_INT INTEGER and D_INT2 INTEGER DEFAULT 7 on
/// both sides, key PK_T(ID), index IX_T_B(B) and view VT(ID, B, A); the target's T(ID, B, A, S, N, NN, NNOFF,
/// DEF, DEF2, DEF3, DOM, TODOM, FROMDOM, C) as the database holds it, the master's T in another column order
/// with changed types, nullability, defaults and domains. C is computed from A on both sides.
inline void BuildKeptDataStructures(TObjs* M, TObjs* T) {
    for (TObjs* o : {M, T}) {
        AddDomain(o, "D_INT", 1);
        AddDomain(o, "D_INT2", 1, 0, 0, "7");
    }
    auto domainColumn = [](TTblData* t, std::string_view name, std::string_view domain) {
        TFldData* f = AddColumn(t, name, DomainDataType);
        f->DomainName = domain;
        return f;
    };
    TTblData* t = TCompareFixture::Table(T, "T");
    AddColumn(t, "ID", 1, 0, false);
    AddColumn(t, "B", 14, 10);
    AddColumn(t, "A", 1);
    AddColumn(t, "S", 54);
    AddNumeric(t, "N", 9, 2);
    AddColumn(t, "NN", 1);
    AddColumn(t, "NNOFF", 1, 0, false);
    AddColumn(t, "DEF", 1)->DefaultValue = "0";
    AddColumn(t, "DEF2", 1)->DefaultValue = "1";
    AddColumn(t, "DEF3", 14, 5);
    domainColumn(t, "DOM", "D_INT");
    AddColumn(t, "TODOM", 1);
    domainColumn(t, "FROMDOM", "D_INT");
    TFldData* c = AddColumn(t, "C", 2);
    c->SetSource("(A * 2)");
    AddDependency(T, c, t, 0, 0, "A");
    AddKeyAndIndex(T, t);
    AddView(T, t);

    TTblData* m = TCompareFixture::Table(M, "T");
    AddColumn(m, "ID", 1, 0, false);
    AddColumn(m, "A", 2);
    AddColumn(m, "B", 14, 20);
    AddColumn(m, "S", 1);
    TFldData* mc = AddColumn(m, "C", 2);
    mc->SetSource("(A * 2)");
    AddDependency(M, mc, m, 0, 0, "A");
    AddNumeric(m, "N", 18, 2);
    AddColumn(m, "NN", 1, 0, false);
    AddColumn(m, "NNOFF", 1);
    AddColumn(m, "DEF", 1)->DefaultValue = "5";
    AddColumn(m, "DEF2", 1);
    AddColumn(m, "DEF3", 14, 5)->DefaultValue = "'x'";
    domainColumn(m, "DOM", "D_INT2");
    domainColumn(m, "TODOM", "D_INT");
    AddColumn(m, "FROMDOM", 1);
    AddKeyAndIndex(M, m);
    AddView(M, m);
}

/// The structures of the refusal check: T(ID, BIG, W, N4, TS, I, DN) whose master changes every
/// column but ID into a type that would lose data; DN moves from domain D_N94 to D_N92.
inline void BuildRefusalStructures(TObjs* M, TObjs* T) {
    for (TObjs* o : {M, T}) {
        AddDomain(o, "D_N94", 46, 9, 4);
        AddDomain(o, "D_N92", 46, 9, 2);
    }
    TTblData* t = TCompareFixture::Table(T, "T");
    AddColumn(t, "ID", 1, 0, false);
    AddColumn(t, "BIG", 2);
    AddColumn(t, "W", 14, 20);
    AddNumeric(t, "N4", 9, 4);
    AddColumn(t, "TS", 20);
    AddColumn(t, "I", 1);
    AddColumn(t, "DN", DomainDataType)->DomainName = "D_N94";
    TTblData* m = TCompareFixture::Table(M, "T");
    AddColumn(m, "ID", 1, 0, false);
    AddColumn(m, "BIG", 1);
    AddColumn(m, "W", 14, 10);
    AddNumeric(m, "N4", 9, 2);
    AddColumn(m, "TS", 18);
    AddNumeric(m, "I", 9, 2);
    AddColumn(m, "DN", DomainDataType)->DomainName = "D_N92";
}

/// The comments the refusal check expects, in column order.
inline std::vector<std::string> RefusalComments() {
    return {
        "/* WARNING:\r\nCannot perform safe conversion of T.BIG datatype from BIGINT to INTEGER */",
        "/* WARNING:\r\nCannot perform safe conversion of T.W datatype from VARCHAR(20) to VARCHAR(10) */",
        "/* WARNING:\r\nCannot perform safe conversion of T.N4 datatype from NUMERIC(9,4) to NUMERIC(9,2) */",
        "/* WARNING:\r\nCannot perform safe conversion of T.TS datatype from TIMESTAMP to DATE */",
        "/* WARNING:\r\nCannot perform safe conversion of T.I datatype from INTEGER to NUMERIC(9,2) */",
        "/* WARNING:\r\nCannot perform safe conversion of T.DN datatype from D_N94 to D_N92 */"};
}

} // namespace smx::test
