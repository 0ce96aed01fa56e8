// The ":name" parameter parser: rewritten text and recorded names, one row per case, plus the
// list handling of DoCreate and the stripping of quoted names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/smxDBEngine.h"

namespace smx {
namespace {

struct ParseRow {
    const char* sql;
    const char* expected;
    std::vector<std::string> params;
};

std::vector<std::string> Names(const TParams& p) {
    std::vector<std::string> r;
    for (int i = 0; i < p.Count(); ++i)
        r.push_back(p[i].Name());
    return r;
}

TEST(ParseSQLParams, RewritesReferences) {
    const ParseRow rows[] = {
        {"select * from T where ID = :ID and N = :N", "select * from T where ID = ? and N = ?", {"ID", "N"}},
        // Not parameters: inside a literal, glued to an identifier, at the first position, a time.
        {"x = 'a:b'", "x = 'a:b'", {}},
        {"a:b", "a:b", {}},
        {":p", ":p", {}},
        {"T12:30", "T12:30", {}},
        {"x::int", "x:int", {}},
        {"::a", ":a", {}},
        {"a: b", "a: b", {}},
        {"a :", "a :", {}},
        // Parameters after a blank or a parenthesis, and after a leading number.
        {"a :b", "a ?", {"b"}},
        {"(:b)", "(?)", {"b"}},
        {"12:30", "12?", {"30"}},
        {" 1 2:30", " 1 2?", {"30"}},
        {"x = :\"my name\"", "x = ?", {"my name"}},
        {"a = :X or b = :X", "a = ? or b = ?", {"X", "X"}},
        {"VALUES(1, :h0000001A_00000004)", "VALUES(1, ?)", {"h0000001A_00000004"}},
        {"a=:p,:q;", "a=?,?;", {"p", "q"}},
        // Names end at a delimiter; a colon inside a name belongs to it.
        {"a = :p+1", "a = ?+1", {"p"}},
        {"a = :p:q", "a = ?", {"p:q"}},
        // Quote kinds are matched: one kind inside a literal of another does not close it.
        {"'a\"b' = :p", "'a\"b' = ?", {"p"}},
        {"VALUES(2, '12\" disk', :h0000001A_00000000)", "VALUES(2, '12\" disk', ?)", {"h0000001A_00000000"}},
        {"x = '12\" :no' and y = :yes", "x = '12\" :no' and y = ?", {"yes"}},
        {"x = `a'b` and :k = 1", "x = `a'b` and ? = 1", {"k"}},
        // A doubled quote toggles twice and leaves the literal open.
        {"x = 'O''Brien :n' or :m", "x = 'O''Brien :n' or ?", {"m"}},
        {"x = \"a:b\" and :c", "x = \"a:b\" and ?", {"c"}},
        // Comments are copied as they stand; names and quotes inside them mean nothing.
        {"-- :a\n:b", "-- :a\n?", {"b"}},
        {"-- :a\r\n :b", "-- :a\r\n ?", {"b"}},
        {"x = 1 -- don't\n and y = :y", "x = 1 -- don't\n and y = ?", {"y"}},
        {"'/* :x */'", "'/* :x */'", {}},
        {"'-- :x' = :y", "'-- :x' = ?", {"y"}},
        {"/* ' */ :p", "/* ' */ ?", {"p"}},
        {"VALUES (/* was :old */ :ID, :S)", "VALUES (/* was :old */ ?, ?)", {"ID", "S"}},
        {"a /* :x ** / */ + :b", "a /* :x ** / */ + ?", {"b"}},
        {"a = :p-- c", "a = ?-- c", {"p"}},
        {"a = :p/* c :q */", "a = ?/* c :q */", {"p"}},
        {"a - -:b", "a - -?", {"b"}},
        {"a / :b * :c", "a / ? * ?", {"b", "c"}},
        // Unterminated comments run to the end, as an unterminated literal does.
        {"a = :p /* open :q", "a = ? /* open :q", {"p"}},
        {"a = :p -- :q", "a = ? -- :q", {"p"}},
        {"/*/ :x", "/*/ :x", {}},
        {"", "", {}},
    };
    for (const ParseRow& r : rows) {
        TParams params;
        params.Add("stale");
        EXPECT_EQ(ParseSQLParams(&params, r.sql, true), r.expected) << r.sql;
        EXPECT_EQ(Names(params), r.params) << r.sql;
    }
}

TEST(ParseSQLParams, DoCreateFalseKeepsList) {
    TParams params;
    params.Add("Z");
    EXPECT_EQ(ParseSQLParams(&params, "a = :A and b = :B", false), "a = ? and b = ?");
    EXPECT_EQ(Names(params), std::vector<std::string>{"Z"});
}

TEST(ParseSQLParams, NullListOnlyRewrites) {
    EXPECT_EQ(ParseSQLParams(nullptr, "a = :A", true), "a = ?");
}

TEST(ParseSQLParams, EmptyNameAfterColon) {
    TParams params;
    EXPECT_EQ(ParseSQLParams(&params, "a (:)", true), "a (?)");
    EXPECT_EQ(Names(params), std::vector<std::string>{""});
}

TEST(StripParamName, OneQuoteEachSide) {
    const std::pair<const char*, const char*> rows[] = {
        {"\"abc\"", "abc"}, {"'abc", "abc"},  {"`abc`", "abc"}, {"abc'", "abc"},
        {"abc", "abc"},     {"''x''", "'x'"}, {"\"", ""},       {"", ""},
    };
    for (auto [in, out] : rows)
        EXPECT_EQ(StripParamName(in), out) << in;
}

} // namespace
} // namespace smx
