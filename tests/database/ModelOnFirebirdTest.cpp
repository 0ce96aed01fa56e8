// Object-model texts run on a real Firebird 3 database through the executor: the base DROP and
// description texts, and the order in which a table is dropped with the objects that use it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/smxComp_Dmn.h"
#include "model/smxSQL_Exec.h"
#include "tests/database/IBXTestSupport.h"
#include "tests/model/ModelTestSupport.h"

namespace smx::test {
namespace {

/// An InterBase container at Firebird 3.0 with COMMENT ON descriptions, an executor on a connection
/// to the test database, and a table T(ID) plus domain D modelled in the container.
class ModelOnFirebird : public ::testing::Test {
protected:
    explicit ModelOnFirebird(const std::string& ddl)
        : db(CreateDatabaseSql(ddl)), ibdb(MakeIBDatabase(db.Path(), "WIN1252")) {
        conn.SetDatabase(ibdb.get());
        exec.SetName("Exec");
        exec.SetDatabaseType(TDatabaseType::dbInterBase);
        exec.SetSMXConnection(&conn);
        exec.OnErrorMessage = [this](TObject*, const std::string& t) { errors.push_back(t); };
        exec.OnLogNextLine = [](TObject*, const std::string&) {};
        objs.SetDatabaseType(TDatabaseType::dbInterBase);
        objs.GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
        objs.GetIBServerOptions().GetIBCompareOptions().SetUpdateDescriptionMode(
            TUpdateDescriptionType::udComment);
        objs.SetSQLExec(&exec);
    }
    std::vector<std::string> Column(const std::string& sql) const {
        return ReadColumnElsewhere(db.Path(), sql);
    }

    TTestDatabase db;
    std::unique_ptr<TIBDatabase> ibdb;
    TSMXConnectionIBX conn;
    TSQLExec exec;
    OwningObjs objs;
    std::vector<std::string> errors;
};

class BaseTexts : public ModelOnFirebird {
protected:
    BaseTexts() : ModelOnFirebird("CREATE DOMAIN D AS INTEGER;\nCREATE TABLE T (ID INTEGER);\n") {}
};

TEST_F(BaseTexts, DropAndCommentTextsRunAndDescriptionsReadBack) {
    auto* d = Make<TDmnData>(&objs, "D");
    ASSERT_GE(objs.AddObject(d, true), 0);
    auto* t = Make<TextTable>(&objs, "T");
    ASSERT_GE(objs.AddObject(t, true), 0);
    TFldData* id = t->AddField("ID");
    t->SetDescription("It's");
    id->SetDescription("the key");

    EXPECT_EQ(d->GetDropSQL(), "/* Drop: D (TDmnData) */\r\nDROP DOMAIN D");
    exec.AddStatement(d->GetDropSQL(), TStatType::stStatement, "D", TDbObject::dboDomain,
                      TDbOperation::odbDrop);
    exec.AddDescription(t);
    exec.AddDescription(id);
    ASSERT_EQ(exec.GetStatementCount(), 3);
    EXPECT_EQ(exec.GetStatement(1)->Lines.Text(), "COMMENT ON TABLE T IS\r\n'It''s'\r\n");

    EXPECT_TRUE(exec.ExecuteScript()) << (errors.empty() ? "" : errors.front());
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(Column("select rdb$field_name from rdb$fields where rdb$field_name = 'D'").empty());
    EXPECT_EQ(Column("select rdb$description from rdb$relations where rdb$relation_name = 'T'"),
              std::vector<std::string>{"It's"});
    EXPECT_EQ(Column("select rdb$description from rdb$relation_fields where rdb$relation_name = 'T' "
                     "and rdb$field_name = 'ID'"),
              std::vector<std::string>{"the key"});
}

TEST_F(BaseTexts, SystemTableDescriptionIsRefusedByFirebird3) {
    auto* t = Make<TextTable>(&objs, "T");
    ASSERT_GE(objs.AddObject(t, true), 0);
    t->SetDescription("x");
    objs.GetIBServerOptions().GetIBCompareOptions().SetUpdateDescriptionMode(
        TUpdateDescriptionType::udSysTables);
    exec.AddDescription(t);
    ASSERT_EQ(exec.GetStatementCount(), 1);
    EXPECT_FALSE(exec.ExecuteScript());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("RDB$RELATIONS"), std::string::npos) << errors[0];
}

class DropWithDependents : public ModelOnFirebird {
protected:
    DropWithDependents()
        : ModelOnFirebird("CREATE TABLE T (ID INTEGER);\n"
                          "CREATE VIEW V AS SELECT ID FROM T;\n"
                          "SET TERM ^ ;\n"
                          "CREATE PROCEDURE P AS DECLARE VARIABLE X INTEGER; "
                          "BEGIN SELECT FIRST 1 ID FROM T INTO :X; END^\n"
                          "SET TERM ; ^\n") {
        // The target side: the master (a second container) holds no table T.
        objs.SetRole(2);
        master.SetDatabaseType(TDatabaseType::dbInterBase);
        master.SetRole(1);
        master.SetPartnerObjs(&objs);
        objs.SetPartnerObjs(&master);
        // The real table, view and procedure kinds write the texts.
        t = Make<TTblData>(&objs, "T");
        objs.AddObject(t, true);
        t->AddField("ID");
        v = Make<TViwData>(&objs, "V", "SELECT ID FROM T");
        v->AddField("ID");
        objs.AddObject(v, true);
        p = Make<TPrcData>(&objs, "P",
                           "DECLARE VARIABLE X INTEGER; BEGIN SELECT FIRST 1 ID FROM T INTO :X; END");
        objs.AddObject(p, true);
        AddDependency(&objs, v, t);
        AddDependency(&objs, p, t);
    }
    ~DropWithDependents() override {
        objs.SetPartnerObjs(nullptr);
        master.SetPartnerObjs(nullptr);
    }
    OwningObjs master;
    TTblData* t = nullptr;
    TViwData* v = nullptr;
    TPrcData* p = nullptr;
};

TEST_F(DropWithDependents, TableAloneCannotBeDropped) {
    exec.AddStatement("DROP TABLE T", TStatType::stStatement, "T", TDbObject::dboTable,
                      TDbOperation::odbDrop);
    EXPECT_FALSE(exec.ExecuteScript());
    EXPECT_EQ(Column("select rdb$relation_name from rdb$relations where rdb$system_flag = 0 order by 1"),
              (std::vector<std::string>{"T", "V"}));
}

TEST_F(DropWithDependents, ViewDroppedProcedureEmptiedThenTableDropped) {
    t->DropWithDependents();
    EXPECT_EQ(Captions(exec), (std::vector<std::string>{"V: drop", "P: empty body", "T: drop"}));
    EXPECT_TRUE(exec.ExecuteScript()) << (errors.empty() ? "" : errors.front());
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(Column("select rdb$relation_name from rdb$relations where rdb$system_flag = 0").empty());
    const auto source =
        Column("select rdb$procedure_source from rdb$procedures where rdb$procedure_name = 'P'");
    ASSERT_EQ(source.size(), 1u);
    EXPECT_EQ(Trim(source[0]), "BEGIN EXIT; END");
}

TEST_F(DropWithDependents, NothingWhenTheMasterHoldsTheTableOrItIsGone) {
    auto* mt = Make<TTblData>(&master, "T");
    master.AddObject(mt, true);
    t->DropWithDependents();
    EXPECT_EQ(exec.GetStatementCount(), 0);
    master.Clear();
    t->SetExists(false);
    t->DropWithDependents();
    EXPECT_EQ(exec.GetStatementCount(), 0);
}

} // namespace
} // namespace smx::test
