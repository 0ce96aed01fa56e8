// Column type texts and definitions per dialect, the default-value text and the InterBase reading
// helpers, on plain column values.
#include <gtest/gtest.h>

#include "model/smxCompColumn.h"

namespace smx {
namespace {

using V = TIBSQLServerVersionType;
using enum TDatabaseType;

TColumnAttrs Col(std::uint8_t code, int length = 0, int precision = 0, int scale = 0) {
    TColumnAttrs c;
    c.DataType = code;
    c.Length = length;
    c.Precision = precision;
    c.Scale = scale;
    return c;
}

TColumnTextContext Ctx(TDatabaseType type = dbInterBase, V version = V::st_Firebird_30, int dialect = 3) {
    TColumnTextContext x;
    x.DatabaseType = type;
    x.ServerVersion = version;
    x.SQLDialect = dialect;
    return x;
}

TEST(DataTypeNamesTest, TableShape) {
    EXPECT_EQ(DataTypeNames.size(), 97u);
    EXPECT_EQ(DataTypeNames[0], "? DataType");
    EXPECT_EQ(DataTypeNames[19], DataTypeNames[21]);
    EXPECT_EQ(DataTypeNames[20], DataTypeNames[22]);
    EXPECT_EQ(DataTypeNames[29], "Geometry");
    EXPECT_EQ(DataTypeNames[54], "SMALLINT");
    EXPECT_EQ(DataTypeNames[96], "BOOLEAN");
    EXPECT_EQ(GetDataTypeName(DomainDataType), "");
    EXPECT_EQ(GetDataTypeName(200), "");
}

struct TypeTextCase {
    const char* label;
    TColumnAttrs column;
    TColumnTextContext context;
    const char* expected;
};

TEST(ColumnTypeTextTest, Table) {
    TColumnAttrs blob100 = Col(41);
    blob100.SubType = 1;
    blob100.SegmentSize = 100;
    TColumnAttrs blob80 = blob100;
    blob80.SegmentSize = 80;
    TColumnAttrs arr = Col(1);
    arr.Dimensions = {{1, 5}};
    TColumnAttrs arr2 = Col(15, 3);
    arr2.Dimensions = {{0, 2}, {-1, 1}};
    TColumnAttrs typeOfCol = Col(DomainDataType);
    typeOfCol.TypeOf = true;
    typeOfCol.TypeOfTable = "T";
    typeOfCol.TypeOfColumn = "C";
    TColumnAttrs typeOfDom = Col(DomainDataType);
    typeOfDom.TypeOf = true;
    typeOfDom.DomainName = "D_NAME";
    TColumnAttrs ret = Col(1);
    ret.ReturnsParameter = 2;
    TColumnAttrs tz = Col(20);
    tz.WithTimeZone = true;
    TColumnTextContext udf = Ctx();
    udf.ParentKind = TColumnParentKind::cpExternalFunction;
    TColumnTextContext computed = Ctx();
    computed.Source = "(ID*2)";
    TColumnAttrs typed = Col(1);
    typed.ComputedWithType = true;
    TColumnTextContext computed25 = computed;
    computed25.ServerVersion = V::st_Firebird_25;
    TColumnTextContext computedMS = Ctx(dbMSSQL);
    computedMS.Source = "(ID*2)";
    TColumnTextContext quoted = Ctx();
    quoted.Quote = [](std::string_view n) { return "\"" + std::string(n) + "\""; };

    const TypeTextCase cases[] = {
        {"char 1", Col(15, 1), Ctx(), "CHAR"},
        {"char 10", Col(15, 10), Ctx(), "CHAR(10)"},
        {"varchar 0", Col(14, 0), Ctx(), "VARCHAR"},
        {"varchar 1", Col(14, 1), Ctx(), "VARCHAR(1)"},
        {"cstring", Col(56, 8), Ctx(), "CSTRING(8)"},
        {"numeric", Col(46, 0, 9, 2), Ctx(), "NUMERIC(9,2)"},
        {"numeric no scale", Col(46, 0, 9, 0), Ctx(), "NUMERIC(9)"},
        {"decimal unset", Col(47), Ctx(), "DECIMAL"},
        {"blob seg 80", blob80, Ctx(), "BLOB SUB_TYPE 1"},
        {"blob seg 100", blob100, Ctx(), "BLOB SUB_TYPE 1 SEGMENT SIZE 100"},
        {"blob udf arg", blob100, udf, "BLOB SUB_TYPE 1"},
        {"decfloat 34", Col(7, 0, 34), Ctx(), "DECFLOAT"},
        {"decfloat 16", Col(7, 0, 16), Ctx(), "DECFLOAT(16)"},
        {"timestamp dialect 1", Col(20), Ctx(dbInterBase, V::st_Firebird_30, 1), "DATE"},
        {"time dialect 1", Col(19), Ctx(dbInterBase, V::st_Firebird_30, 1), "DATE"},
        {"timestamp dialect 3", Col(20), Ctx(), "TIMESTAMP"},
        {"array", arr, Ctx(), "INTEGER [1:5]"},
        {"array 2 dims", arr2, Ctx(), "CHAR(3) [0:2, -1:1]"},
        {"type of column", typeOfCol, Ctx(), "TYPE OF COLUMN T.C"},
        {"type of domain quoted", typeOfDom, quoted, "TYPE OF \"D_NAME\""},
        {"returns parameter", ret, Ctx(), "PARAMETER 2"},
        {"computed", Col(1), computed, "COMPUTED BY (ID*2)"},
        {"computed mssql", Col(1), computedMS, "AS (ID*2)"},
        {"computed with its type", typed, computed, "INTEGER COMPUTED BY (ID*2)"},
        {"computed with its type fb25", typed, computed25, "COMPUTED BY (ID*2)"},
        {"bigint ib2020", Col(2), Ctx(dbInterBase, V::st_InterBase_2020), "INTEGER"},
        {"bigint fb30", Col(2), Ctx(), "BIGINT"},
        {"tz fb30", tz, Ctx(), "TIMESTAMP"},
        {"tz fb40", tz, Ctx(dbInterBase, V::st_Firebird_40), "TIMESTAMP WITH TIME ZONE"},
        {"varbinary fb30", Col(76, 8), Ctx(), "VARBINARY"},
        {"varbinary fb40", Col(76, 8), Ctx(dbInterBase, V::st_Firebird_40), "VARBINARY(8)"},
        {"mssql varchar max", Col(14, -1), Ctx(dbMSSQL), "VARCHAR(MAX)"},
        {"mssql char 1", Col(15, 1), Ctx(dbMSSQL), "CHAR"},
        {"pg lower", Col(14, 20), Ctx(dbPostgreSQL), "varchar(20)"},
        {"pg tz", Col(22, 0, 3), Ctx(dbPostgreSQL), "timestamp(3) with time zone"},
        {"unknown", Col(0), Ctx(), "? DataType"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ColumnTypeText(c.column, c.context), c.expected) << c.label;
}

struct DefinitionCase {
    const char* label;
    TColumnAttrs column;
    TColumnTextContext context;
    const char* expected;
};

TColumnTextContext IBCharsets(TColumnParentKind parent = TColumnParentKind::cpTable) {
    TColumnTextContext x = Ctx();
    x.FldCharsetCompare = true;
    x.DBCharSet = "UTF8";
    x.ParentKind = parent;
    return x;
}

TEST(ColumnDefinitionTest, InterBase) {
    TColumnAttrs utf8 = Col(14, 20);
    utf8.CharSetName = "UTF8";
    TColumnAttrs octets = utf8;
    octets.CharSetName = "OCTETS";
    TColumnAttrs full = utf8;
    full.CollationName = "UNICODE_CI";
    full.DefaultValue = "'x'";
    full.Nullable = false;
    TColumnAttrs ident = Col(1);
    ident.Identity = true;
    ident.Nullable = false;
    TColumnAttrs inParam = Col(1);
    inParam.Nullable = false;
    inParam.DefaultValue = "0";
    inParam.ParamDirection = 1;
    TColumnAttrs outParam = inParam;
    outParam.ParamDirection = 2;
    outParam.Nullable = true;
    TColumnAttrs collParam = Col(14, 10);
    collParam.CharSetName = "UTF8";
    collParam.CollationName = "UNICODE";
    collParam.DefaultValue = "'x'";
    collParam.ParamDirection = 1;
    TColumnAttrs dom = Col(DomainDataType);
    dom.DomainName = "D_NAME";
    dom.DefaultValue = "'y'";
    TColumnAttrs domSame = dom;
    domSame.DefaultValue = "'x'";
    TColumnAttrs domTypeOf = domSame;
    domTypeOf.TypeOf = true;
    TColumnAttrs check = Col(1);
    check.CheckText = " (VALUE > 0)";
    check.Nullable = false;
    TColumnAttrs dq = Col(14, 5);
    dq.DefaultValue = "\"abc\"";
    TColumnAttrs udfArg = Col(1);
    udfArg.ByDescriptor = true;

    TColumnTextContext domCtx = IBCharsets();
    domCtx.DomainFound = true;
    domCtx.DomainDefault = "'x'";
    TColumnTextContext domParam = domCtx;
    domParam.ParentKind = TColumnParentKind::cpRoutine;
    TColumnTextContext noCompare = IBCharsets();
    noCompare.FldCharsetCompare = false;
    noCompare.ServerVersion = V::st_Firebird_25;
    TColumnTextContext noCompare30 = noCompare;
    noCompare30.ServerVersion = V::st_Firebird_30;
    TColumnAttrs stated = check;
    stated.CheckSource = "check (VALUE>0)";
    stated.DefaultValue = "5";
    stated.DefaultSource = "DeFaUlT  5";
    TColumnTextContext fb25 = IBCharsets();
    fb25.ServerVersion = V::st_Firebird_25;

    const DefinitionCase cases[] = {
        {"utf8 default charset", utf8, IBCharsets(), "VARCHAR(20)"},
        {"octets", octets, IBCharsets(), "VARCHAR(20) CHARACTER SET OCTETS"},
        {"charset compare off", octets, noCompare, "VARCHAR(20)"},
        {"charset compare off fb30", octets, noCompare30, "VARCHAR(20) CHARACTER SET OCTETS"},
        {"stored clauses fb30", stated, IBCharsets(), "INTEGER DeFaUlT  5 NOT NULL check (VALUE>0)"},
        {"stored clauses fb25", stated, fb25, "INTEGER DEFAULT 5 NOT NULL CHECK (VALUE > 0)"},
        {"full", full, IBCharsets(),
         "VARCHAR(20) CHARACTER SET UTF8 DEFAULT 'x' NOT NULL COLLATE UNICODE_CI"},
        {"identity fb30", ident, IBCharsets(), "INTEGER GENERATED BY DEFAULT AS IDENTITY"},
        {"in param", inParam, IBCharsets(TColumnParentKind::cpRoutine), "INTEGER NOT NULL = 0"},
        {"out param", outParam, IBCharsets(TColumnParentKind::cpRoutine), "INTEGER"},
        {"param collate", collParam, IBCharsets(TColumnParentKind::cpRoutine),
         "VARCHAR(10) CHARACTER SET UTF8 COLLATE UNICODE = 'x'"},
        {"domain own default", dom, domCtx, "D_NAME DEFAULT 'y'"},
        {"domain same default", domSame, domCtx, "D_NAME"},
        {"domain type of", domTypeOf, domCtx, "TYPE OF D_NAME DEFAULT 'x'"},
        {"domain param same default", domSame, domParam, "D_NAME = 'x'"},
        {"check", check, IBCharsets(), "INTEGER NOT NULL CHECK (VALUE > 0)"},
        {"double-quoted default", dq, IBCharsets(), "VARCHAR(5) DEFAULT 'abc'"},
        {"by descriptor", udfArg, IBCharsets(TColumnParentKind::cpExternalFunction), "INTEGER BY DESCRIPTOR"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ColumnDefinitionSQL(c.column, c.context), c.expected) << c.label;
}

TEST(ColumnDefinitionTest, InterBaseVersionGates) {
    TColumnAttrs def = Col(1);
    def.DefaultValue = "5";
    TColumnAttrs ident = Col(1);
    ident.Identity = true;
    ident.Nullable = false;
    struct Row {
        V version;
        const char* withDefault;
        const char* identity;
    };
    const Row rows[] = {
        {V::st_InterBase_6x, "INTEGER", "INTEGER"},
        {V::st_FireBird_15, "INTEGER", "INTEGER"},
        {V::st_InterBase_7x, "INTEGER DEFAULT 5", "INTEGER"},
        {V::st_Firebird_25, "INTEGER DEFAULT 5", "INTEGER"},
        {V::st_Firebird_30, "INTEGER DEFAULT 5", "INTEGER GENERATED BY DEFAULT AS IDENTITY"},
        {V::st_Firebird_40, "INTEGER DEFAULT 5", "INTEGER GENERATED BY DEFAULT AS IDENTITY"},
        {V::st_InterBase_2020, "INTEGER DEFAULT 5", "INTEGER"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(ColumnDefinitionSQL(def, Ctx(dbInterBase, r.version)), r.withDefault) << int(r.version);
        EXPECT_EQ(ColumnDefinitionSQL(ident, Ctx(dbInterBase, r.version)), r.identity) << int(r.version);
    }
}

TEST(ColumnDefinitionTest, OtherDialects) {
    TColumnAttrs mysqlStr = Col(14, 10);
    mysqlStr.DefaultValue = "'it''s'";
    TColumnAttrs mysqlNum = Col(1, 0, 11);
    mysqlNum.Unsigned = true;
    mysqlNum.Nullable = false;
    mysqlNum.AutoIncrement = true;
    mysqlNum.DefaultValue = "0";
    TColumnAttrs mysqlEnum = Col(69);
    mysqlEnum.EnumValues.Add("'a'");
    mysqlEnum.EnumValues.Add("'b'");
    TColumnAttrs dt2 = Col(24, 0, 7, 0);
    TColumnAttrs dt2p3 = Col(24, 0, 3, 0);
    TColumnAttrs msIdent = Col(1);
    msIdent.Identity = true;
    msIdent.IdentitySeed = 1;
    msIdent.IdentityIncrement = 1;
    msIdent.Nullable = false;
    TColumnAttrs msUser = Col(DomainDataType);
    msUser.DomainName = "Phone";
    msUser.TypeOwner = "dbo";
    TColumnAttrs msParam = Col(14, -1);
    msParam.ParamDirection = 2;
    TColumnTextContext msRoutine = Ctx(dbMSSQL);
    msRoutine.ParentKind = TColumnParentKind::cpRoutine;
    TColumnTextContext msComputed = Ctx(dbMSSQL);
    msComputed.Source = "(A+B)";
    TColumnAttrs persisted = Col(1);
    persisted.Persisted = true;
    TColumnAttrs pgArr = Col(46, 0, 10, 2);
    pgArr.Dimensions = {{0, 0}, {0, 3}};
    pgArr.Nullable = false;
    pgArr.CheckText = "(v > 0)";
    pgArr.CheckName = "ck";
    TColumnAttrs asaIdent = Col(1);
    asaIdent.Identity = true;
    asaIdent.IdentitySeed = 1;
    asaIdent.IdentityIncrement = 2;
    TColumnAttrs oraTs = Col(20, 0, 6);
    oraTs.WithLocalTimeZone = true;
    oraTs.DefaultValue = "SYSDATE";
    TColumnAttrs oraIntervalDs = Col(87, 0, 2, 6);
    TColumnAttrs oraIntervalYm = Col(86, 0, 4);
    oraIntervalYm.IsRef = true;
    TColumnAttrs oraNumber = Col(11, 0, 10, 2);
    TColumnAttrs oraVarchar = Col(17, 0);
    TColumnAttrs db2Gen = Col(1);
    db2Gen.GeneratedKind = 'A';
    db2Gen.Identity = true;
    db2Gen.Nullable = false;
    TColumnTextContext db2Ctx = Ctx(dbDB2);
    db2Ctx.IdentityOptions = " (START WITH 1)";
    TColumnAttrs db2Blob = Col(41, 1024);
    db2Blob.Logged = 0;
    db2Blob.Compact = 1;
    TColumnAttrs aseJava = Col(0);
    aseJava.IsJavaType = true;
    aseJava.JavaClass = "BigDecimal";
    aseJava.Precision = 10;
    TColumnTextContext aseTable = Ctx(dbSybaseASE);
    TColumnTextContext aseComputed = Ctx(dbSybaseASE);
    aseComputed.Source = "(A*2)";

    const DefinitionCase cases[] = {
        {"mysql escaped default", mysqlStr, Ctx(dbMySQL), "VARCHAR(10) DEFAULT 'it\\'s'"},
        {"mysql int", mysqlNum, Ctx(dbMySQL), "INTEGER(11) UNSIGNED NOT NULL DEFAULT 0 AUTO_INCREMENT"},
        {"mysql enum", mysqlEnum, Ctx(dbMySQL), "ENUM('a', 'b')"},
        {"mysql decimal", Col(47, 0, 8, 3), Ctx(dbMySQL), "DECIMAL(8,3)"},
        {"mssql datetime2 7", dt2, Ctx(dbMSSQL), "DATETIME2 NULL"},
        {"mssql datetime2 3", dt2p3, Ctx(dbMSSQL), "DATETIME2(3) NULL"},
        {"mssql time 0", Col(19, 0, 0, 0), Ctx(dbMSSQL), "TIME(0) NULL"},
        {"mssql varchar max", Col(14, -1), Ctx(dbMSSQL), "VARCHAR(MAX) NULL"},
        {"mssql identity", msIdent, Ctx(dbMSSQL), "INTEGER IDENTITY (1, 1) NOT NULL"},
        {"mssql user type", msUser, Ctx(dbMSSQL), "dbo.Phone NULL"},
        {"mssql out param", msParam, msRoutine, "VARCHAR(MAX) OUTPUT"},
        {"mssql persisted", persisted, msComputed, "AS (A+B) PERSISTED"},
        {"mssql table type", Col(84), Ctx(dbMSSQL), "TABLE"},
        {"pg numeric array", pgArr, Ctx(dbPostgreSQL),
         "numeric(10,2)[][3] not null CONSTRAINT ck CHECK(v > 0)"},
        {"pg tz", Col(21), Ctx(dbPostgreSQL), "time with time zone"},
        {"asa identity", asaIdent, Ctx(dbSybaseASA), "INTEGER IDENTITY (1, 2) NULL"},
        {"asa char", Col(15, 4), Ctx(dbSybaseASA), "CHAR(4) NULL"},
        {"oracle timestamp", oraTs, Ctx(dbOracle), "TIMESTAMP(6) WITH LOCAL TIME ZONE DEFAULT SYSDATE"},
        {"oracle interval ds", oraIntervalDs, Ctx(dbOracle), "INTERVAL DAY(2) TO SECOND(6)"},
        {"oracle interval ym ref", oraIntervalYm, Ctx(dbOracle), "REF INTERVAL YEAR(4) TO MONTH"},
        {"oracle number", oraNumber, Ctx(dbOracle), "NUMBER(10,2)"},
        {"oracle varchar2 0", oraVarchar, Ctx(dbOracle), "VARCHAR2(0)"},
        {"db2 identity", db2Gen, db2Ctx, "INTEGER NOT NULL GENERATED ALWAYS AS IDENTITY (START WITH 1)"},
        {"db2 blob", db2Blob, Ctx(dbDB2), "BLOB(1024) NOT LOGGED COMPACT"},
        {"db2 decimal", Col(47, 0, 5), Ctx(dbDB2), "DECIMAL(5,0)"},
        {"ase java", aseJava, Ctx(dbSybaseASE), "java.lang.BigDecimal(10) NULL"},
        {"ase table", Col(84), aseTable, "TABLE"},
        {"ase computed", Col(1), aseComputed, "AS (A*2)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ColumnDefinitionSQL(c.column, c.context), c.expected) << c.label;
}

// What the PostgreSQL and MySQL servers refused or read as another type, written as the type
// record holds it.
TEST(ColumnDefinitionTest, TextsTheServersKeep) {
    TColumnAttrs pgCollate = Col(14, 10);
    pgCollate.CollationName = "C";
    pgCollate.CharSetName = "UTF8";
    TColumnTextContext pg = Ctx(dbPostgreSQL);
    pg.Quote = [](std::string_view n) { return "\"" + std::string(n) + "\""; };
    TColumnAttrs pgDomain = Col(DomainDataType);
    pgDomain.DomainName = "Positive";
    TColumnTextContext pgInSchema = pg;
    pgInSchema.DomainSchema = "Sales";
    const DefinitionCase cases[] = {
        {"pg national char", Col(57, 5), Ctx(dbPostgreSQL), "national char(5)"},
        {"pg bit", Col(71, 8), Ctx(dbPostgreSQL), "bit(8)"},
        {"pg varbit", Col(72, 16), Ctx(dbPostgreSQL), "varbit(16)"},
        {"pg time precision", Col(19, 0, 3), Ctx(dbPostgreSQL), "time(3)"},
        {"pg timestamp precision", Col(20, 0, 3), Ctx(dbPostgreSQL), "timestamp(3)"},
        {"pg timestamp tz precision", Col(22, 0, 6), Ctx(dbPostgreSQL), "timestamp(6) with time zone"},
        {"pg collation quoted, no character set", pgCollate, pg, "varchar(10) collate \"C\""},
        {"pg domain in its schema", pgDomain, pgInSchema, "\"Sales\".\"Positive\""},
        {"mysql double precision", Col(4, 0, 15), Ctx(dbMySQL), "DOUBLE PRECISION(15,0)"},
        {"mysql double without precision", Col(10), Ctx(dbMySQL), "DOUBLE"},
        {"mysql real", Col(9, 0, 10, 2), Ctx(dbMySQL), "REAL(10,2)"},
        {"mysql float keeps one number", Col(3, 0, 10), Ctx(dbMySQL), "FLOAT(10)"},
        {"mysql nvarchar", Col(50, 30), Ctx(dbMySQL), "NVARCHAR(30)"},
        {"mysql nvarchar without length", Col(50), Ctx(dbMySQL), "NVARCHAR(255)"},
        {"mysql nchar", Col(49, 4), Ctx(dbMySQL), "NCHAR(4)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ColumnDefinitionSQL(c.column, c.context), c.expected) << c.label;
    // The compare text of a changed type says the same.
    EXPECT_EQ(ColumnTypeText(Col(20, 0, 3), Ctx(dbPostgreSQL)), "timestamp(3)");
    EXPECT_EQ(ColumnTypeText(Col(71, 8), Ctx(dbPostgreSQL)), "bit(8)");
    EXPECT_EQ(ColumnTypeText(Col(14, 1), Ctx(dbPostgreSQL)), "varchar(1)");
    EXPECT_EQ(ColumnTypeText(Col(72, 1), Ctx(dbPostgreSQL)), "varbit(1)");
    EXPECT_EQ(ColumnTypeText(Col(14), Ctx(dbPostgreSQL)), "varchar");
    TColumnAttrs pgArray = Col(46, 0, 9, 3);
    pgArray.Dimensions = {{1, 4}, {1, 0}};
    EXPECT_EQ(ColumnTypeText(pgArray, Ctx(dbPostgreSQL)), "numeric(9,3)[4][]");
    EXPECT_EQ(ColumnTypeText(pgDomain, pgInSchema), "\"Sales\".\"Positive\"");
}

TEST(DefaultValueTextTest, DoubleQuotedBecomesLiteral) {
    EXPECT_EQ(DefaultValueText("\"abc\""), "'abc'");
    EXPECT_EQ(DefaultValueText("\"it's\""), "'it''s'");
    EXPECT_EQ(DefaultValueText("'abc'"), "'abc'");
    EXPECT_EQ(DefaultValueText("\""), "\"");
    EXPECT_EQ(DefaultValueText(""), "");
}

TEST(IBTypeToDataTypeTest, Table) {
    struct Row {
        int type, subType, dialect;
        int code;
        bool tz;
    };
    const Row rows[] = {
        {7, 0, 3, 54, false},  {8, 0, 3, 1, false},   {9, 0, 3, 55, false},   {10, 0, 3, 3, false},
        {12, 0, 3, 18, false}, {13, 0, 3, 19, false}, {14, 0, 3, 15, false},  {14, 1, 3, 44, false},
        {16, 0, 3, 2, false},  {17, 0, 3, 96, false}, {23, 0, 3, 96, false},  {24, 0, 3, 7, false},
        {25, 0, 3, 7, false},  {26, 0, 3, 46, false}, {27, 0, 3, 4, false},   {28, 0, 3, 19, true},
        {29, 0, 3, 20, true},  {35, 0, 3, 20, false}, {35, 0, 1, 18, false},  {37, 0, 3, 14, false},
        {37, 1, 3, 76, false}, {40, 0, 3, 56, false}, {261, 1, 3, 41, false}, {11, 0, 3, 0, false},
        {15, 0, 3, 0, false},  {18, 0, 3, 0, false},  {22, 0, 3, 0, false},
    };
    for (const auto& r : rows) {
        bool tz = false;
        const std::uint8_t code = IBTypeToDataType(r.type, r.subType, r.dialect, tz);
        EXPECT_EQ(code, r.code) << r.type << "/" << r.subType;
        EXPECT_EQ(tz, r.tz) << r.type;
    }
    bool tz = false;
    EXPECT_EQ(DataTypeNames[IBTypeToDataType(11, 0, 3, tz)], "? DataType");
}

TEST(CharSetReadingTest, ClearsWhatRepeatsDefaults) {
    auto read = [](TColumnAttrs c, std::string cs, std::string coll, std::string db, bool computed = false) {
        TCharSetReading r;
        r.CharSetName = cs;
        r.CharSetID = 4;
        r.CollationName = coll;
        r.CollationID = 3;
        r.DBCharSet = db;
        r.Computed = computed;
        SetCharSetAndCollation(c, r);
        return c;
    };
    TColumnAttrs v = Col(14, 20);
    TColumnAttrs a = read(v, "UTF8", "UTF8", "UTF8");
    EXPECT_EQ(a.CharSetName, "");
    EXPECT_EQ(a.CharSetID, 0);
    EXPECT_EQ(a.CollationName, "");
    EXPECT_EQ(a.CollationID, 0);

    TColumnAttrs b = read(v, "UTF8", "UNICODE_CI", "UTF8");
    EXPECT_EQ(b.CharSetName, "");
    EXPECT_EQ(b.CollationName, "UNICODE_CI");
    EXPECT_EQ(b.CollationID, 3);

    TColumnAttrs n = read(v, "NONE", "NONE", "");
    EXPECT_EQ(n.CharSetName, "");
    EXPECT_EQ(n.CollationName, "");

    TColumnAttrs o = read(v, "OCTETS", "OCTETS", "UTF8");
    EXPECT_EQ(o.CharSetName, "OCTETS");
    EXPECT_EQ(o.CollationName, "");

    TColumnAttrs computed = v;
    computed.CharSetName = "WIN1252";
    computed.CollationName = "PXW_CSY";
    computed = read(computed, "WIN1252", "PXW_CSY", "UTF8", true);
    EXPECT_EQ(computed.CharSetName, "");
    EXPECT_EQ(computed.CollationName, "");

    TColumnAttrs integer = Col(1);
    integer.CollationName = "X";
    integer = read(integer, "UTF8", "UNICODE", "UTF8");
    EXPECT_EQ(integer.CollationName, "");
    EXPECT_EQ(integer.CharSetName, "");

    // A domain column keeps a collation only where it differs from the domain's.
    TColumnAttrs domType = Col(14, 10);
    domType.CollationName = "UNICODE_CI";
    TColumnAttrs dc = Col(DomainDataType);
    dc.DomainName = "D";
    TCharSetReading r;
    r.CollationName = "UNICODE_CI";
    r.DomainType = &domType;
    r.DBCharSet = "UTF8";
    SetCharSetAndCollation(dc, r);
    EXPECT_EQ(dc.CollationName, "");
    r.CollationName = "UNICODE";
    SetCharSetAndCollation(dc, r);
    EXPECT_EQ(dc.CollationName, "UNICODE");
}

TEST(CharSetReadingTest, CharacterTypesAndEffectiveCharSet) {
    TColumnAttrs textBlob = Col(41);
    textBlob.SubType = 1;
    EXPECT_TRUE(IsCharacterType(textBlob, nullptr));
    EXPECT_FALSE(IsCharacterType(Col(41), nullptr));
    EXPECT_TRUE(IsCharacterType(Col(56), nullptr));
    EXPECT_FALSE(IsCharacterType(Col(1), nullptr));
    TColumnAttrs dom = Col(15, 2);
    dom.CharSetName = "WIN1252";
    EXPECT_TRUE(IsCharacterType(Col(DomainDataType), &dom));
    EXPECT_FALSE(IsCharacterType(Col(DomainDataType), nullptr));
    EXPECT_EQ(GetEffectiveCharSet(Col(DomainDataType), &dom, "UTF8", true), "WIN1252");
    EXPECT_EQ(GetEffectiveCharSet(Col(14, 3), nullptr, "UTF8", true), "UTF8");
    EXPECT_EQ(GetEffectiveCharSet(Col(14, 3), nullptr, "UTF8", false), "");
    EXPECT_EQ(GetEffectiveCharSet(Col(1), nullptr, "UTF8", true), "");
}

} // namespace
} // namespace smx
