// The scanner: token streams of the base and InterBase scanners (table-driven), numbers and their
// 64-bit magnitudes, literals, comments, terminators, look-ahead with a sign, type sizes, copied
// expressions, positions, and the keyword side (display names, version filter, keyword words,
// stored identifier form).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/smxComp_Tbl.h"
#include "tests/parsing/ParserTestSupport.h"

namespace smx::test {
namespace {

using enum TIBSQLServerVersionType;

/// One token as "code", "code:IDENT", "code'string" or "code#literal".
std::string Describe(const TCustomParser& P) {
    const int T = P.GetToken();
    std::string S = std::to_string(T);
    if (T == tkIdent || T == tkCHARSET)
        S += ":" + P.GetTokenText();
    else if (T == tkString)
        S += "'" + Visible(P.GetStringValue());
    else if (T == tkInteger || T == tkFloat)
        S += "#" + P.GetStringValue();
    return S;
}

struct ScanSetup {
    TIBSQLServerVersionType Version = st_Firebird_30;
    int Dialect = 3;
    std::string Terminator = ";";
};

/// Every token of Text as the InterBase scanner reads it.
std::vector<std::string> IbTokens(const std::string& Text, ScanSetup S = {}) {
    TIbSetup Setup(S.Version, S.Dialect);
    TProbe<TIbParser> P;
    P.OnErrorMessage = [](TObject*, const std::string&) {};
    P.SetTerminator(S.Terminator);
    P.Load(Text, &Setup.Objs());
    std::vector<std::string> R;
    for (int Guard = 0; P.GetToken() != tkEOF && Guard < 1000; ++Guard) {
        R.push_back(Describe(P));
        P.NextToken();
    }
    return R;
}

using Tokens = std::vector<std::string>;

TEST(Scanner, TokenStreams) {
    struct Row {
        const char* Input;
        Tokens Expected;
    };
    const Row Rows[] = {
        // Operators: <> and != are one code, == is its own.
        {"a<>b != c<=d>=e==f", {"1:A", "22", "1:B", "22", "1:C", "20", "1:D", "21", "1:E", "23", "1:F"}},
        {"( ) , - + * / : = . < > [ ] @ \\ % & ||",
         {"5", "6", "7", "8", "9", "10", "11", "16", "14", "15", "18", "19", "24", "25", "26", "27", "28",
          "29", "17"}},
        {"'it''s'", {"3'it's"}},
        {"\"a\"\"b\" `q`", {"1:a\"b", "3'q"}},
        {"x -- c\ny /* z */ w", {"1:X", "1:Y", "1:W"}},
        {"a.b", {"1:A", "15", "1:B"}},
        {".5", {"2#.5"}},
        {"1..5", {"4#1", "15", "2#.5"}},
        {"1E5 1.5E-3 1e+2 5.", {"4#1E5", "2#1.5E-3", "4#1e+2", "2#5."}},
        {"1E5+3", {"4#1E5", "9", "4#3"}}, // a sign belongs to the number only right after the E
        // Keywords keep their text, identifiers are upper-cased.
        {"select Abc From x1$_", {"189", "1:ABC", "101", "1:X1$_"}},
        {"A\x1A"
         "B",
         {"1:A", "1:B"}}, // 0x1A reads as a blank
        {"_utf8'x' _ 1", {"44:_utf8", "3'x", "44:_", "4#1"}},
        {"; ^", {"12"}}, // "^" is no token under ";": the scan ends there
    };
    for (const auto& R : Rows)
        EXPECT_EQ(IbTokens(R.Input), R.Expected) << Visible(R.Input);
    // A NUL inside a literal is kept.
    EXPECT_EQ(IbTokens(std::string("'a\0b' x", 7)), (Tokens{"3'a\\x00b", "1:X"}));
}

TEST(Scanner, TerminatorAndSemicolon) {
    EXPECT_EQ(IbTokens("a; b ^ c", {.Terminator = "^"}), (Tokens{"1:A", "13", "1:B", "12", "1:C"}));
    EXPECT_EQ(IbTokens("a;b", {}), (Tokens{"1:A", "12", "1:B"}));
    EXPECT_EQ(IbTokens("a GO b", {.Terminator = "GO"}), (Tokens{"1:A", "12", "1:B"}));
}

TEST(Scanner, VersionDependentLiterals) {
    // Firebird 2.5 and later: hexadecimal numbers and strings, ":=".
    EXPECT_EQ(IbTokens("0x1F X'41' x'4142' x'414' :=", {.Version = st_Firebird_25}),
              (Tokens{"4#1F", "3'A", "3'AB", "3'A@", "116"}));
    // Before: 0 then the identifier X1F; ":" then "=".
    EXPECT_EQ(IbTokens("0x1F :=", {.Version = st_Firebird_21}), (Tokens{"4#0", "1:X1F", "16", "14"}));
    TIbSetup Setup(st_Firebird_25);
    TProbe<TIbParser> P;
    P.Load("0x1F 0xFFFFFFFFFFFFFFFF 0x10000000000000000", &Setup.Objs());
    EXPECT_EQ(P.GetIntValue(), 31u);
    P.NextToken();
    EXPECT_EQ(P.GetIntValue(), 0xFFFFFFFFFFFFFFFFu);
    EXPECT_FALSE(P.GetIntOverflow());
    P.NextToken();
    EXPECT_TRUE(P.GetIntOverflow());
}

TEST(Scanner, DoubleQuotesByDialect) {
    EXPECT_EQ(IbTokens("\"Abc\" \"\"", {.Dialect = 3}), (Tokens{"1:Abc", "3'"}));
    EXPECT_EQ(IbTokens("\"Abc\"", {.Dialect = 1}), (Tokens{"3'Abc"}));
}

TEST(Scanner, BlanksInsideOperatorsOnlyForMSSQL) {
    TProbe<TCustomSQLParser> P;
    P.OnErrorMessage = [](TObject*, const std::string&) {};
    P.SetDatabaseType(TDatabaseType::dbMSSQL);
    P.Load("! = < = < >");
    std::vector<int> Codes;
    for (; P.GetToken() != tkEOF; P.NextToken())
        Codes.push_back(P.GetToken());
    EXPECT_EQ(Codes, (std::vector<int>{22, 20, 22}));
    EXPECT_EQ(IbTokens("< = < >"), (Tokens{"18", "14", "18", "19"}));
}

TEST(Scanner, NumbersKeepSixtyFourBitMagnitudes) {
    struct Row {
        const char* Input;
        std::uint64_t Value;
        bool Overflow;
        const char* Error; // empty: none
    };
    const Row Rows[] = {
        {"2147483648", 2147483648u, false, ""},
        {"9223372036854775808", 9223372036854775808u, false, ""},
        {"18446744073709551615", 18446744073709551615u, false, ""},
        {"18446744073709551616", 0, true, ""},
        {"123456789012345678901234567890", 0, true, ""},
        {"1E5", 100000, false, ""},
        {"25E-1", 2, false, ""},
        {"1E30", 0, true, ""},
        {"1E", 0, false, "Invalid number: 1E"},
        {"1E+", 0, false, "Invalid number: 1E+"},
        {"1.5E", 0, false, "Invalid number: 1.5E"},
    };
    for (const auto& R : Rows) {
        TProbe<TCustomParser> P;
        P.OnErrorMessage = [](TObject*, const std::string&) {};
        P.Load(R.Input);
        EXPECT_EQ(P.GetIntValue(), R.Value) << R.Input;
        EXPECT_EQ(P.GetIntOverflow(), R.Overflow) << R.Input;
        EXPECT_EQ(P.GetStringValue(), R.Input); // the literal text is always kept
        const std::string Err = P.GetMsgManager().Count() ? P.GetMsgManager()[0].Text : "";
        EXPECT_EQ(Err, R.Error) << R.Input;
    }
    TProbe<TCustomParser> F;
    F.Load("1.5E-3");
    EXPECT_DOUBLE_EQ(F.GetFloatValue(), 0.0015);
}

TEST(Scanner, CheckedIntegerValues) {
    struct Row {
        const char* Input;
        bool Negative;
        bool Ok;
        std::int64_t Value;
    };
    const Row Rows[] = {
        {"2147483648", false, true, 2147483648},  {"9223372036854775807", false, true, INT64_MAX},
        {"9223372036854775808", false, false, 0}, {"9223372036854775808", true, true, INT64_MIN},
        {"9223372036854775809", true, false, 0},  {"99999999999999999999", false, false, 0},
    };
    for (const auto& R : Rows) {
        TProbe<TCustomParser> P;
        P.OnErrorMessage = [](TObject*, const std::string&) {};
        P.Load(R.Input);
        std::int64_t V = 0;
        EXPECT_EQ(P.GetCheckedInt(INT64_MIN, INT64_MAX, R.Negative, V), R.Ok) << R.Input;
        if (R.Ok)
            EXPECT_EQ(V, R.Value);
        else
            EXPECT_EQ(P.GetMsgManager()[0].Text,
                      "Integer value out of range: " + std::string(R.Negative ? "-" : "") + R.Input);
    }
}

TEST(Scanner, UnterminatedElementsReportTheirOpeningDelimiter) {
    struct Row {
        const char* Input;
        const char* Error;
        int Line, Column;
    };
    const Row Rows[] = {
        {"x\n  'abc", "Unterminated string", 2, 3},
        {"x\n  \"abc", "Unterminated string", 2, 3},
        {"x /* abc\n", "Unterminated comment", 1, 3},
        {"x 'a''", "Unterminated string", 1, 3}, // a doubled quote is no closing one
        {"/* 0123456789ab\r\n0123456789abcdef\r*/\n 'a", "Unterminated string", 4, 2},
    };
    for (const auto& R : Rows) {
        TIbSetup Setup;
        TProbe<TIbParser> P;
        P.OnErrorMessage = [](TObject*, const std::string&) {};
        P.Load(R.Input, &Setup.Objs());
        while (P.GetToken() != tkEOF)
            P.NextToken();
        ASSERT_EQ(P.GetMsgManager().Count(), 1) << R.Input;
        EXPECT_EQ(P.GetMsgManager()[0].Text, R.Error);
        EXPECT_EQ(P.GetMsgManager()[0].LineNo, R.Line);
        EXPECT_EQ(P.GetMsgManager()[0].ColumnNo, R.Column);
    }
}

TEST(Scanner, InvalidCharactersEndTheScan) {
    struct Row {
        const char* Input;
        const char* Shown;
    };
    const Row Rows[] = {{"a # b", "\"#\""},   {"a ! b", "\"!\""},         {"a $b", "\"$\""}, {"a ~", "\"~\""},
                        {"a \x01", "\"#1\""}, {"a \xC3\xA9", "\"#195\""}, {"a {", "\"{\""}};
    for (const auto& R : Rows) {
        TProbe<TCustomSQLParser> P;
        P.OnErrorMessage = [](TObject*, const std::string&) {};
        P.Load(R.Input);
        P.NextToken();
        EXPECT_EQ(P.GetToken(), tkEOF) << R.Input;
        P.NextToken(); // stays at the end: nothing after it is read
        EXPECT_EQ(P.GetToken(), tkEOF);
        ASSERT_EQ(P.GetMsgManager().Count(), 1);
        EXPECT_EQ(P.GetMsgManager()[0].Text, std::string("Invalid char in source text: ") + R.Shown + ".");
    }
}

TEST(Scanner, LastCommentAndPositions) {
    TProbe<TCustomSQLParser> P;
    P.Load("x -- c\ny /* z */ w");
    P.NextToken();
    EXPECT_EQ(P.GetLineNo(), 2);
    P.NextToken();
    EXPECT_EQ(P.GetLastComment(), " z ");
    EXPECT_EQ(P.GetTokenText(), "W");
    // The scanner's column is that of the character after the token, the position text's that of the
    // token's first character; line breaks belong to the line they end.
    for (const char* Text : {"X;", "X\n", "X\r\n", "X\r"}) {
        TProbe<TCustomParser> Q;
        Q.Load(Text);
        EXPECT_EQ(Q.GetLineNo(), 1) << Visible(Text);
        EXPECT_EQ(Q.GetColumnNo(), 2) << Visible(Text);
        EXPECT_EQ(Q.GetPositionText(), "\r\nScript:  Line:1 Pos:1\r\n");
    }
}

TEST(Scanner, ExpectTakesASignIntoTheNumber) {
    TProbe<TCustomParser> P;
    P.Load("- 5 + 7 - x");
    EXPECT_TRUE(P.Expect(tkInteger));
    EXPECT_EQ(P.GetStringValue(), "-5");
    EXPECT_EQ(P.GetIntValue(), 5u); // the magnitude stays unsigned
    P.NextToken();
    EXPECT_TRUE(P.Expect(tkInteger));
    EXPECT_EQ(P.GetStringValue(), "+7");
    P.NextToken();
    P.OnErrorMessage = [](TObject*, const std::string&) {};
    EXPECT_FALSE(P.Expect(tkInteger));
    EXPECT_EQ(P.GetToken(), tkMinus); // put back
    EXPECT_EQ(P.GetMsgManager()[0].Text, "Missing: <Integer value> (<->)");
    // A look-ahead that meets a bad character records it once, when the scan really gets there.
    TProbe<TCustomParser> Q;
    Q.OnErrorMessage = [](TObject*, const std::string&) {};
    Q.Load("- #");
    EXPECT_FALSE(Q.Expect(tkInteger));
    ASSERT_EQ(Q.GetMsgManager().Count(), 1);
    EXPECT_EQ(Q.GetMsgManager()[0].Text, "Missing: <Integer value> (<->)");
}

TEST(Scanner, TypeSizes) {
    struct Row {
        const char* Input;
        int Length, Scale;
    };
    for (const Row& R : {Row{"(10,2)", 10, 2}, Row{"(5)", 5, 0}, Row{"x", 9, 0}}) {
        TProbe<TCustomParser> P;
        P.Load(R.Input);
        TFldData F;
        P.ParseTypeSize(&F);
        EXPECT_EQ(F.Length, R.Length) << R.Input;
        EXPECT_EQ(F.Precision, R.Length) << R.Input;
        EXPECT_EQ(F.Scale, R.Scale) << R.Input;
    }
}

TEST(Scanner, ReadExpressionSkipsLiteralsAndComments) {
    struct Row {
        const char* Input;
        const char* Expression;
    };
    const Row Rows[] = {
        {"  (A <> ')') REST", "(A <> ')')"},
        {"(A /* ) */ + (1)) REST", "(A /* ) */ + (1))"},
        {"(A -- )\n + 1) REST", "(A -- )\n + 1)"},
        {"(\"x)\" || `)`) REST", "(\"x)\" || `)`)"},
        {"(A + (B)", "(A + (B)"}, // the end of the text ends it
    };
    for (const auto& R : Rows) {
        // The scanner stands after "x", before the expression.
        std::string Expr;
        TProbe<TCustomParser> E;
        E.OnErrorMessage = [](TObject*, const std::string&) {};
        E.Load("x " + std::string(R.Input));
        E.ReadExpression(Expr);
        EXPECT_EQ(Expr, R.Expression) << R.Input;
    }
    // Deep nesting is counted, not recursed.
    const std::string Deep = std::string(100000, '(') + std::string(100000, ')');
    TProbe<TCustomParser> D;
    D.Load("x " + Deep + " y");
    std::string Expr;
    D.ReadExpression(Expr);
    EXPECT_EQ(Expr.size(), Deep.size());
    D.NextToken();
    EXPECT_EQ(D.GetTokenText(), "Y");
}

// ---- Keyword side ----

TEST(Keywords, ListAndDisplayNames) {
    TIbParser P;
    TResWordList& K = P.GetKeywords();
    EXPECT_EQ(K.Count(), 30 + 194); // CURSOR, PAGE_SIZE, GLOBAL and RELEASE stand twice in the table
    EXPECT_EQ(P.GetTokenName(40), "ASCENDING"); // the alphabetically later synonym
    EXPECT_EQ(P.GetTokenName(118), "INTEGER");
    EXPECT_EQ(P.GetTokenName(999), "<??"
                                   "?>"); // split: "??>" would read as a trigraph
    EXPECT_EQ(P.GetTokenName(tkIdent), "<Ident>");
    EXPECT_EQ(P.GetTokenName(tkCHARSET), "_<charset>");
    for (int i = 1; i < K.Count(); ++i)
        EXPECT_LT(CompareText(K.Strings(i - 1), K.Strings(i)), 0) << K.Strings(i);
    // The codes the statement routines name are those of the InterBase table.
    const std::pair<const char*, int> Named[] = {{"ALTER", tkALTER},
                                                 {"ASCENDING", tkASC},
                                                 {"CHARACTER", tkCHARACTER},
                                                 {"COLUMN", tkCOLUMN},
                                                 {"COMMIT", tkCOMMIT},
                                                 {"CREATE", tkCREATE},
                                                 {"DATABASE", tkDATABASE},
                                                 {"DECLARE", tkDECLARE},
                                                 {"DEFAULT", tkDEFAULT},
                                                 {"DELETE", tkDELETE},
                                                 {"DESCENDING", tkDESC},
                                                 {"DOMAIN", tkDOMAIN},
                                                 {"DROP", tkDROP},
                                                 {"EXCEPTION", tkEXCEPTION},
                                                 {"EXECUTE", tkEXECUTE},
                                                 {"EXTERNAL", tkEXTERNAL},
                                                 {"FROM", tkFROM},
                                                 {"FUNCTION", tkFUNCTION},
                                                 {"GENERATOR", tkGENERATOR},
                                                 {"GRANT", tkGRANT},
                                                 {"INDEX", tkINDEX},
                                                 {"INSERT", tkINSERT},
                                                 {"INTO", tkINTO},
                                                 {"IS", tkIS},
                                                 {"NAMES", tkNAMES},
                                                 {"NULL", tkNULL},
                                                 {"ON", tkON},
                                                 {"OR", tkOR},
                                                 {"PAGE_SIZE", tkPAGE_SIZE},
                                                 {"PARAMETER", tkPARAMETER},
                                                 {"PASSWORD", tkPASSWORD},
                                                 {"PROCEDURE", tkPROCEDURE},
                                                 {"REVOKE", tkREVOKE},
                                                 {"ROLE", tkROLE},
                                                 {"SELECT", tkSELECT},
                                                 {"SET", tkSET},
                                                 {"STATISTICS", tkSTATISTICS},
                                                 {"TABLE", tkTABLE},
                                                 {"TO", tkTO},
                                                 {"TRIGGER", tkTRIGGER},
                                                 {"UNIQUE", tkUNIQUE},
                                                 {"UPDATE", tkUPDATE},
                                                 {"USER", tkUSER},
                                                 {"VIEW", tkVIEW},
                                                 {"WITH", tkWITH},
                                                 {"WORK", tkWORK},
                                                 {"RECREATE", tkRECREATE},
                                                 {"GLOBAL", tkGLOBAL},
                                                 {"TEMPORARY", tkTEMPORARY},
                                                 {"DESCRIBE", tkDESCRIBE},
                                                 {"ASC", tkASC},
                                                 {"DESC", tkDESC}};
    for (const auto& [Word, Code] : Named)
        EXPECT_EQ(K.Find(Word), Code) << Word;
    EXPECT_EQ(K.Find("NOSUCHWORD"), -1);
}

TEST(Keywords, WordsAddedOneByOne) {
    TResWordList L;
    L.AddWord("beta", 31);
    L.AddWord("Alpha", 30);
    L.AddWord("ALPHA", 99); // the same word in another case: the first code stays
    L.AddWord("Gamma", 30);
    EXPECT_EQ(L.Count(), 3);
    EXPECT_EQ(L.Strings(0), "Alpha");
    EXPECT_EQ(L.GetToken(0), 30);
    EXPECT_EQ(L.Find("ALPHA"), 30);
    EXPECT_EQ(L.Find("BETA"), 31);
    EXPECT_EQ(L.Find("beta"), -1); // lookups take the upper-cased word
    EXPECT_EQ(L.TokenName(30), "Gamma");
    L.Clear();
    EXPECT_EQ(L.Count(), 0);
    EXPECT_EQ(L.Find("ALPHA"), -1);
}

TEST(Keywords, VersionFilter) {
    struct Row {
        const char* Word;
        TIBSQLServerVersionType Version;
        int Code;
    };
    const Row Rows[] = {
        {"ROLE", st_InterBase_4x, tkIdent},
        {"ROLE", st_InterBase_5x, tkROLE},
        {"ROLE", st_Firebird_20, tkIdent},
        {"ROLE", st_Firebird_25, tkIdent},
        {"ROLE", st_Firebird_40, tkIdent},
        {"ROLE", st_InterBase_75, tkROLE},
        {"WORK", st_Firebird_25, tkWORK},
        {"WORK", st_Firebird_30, tkIdent},
        {"BIGINT", st_InterBase_7x, tkIdent},
        {"BIGINT", st_InterBase_2020, 237}, // 2020 keeps every keyword
        {"RECREATE", st_InterBase_6x, tkIdent},
        {"RECREATE", st_Firebird_30, tkRECREATE},
    };
    for (const auto& R : Rows) {
        TIbSetup Setup(R.Version);
        TProbe<TIbParser> P;
        P.Load(R.Word, &Setup.Objs());
        EXPECT_EQ(P.GetToken(), R.Code) << R.Word << " in version " << static_cast<int>(R.Version);
    }
    // A version changed between two words holds for the second.
    TIbSetup Setup(st_Firebird_25);
    TProbe<TIbParser> P;
    P.Load("ROLE ROLE", &Setup.Objs());
    Setup.Objs().GetIBServerOptions().SetSQLServerVersion(st_InterBase_5x);
    P.NextToken();
    EXPECT_EQ(P.GetToken(), tkROLE);
}

TEST(Keywords, KeywordWordsAndQuotedNames) {
    TIbSetup Setup(st_Firebird_30);
    TProbe<TIbParser> P;
    P.Load("work \"WORK\" COMMIT", &Setup.Objs());
    EXPECT_EQ(P.GetToken(), tkIdent);
    EXPECT_EQ(P.GetTokenText(), "WORK");
    EXPECT_TRUE(P.Is(tkWORK)); // the identifier form of a keyword Firebird 3 does not reserve
    P.NextToken();
    EXPECT_FALSE(P.Is(tkWORK)); // a quoted name is never a keyword
    P.NextToken();
    EXPECT_TRUE(P.Is(tkCOMMIT));
    EXPECT_FALSE(P.Is(tkWORK));
}

TEST(Keywords, StoredIdentifierForm) {
    TIbSetup Setup(st_Firebird_30, 3);
    TProbe<TIbParser> P;
    P.Load("\"order\"", &Setup.Objs());
    EXPECT_EQ(P.GetIdentName(), "\"order\"");
    EXPECT_EQ(P.GetIdentName("ORDERS"), "ORDERS");
    EXPECT_EQ(P.GetIdentName("ORDER"), "\"ORDER\"");
    EXPECT_EQ(P.GetIdentName("a\"b"), "\"a\"\"b\"");
    Setup.Objs().GetIBServerOptions().SetSQLDialect(1);
    EXPECT_EQ(P.GetIdentName("ORDER"), "ORDER");
}

} // namespace
} // namespace smx::test
