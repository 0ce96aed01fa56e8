// The metadata extractor on real Firebird 3 databases: the run with its probe, step events and
// progress, the readers of every kind over fixture F, the failures (wiring, a missing database, the
// stop flag), and the pure default-text cleaner.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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
#include "model/smxSchemalyst.h"
#include "parsing/smxIBScriptExtract.h"
#include "tests/database/ExtractTestSupport.h"

namespace smx::test {
namespace {

using Strings = std::vector<std::string>;

// The comparer over a master and a target, each a structure and the extractor that fills it.
void Sides(TSchemalyst& cmp, TCustomDBStructure* master, TCustomExtract* masterEx, TCustomDBStructure* target,
           TCustomExtract* targetEx) {
    cmp.SetDBStructureMaster(master);
    cmp.SetDBStructureTarget(target);
    cmp.SetExtractorMaster(masterEx);
    cmp.SetExtractorTarget(targetEx);
}

Strings Keys(const TStringList& l) {
    Strings r;
    for (int i = 0; i < l.Count(); ++i)
        r.push_back(l[i]);
    return r;
}

template <typename T> T* Find(TStringList& list, const std::string& key) {
    const int i = list.IndexOf(key);
    return i < 0 ? nullptr : dynamic_cast<T*>(list.Objects(i));
}

// True when Obj depends on Needed, or on its column Field when one is given.
bool DependsOn(const TDbObj* Obj, const std::string& Needed, const std::string& Field = {}) {
    for (int i = 0; i < Obj->GetDependsOn().Count(); ++i) {
        const TDependObj* d = Obj->DependsOnItem(i);
        const TDbObj* ref = d->GetReferenced();
        if (!ref) continue;
        // A column dependency refers to the column object itself.
        if (Field.empty() ? ref->GetName() == Needed
                          : ref->GetName() == Field && ref->GetTableName() == Needed && d->FieldName == Field)
            return true;
    }
    return false;
}

std::vector<TCtrData*> Constraints(TObjs* o, std::uint8_t Type, const std::string& Table) {
    std::vector<TCtrData*> r;
    TStringList& l = o->Constraints();
    for (int i = 0; i < l.Count(); ++i) {
        auto* c = dynamic_cast<TCtrData*>(l.Objects(i));
        if (c && c->GetConstraintType() == Type && c->TableName == Table) r.push_back(c);
    }
    return r;
}

std::vector<TGntData*> GrantsTo(TObjs* o, const std::string& Grantee) {
    std::vector<TGntData*> r;
    TStringList& l = o->Grants();
    for (int i = 0; i < l.Count(); ++i) {
        auto* g = dynamic_cast<TGntData*>(l.Objects(i));
        if (g && g->GranteeName == Grantee) r.push_back(g);
    }
    return r;
}

std::uint64_t Bits(std::initializer_list<int> bits) {
    std::uint64_t r = 0;
    for (int b : bits)
        r |= std::uint64_t{1} << b;
    return r;
}

// Fixture F, extracted once for the reading checks.
class ExtractF : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Db = MakeFixture(true).release();
        Rig = new TExtractRig(Db->Path());
        Result = Rig->Run();
    }
    static void TearDownTestSuite() {
        delete Rig;
        delete Db;
        Rig = nullptr;
        Db = nullptr;
    }
    static TObjs* O() { return Rig->O(); }

    static inline TTestDatabase* Db = nullptr;
    static inline TExtractRig* Rig = nullptr;
    static inline bool Result = false;
};

TEST_F(ExtractF, RunProbeAndProgress) {
    EXPECT_TRUE(Result);
    for (bool TIBCapabilities::*flag : IBCapabilityFlags)
        EXPECT_TRUE(Rig->Ex.GetCapabilities().*flag);
    EXPECT_EQ(O()->GetIBServerOptions().GetDBCharSet(), "UTF8");
    EXPECT_EQ(O()->FromDatabase, 1);
    // The first run already names the database (the update script's CONNECT line needs it).
    EXPECT_EQ(O()->GetConnectionOptions().GetDatabaseName(), Db->Path());
    EXPECT_EQ(O()->GetConnectionOptions().GetUserName(), "SYSDBA");

    const Strings labels = {"Collations", "Functions",     "Domains",      "Tables",  "Views",
                            "Generators", "Procedures",    "Triggers",     "Indexes", "Exceptions",
                            "Unique's",   "Primary keys",  "Foreign keys", "Checks",  "Roles",
                            "Grants",     "Parsing bodies"};
    std::vector<TStepEvent> main;
    for (const TStepEvent& e : Rig->Steps)
        if (std::get<0>(e) == 0) main.push_back(e);
    ASSERT_EQ(main.size(), 19u);
    EXPECT_EQ(main.front(), TStepEvent(0, "Starting", 0, 16));
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(main[static_cast<std::size_t>(i) + 1],
                  TStepEvent(0, labels[static_cast<std::size_t>(i)], i, 16));
    EXPECT_EQ(main.back(), TStepEvent(0, "Finished", 17, 16));

    std::vector<std::pair<int, int>> progress;
    for (int i = 0; i <= 17; ++i)
        progress.emplace_back(i, 16);
    progress.emplace_back(16, 16);
    EXPECT_EQ(Rig->Progress, progress);

    EXPECT_FALSE(Rig->Ex.GetMsgManager().HasErrors());
    EXPECT_TRUE(Rig->Errors.empty()) << Rig->Errors.front();
    EXPECT_FALSE(Rig->Conn.GetConnected());
    // Kind-1 progress inside the table reader: the count, then one event per table.
    EXPECT_NE(std::find(Rig->Steps.begin(), Rig->Steps.end(), TStepEvent(1, "Tables", 0, 4)),
              Rig->Steps.end());
    EXPECT_TRUE(Rig->HasLine("Extracting tables..."));
    EXPECT_TRUE(Rig->HasLine("---T1"));
    EXPECT_TRUE(Rig->HasLine("--- R1"));
}

TEST_F(ExtractF, TablesAndColumns) {
    auto* t1 = O()->FindTable("T1");
    ASSERT_NE(t1, nullptr);
    EXPECT_EQ(Keys(t1->Fields), (Strings{"ID", "NAME", "AMT", "A2", "ARR", "C", "S", "B"}));
    EXPECT_EQ(t1->GetDescription(), "Table one");
    TFldData* name = t1->FindField("NAME");
    EXPECT_EQ(name->DataType, DomainDataType);
    EXPECT_EQ(name->DomainName, "D_NAME");
    EXPECT_EQ(name->CheckText, "");
    EXPECT_EQ(name->DefaultValue, "");
    EXPECT_EQ(name->GetDescription(), "The name");
    TFldData* amt = t1->FindField("AMT");
    EXPECT_EQ(amt->DataType, 46);
    EXPECT_EQ(amt->Precision, 18);
    EXPECT_EQ(amt->Scale, 4);
    TFldData* a2 = t1->FindField("A2");
    EXPECT_EQ(a2->DataType, DomainDataType);
    EXPECT_EQ(a2->DomainName, "D_AMT");
    EXPECT_EQ(a2->DefaultValue, "1.5");
    using Bounds = std::vector<std::pair<std::int32_t, std::int32_t>>;
    EXPECT_EQ(t1->FindField("ARR")->Dimensions, (Bounds{{1, 3}, {0, 2}}));
    EXPECT_EQ(t1->FindField("C")->GetSource(), "(ID*2)");
    EXPECT_EQ(t1->FindField("S")->CollationName, "UNICODE_CI_AI_X");
    EXPECT_FALSE(t1->FindField("ID")->Nullable);
    EXPECT_TRUE(O()->FindTable("T2")->FindField("ID")->Identity);
    EXPECT_FALSE(O()->FindTable("T2")->FindField("T1ID")->Identity);
    EXPECT_TRUE(O()->FindTable("GTT1")->GlobalTemporary);
    EXPECT_EQ(O()->FindTable("GTT1")->OnCommit, 2);
    EXPECT_EQ(O()->FindTable("GTT2")->OnCommit, 1);
    EXPECT_FALSE(t1->GlobalTemporary);
    EXPECT_EQ(Keys(O()->Tables()), (Strings{"GTT1", "GTT2", "T1", "T2"}));
}

TEST_F(ExtractF, DomainsAndCollations) {
    TDmnData* d = O()->FindDomain("D_NAME");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->Type().DefaultValue, "'x'");
    EXPECT_FALSE(d->Type().Nullable);
    EXPECT_EQ(d->Type().CheckText, "(VALUE <> '')");
    EXPECT_EQ(d->Type().DataType, 14);
    EXPECT_EQ(d->Type().Length, 30);
    TDmnData* amt = O()->FindDomain("D_AMT");
    EXPECT_EQ(amt->Type().DataType, 46);
    EXPECT_EQ(amt->Type().Precision, 9);
    EXPECT_EQ(amt->Type().Scale, 2);
    auto* c = Find<TCltData>(O()->Collations(), "UNICODE_CI_AI_X");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->BaseCollation, "UNICODE");
    EXPECT_EQ(c->CharSet, "UTF8");
    EXPECT_FALSE(c->CaseSensitive);
    EXPECT_FALSE(c->AccentSensitive);
    EXPECT_EQ(c->SpecificAttributes, "");
}

TEST_F(ExtractF, FunctionsAndProcedures) {
    TUdfData* udf = O()->FindUdf("UDF1");
    ASSERT_NE(udf, nullptr);
    EXPECT_TRUE(udf->GetReturnValue()->ByValue);
    EXPECT_EQ(udf->Params.Count(), 2);
    EXPECT_EQ(udf->EntryPoint, "f1");
    EXPECT_EQ(udf->ModuleName, "m1");
    EXPECT_EQ(udf->GetReturnValue()->DataType, 1);
    EXPECT_EQ(dynamic_cast<TFldData*>(udf->Params.Objects(1))->DataType, 56);
    EXPECT_EQ(dynamic_cast<TFldData*>(udf->Params.Objects(1))->Length, 20);

    TPrcData* f1 = O()->FindProcedure("F1");
    ASSERT_NE(f1, nullptr);
    EXPECT_TRUE(f1->IsFunction());
    EXPECT_EQ(Keys(f1->InputParams), Strings{"X"});
    EXPECT_EQ(f1->OutputParams.Count(), 1);
    EXPECT_NE(f1->GetSource().find("RETURN X + 1;"), std::string::npos);

    TPrcData* p1 = O()->FindProcedure("P1");
    ASSERT_NE(p1, nullptr);
    EXPECT_FALSE(p1->IsFunction());
    EXPECT_EQ(Keys(p1->InputParams), (Strings{"B", "C", "A"}));
    EXPECT_EQ(Keys(p1->OutputParams), Strings{"R"});
    auto param = [](TStringList& l, const char* n) {
        return dynamic_cast<TFldData*>(l.Objects(l.IndexOf(n)));
    };
    TFldData* b = param(p1->InputParams, "B");
    EXPECT_TRUE(b->TypeOf);
    EXPECT_EQ(b->DataType, DomainDataType);
    EXPECT_EQ(b->TypeOfTable, "T1");
    EXPECT_EQ(b->TypeOfColumn, "NAME");
    EXPECT_EQ(b->DefaultValue, "");
    TFldData* c = param(p1->InputParams, "C");
    EXPECT_EQ(c->DomainName, "D_AMT");
    EXPECT_FALSE(c->TypeOf);
    EXPECT_FALSE(c->Nullable);
    EXPECT_EQ(param(p1->InputParams, "A")->DefaultValue, "5");
    EXPECT_EQ(param(p1->OutputParams, "R")->GetKind(), TDbObject::dboParam);

    TPkgData* pk = O()->FindPackage("PK1");
    ASSERT_NE(pk, nullptr);
    EXPECT_NE(pk->GetHeaderSource().find("PROCEDURE P1 (Z INTEGER);"), std::string::npos);
    EXPECT_NE(pk->GetSource().find("RETURN Y;"), std::string::npos);
    EXPECT_EQ(Keys(O()->Procedures()), (Strings{"F1", "P1"}));
}

TEST_F(ExtractF, TriggersExceptionsViews) {
    TTrgData* tr1 = O()->FindTrigger("TR1");
    ASSERT_NE(tr1, nullptr);
    EXPECT_EQ(tr1->TableName, "T1");
    EXPECT_EQ(tr1->Position, 5);
    EXPECT_EQ(tr1->Time, 1);
    EXPECT_EQ(tr1->Events, 2);
    EXPECT_EQ(tr1->Active, 1);
    EXPECT_EQ(tr1->IBTypeCode, 1);
    TTrgData* tr2 = O()->FindTrigger("TR2");
    EXPECT_EQ(tr2->IBTypeCode, 17);
    EXPECT_EQ(tr2->Time, 0);
    EXPECT_EQ(tr2->Events, 0);
    TTrgData* db = O()->FindTrigger("TRDB");
    EXPECT_EQ(db->TableName, "DATABASE");
    EXPECT_EQ(db->DatabaseEvent, "TRANSACTION COMMIT");
    // DDL triggers are database triggers whose event clause comes from the 64-bit type.
    ASSERT_NE(O()->FindTrigger("TRDDL"), nullptr);
    EXPECT_EQ(O()->FindTrigger("TRDDL")->DatabaseEvent, "BEFORE ANY DDL STATEMENT");
    EXPECT_TRUE(O()->FindTrigger("TRDDL")->IsDDLTrigger());
    ASSERT_NE(O()->FindTrigger("TRDDL2"), nullptr);
    EXPECT_EQ(O()->FindTrigger("TRDDL2")->DatabaseEvent, "AFTER CREATE TABLE OR ALTER TABLE");

    EXPECT_EQ(O()->FindException("E1")->Message, "It's bad");

    TViwData* v1 = O()->FindView("V1");
    ASSERT_NE(v1, nullptr);
    EXPECT_TRUE(EndsStr("WITH CHECK OPTION", v1->GetSource())) << v1->GetSource();
    EXPECT_TRUE(DependsOn(v1, "T1", "ID"));
    EXPECT_TRUE(DependsOn(v1, "D_NAME"));
    TViwData* v2 = O()->FindView("V2");
    EXPECT_EQ(Keys(v2->Fields), (Strings{"ID", "X"}));
    EXPECT_TRUE(DependsOn(v2, "T1", "ID"));
}

TEST_F(ExtractF, GeneratorsIndicesConstraints) {
    EXPECT_EQ(Keys(O()->Generators()), (Strings{"G1", "G2"}));
    EXPECT_EQ(O()->FindGenerator("G1")->Increment, "");
    EXPECT_EQ(O()->FindGenerator("G2")->Increment, "10");

    EXPECT_EQ(Keys(O()->Indices()), (Strings{"IX_EXPR", "IX_T1_AMT", "IX_T1_NAME"}));
    TIdxData* name = O()->FindIndex("IX_T1_NAME");
    EXPECT_FALSE(name->Descending);
    EXPECT_TRUE(name->Active);
    EXPECT_EQ(Keys(name->Columns), Strings{"NAME"});
    EXPECT_EQ(name->TableName, "T1");
    EXPECT_TRUE(O()->FindIndex("IX_T1_AMT")->Descending);
    TIdxData* expr = O()->FindIndex("IX_EXPR");
    EXPECT_EQ(expr->GetSource(), "(UPPER(NAME))");
    EXPECT_EQ(expr->Columns.Count(), 0);

    const auto pk1 = Constraints(O(), ctPrimaryKey, "T1");
    ASSERT_EQ(pk1.size(), 1u);
    EXPECT_EQ(pk1[0]->GetName(), "");
    EXPECT_TRUE(StartsStr("INTEG_", pk1[0]->OverrideName));
    EXPECT_EQ(pk1[0]->IndexName, "");
    EXPECT_FALSE(pk1[0]->IndexDescending);
    EXPECT_EQ(Keys(pk1[0]->Columns), Strings{"ID"});
    EXPECT_TRUE(DependsOn(pk1[0], "T1"));
    EXPECT_TRUE(DependsOn(pk1[0], "T1", "ID"));
    const auto pk2 = Constraints(O(), ctPrimaryKey, "T2");
    ASSERT_EQ(pk2.size(), 1u);
    EXPECT_EQ(pk2[0]->GetName(), "PK_T2");
    EXPECT_EQ(pk2[0]->IndexName, "");
    const auto fk = Constraints(O(), ctForeignKey, "T2");
    ASSERT_EQ(fk.size(), 1u);
    EXPECT_EQ(fk[0]->GetName(), "FK_T2");
    EXPECT_EQ(Keys(fk[0]->Columns), Strings{"T1ID"});
    EXPECT_EQ(Keys(fk[0]->RefColumns), Strings{"ID"});
    EXPECT_EQ(fk[0]->RefTableName, "T1");
    EXPECT_EQ(fk[0]->DeleteRule, raSetNull);
    EXPECT_EQ(fk[0]->UpdateRule, raCascade);
    EXPECT_TRUE(DependsOn(fk[0], "T1", "ID"));
    const auto uq = Constraints(O(), ctUnique, "T2");
    ASSERT_EQ(uq.size(), 1u);
    EXPECT_EQ(uq[0]->GetName(), "UQ_T2");
    EXPECT_EQ(uq[0]->IndexName, "UQ_T2_IDX");
    EXPECT_TRUE(uq[0]->IndexDescending);
    EXPECT_EQ(Keys(uq[0]->Columns), Strings{"T1ID"});
    const auto ck = Constraints(O(), ctCheck, "T2");
    ASSERT_EQ(ck.size(), 1u);
    EXPECT_EQ(ck[0]->GetName(), "");
    EXPECT_EQ(ck[0]->GetSource(), "(T1ID > 0)");
}

TEST_F(ExtractF, RolesAndGrants) {
    ASSERT_NE(O()->FindRole("R1"), nullptr);
    EXPECT_EQ(O()->FindRole("RDB$ADMIN"), nullptr);
    const auto u1 = GrantsTo(O(), "U1");
    ASSERT_EQ(u1.size(), 1u);
    EXPECT_EQ(u1[0]->ObjectName, "T1");
    EXPECT_EQ(u1[0]->Privileges, Bits({1, 2, 4}));
    EXPECT_EQ(u1[0]->ObjectKind, TDbObject::dboTable);
    EXPECT_EQ(u1[0]->GranteeKind, TDbObject::dboUser);
    const auto u3 = GrantsTo(O(), "U3");
    ASSERT_EQ(u3.size(), 2u);
    const TGntData* upd = u3[0]->HasPrivilege(2) ? u3[0] : u3[1];
    const TGntData* ref = u3[0]->HasPrivilege(2) ? u3[1] : u3[0];
    EXPECT_EQ(upd->Privileges, Bits({2}));
    EXPECT_EQ(Keys(upd->Columns), (Strings{"AMT", "NAME"}));
    EXPECT_EQ(ref->Privileges, Bits({6}));
    EXPECT_EQ(Keys(ref->Columns), Strings{"ID"});
    const auto u4 = GrantsTo(O(), "U4");
    ASSERT_EQ(u4.size(), 1u);
    EXPECT_EQ(u4[0]->Privileges, 0u);
    EXPECT_EQ(u4[0]->ObjectName, "R1");
    EXPECT_EQ(u4[0]->ObjectKind, TDbObject::dboRole);
    const auto u5 = GrantsTo(O(), "U5");
    ASSERT_EQ(u5.size(), 1u);
    EXPECT_EQ(u5[0]->Privileges, Bits({5}));
    EXPECT_EQ(u5[0]->ObjectName, "P1");
    const auto tr1 = GrantsTo(O(), "TR1");
    ASSERT_EQ(tr1.size(), 1u);
    EXPECT_EQ(tr1[0]->GranteeKind, TDbObject::dboTrigger);
    EXPECT_EQ(tr1[0]->Privileges, Bits({5}));
    const auto u6 = GrantsTo(O(), "U6");
    ASSERT_EQ(u6.size(), 1u);
    EXPECT_EQ(u6[0]->ObjectName, "G1");
    EXPECT_EQ(u6[0]->Privileges, Bits({43}));
    const auto r1 = GrantsTo(O(), "R1");
    ASSERT_EQ(r1.size(), 1u);
    EXPECT_EQ(r1[0]->ObjectName, "E1");
    EXPECT_EQ(r1[0]->GranteeKind, TDbObject::dboRole);
    TStringList& all = O()->Grants();
    for (int i = 0; i < all.Count(); ++i) {
        auto* g = dynamic_cast<TGntData*>(all.Objects(i));
        EXPECT_NE(g->ObjectName, "RDB$ADMIN");
        EXPECT_EQ(g->CompareKind, TCmpObjType::coGrant);
    }
}

TEST(ExtractSecond, QuotedNamesAndMixedViewRows) {
    TTestDatabase db(ReadFixture("second.sql"), "s.fdb", "smxext");
    TExtractRig r(db.Path());
    bool checked = false;
    r.OnStep = [&](int Kind, const std::string& Text) {
        if (Kind != 0 || Text != "Parsing bodies") return;
        checked = true;
        for (const char* v : {"V90", "V91", "V92", "V93", "V94"}) {
            TViwData* view = r.O()->FindView(v);
            ASSERT_NE(view, nullptr) << v;
            EXPECT_TRUE(DependsOn(view, "T9", "ID")) << v;
        }
    };
    EXPECT_TRUE(r.Run());
    EXPECT_TRUE(checked);
    EXPECT_TRUE(r.Errors.empty()) << r.Errors.front();
    TPrcData* fq = r.O()->FindProcedure("F'Q");
    ASSERT_NE(fq, nullptr);
    EXPECT_EQ(Keys(fq->InputParams), Strings{"X"});
    EXPECT_NE(r.O()->FindProcedure("F1"), nullptr);
    EXPECT_NE(r.O()->FindUdf("UDF1"), nullptr);
    TCtrData* uq = nullptr;
    TStringList& l = r.O()->Constraints();
    for (int i = 0; i < l.Count(); ++i)
        if (auto* c = dynamic_cast<TCtrData*>(l.Objects(i)); c && c->GetName() == "UQ'3") uq = c;
    ASSERT_NE(uq, nullptr);
    EXPECT_EQ(Keys(uq->Columns), Strings{"A"});
    EXPECT_EQ(uq->IndexName, "IX'3");
}

TEST(ExtractSecond, KeysFunctionsViewsAndGrantEdges) {
    TTestDatabase db(ReadFixture("edges.sql"), "e.fdb", "smxext");
    TExtractRig r(db.Path());
    ASSERT_TRUE(r.Run());
    TObjs* o = r.O();
    // A descending key index named like the key is kept with its mark; an ascending one under
    // another name is kept by name.
    const auto pkd = Constraints(o, ctPrimaryKey, "TD");
    ASSERT_EQ(pkd.size(), 1u);
    EXPECT_EQ(pkd[0]->IndexName, "PK_TD");
    EXPECT_TRUE(pkd[0]->IndexDescending);
    const auto pkn = Constraints(o, ctPrimaryKey, "TN");
    ASSERT_EQ(pkn.size(), 1u);
    EXPECT_EQ(pkn[0]->IndexName, "IX_TN_PK");
    EXPECT_FALSE(pkn[0]->IndexDescending);
    const auto fk = Constraints(o, ctForeignKey, "TN");
    ASSERT_EQ(fk.size(), 1u);
    // NO ACTION is kept as stated: a key without an action restricts.
    EXPECT_EQ(fk[0]->UpdateRule, raNoAction);
    EXPECT_EQ(fk[0]->DeleteRule, raNoAction);
    EXPECT_EQ(o->ObjectCount(TObjsList::olIndices), 0);

    TUdfData* udf = o->FindUdf("UDF_R2");
    ASSERT_NE(udf, nullptr);
    EXPECT_EQ(udf->GetReturnValue()->ReturnsParameter, 2);
    EXPECT_EQ(udf->Params.Count(), 2);

    // Firebird 3 stores the whole clause as written; only a source ending in "with check" is completed.
    EXPECT_TRUE(EndsStr("with check option", o->FindView("VC")->GetSource()))
        << o->FindView("VC")->GetSource();

    const auto u7 = GrantsTo(o, "U7");
    ASSERT_EQ(u7.size(), 2u);
    EXPECT_NE(u7[0]->GrantOption, u7[1]->GrantOption);
    // The server's own USAGE records for an owner other than SYSDBA (each column's field, its
    // domain, its sequence) are no grants; the owner keeps only its DDL rights.
    EXPECT_EQ(GrantsTo(o, "OWNER1").size(), 3u);
    EXPECT_EQ(GrantsTo(o, "U9").size(), 1u);

    for (const char* what : {"BLOB filter FL", "mapping MP", "description of the database",
                             "description of character set UTF8", "description of collation CL"})
        EXPECT_TRUE(r.HasLine(std::string("Not compared: ") + what)) << what;
}

TEST(ExtractSecond, EmptyDatabaseRunsEveryStep) {
    TTestDatabase db(CreateDatabaseSql("", "PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8"), "n.fdb", "smxext");
    TExtractRig r(db.Path());
    EXPECT_TRUE(r.Run());
    EXPECT_EQ(r.MainSteps().size(), 19u);
    EXPECT_EQ(r.MainSteps().back(), "Finished");
    EXPECT_EQ(r.O()->ObjectCount(TObjsList::olTables), 0);
    EXPECT_TRUE(r.Errors.empty());
}

TEST(ExtractSecond, ExceptionInAReaderEndsTheRunDisconnected) {
    auto db = MakeFixture(false);
    TExtractRig r(db->Path());
    r.Ex.OnAcceptObj = [](TObject*, const std::string& Name, TDbObject Kind, bool&) {
        if (Name == "T2" && Kind == TDbObject::dboTable) throw std::runtime_error("refused T2");
    };
    EXPECT_FALSE(r.Run());
    EXPECT_EQ(r.Errors, Strings{"refused T2"});
    EXPECT_NE(r.O()->FindTable("T1"), nullptr);
    EXPECT_EQ(r.O()->FindTable("T2"), nullptr);
    EXPECT_EQ(r.MainSteps().back(), "Tables");
    EXPECT_FALSE(r.Conn.GetConnected());
}

// An extractor that reads as on a server without any of the probed catalogue columns and tables.
class TNoCapabilitiesExtract : public TIBDBExtract {
protected:
    void ExtractCharSets() override {
        TIBDBExtract::ExtractCharSets();
        Capabilities() = TIBCapabilities{};
    }
};

TEST(ExtractSecond, EveryQueryRunsWithoutTheCapabilityPieces) {
    auto db = MakeFixture(true);
    TExtractRig r(db->Path());
    TNoCapabilitiesExtract ex;
    ex.SetSMXConnection(&r.Conn);
    ex.SetDBStructure(&r.St);
    std::vector<std::string> errors;
    ex.SetOnErrorMessage([&](TObject*, const std::string& t) { errors.push_back(t); });
    ex.SetOnLogNextLine([](TObject*, const std::string&) {});
    ex.OnLog = [](TObject*, int, const std::string&, int, int) {};
    EXPECT_TRUE(ex.ExtractDatabase());
    EXPECT_TRUE(errors.empty()) << errors.front();
    TObjs* o = r.O();
    for (bool TIBCapabilities::*flag : IBCapabilityFlags)
        EXPECT_FALSE(ex.GetCapabilities().*flag);
    // Persistent tables, no identity, no roles; a PSQL function reads as an external one.
    EXPECT_FALSE(o->FindTable("GTT1")->GlobalTemporary);
    EXPECT_FALSE(o->FindTable("T2")->FindField("ID")->Identity);
    EXPECT_EQ(o->ObjectCount(TObjsList::olRoles), 0);
    EXPECT_NE(o->FindUdf("F1"), nullptr);
    // Without the precision column the scale still gives precision and scale of the storage.
    EXPECT_EQ(o->FindTable("T1")->FindField("AMT")->Precision, 18);
    EXPECT_EQ(o->FindTable("T1")->FindField("AMT")->Scale, 4);
    EXPECT_EQ(Constraints(o, ctForeignKey, "T2").at(0)->DeleteRule, raNone);
    EXPECT_EQ(o->FindGenerator("G2")->Increment, "");
    EXPECT_NE(o->FindProcedure("P1"), nullptr);
    EXPECT_EQ(o->FindPackage("PK1"), nullptr);
}

TEST(ExtractSecond, ThrowingAcceptHandlerIsAnErrorAndTheRunGoesOn) {
    auto db = MakeFixture(false);
    TExtractRig r(db->Path());
    r.Ex.OnAcceptObj = [](TObject*, const std::string& Name, TDbObject, bool&) {
        if (Name == "F1") throw std::runtime_error("refused F1");
    };
    r.Run();
    EXPECT_EQ(r.Errors, Strings{"refused F1"});
    EXPECT_EQ(r.O()->FindProcedure("F1"), nullptr);
    EXPECT_NE(r.O()->FindTable("T1"), nullptr);
    EXPECT_NE(r.O()->FindView("V1"), nullptr);

    TExtractRig other(db->Path());
    TSchemalyst cmp;
    Sides(cmp, &r.St, &r.Ex, &other.St, &other.Ex);
    cmp.OnErrorMessage = [](TObject*, const std::string&) {};
    EXPECT_FALSE(cmp.ExtractStructures());
}

TEST_F(ExtractF, BodiesParsedAndLinked) {
    EXPECT_TRUE(Rig->HasLine("Parsing bodies..."));
    EXPECT_TRUE(Rig->HasLine("Linking dependencies..."));
    // Dependencies found only in the parsed bodies.
    EXPECT_TRUE(DependsOn(O()->FindTrigger("TR1"), "G1"));
    EXPECT_TRUE(DependsOn(O()->FindIndex("IX_EXPR"), "T1", "NAME"));
    EXPECT_TRUE(DependsOn(O()->FindTable("T1")->FindField("C"), "T1", "ID"));
    EXPECT_TRUE(DependsOn(Constraints(O(), ctCheck, "T2").at(0), "T2", "T1ID"));
    for (int i = 0; i < Rig->Ex.GetMsgManager().Count(); ++i)
        EXPECT_NE(Rig->Ex.GetMsgManager().Item(i).Kind, 2) << Rig->Ex.GetMsgManager().Item(i).Text;
}

TEST(CleanDefaultSource, Texts) {
    const std::pair<const char*, const char*> cases[] = {
        {"DEFAULT 5", "5"},
        {"= 5", "5"},
        {"DEFAULT /*c*/ 'it''s'", "'it''s'"},
        {"DEFAULT 'a/*b*/'", "'a/*b*/'"},
        {"DEFAULT 1 -- x", "1 -- x"},
        {"default 'x'", "'x'"},
        {"  DEFAULT\t7", "7"},
        {"DeFaUlT\r\n  'x'", "'x'"},
        {"DEFAULT \"q/*\" /* unterminated", "\"q/*\""},
        {"", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(CleanDefaultSource(in), out) << in;
}

TEST(IBObjectTypes, Mapping) {
    EXPECT_EQ(IBObjectTypeToDbObject(0), TDbObject::dboTable);
    EXPECT_EQ(IBObjectTypeToDbObject(2), TDbObject::dboTrigger);
    EXPECT_EQ(IBObjectTypeToDbObject(8), TDbObject::dboUser);
    EXPECT_EQ(IBObjectTypeToDbObject(13), TDbObject::dboRole);
    EXPECT_EQ(IBObjectTypeToDbObject(16), TDbObject::dboUnknown);
    EXPECT_EQ(IBObjectTypeToDbObject(18), TDbObject::dboPackage);
    EXPECT_EQ(IBObjectTypeToDbObject(19), TDbObject::dboUnknown);
    EXPECT_EQ(IBObjectTypeToDbObject(-1), TDbObject::dboUnknown);
}

// ---- Failures

TEST(ExtractFailures, WiringErrorsTouchNothing) {
    TTestDatabase db(CreateDatabaseSql("CREATE TABLE T (A INTEGER);\n"));
    TExtractRig r(db.Path());
    auto* keep = new TTblData(r.O());
    keep->SetName("KEEP");
    r.O()->AddObject(keep, true);

    const int attaches = TIBDatabase::AttachCount();
    r.Ex.SetSMXConnection(nullptr);
    EXPECT_FALSE(r.Run());
    EXPECT_EQ(r.Errors, Strings{"TIBDBExtract.ExtractDatabase(): Connection property not assigned."});

    TSMXCustomConnection abstract;
    r.Ex.SetSMXConnection(&abstract);
    EXPECT_FALSE(r.Run());
    EXPECT_EQ(r.Errors,
              Strings{"TIBDBExtract.ExtractDatabase(): ConnectionType in Connection not specified."});

    r.Ex.SetSMXConnection(&r.Conn);
    r.Ex.SetDBStructure(nullptr);
    EXPECT_FALSE(r.Run());
    EXPECT_EQ(r.Errors, Strings{"TIBDBExtract.ExtractDatabase(): DBStructure not assigned."});
    EXPECT_EQ(r.Ex.GetMsgManager().Count(), 1);
    EXPECT_TRUE(r.Ex.GetMsgManager().HasErrors());
    EXPECT_NE(r.O()->FindTable("KEEP"), nullptr);
    EXPECT_FALSE(r.Conn.GetConnected());
    EXPECT_EQ(TIBDatabase::AttachCount(), attaches);
}

TEST(ExtractFailures, MissingDatabaseGivesOneError) {
    TTempDir dir("smxext");
    TExtractRig r(dir.File("missing.fdb"));
    EXPECT_FALSE(r.Run());
    EXPECT_EQ(r.Ex.GetMsgManager().Count(), 1);
    ASSERT_EQ(r.Errors.size(), 1u);
    EXPECT_EQ(r.Errors[0], "Cannot connect to \"" + dir.File("missing.fdb") + "\".");
    EXPECT_FALSE(r.ConnErrors.empty());
    EXPECT_EQ(r.O()->ObjectCount(TObjsList::olTables), 0);
    EXPECT_FALSE(r.Conn.GetConnected());
    EXPECT_EQ(r.MainSteps(), Strings{"Starting"});
}

TEST(ExtractFailures, StopFlagEndsTheRunAsFailed) {
    auto db = MakeFixture(false);
    TExtractRig r(db->Path());
    r.OnStep = [](int Kind, const std::string& Text) {
        if (Kind == 1 && Text == "T1") StopRequested = true;
    };
    const bool ok = r.Run();
    StopRequested = false;
    EXPECT_FALSE(ok);
    EXPECT_NE(r.O()->FindTable("T1"), nullptr);
    EXPECT_EQ(r.O()->FindTable("T2"), nullptr);
    const Strings main = r.MainSteps();
    EXPECT_EQ(main.back(), "Tables");
    EXPECT_EQ(std::find(main.begin(), main.end(), "Views"), main.end());
    EXPECT_EQ(r.Errors, Strings{"Extraction stopped."});
    EXPECT_TRUE(r.Ex.GetMsgManager().HasErrors());
    EXPECT_FALSE(r.Conn.GetConnected());

    // A comparer over that structure refuses to compare.
    TExtractRig other(db->Path());
    TSchemalyst cmp;
    Sides(cmp, &r.St, &r.Ex, &other.St, &other.Ex);
    cmp.OnErrorMessage = [](TObject*, const std::string&) {};
    r.OnStep = [](int Kind, const std::string& Text) {
        if (Kind == 1 && Text == "T1") StopRequested = true;
    };
    const bool extracted = cmp.ExtractStructures();
    StopRequested = false;
    EXPECT_FALSE(extracted);
}

TEST(ExtractFailures, ConnectedBeforeEndsDisconnected) {
    TTestDatabase db(
        CreateDatabaseSql("CREATE TABLE T (A INTEGER);\n", "PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8"));
    TExtractRig r(db.Path());
    r.Conn.SetConnected(true);
    ASSERT_TRUE(r.Conn.GetConnected());
    EXPECT_TRUE(r.Run());
    EXPECT_FALSE(r.Conn.GetConnected());
    EXPECT_NE(r.O()->FindTable("T"), nullptr);
}

TEST(ExtractGates, WithoutTablesTheLabelStaysAndIBETablesAreSkipped) {
    TTestDatabase db(CreateDatabaseSql("CREATE TABLE T (A INTEGER);\nCREATE TABLE IBE$LOG (A INTEGER);\n",
                                       "PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8"));
    TExtractRig r(db.Path());
    TCmpObjSetType kinds = AllCmpObjTypes;
    kinds -= TCmpObjType::coTable;
    r.Ex.SetExtractObjects(kinds);
    EXPECT_TRUE(r.Run());
    const Strings main = r.MainSteps();
    EXPECT_NE(std::find(main.begin(), main.end(), "Tables"), main.end());
    EXPECT_EQ(r.O()->ObjectCount(TObjsList::olTables), 0);
    EXPECT_EQ(r.Progress.back(), std::make_pair(16, 16));

    r.Ex.SetExtractObjects(AllCmpObjTypes);
    r.O()->GetIBServerOptions().GetIBCompareOptions().SetIgnoreIBEObjects(true);
    EXPECT_TRUE(r.Run());
    EXPECT_EQ(Keys(r.O()->Tables()), Strings{"T"});
    EXPECT_NE(std::find(r.Steps.begin(), r.Steps.end(), TStepEvent(1, "Tables", 0, 1)), r.Steps.end());
}

// ---- Round trips

// isql-fb -x of the database without the commented CREATE DATABASE line and without CR.
std::string ExtractText(const std::string& path) {
    const std::string out = IsqlExtract(path);
    std::string r;
    std::size_t start = 0;
    while (start < out.size()) {
        std::size_t end = out.find('\n', start);
        if (end == std::string::npos) end = out.size();
        std::string line = out.substr(start, end - start);
        start = end + 1;
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        if (line.find("CREATE DATABASE") != std::string::npos) continue;
        // The stored check source keeps the blank its script had after CHECK; the writer's has none.
        for (std::size_t p = line.find("CHECK ("); p != std::string::npos; p = line.find("CHECK (", p))
            line.erase(p + 5, 1);
        r += line + "\n";
    }
    return r;
}

TEST(ExtractRoundTrip, WriterScriptRebuildsTheDatabase) {
    auto f0 = MakeFixture(false);
    TExtractRig r(f0->Path());
    r.O()->GetIBServerOptions().GetIBCompareOptions().SetFldCharsetCompare(true);
    ASSERT_TRUE(r.Run());
    r.O()->GetScriptOptions().SetConnect(false);
    r.O()->GetScript();
    const std::string script = r.O()->GetScriptLines().Text();
    TTestDatabase empty(CreateDatabaseSql("", "PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8"), "e.fdb",
                        "smxext");
    const std::string file = empty.Dir().File("structure.sql");
    std::ofstream(file, std::ios::binary) << "CONNECT '" << SqlQuoteDoubled(empty.Path()) << "';\n" << script;
    const TIsqlResult run = RunIsqlFile(file);
    EXPECT_TRUE(run.Ok()) << run.Output << "\n" << script;
    EXPECT_EQ(run.Output.find("Statement failed"), std::string::npos) << run.Output;
    EXPECT_EQ(ExtractText(empty.Path()), ExtractText(f0->Path())) << script;
}

// The columns read on attachments of their own, or on the main one when a transaction held open
// elsewhere leaves the snapshots unproved: the same script, log lines, step events and progress.
TEST(ExtractRoundTrip, ColumnsReadAlongsideOrOnTheMainAttachmentAlike) {
    auto f = MakeFixture(true);
    const auto extract = [&f](bool HoldTransaction) {
        auto other = MakeIBDatabase(f->Path());
        other->Open();
        TIBTransaction held, count;
        held.SetDefaultDatabase(other.get());
        count.SetDefaultDatabase(other.get());
        if (HoldTransaction) held.StartTransaction();
        TIBQuery attachments;
        attachments.SetDatabase(other.get());
        attachments.SetTransaction(&count);
        attachments.SetSQLText("select count(*) from mon$attachments where mon$system_flag = 0");
        TExtractRig r(f->Path());
        std::int64_t seen = 0;
        r.OnStep = [&](int Kind, const std::string& Text) {
            if (Kind != 0 || Text != "Views") return;
            attachments.Open();
            seen = (*attachments.Fields())[0].AsInteger();
            count.Commit();
        };
        EXPECT_TRUE(r.Run());
        EXPECT_EQ(seen, HoldTransaction ? 2 : 4); // this one, the main one and the two readers
        r.O()->GetScript();
        return std::tuple(r.O()->GetScriptLines().Text(), r.Lines, r.Steps, r.Progress, r.Errors);
    };
    EXPECT_EQ(extract(false), extract(true));
}

TEST(ExtractRoundTrip, SelfCompareWritesNothing) {
    auto f = MakeFixture(true);
    TExtractRig master(f->Path()), target(f->Path());
    TSchemalyst cmp;
    Sides(cmp, &master.St, &master.Ex, &target.St, &target.Ex);
    std::vector<std::string> errors;
    cmp.OnErrorMessage = [&](TObject*, const std::string& t) { errors.push_back(t); };
    cmp.ExtractAndCompare();
    EXPECT_TRUE(errors.empty()) << errors.front();
    ASSERT_NE(cmp.GetSQLExec(), nullptr);
    TStringList lines;
    cmp.GetSQLExec()->GetScriptLines(lines, false);
    EXPECT_EQ(cmp.GetSQLExec()->GetHasExecutableStatements(), 0) << lines.Text();
}

TEST(ExtractRoundTrip, PackagesReachAnEmptyDatabase) {
    TTestDatabase master(ReadFixture("packages.sql"), "m.fdb", "smxext");
    TTestDatabase target(CreateDatabaseSql("", "PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8"), "t.fdb",
                         "smxext");
    TExtractRig m(master.Path()), t(target.Path());
    TSchemalyst cmp;
    cmp.GetIBCompareOptions().SetUseRECONNECT(false);
    cmp.GetIBCompareOptions().SetUpdateDescriptionMode(TUpdateDescriptionType::udComment);
    Sides(cmp, &m.St, &m.Ex, &t.St, &t.Ex);
    std::vector<std::string> errors;
    cmp.OnErrorMessage = [&](TObject*, const std::string& e) { errors.push_back(e); };
    cmp.ExtractAndCompare();
    ASSERT_TRUE(errors.empty()) << errors.front();
    TStringList lines;
    cmp.GetSQLExec()->GetScriptLines(lines, false);
    const std::string file = target.Dir().File("update.sql");
    // The script's own header connects to the target.
    std::ofstream(file, std::ios::binary) << lines.Text();
    const TIsqlResult run = RunIsqlFile(file);
    EXPECT_TRUE(run.Ok()) << run.Output << "\n" << lines.Text();
    EXPECT_EQ(ExtractText(target.Path()), ExtractText(master.Path())) << lines.Text();
}

// ---- Read-back: a structure written as a script, run by isql-fb, read back by the extractor

// An extractor that keeps the structure as the test built it.
class TKeepExtract : public TCustomExtract {
public:
    bool ExtractDatabase() override {
        GetMsgManager().Clear();
        return true;
    }
};

struct TColumnCase {
    const char* name;
    std::uint8_t code;
    int length, precision, scale;
    std::function<void(TFldData*)> setup;
};

TEST(ExtractReadBack, ColumnsAndParametersComeBackAsWritten) {
    TTestDatabase db(CreateDatabaseSql("", "PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8"), "r.fdb", "smxext");
    TDBStructure s;
    s.SetDatabaseType(TDatabaseType::dbInterBase);
    TIBServerOptions& ib = s.GetIBServerOptions();
    ib.SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
    ib.SetDBCharSet("UTF8");
    ib.GetIBCompareOptions().SetFldCharsetCompare(true);
    ib.GetIBCompareOptions().SetUpdateDescriptionMode(TUpdateDescriptionType::udComment);
    TObjs* o = s.Objs();
    o->GetScriptOptions().SetConnect(false);

    auto* dom = new TDmnData(o);
    dom->SetName("D_NAME");
    dom->Type().DataType = 14;
    dom->Type().Length = 10;
    dom->Type().DefaultValue = "'x'";
    o->AddObject(dom, true);

    auto charset = [](const char* cs, const char* coll = "") {
        return [cs, coll](TFldData* f) {
            f->CharSetName = cs;
            f->CollationName = coll;
        };
    };
    const TColumnCase columns[] = {
        {"C_SMALL", 54, 0, 0, 0, nullptr},
        {"C_INT", 1, 0, 0, 0, [](TFldData* f) { f->Nullable = false; }},
        {"C_BIG", 2, 0, 0, 0, nullptr},
        {"C_NUM", 46, 0, 9, 2, nullptr},
        {"C_NUM4", 46, 0, 4, 1, nullptr},
        {"C_DEC", 47, 0, 18, 4, nullptr},
        {"C_FLOAT", 3, 0, 0, 0, nullptr},
        {"C_DOUBLE", 4, 0, 0, 0, nullptr},
        {"C_DATE", 18, 0, 0, 0, nullptr},
        {"C_TIME", 19, 0, 0, 0, nullptr},
        {"C_TS", 20, 0, 0, 0, [](TFldData* f) { f->DefaultValue = "CURRENT_TIMESTAMP"; }},
        {"C_CHAR", 15, 10, 0, 0, nullptr},
        {"C_VC", 14, 20, 0, 0, [](TFldData* f) { f->DefaultValue = "'x'"; }},
        {"C_OCT", 14, 20, 0, 0, charset("OCTETS")},
        {"C_CI", 14, 20, 0, 0, charset("UTF8", "UNICODE_CI")},
        {"C_W", 15, 5, 0, 0, charset("WIN1252", "PXW_INTL")},
        {"C_BLOB", 41, 0, 0, 0,
         [](TFldData* f) {
             f->SubType = 1;
             f->SegmentSize = 100;
         }},
        {"C_BIN", 41, 0, 0, 0, [](TFldData* f) { f->SegmentSize = 80; }},
        {"C_BOOL", 96, 0, 0, 0, nullptr},
        {"C_ARR", 1, 0, 0, 0,
         [](TFldData* f) {
             f->Dimensions = {{1, 5}, {0, 2}};
         }},
        {"C_Y", DomainDataType, 0, 0, 0,
         [](TFldData* f) {
             f->DomainName = "D_NAME";
             f->DefaultValue = "'y'";
         }},
        {"C_PLAIN", DomainDataType, 0, 0, 0, [](TFldData* f) { f->DomainName = "D_NAME"; }},
    };
    auto fill = [](TFldData* f, const TColumnCase& c) {
        f->DataType = c.code;
        f->Length = c.length;
        f->Precision = c.precision;
        f->Scale = c.scale;
        if (c.setup) c.setup(f);
    };
    auto* t = new TTblData(o);
    t->SetName("T_ALL");
    for (const TColumnCase& c : columns)
        fill(t->AddField(c.name), c);
    o->AddObject(t, true);
    auto* p = new TPrcData(o);
    p->SetName("P_ALL");
    p->SetSource("BEGIN\r\n  SUSPEND;\r\nEND");
    // Defaults, arrays and blob segment sizes are column matters: the parameters take the rest.
    const Strings columnOnly = {"C_TS", "C_VC", "C_Y", "C_BLOB", "C_BIN", "C_ARR"};
    for (const TColumnCase& c : columns) {
        if (std::find(columnOnly.begin(), columnOnly.end(), c.name) != columnOnly.end()) continue;
        TFldData* a = p->AddParam(std::string("A") + c.name, false);
        a->ParamDirection = 1;
        fill(a, c);
        // A parameter states no character set equal to the database's, as the reader gives it.
        if (a->CharSetName == "UTF8") a->CharSetName.clear();
    }
    TFldData* out = p->AddParam("R", true);
    out->ParamDirection = 2;
    out->DataType = 1;
    o->AddObject(p, true);

    o->GetScript();
    const std::string script = o->GetScriptLines().Text();
    const TIsqlResult run = db.Run(script);
    ASSERT_TRUE(run.Ok()) << run.Output << script;

    TExtractRig r(db.Path());
    r.O()->GetIBServerOptions().GetIBCompareOptions().SetFldCharsetCompare(true);
    ASSERT_TRUE(r.Run());
    TTblData* back = r.O()->FindTable("T_ALL");
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(Keys(back->Fields), Keys(t->Fields));
    for (int i = 0; i < t->FieldCount(); ++i)
        EXPECT_EQ(back->Field(i)->GetColumnTypeText(), t->Field(i)->GetColumnTypeText())
            << t->Field(i)->GetName();
    EXPECT_EQ(back->FindField("C_Y")->DefaultValue, "'y'");
    EXPECT_EQ(back->FindField("C_PLAIN")->DefaultValue, "");
    TPrcData* pb = r.O()->FindProcedure("P_ALL");
    ASSERT_NE(pb, nullptr);
    ASSERT_EQ(Keys(pb->InputParams), Keys(p->InputParams));
    for (int i = 0; i < p->InputParams.Count(); ++i) {
        auto* want = dynamic_cast<TFldData*>(p->InputParams.Objects(i));
        auto* got = dynamic_cast<TFldData*>(pb->InputParams.Objects(i));
        EXPECT_EQ(got->GetColumnTypeText(), want->GetColumnTypeText()) << want->GetName();
    }

    EXPECT_EQ(pb->GetCreateSQL(), p->GetCreateSQL());
    // The database built from the structure's script, compared with that structure: nothing to do.
    TKeepExtract keep;
    keep.SetDBStructure(&s);
    TSchemalyst cmp;
    cmp.GetIBCompareOptions().SetFldCharsetCompare(true);
    cmp.GetIBCompareOptions().SetUpdateDescriptionMode(TUpdateDescriptionType::udComment);
    Sides(cmp, &s, &keep, &r.St, &r.Ex);
    std::vector<std::string> errors;
    cmp.OnErrorMessage = [&](TObject*, const std::string& e) { errors.push_back(e); };
    cmp.ExtractAndCompare();
    EXPECT_TRUE(errors.empty()) << errors.front();
    TStringList lines;
    cmp.GetSQLExec()->GetScriptLines(lines, false);
    EXPECT_EQ(cmp.GetSQLExec()->GetHasExecutableStatements(), 0) << lines.Text();
}

TEST(ExtractRoundTrip, DatabaseAgainstItsCreationScript) {
    auto f0 = MakeFixture(false);
    const std::string file = f0->Dir().File("f0.sql");
    // The script side states what the server fills in by itself and the script parser cannot know:
    // the PAD SPACE the collation takes from UNICODE, and V1's column list. The script parser reads
    // no USAGE grants: the script side leaves them out, and grants are not compared here.
    std::string sql = ReplaceAll(ReadFixture("fixture_f0.sql"), "db", SqlQuoteDoubled(f0->Path()));
    sql = StringReplace(sql, "FROM UNICODE CASE", "FROM UNICODE PAD SPACE CASE");
    sql = StringReplace(sql, "CREATE VIEW V1 AS", "CREATE VIEW V1 (ID, NAME) AS");
    for (std::size_t p = sql.find("GRANT USAGE"); p != std::string::npos; p = sql.find("GRANT USAGE"))
        sql.erase(p, sql.find('\n', p) + 1 - p);
    std::ofstream(file, std::ios::binary) << sql;
    for (bool databaseIsMaster : {true, false}) {
        TExtractRig db(f0->Path());
        TDBStructure scripted;
        TIBServerOptions& ib = scripted.Objs()->GetIBServerOptions();
        ib.SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
        ib.SetDBCharSet("UTF8");
        ib.GetIBCompareOptions().SetUpdateDescriptionMode(TUpdateDescriptionType::udComment);
        TIBScriptExtract script;
        script.SetScriptFileName(file);
        script.SetDBStructure(&scripted);
        std::vector<std::string> errors;
        script.SetOnErrorMessage([&](TObject*, const std::string& e) { errors.push_back(e); });
        script.SetOnLogNextLine([](TObject*, const std::string&) {});
        TSchemalyst cmp;
        cmp.GetIBCompareOptions().SetUseRECONNECT(false);
        cmp.GetIBCompareOptions().SetUpdateDescriptionMode(TUpdateDescriptionType::udComment);
        cmp.OnErrorMessage = [&](TObject*, const std::string& e) { errors.push_back(e); };
        TCmpObjSetType kinds = AllCmpObjTypes;
        for (TCmpObjType k : {TCmpObjType::coGrant, TCmpObjType::coRoleGrant, TCmpObjType::coUserGrant,
                              TCmpObjType::coObjGrant})
            kinds -= k;
        cmp.SetCompareObjects(kinds);
        if (databaseIsMaster)
            Sides(cmp, &db.St, &db.Ex, &scripted, &script);
        else
            Sides(cmp, &scripted, &script, &db.St, &db.Ex);
        cmp.ExtractAndCompare();
        EXPECT_TRUE(errors.empty()) << errors.front();
        ASSERT_NE(cmp.GetSQLExec(), nullptr);
        TStringList lines;
        cmp.GetSQLExec()->GetScriptLines(lines, false);
        EXPECT_EQ(cmp.GetSQLExec()->GetHasExecutableStatements(), 0)
            << (databaseIsMaster ? "database as master\n" : "script as master\n") << lines.Text();
        EXPECT_NE(scripted.Objs()->FindTable("T1"), nullptr);
    }
}

} // namespace
} // namespace smx::test
