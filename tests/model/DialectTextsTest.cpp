// PostgreSQL and MySQL texts the servers refused before, checked without a server: the qualified
// PostgreSQL column drop, WITH OIDS only before PostgreSQL 12, the quoted owner, PostgreSQL objects
// without a schema written without one, the MySQL script that writes keys once and ends routines
// with their delimiter, and the empty MySQL function.
#include <gtest/gtest.h>

#include "model/smxComp_Cnv.h"
#include "model/smxComp_Ctr.h"
#include "model/smxComp_Idx.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Trg.h"
#include "model/smxDBStructure.h"

namespace smx {
namespace {

using enum TDatabaseType;

std::string Script(TObjs& objs) {
    TStringList lines;
    objs.CopyScriptTo(lines);
    return lines.Text();
}

TTblData* Table(TDBStructure& s, const std::string& name, const std::string& schema = "") {
    auto* t = new TTblData(s.Objs());
    t->SetName(name);
    t->SetParentName(schema);
    TFldData* f = t->AddField("Id");
    f->DataType = 1;
    f->Nullable = false;
    s.Objs()->AddObject(t, true);
    return t;
}

TEST(DialectTexts, PostgreSQLTable) {
    TDBStructure s;
    s.SetDatabaseType(dbPostgreSQL);
    TTblData* t = Table(s, "Order", "Sales");
    t->WithOids = 1;
    t->Owner2 = "Sales Admin";
    TFldData* f = t->AddField("Old Col");
    f->DataType = 1;
    EXPECT_EQ(f->GetDropSQL(), "ALTER TABLE \"Sales\".\"Order\" DROP \"Old Col\"");
    s.Objs()->GetPGSQLServerOptions().SetSQLServerVersion(TPGSQLServerVersionType::st_PostgreSQL_11x);
    EXPECT_NE(t->GetCreateSQL().find(" WITH OIDS"), std::string::npos);
    s.Objs()->GetPGSQLServerOptions().SetSQLServerVersion(TPGSQLServerVersionType::st_PostgreSQL_12x);
    EXPECT_EQ(t->GetCreateSQL().find("OIDS"), std::string::npos);
    EXPECT_NE(Script(*s.Objs()).find("ALTER TABLE \"Sales\".\"Order\" OWNER TO \"Sales Admin\";"),
              std::string::npos);
}

TEST(DialectTexts, PostgreSQLObjectsWithoutSchemaAreNotQualified) {
    TDBStructure s;
    s.SetDatabaseType(dbPostgreSQL);
    auto* ix = new TIdxData(s.Objs());
    ix->SetName("ix");
    ix->TableName = "t";
    auto* trg = new TTrgData(s.Objs());
    trg->SetName("trg");
    trg->SetTableName("t");
    trg->Time = 1;
    trg->Events = 2;
    trg->SetSource("EXECUTE PROCEDURE f()");
    auto* fn = new TPrcData(s.Objs());
    fn->SetName("f");
    fn->IsFunctionFlag = 1;
    auto* cnv = new TCnvData(s.Objs());
    cnv->SetName("c");
    cnv->SourceEncoding = "UTF8";
    cnv->TargetEncoding = "LATIN1";
    cnv->FunctionName = "conv";
    for (TDbObj* o : std::initializer_list<TDbObj*>{ix, trg, fn, cnv})
        s.Objs()->AddObject(o, true);
    EXPECT_EQ(ix->GetDropSQL(), "DROP INDEX ix");
    EXPECT_EQ(trg->GetDropSQL(), "DROP TRIGGER trg ON t");
    EXPECT_NE(trg->GetCreateSQL().find("\r\n  ON t\r\n"), std::string::npos) << trg->GetCreateSQL();
    EXPECT_EQ(fn->GetDropSQL(), "DROP FUNCTION f()");
    EXPECT_EQ(cnv->GetCreateSQL(), "CREATE CONVERSION c FOR 'UTF8' TO 'LATIN1' FROM conv");
    EXPECT_EQ(cnv->GetDropSQL(), "DROP CONVERSION c");
}

TEST(DialectTexts, MySQLScriptWritesKeysOnceAndRoutinesWithTheirDelimiter) {
    TDBStructure s;
    s.SetDatabaseType(dbMySQL);
    Table(s, "T");
    auto* pk = new TCtrData(s.Objs());
    pk->SetName("PK_T");
    pk->SetConstraintType(ctPrimaryKey);
    pk->SetTableName("T");
    pk->AddColumn("Id");
    s.Objs()->AddObject(pk, true);
    auto* ix = new TIdxData(s.Objs());
    ix->SetName("IX_T");
    ix->TableName = "T";
    ix->AddColumn("Id");
    s.Objs()->AddObject(ix, true);
    auto* fn = new TPrcData(s.Objs());
    fn->SetName("F");
    fn->IsFunctionFlag = 1;
    fn->AddParam("", true)->DataType = 1;
    fn->SetSource("RETURN 1");
    s.Objs()->AddObject(fn, true);
    const std::string script = Script(*s.Objs());
    EXPECT_EQ(script, "\r\n\r\n\r\n\r\nCREATE TABLE T(`Id` INTEGER NOT NULL,\r\nCONSTRAINT PK_T PRIMARY "
                      "KEY(`Id`),\r\nKEY IX_T (`Id`));\r\n\r\n\r\n\r\nDELIMITER //\r\nCREATE FUNCTION "
                      "F()\r\nRETURNS INTEGER\r\nRETURN 1\r\n//\r\nDELIMITER ;\r\n\r\n\r\n\r\n\r\n")
        << script;
    EXPECT_EQ(fn->GetEmptyCreateSQL(), "CREATE FUNCTION F()\r\nRETURNS INTEGER\r\nRETURN NULL");
}

} // namespace
} // namespace smx
