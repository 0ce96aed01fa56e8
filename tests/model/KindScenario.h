// A comparison scenario over every kind of routines, triggers, views and domains, as a target and
// a master structure built in code with the dependency records a parser makes, and as the isql
// script that creates the same database on a server. Target: domain D_NAME VARCHAR(10); table
// T(ID, NAME D_NAME); view V over T; view W over V WITH CHECK OPTION; P(A) RETURNS(R) with R = A;
// A_CALLER and Z_CALLER selecting from P; PV(A D_NAME) RETURNS(R D_NAME) reading V; triggers TRG_A
// (before insert), TRG_B (before update) on T and TRG_V on V inserting into T. The master widens
// D_NAME to 20, doubles P's result, makes TRG_A inactive at position 5 and gives TRG_B a new body.
#pragma once

#include <string>

#include "model/smxComp_Dmn.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Trg.h"
#include "model/smxComp_Viw.h"

namespace smx::test {

struct KindScenarioText {
    std::string pBody, trgBBody, trgAState;
    int nameLength, trgAPosition;
};

inline KindScenarioText KindScenarioFor(bool Master) {
    if (Master) return {"BEGIN R = A * 2; SUSPEND; END", "AS BEGIN NEW.NAME = 'b'; END", "INACTIVE", 20, 5};
    return {"BEGIN R = A; SUSPEND; END", "AS BEGIN NEW.NAME = 'a'; END", "ACTIVE", 10, 0};
}

inline constexpr const char* KindCallerBody = "BEGIN SELECT R FROM P(1) INTO :X; SUSPEND; END";
inline constexpr const char* KindPVBody =
    "BEGIN SELECT FIRST 1 NAME FROM V WHERE NAME = :A INTO :R; SUSPEND; END";
inline constexpr const char* KindTrgABody = "AS BEGIN NEW.ID = NEW.ID; END";
inline constexpr const char* KindTrgVBody = "AS BEGIN INSERT INTO T(ID, NAME) VALUES (NEW.ID, NEW.NAME); END";
inline constexpr const char* KindViewV = "SELECT ID, NAME FROM T";
inline constexpr const char* KindViewW = "SELECT ID, NAME FROM V WHERE ID > 0 WITH CHECK OPTION";

/// The scenario's side (master or target) filed into o.
inline void BuildKindScenario(TCustomObjs* o, bool Master) {
    const KindScenarioText x = KindScenarioFor(Master);
    auto file = [o](TDbObj* obj, const std::string& name, const std::string& source = {}) {
        obj->SetName(name);
        if (!source.empty()) obj->SetSource(source);
        o->AddObject(obj, true);
    };
    auto* d = new TDmnData(o);
    d->Type().DataType = 14;
    d->Type().Length = x.nameLength;
    file(d, "D_NAME");

    auto* t = new TTblData(o);
    TFldData* id = t->AddField("ID");
    id->DataType = 1;
    id->Nullable = false;
    TFldData* name = t->AddField("NAME");
    name->DataType = DomainDataType;
    name->DomainName = "D_NAME";
    file(t, "T");
    AddDependency(o, name, d);

    auto view = [&](const std::string& n, const char* source) {
        auto* v = new TViwData(o);
        v->AddField("ID");
        v->AddField("NAME");
        file(v, n, source);
        return v;
    };
    TViwData* v = view("V", KindViewV);
    AddDependency(o, v, t, 0, 0, "ID");
    AddDependency(o, v, t, 0, 0, "NAME");
    AddDependency(o, v, d);
    TViwData* w = view("W", KindViewW);
    AddDependency(o, w, v);

    auto proc = [&](const std::string& n, const std::string& body) {
        auto* p = new TPrcData(o);
        file(p, n, body);
        return p;
    };
    TPrcData* p = proc("P", x.pBody);
    p->AddParam("A", false)->DataType = 1;
    p->AddParam("R", true)->DataType = 1;
    for (const char* caller : {"A_CALLER", "Z_CALLER"}) {
        TPrcData* c = proc(caller, KindCallerBody);
        c->AddParam("X", true)->DataType = 1;
        AddDependency(o, c, p);
    }
    TPrcData* pv = proc("PV", KindPVBody);
    for (bool output : {false, true}) {
        TFldData* f = pv->AddParam(output ? "R" : "A", output);
        f->DataType = DomainDataType;
        f->DomainName = "D_NAME";
    }
    AddDependency(o, pv, d);
    AddDependency(o, pv, v);

    auto trigger = [&](const std::string& n, const std::string& table, const std::string& body, int code) {
        auto* g = new TTrgData(o);
        g->SetTableName(table);
        g->IBTypeCode = code;
        file(g, n, body);
        return g;
    };
    TTrgData* a = trigger("TRG_A", "T", KindTrgABody, 1);
    a->Active = Master ? 0 : 1;
    a->Position = x.trgAPosition;
    AddDependency(o, a, t);
    AddDependency(o, trigger("TRG_B", "T", x.trgBBody, 3), t);
    TTrgData* tv = trigger("TRG_V", "V", KindTrgVBody, 1);
    AddDependency(o, tv, v);
    AddDependency(o, tv, t);
}

/// The isql script (after CREATE DATABASE) that creates the scenario's side on a server.
inline std::string KindScenarioDDL(bool Master) {
    const KindScenarioText x = KindScenarioFor(Master);
    return "CREATE DOMAIN D_NAME AS VARCHAR(" + std::to_string(x.nameLength) + ");\n" +
           "CREATE TABLE T (ID INTEGER NOT NULL, NAME D_NAME);\n" + "CREATE VIEW V (ID, NAME) AS " +
           KindViewV + ";\n" + "CREATE VIEW W (ID, NAME) AS " + KindViewW + ";\n" + "SET TERM ^ ;\n" +
           "CREATE PROCEDURE P (A INTEGER) RETURNS (R INTEGER) AS " + x.pBody + "^\n" +
           "CREATE PROCEDURE A_CALLER RETURNS (X INTEGER) AS " + KindCallerBody + "^\n" +
           "CREATE PROCEDURE Z_CALLER RETURNS (X INTEGER) AS " + KindCallerBody + "^\n" +
           "CREATE PROCEDURE PV (A D_NAME) RETURNS (R D_NAME) AS " + KindPVBody + "^\n" +
           "CREATE TRIGGER TRG_A FOR T " + x.trgAState + " BEFORE INSERT POSITION " +
           std::to_string(x.trgAPosition) + " " + KindTrgABody + "^\n" +
           "CREATE TRIGGER TRG_B FOR T ACTIVE BEFORE UPDATE POSITION 0 " + x.trgBBody + "^\n" +
           "CREATE TRIGGER TRG_V FOR V ACTIVE BEFORE INSERT POSITION 0 " + KindTrgVBody + "^\n" +
           "SET TERM ; ^\n";
}

} // namespace smx::test
