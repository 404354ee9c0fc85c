// The text parsers: the plain SELECT (the program's own query, the forms tools send,
// and what is left to the SQL engine), connection strings with braces, and
// the UTF-8/UTF-16 conversion of the wide entry points.
#include <gtest/gtest.h>

#include "driver/base/Utf16.h"
#include "driver/odbc/ConnectionString.h"
#include "driver/sql/QueryParser.h"
#include "driver/sql/SqlText.h"
#include "tests/driver/OdbcClient.h"

using kdbf::ParseConnectionString;
using kdbf::ParsePlainSelect;

namespace {

// "table: [all] tab.col col ..." for comparing a whole parse at once.
std::string Shape(const std::optional<kdbf::SelectQuery>& parsed) {
    if (!parsed) return "-";
    const kdbf::SelectQuery& query = *parsed;
    std::string strShape = query.table + ":" + (query.all_columns ? " *" : "");
    for (const auto& c : query.columns) strShape += " " + c.table + "." + c.column;
    return strShape;
}

// The program's query and every form tools send, in any case and spacing, are read
// directly; anything else ("-") is left to the SQL engine, which answers or refuses it.
TEST(QueryParserTest, ReadsThePlainFormsAndLeavesEverythingElseToTheEngine) {
    const std::pair<std::string, const char*> cases[] = {
        {ProgramQuery("rnddat"),
         "rnddat: rnddat.F1 rnddat.F2 rnddat.F3 rnddat.F4 rnddat.F5 "
         "rnddat.F6 rnddat.F7 rnddat.F8 rnddat.F9 rnddat.FA rnddat.FB"},
        {"select\n\tt.F1 , [F2],F3,[t].[F4]\r\n from   t  ", "t: t.F1 .F2 .F3 t.F4"},
        {"SeLeCt * FrOm [x]", "x: *"},
        {"SELECT [a]]b].[c]]] FROM [a]]b]", "a]b: a]b.c]"},
        {"SELECT * FROM [my prices; 2004]", "my prices; 2004: *"},
        {"SELECT \"t\".\"F1\", \"a\"\"b\" FROM \"t\"", "t: t.F1 .a\"b"},
        {"SELECT T.F1 FROM t", "t: T.F1"},  // any case, as files
        {"SELECT * FROM t;", "t: *"},
        {"SELECT * FROM [t;] ; \n", "t;: *"}};
    for (const char* pszText :
         {"SHOW TABLES", "update t SET F1 = 2", "SELECT * FROM t;;", "INSERTED FROM t",
          "SELECT F1 FROM t WHERE F1 > 2", "SELECT F1 FROM", "SELECT F1, FROM t",
          "SELECT [F1 FROM t", "SELECT \"F1 FROM t", "SELECT F1 FROM a, b", "SELECT [] FROM t",
          "SELECT x.F1 FROM t", ""})
        EXPECT_EQ(Shape(ParsePlainSelect(pszText)), "-") << pszText;
    for (const auto& [text, shape] : cases) EXPECT_EQ(Shape(ParsePlainSelect(text)), shape) << text;
}

TEST(SqlTextTest, TranslatesWhatClientsSendAndLeavesQuotedTextAlone) {
    const std::pair<const char*, const char*> cases[] = {
        {"SELECT * FROM [odd]]name]", "SELECT * FROM \"odd]name\""},
        {"SELECT [a\"b] FROM t", "SELECT \"a\"\"b\" FROM t"},
        {"SELECT TOP 5 F1 FROM t ORDER BY F1;\n", "SELECT  F1 FROM t ORDER BY F1 LIMIT 5"},
        {"select distinct top 2 F1 from t", "select distinct  F1 from t LIMIT 2"},
        {"SELECT (SELECT TOP 1 x FROM u) FROM t", "SELECT (SELECT TOP 1 x FROM u) FROM t"},
        {"SELECT top FROM t", "SELECT top FROM t"},
        {"SELECT * FROM t WHERE d = {d '2024-02-29'} AND s < {ts '2024-02-29 13:45:07'}",
         "SELECT * FROM t WHERE d =   '2024-02-29' AND s <   '2024-02-29 13:45:07'"},
        {"SELECT {fn UCASE(n)}, {FN left(n, 2)}, {fn CONCAT(a, b)} FROM t",
         "SELECT  upper(n),  odbc_left(n, 2),  CONCAT(a, b) FROM t"},
        {"SELECT * FROM {oj a LEFT OUTER JOIN b ON a.x = b.x}",
         "SELECT * FROM   a LEFT OUTER JOIN b ON a.x = b.x"},
        {"SELECT '[x] {fn y} ;', \"[z]\" FROM t -- [c] {\n;  ",
         "SELECT '[x] {fn y} ;', \"[z]\" FROM t -- [c] {\n"},
        {"SELECT 'it''s' /* ] } */ FROM t", "SELECT 'it''s' /* ] } */ FROM t"},
        {"SELECT 1;;", "SELECT 1;"},
        {"SELECT n FROM t WHERE n LIKE 'a\\%' {escape '\\'}",
         "SELECT n FROM t WHERE n LIKE 'a\\%'  ESCAPE '\\'"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(kdbf::TranslateSql(in), out) << in;
    const std::pair<const char*, const char*> faults[] = {
        {"SELECT [a FROM t", "unterminated bracket near '[a FROM t'"},
        {"SELECT 'a FROM t", "unterminated quote near ''a FROM t'"},
        {"SELECT /* x", "unterminated comment near '/* x'"},
        {"SELECT {fn UCASE(n) FROM t", "unterminated escape '{'"},
        {"SELECT {call p}", "unknown escape '{call' near 'call p}'"},
    };
    for (const auto& [in, message] : faults) {
        try {
            kdbf::TranslateSql(in);
            ADD_FAILURE() << in;
        } catch (const kdbf::SyntaxError& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
    }
}

TEST(ConnectionStringTest, ReadsBracedValuesKeepingTheFirstOfEachKeyAndRefusesMalformedOnes) {
    EXPECT_EQ(ParseConnectionString(";;DSN=a;defaultdir={/a;b}}c/};Fil = dBase III;DSN=b;DESC="),
              (kdbf::Attributes{
                  {"DSN", "a"}, {"DEFAULTDIR", "/a;b}c/"}, {"FIL", "dBase III"}, {"DESC", ""}}));
    for (std::string value : {"/plain/", "/a;b/", "/x}y{z/", " lead", ""})
        EXPECT_EQ(ParseConnectionString(kdbf::FormatAttribute("K", value))["K"], value);
    for (const char* pszText : {"DEFAULTDIR={/open", "DEFAULTDIR={/a}x;", "justtext", "=value"})
        EXPECT_THROW(ParseConnectionString(pszText), std::invalid_argument) << pszText;
}

TEST(Utf16Test, ConvertsEveryPlaneAndReplacesWhatIsNotText) {
    // {UTF-8, UTF-16, UTF-8 of the UTF-16 when not the same}
    const std::tuple<std::string, std::u16string, std::string> cases[] = {
        {"F1 \xC3\x9Cn\xC3\xAF \xE2\x82\xAC", u"F1 \u00DCn\u00EF \u20AC", ""},
        {"\xF0\x9F\x92\x8E", u"\U0001F48E", ""},    // beyond the BMP: a surrogate pair
        {"a\xFFz", u"a\uFFFDz", "a\xEF\xBF\xBDz"},  // not UTF-8 at all
        {"\xC3", u"\uFFFD", "\xEF\xBF\xBD"},        // cut off
        {"\xC0\xAF", u"\uFFFD\uFFFD", "\xEF\xBF\xBD\xEF\xBF\xBD"},  // overlong '/'
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto& [utf8, utf16, back] : cases) {
        EXPECT_EQ(kdbf::Utf8ToUtf16(utf8), utf16) << utf8;
        EXPECT_EQ(kdbf::Utf16ToUtf8(utf16), back.empty() ? utf8 : back) << utf8;
        EXPECT_EQ(kdbf::IsUtf8(utf8), back.empty()) << utf8;
    }
    EXPECT_EQ(kdbf::Utf16ToUtf8(std::u16string(1, 0xD800) + u"x"), "\xEF\xBF\xBDx");
    EXPECT_EQ(kdbf::Utf8Prefix("a\xE2\x82\xAC", 3), 1u);  // never half a character
    EXPECT_EQ(kdbf::Utf8Prefix("a\xE2\x82\xAC", 4), 4u);
}

}  // namespace
