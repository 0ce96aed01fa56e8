// Schema object basics: construction state, stored texts, names by dialect and prefix, comments,
// quoting, the base DROP texts, description statements per dialect and mode, dependency records.
#include <gtest/gtest.h>

#include "ModelTestSupport.h"
#include "model/smxComp_Ctr.h"
#include "model/smxComp_Dmn.h"
#include "model/smxComp_Exc.h"
#include "model/smxComp_Fnc.h"
#include "model/smxComp_Idx.h"

namespace smx {
namespace {

using namespace test;

TEST(DbObj, NewObject) {
    TDbObj o;
    EXPECT_EQ(o.Exists, 1);
    EXPECT_TRUE(o.GetExists());
    EXPECT_EQ(o.GetNumber(), -1);
    EXPECT_EQ(o.GetKind(), TDbObject::dboUnknown);
    EXPECT_EQ(o.GetUsedBy().Count(), 0);
    EXPECT_EQ(o.GetDependsOn().Count(), 0);
    EXPECT_EQ(o.GetPartner(), nullptr);
    EXPECT_EQ(o.GetOwner(), nullptr);
    EXPECT_EQ(o.GetCompareObjects(), AllCmpObjTypes);
    EXPECT_EQ(o.GetSQLExec(), nullptr);
    TDependObj d;
    EXPECT_EQ(d.GetKind(), TDbObject::dboDepend);
    EXPECT_EQ(d.Recreate, 1);
}

TEST(DbObj, DescriptionAndSourceAreNormalised) {
    TDbObj o;
    o.SetDescription("  a\nb\t ");
    EXPECT_EQ(o.GetDescription(), "a\r\nb");
    o.SetDescription("caf\xE9");
    EXPECT_EQ(o.GetDescription(), "caf\xE9");
    o.SetSource("\r\n select 1\rfrom x \r\n");
    EXPECT_EQ(o.GetSource(), "select 1\r\nfrom x");
}

TEST(DbObj, NamePrefix) {
    TestStructure s;
    s.SetDatabaseType(TDatabaseType::dbInterBase);
    s.SetNamePrefix("ABC_");
    TDbObj a(s.GetObjs()), x(s.GetObjs()), exact(s.GetObjs()), lower(s.GetObjs());
    a.SetName("ABC_ORDERS");
    x.SetName("XYZ");
    lower.SetName("abc_ORDERS");
    EXPECT_EQ(a.GetFullName(), "ORDERS");
    EXPECT_EQ(a.GetDisplayName(), "ORDERS");
    EXPECT_EQ(a.GetShortName(), "ORDERS");
    EXPECT_EQ(x.GetFullName(), "XYZ");
    EXPECT_EQ(x.GetDisplayName(), "XYZ");
    EXPECT_EQ(lower.GetFullName(), "abc_ORDERS"); // the prefix test is case-sensitive

    TestStructure other;
    other.SetNamePrefix("P_");
    s.GetObjs()->SetPartnerObjs(other.GetObjs());
    EXPECT_EQ(a.GetPartnerName(), "P_ORDERS");
}

TEST(DbObj, FullNamesByDialect) {
    using enum TDatabaseType;
    struct Row {
        TDatabaseType type;
        std::string table, index;
    };
    const Row rows[] = {
        {dbMSSQL, "DBO.T", "DBO.T.I"}, {dbPostgreSQL, "s.T", "s.T.I"}, {dbOracle, "s.T", "s.I"},
        {dbSybaseASA, "s.T", "s.I"},   {dbDB2, "s.T", "s.I"},          {dbInterBase, "T", "I"},
        {dbMySQL, "T", "T.I"}, // MySQL index names are unique per table only
    };
    for (const Row& r : rows) {
        OwningObjs objs;
        objs.SetDatabaseType(r.type);
        TTblData t(&objs);
        t.SetName("T");
        t.SetParentName(r.type == dbMSSQL ? "dbo" : "s");
        TIdxData i(&objs);
        i.SetName("I");
        i.TableName = "T";
        i.SetParentName(r.type == dbMSSQL ? "dbo" : "s");
        EXPECT_EQ(t.GetFullName(), r.table) << static_cast<int>(r.type);
        EXPECT_EQ(i.GetFullName(), r.index) << static_cast<int>(r.type);
    }
}

TEST(DbObj, DisplayNames) {
    using enum TDatabaseType;
    OwningObjs asa;
    asa.SetDatabaseType(dbSybaseASA);
    TTblData t(&asa);
    t.SetName("T");
    EXPECT_EQ(t.GetDisplayName(), "T");
    t.Owner2 = "DBA";
    EXPECT_EQ(t.GetDisplayName(), "DBA.T");

    OwningObjs pg;
    pg.SetDatabaseType(dbPostgreSQL);
    TTblData p(&pg);
    p.SetName("orders");
    p.SetParentName("public");
    EXPECT_EQ(p.GetDisplayName(), "public.orders");
    TFldData f(&pg);
    f.SetName("id");
    f.SetParentName("public");
    EXPECT_EQ(f.GetDisplayName(), "id");

    TDbObj unnamed;
    unnamed.OverrideName = "PK on T";
    EXPECT_EQ(unnamed.GetDisplayName(), "PK on T");
}

TEST(DbObj, MSSQLNamesUpperCasedUnlessCaseSensitive) {
    OwningObjs ms;
    ms.SetDatabaseType(TDatabaseType::dbMSSQL);
    TDbObj o(&ms);
    o.SetName("orders");
    o.SetParentName("dbo");
    EXPECT_EQ(o.GetName(), "ORDERS");
    EXPECT_EQ(o.GetParentName(), "DBO");
    ms.GetMSSQLServerOptions().GetMSSQLCompareOptions().SetCaseSensitiveIdentifiers(true);
    o.SetName("orders");
    EXPECT_EQ(o.GetName(), "orders");
}

TEST(DbObj, CommentsAndQuoting) {
    OwningObjs ib, asa, ole;
    ib.SetDatabaseType(TDatabaseType::dbInterBase);
    asa.SetDatabaseType(TDatabaseType::dbSybaseASA);
    ole.SetDatabaseType(TDatabaseType::dbCustomOLEDB);
    TDbObj a(&ib), b(&asa), c(&ole), free;
    EXPECT_EQ(a.FormatComment("x"), "/* x */");
    EXPECT_EQ(b.FormatComment("x"), "% x");
    EXPECT_EQ(free.QuoteName("ORDER"), "ORDER");
    EXPECT_EQ(a.QuoteName("ORDER"), "\"ORDER\"");
    ib.GetIBServerOptions().SetSQLDialect(1);
    EXPECT_EQ(a.QuoteName("ORDER"), "ORDER");
    const std::pair<int, std::string> styles[] = {{2, "'N'"}, {3, "\"N\""}, {4, "[N]"}, {0, "N"}};
    for (const auto& [style, quoted] : styles) {
        ole.QuoteStyle = static_cast<std::uint8_t>(style);
        EXPECT_EQ(c.QuoteName("N"), quoted);
    }
    // Each style doubles its own closing delimiter inside the name.
    const std::pair<int, std::string> inner[] = {{2, "'a''b'"}, {3, "\"a\"\"b\""}, {4, "[a]]b]"}};
    const std::string names[] = {"a'b", "a\"b", "a]b"};
    for (int i = 0; i < 3; ++i) {
        ole.QuoteStyle = static_cast<std::uint8_t>(inner[i].first);
        EXPECT_EQ(c.QuoteName(names[i]), inner[i].second);
    }
}

TEST(DbObj, MasterAnswersTheTargetDialectWhileComparing) {
    OwningObjs master, target;
    master.SetDatabaseType(TDatabaseType::dbSybaseASA);
    target.SetDatabaseType(TDatabaseType::dbInterBase);
    master.SetPartnerObjs(&target);
    TDbObj o(&master);
    EXPECT_EQ(o.FormatComment("x"), "% x");
    master.Comparing = 1;
    EXPECT_EQ(o.GetDatabaseType(), TDatabaseType::dbInterBase);
    EXPECT_EQ(o.GetIBServerOptions(), &target.GetIBServerOptions());
    EXPECT_EQ(o.FormatComment("x"), "/* x */");
}

TEST(DbObj, BaseDropTexts) {
    OwningObjs ib;
    ib.SetDatabaseType(TDatabaseType::dbInterBase);
    TDmnData d(&ib);
    d.SetName("D");
    EXPECT_EQ(d.GetDropSQL(), "/* Drop: D (TDmnData) */\r\nDROP DOMAIN D");
    d.SetName("ORDER");
    EXPECT_EQ(d.GetDropSQL(), "/* Drop: ORDER (TDmnData) */\r\nDROP DOMAIN \"ORDER\"");
    ib.GetIBServerOptions().SetSQLDialect(1);
    EXPECT_EQ(d.GetDropSQL(), "/* Drop: ORDER (TDmnData) */\r\nDROP DOMAIN ORDER");
    ib.GetIBServerOptions().SetSQLDialect(3);

    TPrcData p(&ib);
    p.SetName("P");
    // The procedure kind writes its own DROP; the base text is only the comment line.
    EXPECT_EQ(p.TDbObj::GetDropSQL(), "/* Drop: P (TPrcData) */\r\n");
    EXPECT_EQ(p.GetDropSQL(), "DROP PROCEDURE P");
    TExcData e(&ib);
    e.SetName("E");
    EXPECT_EQ(e.GetDropSQL(), "/* Drop: E (TExcData) */\r\nDROP EXCEPTION E");
    TUdfData u(&ib);
    u.SetName("F");
    EXPECT_EQ(u.GetDropSQL(), "/* Drop: F (TUdfData) */\r\nDROP EXTERNAL FUNCTION F");
    TIdxData i(&ib);
    i.SetName("I");
    EXPECT_EQ(i.GetDropSQL(), "/* Drop: I (TIdxData) */\r\nDROP INDEX I");
    TFldData f(&ib);
    f.SetName("C");
    f.TableName = "T";
    EXPECT_EQ(f.TDbObj::GetDropSQL(), "/* Drop: C (TFldData) */\r\nALTER TABLE T DROP C");
}

// A table T described "It's" with a column ID described "id", in an InterBase container.
class Descriptions : public ::testing::Test {
protected:
    void SetUp() override {
        objs.SetDatabaseType(TDatabaseType::dbInterBase);
        t = new TTblData(&objs);
        t->SetName("T");
        t->SetDescription("It's");
        objs.AddObject(t, true);
        id = t->AddField("ID");
        id->SetDescription("id");
    }
    void Mode(TUpdateDescriptionType m) {
        objs.GetIBServerOptions().GetIBCompareOptions().SetUpdateDescriptionMode(m);
    }
    OwningObjs objs;
    TTblData* t = nullptr;
    TFldData* id = nullptr;
};

TEST_F(Descriptions, InterBaseModes) {
    Mode(TUpdateDescriptionType::udComment);
    EXPECT_EQ(t->GetDescriptionSQL(), "COMMENT ON TABLE T IS\r\n'It''s'");
    EXPECT_EQ(id->GetDescriptionSQL(), "COMMENT ON COLUMN T.ID IS\r\n'id'");
    Mode(TUpdateDescriptionType::udDescribe);
    EXPECT_EQ(t->GetDescriptionSQL(), "DESCRIBE TABLE T\r\n'It''s'");
    EXPECT_EQ(id->GetDescriptionSQL(), "DESCRIBE FIELD ID TABLE T\r\n'id'");
    Mode(TUpdateDescriptionType::udSysTables);
    EXPECT_EQ(t->GetDescriptionSQL(),
              "UPDATE RDB$RELATIONS SET RDB$DESCRIPTION = \r\n'It''s'\r\nWHERE RDB$RELATION_NAME = 'T'");
    EXPECT_EQ(id->GetDescriptionSQL(), "UPDATE RDB$RELATION_FIELDS SET RDB$DESCRIPTION = \r\n'id'\r\n"
                                       "WHERE RDB$RELATION_NAME = 'T' AND RDB$FIELD_NAME = 'ID'");
    objs.GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_InterBase_2020);
    EXPECT_EQ(t->GetDescriptionSQL(), "ALTER DESCRIPTION FOR TABLE T SET\r\n'It''s'");
    EXPECT_EQ(id->GetDescriptionSQL(), "ALTER DESCRIPTION FOR COLUMN T.ID SET\r\n'id'");
}

TEST_F(Descriptions, OtherKindsAndParameters) {
    Mode(TUpdateDescriptionType::udComment);
    TextProc p(&objs);
    p.SetName("P");
    p.SetDescription("d");
    EXPECT_EQ(p.GetDescriptionSQL(), "COMMENT ON PROCEDURE P IS\r\n'd'");
    p.IsFunctionFlag = 1;
    EXPECT_EQ(p.GetDescriptionSQL(), "COMMENT ON FUNCTION P IS\r\n'd'");
    auto* prm = new TFldData(&objs);
    prm->SetName("A");
    prm->Parent = &p;
    prm->SetDescription("a");
    p.InputParams.AddObject("A", prm);
    EXPECT_EQ(prm->GetDescriptionSQL(), "COMMENT ON PARAMETER P.A IS\r\n'a'");
    // A function and its arguments are stored with the functions.
    Mode(TUpdateDescriptionType::udSysTables);
    EXPECT_EQ(p.GetDescriptionSQL(),
              "UPDATE RDB$FUNCTIONS SET RDB$DESCRIPTION = \r\n'd'\r\nWHERE RDB$FUNCTION_NAME = 'P'");
    EXPECT_EQ(prm->GetDescriptionSQL(), "UPDATE RDB$FUNCTION_ARGUMENTS SET RDB$DESCRIPTION = \r\n'a'\r\n"
                                        "WHERE RDB$FUNCTION_NAME = 'P' AND RDB$ARGUMENT_NAME = 'A'");
    Mode(TUpdateDescriptionType::udDescribe);
    EXPECT_EQ(p.GetDescriptionSQL(), "DESCRIBE FUNCTION P\r\n'd'");
    p.IsFunctionFlag = 0;
    EXPECT_EQ(p.GetDescriptionSQL(), "DESCRIBE PROCEDURE P\r\n'd'");
    EXPECT_EQ(prm->GetDescriptionSQL(), "DESCRIBE PARAMETER A PROCEDURE P\r\n'a'");
    Mode(TUpdateDescriptionType::udSysTables);
    EXPECT_EQ(p.GetDescriptionSQL(),
              "UPDATE RDB$PROCEDURES SET RDB$DESCRIPTION = \r\n'd'\r\nWHERE RDB$PROCEDURE_NAME = 'P'");
    EXPECT_EQ(prm->GetDescriptionSQL(), "UPDATE RDB$PROCEDURE_PARAMETERS SET RDB$DESCRIPTION = \r\n'a'\r\n"
                                        "WHERE RDB$PROCEDURE_NAME = 'P' AND RDB$PARAMETER_NAME = 'A'");
    Mode(TUpdateDescriptionType::udDescribe);
    TDmnData d(&objs);
    d.SetName("D");
    d.SetDescription("x");
    EXPECT_EQ(d.GetDescriptionSQL(), "DESCRIBE DOMAIN D\r\n'x'");
    Mode(TUpdateDescriptionType::udSysTables);
    EXPECT_EQ(d.GetDescriptionSQL(),
              "UPDATE RDB$FIELDS SET RDB$DESCRIPTION = \r\n'x'\r\nWHERE RDB$FIELD_NAME = 'D'");
    Mode(TUpdateDescriptionType::udComment);
    TUdfData u(&objs);
    u.SetName("F");
    EXPECT_EQ(u.GetDescriptionSQL(), "COMMENT ON EXTERNAL FUNCTION F IS\r\n''");
    TDbObj db(&objs);
    db.SetKind(TDbObject::dboDatabase);
    db.SetDescription("the db");
    EXPECT_EQ(db.GetDescriptionSQL(), "COMMENT ON DATABASE IS\r\n'the db'");
}

TEST_F(Descriptions, EmptyWhenIgnoredOrNotCompared) {
    Mode(TUpdateDescriptionType::udComment);
    t->Ignore = 1;
    EXPECT_EQ(t->GetDescriptionSQL(), "");
    t->Ignore = 0;
    objs.SetCompareObjects(AllCmpObjTypes - TCmpObjType::coDescription);
    EXPECT_EQ(t->GetDescriptionSQL(), "");
    EXPECT_EQ(id->GetDescriptionSQL(), "");
}

TEST_F(Descriptions, OtherDialects) {
    objs.SetDatabaseType(TDatabaseType::dbOracle);
    EXPECT_EQ(t->GetDescriptionSQL(), "COMMENT ON TABLE T IS 'It''s'");
    EXPECT_EQ(id->GetDescriptionSQL(), "COMMENT ON COLUMN T.ID IS 'id'");
    TExcData e(&objs);
    e.SetName("E");
    EXPECT_EQ(e.GetDescriptionSQL(), "/* COMMENT ON... */");
    objs.SetDatabaseType(TDatabaseType::dbSybaseASA);
    EXPECT_EQ(id->GetDescriptionSQL().substr(0, 26), "COMMENT ON COLUMN T.ID IS\r");
    objs.SetDatabaseType(TDatabaseType::dbDB2);
    EXPECT_EQ(t->GetDescriptionSQL(), "");
    objs.SetDatabaseType(TDatabaseType::dbMSSQL);
    const std::string ms = t->GetDescriptionSQL();
    EXPECT_EQ(ms.rfind("exec dbo.sp_addextendedproperty @name=N'MS_Description'", 0), 0u) << ms;
    EXPECT_NE(ms.find("@level1type=N'TABLE', @level1name=N'T'"), std::string::npos) << ms;
    objs.GetMSSQLServerOptions().SetSQLServerVersion(TMSSQLServerVersionType::st_MSSQL2008);
    EXPECT_EQ(t->GetDescriptionSQL().rfind("exec sys.sp_addextendedproperty ", 0), 0u);
    const std::string col = id->GetDescriptionSQL();
    EXPECT_NE(col.find("@level2type=N'COLUMN', @level2name=N'ID'"), std::string::npos) << col;
}

TEST(Dependencies, RecordsInBothDirections) {
    OwningObjs objs;
    auto* t = Make<TTblData>(&objs, "T");
    t->AddField("ID");
    auto* v = Make<TViwData>(&objs, "V");
    objs.AddObject(t, true);
    objs.AddObject(v, true);
    AddDependency(&objs, v, t, 3, 4);
    AddDependency(&objs, v, t); // already recorded: nothing
    AddDependency(&objs, nullptr, t);
    AddDependency(&objs, v, nullptr);
    ASSERT_EQ(v->GetDependsOn().Count(), 1);
    ASSERT_EQ(t->GetUsedBy().Count(), 1);
    TDependObj* needs = v->DependsOnItem(0);
    TDependObj* used = t->UsedByItem(0);
    EXPECT_EQ(needs->GetName(), "T");
    EXPECT_EQ(needs->GetKind(), TDbObject::dboTable);
    EXPECT_EQ(needs->GetReferenced(), t);
    EXPECT_EQ(needs->GetOwner(), &objs);
    EXPECT_EQ(needs->Int1, 3);
    EXPECT_EQ(needs->Int2, 4);
    EXPECT_EQ(used->GetName(), "V");
    EXPECT_EQ(used->GetReferenced(), v);
    EXPECT_EQ(used->Recreate, 1);

    // With a field name the record goes on the column; an absent column records nothing.
    auto* p = Make<TPrcData>(&objs, "P");
    objs.AddObject(p, true);
    AddDependency(&objs, p, t, 0, 0, "ID");
    AddDependency(&objs, p, t, 0, 0, "NOPE");
    ASSERT_EQ(p->GetDependsOn().Count(), 1);
    EXPECT_EQ(p->DependsOnItem(0)->GetReferenced(), t->Fields.Objects(0));
    EXPECT_EQ(p->DependsOnItem(0)->FieldName, "ID");
    EXPECT_EQ(t->GetUsedBy().Count(), 1);
}

TEST(Dependencies, DisplayNames) {
    TDependObj d;
    d.SetName("T");
    d.FieldName = "ID";
    EXPECT_EQ(d.GetDisplayName(), "T (field: ID)");
    d.FieldName.clear();
    d.Toggle = 1;
    EXPECT_EQ(d.GetDisplayName(), "(+/-) T");
    d.Toggle = 0;
    EXPECT_EQ(d.GetDisplayName(), "");
    TDbObj target;
    target.SetName("REAL");
    d.SetReferenced(&target);
    EXPECT_EQ(d.GetDisplayName(), "REAL");
    d.SetReferenced(nullptr);
}

TEST(Dependencies, MissingDependency) {
    OwningObjs objs;
    auto* t = Make<TTblData>(&objs, "T");
    auto* v = Make<TViwData>(&objs, "V");
    objs.AddObject(t, true);
    objs.AddObject(v, true);
    AddDependency(&objs, v, t);
    EXPECT_FALSE(v->HasMissingDependency());
    t->Exists = 0;
    EXPECT_TRUE(v->HasMissingDependency());
    v->DependsOnItem(0)->Recreate = 0;
    EXPECT_FALSE(v->HasMissingDependency());
}

TEST(Dependencies, PartnersAndExistence) {
    TDbObj a, b;
    a.SetPartner(&b);
    b.SetPartner(&a);
    a.SetExists(false);
    EXPECT_EQ(b.Exists, 0);
    b.MarkCreated();
    EXPECT_EQ(a.Exists, 1);
    {
        TDbObj c;
        a.SetPartner(&c); // a's previous partner b still points at a
        c.SetPartner(&a);
    }
    EXPECT_EQ(a.GetPartner(), nullptr);
    EXPECT_EQ(b.GetPartner(), &a);
}

} // namespace
} // namespace smx
