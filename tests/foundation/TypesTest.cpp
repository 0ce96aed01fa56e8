// Vocabulary ordinals, terminators, string literals per dialect and the small helpers.
#include <gtest/gtest.h>

#include "foundation/smxTypes.h"

using namespace smx;
using enum TDatabaseType;

static_assert(static_cast<int>(TDbObject::dboTblLIst) == 62);
static_assert(static_cast<int>(TDbObject::dboUseOfList) == 70);
static_assert(static_cast<int>(TconnectionType::cnUniDAC) == 16);
static_assert(static_cast<int>(TStatType::stPackage) == 19);
static_assert(AllCmpObjTypes.mask() == 0x7FFFFF);
static_assert(ConstraintCmpObjTypes.mask() == 0x3C000);
static_assert(GrantCmpObjTypes.mask() == 0x1C00);
static_assert(!GrantCmpObjTypes.contains(TCmpObjType::coObjGrant));

TEST(TypesTest, StatementKindDisplayNames) {
    EXPECT_EQ(GetStatTypeName(TStatType::stReconnect), "ReConnect");
    EXPECT_EQ(GetStatTypeName(TStatType::stSetBlobFile), "BlobFile");
    EXPECT_EQ(GetStatTypeName(TStatType::stExecuteBlock), "ExecuteBlock");
    EXPECT_EQ(GetStatTypeName(TStatType::stConnect), "Connect");
    EXPECT_EQ(GetStatTypeName(TStatType::stPackage), "Package");
}

TEST(TypesTest, EnumSetOperations) {
    TCmpObjSetType s{TCmpObjType::coTable, TCmpObjType::coView};
    EXPECT_TRUE(s.contains(TCmpObjType::coView));
    EXPECT_FALSE(s.contains(TCmpObjType::coDomain));
    EXPECT_TRUE(s <= AllCmpObjTypes);
    EXPECT_FALSE(AllCmpObjTypes <= s);
    s -= TCmpObjType::coView;
    EXPECT_EQ(s.mask(), 1u << 4);
    EXPECT_EQ((AllCmpObjTypes * ConstraintCmpObjTypes), ConstraintCmpObjTypes);
    EXPECT_TRUE((AllCmpObjTypes - AllCmpObjTypes).empty());
    EXPECT_EQ(TCmpObjSetType::fromMask(0x3C000), ConstraintCmpObjTypes);
}

TEST(TypesTest, StatementTerminators) {
    struct Row {
        TDatabaseType db;
        const char* terminator;
    };
    const Row rows[] = {{dbAbstract, ";\r\n"},         {dbInterBase, ";\r\n"},   {dbCustomOLEDB, ";\r\n"},
                        {dbMySQL, ";\r\n"},            {dbMSSQL, "\r\nGO\r\n"}, {dbSybaseASA, "\r\ngo\r\n"},
                        {dbSybaseASE, "\r\ngo\r\n"}};
    for (const auto& r : rows) EXPECT_EQ(GetStatementTerminator(r.db), r.terminator) << static_cast<int>(r.db);
}

TEST(TypesTest, StringLiteralsPerDialect) {
    struct Row {
        std::string text;
        TDatabaseType db;
        std::string expected;
    };
    const std::string bytes = std::string("a\"b\\\r\n\t\b\x1A") + std::string(1, '\0');
    const Row rows[] = {
        {"O'Brien", dbMySQL, "'O\\'Brien'"},
        {"O'Brien", dbPostgreSQL, "'O''Brien'"},
        {"O'Brien", dbInterBase, "'O''Brien'"},
        {"O'Brien", dbMSSQL, "'O''Brien'"},
        {"", dbMySQL, "''"},
        {"", dbPostgreSQL, "''"},
        {"", dbInterBase, "''"},
        {"", dbOracle, "''"},
        {bytes, dbMySQL, "'a\\\"b\\\\\\r\\n\\t\\b\\Z\\0'"},
        {"x\r\ny", dbMySQL, "'x\\r\\ny'"},
        {"a\\b\t", dbPostgreSQL, "E'a\\x5cb\\t'"},
        {"x\r\ny", dbPostgreSQL, "'x\r\ny'"},
        {std::string("n") + std::string(1, '\0'), dbPostgreSQL, "E'n\\x00'"},
        {"it's\\", dbPostgreSQL, "E'it''s\\x5c'"},
        {"C:\\data", dbInterBase, "'C:\\data'"},
    };
    for (const auto& r : rows) EXPECT_EQ(GetSQLStringLiteral(r.text, r.db), r.expected) << r.text;
}

TEST(TypesTest, QualifiedNameAndIntegerText) {
    EXPECT_EQ(GetQualifiedName("", "T"), "T");
    EXPECT_EQ(GetQualifiedName("S", "T"), "S.T");
    int v = 0;
    EXPECT_FALSE(IsIntegerStr("12x", v));
    EXPECT_TRUE(IsIntegerStr("$1F", v));
    EXPECT_EQ(v, 31);
    EXPECT_FALSE(IsIntegerStr("", v));
    EXPECT_TRUE(IsIntegerStr("-7", v));
    EXPECT_EQ(v, -7);
    EXPECT_FALSE(IsIntegerStr("2147483648", v));
}

TEST(TypesTest, CharInSet) {
    const TCharSet256 set = MakeCharSet("a:\xFF");
    EXPECT_TRUE(IsCharInSet('a', set));
    EXPECT_TRUE(IsCharInSet(':', set));
    EXPECT_TRUE(IsCharInSet(0xFF, set));
    EXPECT_FALSE(IsCharInSet('b', set));
    EXPECT_FALSE(IsCharInSet(0, set));
}

TEST(TypesTest, TableSpaceText) {
    TTableSpace t;
    t.pctfree = 10;
    EXPECT_EQ(t.GetSQLText(), "pctfree 10");
    TTableSpace all;
    all.pctfree = 1;
    all.pctused = 2;
    all.initrans = 3;
    all.maxtrans = 4;
    all.storage = "(initial 64K)";
    all.extra = "TABLESPACE USERS";
    EXPECT_EQ(all.GetSQLText(), "pctfree 1\r\n   pctused 2\r\n   initrans 3\r\n   maxtrans 4\r\n   storage\r\n"
                                "(initial 64K)   TABLESPACE USERS");
    EXPECT_EQ(TTableSpace{}.GetSQLText(), "");
}

TEST(TypesTest, TypeDirectiveText) {
    TTypeDirective d;
    EXPECT_EQ(d.GetSQLText(), "");
    d.NotInstantiable = d.NotFinal = d.Final = d.Instantiable = d.Overriding = 1;
    EXPECT_EQ(d.GetSQLText(), "OVERRIDING NOT INSTANTIABLE NOT FINAL INSTANTIABLE FINAL ");
}

TEST(TypesTest, MergeTableSpacesFillsBothWaysButNotExtra) {
    TTableSpace a, b;
    a.pctfree = 10;
    a.extra = "A";
    b.pctused = 20;
    b.storage = "S";
    b.extra = "B";
    MergeTableSpaces(a, b);
    EXPECT_EQ(a.pctfree, 10);
    EXPECT_EQ(a.pctused, 20);
    EXPECT_EQ(a.storage, "S");
    EXPECT_EQ(a.extra, "A");
    EXPECT_EQ(b.pctfree, 10);
    EXPECT_EQ(b.pctused, 20);
    EXPECT_EQ(b.storage, "S");
    EXPECT_EQ(b.extra, "B");
}
