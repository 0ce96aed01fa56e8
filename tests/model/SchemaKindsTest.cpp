// Schemas, publications, operators and operator classes through whole comparisons of structures
// built in code: their texts, which target types they are written for, the built-in schemas that
// are never touched, and changes written as a drop and a creation.
#include <gtest/gtest.h>

#include <algorithm>

#include "model/smxComp_Opr.h"
#include "model/smxComp_Pbl.h"
#include "model/smxComp_Sch.h"
#include "tests/model/SchemalystTestSupport.h"
#include "tests/model/TablesTestSupport.h"

namespace smx::cmptest {
namespace {

using Strings = std::vector<std::string>;
using enum TDatabaseType;

// The texts of every statement but comments, in order.
Strings Texts(const TCustomSQLExec& exec) {
    Strings r;
    for (int i = 0; i < exec.GetStatementCount(); ++i) {
        const TStatement* st = exec.GetStatement(i);
        if (st->StatType == TStatType::stComment) continue;
        std::string text = st->Lines.Text();
        r.push_back(text.substr(0, text.size() - 2));
    }
    return r;
}

// A comparer whose two structures are of the given type.
struct TypedRig : Rig {
    explicit TypedRig(TDatabaseType type) {
        for (Structure* s : {&master, &target}) {
            s->SetDatabaseType(type);
            s->GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
        }
        Wire();
    }
    Strings Compare() {
        cmp.CompareStructures();
        return Texts(*cmp.GetSQLExec());
    }
};

// An object of the container, not yet filed.
template <typename T> T* Make(TCustomObjs& objs, const std::string& name, const std::string& parent = {}) {
    auto* o = new T(&objs);
    o->SetName(name);
    if (!parent.empty()) o->SetParentName(parent);
    return o;
}

// Files an object whose key-forming fields are set.
template <typename T> T* Add(TCustomObjs& objs, T* o) {
    EXPECT_GE(objs.AddObject(o, true), 0) << o->GetName();
    return o;
}

template <typename T> T* File(TCustomObjs& objs, const std::string& name, const std::string& parent = {}) {
    return Add(objs, Make<T>(objs, name, parent));
}

// ---- Schemas ----------------------------------------------------------------------------------------

TEST(SchemaSteps, MSSQLAuthorizationAndBuiltInSchemas) {
    TypedRig r(dbMSSQL);
    for (Structure* s : {&r.master, &r.target})
        s->Objs().GetMSSQLServerOptions().GetMSSQLCompareOptions().SetCaseSensitiveIdentifiers(true);
    File<TSchData>(r.master.Objs(), "S")->Owner = "O";
    File<TSchData>(r.master.Objs(), "S2")->Owner = "S2";
    File<TSchData>(r.master.Objs(), "dbo")->OverrideName = "dbo";
    File<TSchData>(r.target.Objs(), "OLD");
    File<TSchData>(r.target.Objs(), "guest")->OverrideName = "guest";
    EXPECT_EQ(r.Compare(),
              (Strings{"CREATE SCHEMA S AUTHORIZATION O", "CREATE SCHEMA S2", "DROP SCHEMA OLD"}));
}

TEST(SchemaSteps, PostgreSQLPublicIsNeverTouched) {
    TypedRig r(dbPostgreSQL);
    File<TSchData>(r.master.Objs(), "public");
    File<TSchData>(r.master.Objs(), "sales")->SetDescription("new text");
    File<TSchData>(r.target.Objs(), "sales")->SetDescription("old text");
    EXPECT_EQ(r.Compare(), Strings{"COMMENT ON SCHEMA sales IS 'new text'"});

    TypedRig t(dbPostgreSQL);
    File<TSchData>(t.target.Objs(), "public");
    File<TSchData>(t.target.Objs(), "legacy");
    File<TSchData>(t.master.Objs(), "public")->SetDescription("x");
    EXPECT_EQ(t.Compare(), Strings{"DROP SCHEMA legacy"});
}

TEST(SchemaSteps, OnlySchemaDatabasesGetSchemaStatements) {
    for (TDatabaseType type : {dbInterBase, dbMySQL, dbSybaseASA, dbOracle, dbDB2}) {
        TypedRig r(type);
        File<TSchData>(r.master.Objs(), "S")->SetDescription("d");
        File<TSchData>(r.master.Objs(), "P");
        File<TSchData>(r.target.Objs(), "P")->SetDescription("e");
        File<TSchData>(r.target.Objs(), "LEGACY");
        Strings texts;
        for (const std::string& t : r.Compare())
            if (t.find("SCHEMA") != std::string::npos) texts.push_back(t);
        const bool schemas = type == dbOracle || type == dbDB2;
        if (schemas)
            EXPECT_EQ(texts, (Strings{"CREATE SCHEMA S", "DROP SCHEMA LEGACY"})) << int(type);
        else
            EXPECT_TRUE(texts.empty()) << int(type);
    }
}

// ---- Publications ------------------------------------------------------------------------------------

TPblData* Publication(TCustomObjs& objs) {
    auto* p = File<TPblData>(objs, "P");
    p->Owner2 = "DBA";
    TPblArtData* a = p->AddArticle("DBA", "T1");
    a->Columns.Add("A");
    a->Columns.Add("B");
    p->AddArticle("DBA", "T2");
    return p;
}

TEST(PublicationSteps, TextsForEveryTargetType) {
    for (TDatabaseType type : {dbSybaseASA, dbInterBase}) {
        TypedRig r(type);
        Publication(r.master.Objs());
        const Strings texts = r.Compare(); // after the header of the type
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts.back(),
                  "CREATE PUBLICATION DBA.P (\r\n    TABLE DBA.T1(A, B), \r\n    TABLE DBA.T2\r\n)")
            << int(type);
    }
    TypedRig r(dbSybaseASA);
    Publication(r.target.Objs());
    EXPECT_EQ(r.Compare(), Strings{"DROP PUBLICATION DBA.P"});
}

TEST(PublicationSteps, ChangedPublicationIsDroppedThenCreated) {
    TypedRig r(dbSybaseASA);
    Publication(r.master.Objs());
    TPblData* t = Publication(r.target.Objs());
    EXPECT_TRUE(r.Compare().empty());
    dynamic_cast<TPblArtData*>(t->Articles.Objects(0))->Columns.Delete(1);
    EXPECT_EQ(r.Compare(),
              (Strings{"DROP PUBLICATION DBA.P",
                       "CREATE PUBLICATION DBA.P (\r\n    TABLE DBA.T1(A, B), \r\n    TABLE DBA.T2\r\n)"}));
}

TEST(PublicationSteps, MissingTablesAreCreatedFirst) {
    test::TCompareFixture f(dbSybaseASA);
    TPblData* p = Publication(*f.M());
    TTblData* t1 = AddTable(*f.M(), "T1", {"A", "B"});
    AddDependency(f.M(), p, t1);
    f.Link(); // neither exists in the target
    p->Exists = 0;
    CreatePublications(&f.comparer);
    Strings texts;
    for (const test::TStmt& st : f.Statements())
        if (st.StatType != TStatType::stComment) texts.push_back(st.Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "CREATE TABLE DBA.T1(A INTEGER NULL,\r\nB INTEGER NULL)");
    EXPECT_EQ(texts[1].rfind("CREATE PUBLICATION DBA.P (", 0), 0u);
    EXPECT_TRUE(t1->GetExists());
}

// ---- Operators and operator classes ------------------------------------------------------------------

TOprData* EqualsOperator(TCustomObjs& objs, const std::string& negator = "<>") {
    auto* o = Make<TOprData>(objs, "===", "s");
    o->ProcName = "int4eq";
    o->LeftArg = "int4";
    o->RightArg = "int4";
    o->Commutator = "===";
    o->Negator = negator;
    o->Hashes = 1;
    o->Merges = 1;
    return Add(objs, o);
}

TOprData* PrefixOperator(TCustomObjs& objs) {
    auto* o = Make<TOprData>(objs, "!!", "s");
    o->ProcName = "int4fac";
    o->RightArg = "int4";
    return Add(objs, o);
}

TOpcData* OperatorClass(TCustomObjs& objs, const std::string& schema = "s") {
    auto* c = new TOpcData(&objs);
    c->SetName("c");
    c->SetParentName(schema);
    c->DataType = "int4";
    c->AccessMethod = "btree";
    c->AddOperator(1, "<");
    c->AddOperator(3, "=", "int4", "int4");
    TOpcFncData* f = c->AddFunction(1, "btint4cmp");
    f->ArgTypes.Add("int4");
    f->ArgTypes.Add("int4");
    EXPECT_GE(objs.AddObject(c, true), 0);
    return c;
}

TEST(OperatorSteps, CreateAndDropTexts) {
    TypedRig r(dbPostgreSQL);
    EqualsOperator(r.master.Objs());
    OperatorClass(r.master.Objs());
    TOprData* prefix = PrefixOperator(r.target.Objs());
    EXPECT_EQ(prefix->GetFullName(), "s.!! (NONE, int4)");
    EXPECT_EQ(prefix->GetDisplayName(), "s.!! (NONE, int4)");
    auto* old = new TOpcData(&r.target.Objs());
    old->SetName("legacy");
    old->SetParentName("s");
    old->AccessMethod = "hash";
    r.target.Objs().AddObject(old, true);
    EXPECT_EQ(
        r.Compare(),
        (Strings{"CREATE OPERATOR s.===(\r\nPROCEDURE = int4eq,\r\nLEFTARG = int4,\r\nRIGHTARG = int4,\r\n"
                 "COMMUTATOR = ===,\r\nNEGATOR = <>,\r\nHASHES,\r\nMERGES)",
                 "CREATE OPERATOR CLASS s.c FOR TYPE int4 USING btree AS\r\nOPERATOR 1 <,\r\nOPERATOR 3 = "
                 "(int4, int4),\r\nFUNCTION 1 btint4cmp(int4, int4)",
                 "DROP OPERATOR CLASS s.legacy USING hash", "DROP OPERATOR s.!!(NONE, int4)"}));
}

TEST(OperatorSteps, ClassItemsAndSeparators) {
    TypedRig r(dbPostgreSQL);
    TOpcData* c = OperatorClass(r.master.Objs());
    c->Functions.Clear();
    EXPECT_EQ(c->GetCreateSQL(), "CREATE OPERATOR CLASS s.c FOR TYPE int4 USING btree AS\r\nOPERATOR 1 "
                                 "<,\r\nOPERATOR 3 = (int4, int4)");
    c->StorageType = "int8";
    c->Default = 1;
    EXPECT_EQ(c->GetCreateSQL(),
              "CREATE OPERATOR CLASS s.c DEFAULT FOR TYPE int4 USING btree AS\r\nOPERATOR 1 "
              "<,\r\nOPERATOR 3 = (int4, int4),\r\nSTORAGE int8");
    EXPECT_EQ(c->GetDropSQL(), "DROP OPERATOR CLASS s.c USING btree");
}

TEST(OperatorSteps, NegatorChangeIsADropAndACreation) {
    TypedRig r(dbPostgreSQL);
    EqualsOperator(r.master.Objs());
    EqualsOperator(r.target.Objs(), "!==");
    const Strings texts = r.Compare();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "DROP OPERATOR s.===(int4, int4)");
    EXPECT_EQ(texts[1].rfind("CREATE OPERATOR s.===(", 0), 0u);
    EXPECT_NE(texts[1].find("NEGATOR = <>"), std::string::npos);
}

TEST(OperatorSteps, SameClassNameInTwoSchemasStaysFiled) {
    TypedRig r(dbPostgreSQL);
    TOpcData* a = OperatorClass(r.master.Objs(), "s1");
    TOpcData* b = OperatorClass(r.master.Objs(), "s2");
    EXPECT_EQ(a->GetFullName(), "s1.c(btree)");
    EXPECT_EQ(b->GetFullName(), "s2.c(btree)");
    EXPECT_EQ(r.master.Objs().ObjectCount(TObjsList::olOperatorClasses), 2);
    const Strings texts = r.Compare();
    EXPECT_EQ(texts.size(), 2u);
}

TEST(OperatorSteps, NothingForOtherTargets) {
    for (TDatabaseType type : {dbInterBase, dbMSSQL, dbOracle}) {
        TypedRig r(type);
        EqualsOperator(r.master.Objs());
        OperatorClass(r.master.Objs());
        PrefixOperator(r.target.Objs());
        for (const std::string& t : r.Compare())
            EXPECT_EQ(t.find("OPERATOR"), std::string::npos) << t;
        // The steps themselves refuse another target too.
        const int count = r.cmp.GetSQLExec()->GetStatementCount();
        CreateOperators(&r.cmp);
        DropOperatorClasses(&r.cmp);
        EXPECT_EQ(r.cmp.GetSQLExec()->GetStatementCount(), count);
    }
}

} // namespace
} // namespace smx::cmptest
