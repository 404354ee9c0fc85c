// Real SQL through the driver manager: each clause and function family against the rows
// of the records written, parameters of each C type, and the statements the driver
// refuses.
#include <gtest/gtest.h>

#include <array>
#include <regex>

#include "tests/driver/OdbcClient.h"
#include "tests/support/OdbcSandbox.h"

namespace {

const std::string kTag = "[kestrix][dBase driver]";

using Rows = std::vector<std::vector<std::string>>;

template <class T>
std::string Bytes(const T& value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

class SqlTest : public ::testing::Test {
protected:
    // people.dbf: NAME, AGE, SCORE (two decimals), BORN, OK; its fifth record deleted.
    void SetUp() override {
        ASSERT_TRUE(m_sandbox.RegisterDataSource()) << m_sandbox.InstallerError();
        const std::vector<CPriceRow> numbers = {{{}, 34, 12.5}, {{}, 27, 7.25}, {{}, 34, 99.75},
                                                {{}, 51, 3.0},  {{}, 40, 1.0},  {{}, 19, 45.5},
                                                {{}, 27, 7.25}};
        const std::vector<std::vector<std::string>> texts = {
            {"Anna", "", "", "19900101", "T"}, {"Bert", "", "", "19970315", "F"},
            {"Cleo", "", "", "19891231", "T"}, {"Dirk", "", "", "19730704", "F"},
            {"Gone", "", "", "19800101", "T"}, {"Emma", "", "", "20050301", "T"},
            {"Finn", "", "", "19970601", "T"}};
        const std::vector<SDbfColumn> columns = {{"NAME", 'C', 10, 0},
                                                 {"AGE", 'N', 3, 0},
                                                 {"SCORE", 'N', 6, 2},
                                                 {"BORN", 'D', 8, 0},
                                                 {"OK", 'L', 1, 0}};
        ASSERT_TRUE(WriteDbf(m_data.File("people.dbf"), columns, numbers, texts));
        ASSERT_TRUE(MarkDeleted(m_data.File("people.dbf"), 4));
        ASSERT_TRUE(WriteDbf(m_data.File("TOWNS.DBF"), {{"NAME", 'C', 10, 0}, {"TOWN", 'C', 12, 0}},
                             {{}, {}}, {{"Anna", "Ghent"}, {"Dirk", "Oslo"}}));
        ASSERT_TRUE(WriteDbf(m_data.File("odd]name.dbf"), {{"X", 'N', 4, 0}}, {{7.0}}));
        ASSERT_TRUE(m_client.ConnectTo(m_data.Path())) << m_client.DbcError();
    }

    COdbcSandbox m_sandbox;
    CTempDir m_data;
    COdbcClient m_client;
};

TEST_F(SqlTest, ClausesGiveTheRowsOfTheVisibleRecords) {
    const std::pair<std::string, Rows> cases[] = {
        {"SELECT NAME FROM people WHERE AGE > 30", {{"Anna"}, {"Cleo"}, {"Dirk"}}},
        {"select name, score from people where ok = 1 and (age < 30 or name like 'c%')",
         {{"Cleo", "99.75"}, {"Emma", "45.50"}, {"Finn", "7.25"}}},
        {"SELECT NAME FROM people ORDER BY SCORE DESC, NAME",
         {{"Cleo"}, {"Emma"}, {"Anna"}, {"Bert"}, {"Finn"}, {"Dirk"}}},
        {"SELECT DISTINCT TOP 1 AGE FROM people ORDER BY AGE DESC", {{"51"}}},
        {"SELECT p.NAME AS who, t.TOWN FROM people p JOIN towns t ON t.NAME = p.NAME ORDER BY who",
         {{"Anna", "Ghent"}, {"Dirk", "Oslo"}}},
        {"SELECT p.NAME, t.TOWN FROM people AS p LEFT JOIN [TOWNS] t ON t.NAME = p.NAME "
         "WHERE p.AGE = 27 ORDER BY 1",
         {{"Bert", "NULL"}, {"Finn", "NULL"}}},
        {"SELECT 'a%' LIKE 'a!%' {escape '!'}, 'ab' LIKE 'a!%' {escape '!'}", {{"1", "0"}}},
        {"WITH young AS (SELECT NAME, AGE FROM people WHERE AGE < 30) "
         "SELECT COUNT(*) FROM young;",
         {{"3"}}},
        {"SELECT COUNT(*), SUM(SCORE), MIN(AGE), MAX(NAME) FROM people",
         {{"6", "175.25", "19", "Finn"}}},
        {"SELECT AGE, COUNT(*) FROM people GROUP BY AGE HAVING COUNT(*) > 1 ORDER BY AGE",
         {{"27", "2"}, {"34", "2"}}},
        {"SELECT NAME FROM people WHERE AGE = 27 UNION SELECT TOWN FROM towns ORDER BY 1 "
         "LIMIT 3 OFFSET 1",
         {{"Finn"}, {"Ghent"}, {"Oslo"}}},
        {"SELECT NAME FROM people WHERE BORN < {d '1990-01-01'} ORDER BY BORN",
         {{"Dirk"}, {"Cleo"}}},
        {"SELECT {fn UCASE(NAME)}, {fn LCASE(NAME)}, {fn LEFT(NAME, 2)}, {fn RIGHT(NAME, 1)}, "
         "{fn CONCAT(NAME, '!')}, {fn LENGTH(NAME)} FROM people WHERE NAME = 'Cleo'",
         {{"CLEO", "cleo", "Cl", "o", "Cleo!", "4"}}},
        {"SELECT {fn YEAR(BORN)}, {fn MONTH(BORN)}, {fn DAYOFMONTH(BORN)}, {fn MOD(AGE, 5)}, "
         "{fn ABS(-AGE)}, {fn ROUND(SCORE, 0)}, ROUND({fn LOG(AGE)}, 2) FROM people "
         "WHERE NAME = 'Dirk'",
         {{"1973", "7", "4", "1", "51", "3", "3.93"}}},
        {"SELECT {fn HOUR({ts '2024-02-29 13:45:07'})}, {fn MINUTE({t '13:45:07'})}",
         {{"13", "45"}}},
    };
    for (const auto& [query, expected] : cases) {
        ASSERT_EQ(m_client.Exec(query), SQL_SUCCESS) << query << m_client.StmtError();
        EXPECT_EQ(m_client.ReadRows(), expected) << query;
    }
}

// Each failure names what failed, in one diagnostic that lasts until the next call.
TEST_F(SqlTest, RefusalsSayWhy) {
    const std::string folder = m_data.Path() + "/";
    ASSERT_TRUE(
        WriteDbf(m_data.File("text.dbf"), {{"F1", 'C', 8, 0}}, {CPriceRow(1)}, {{"12,50"}}));
    const std::string outside =
        "../" + folder.substr(folder.rfind('/', folder.size() - 2) + 1) + "people";
    auto ReadOnly = [](const std::string& strVerb) {
        return "42000: " + kTag + strVerb +
               " statements cannot run: the dBase driver is read-only and runs only SELECT";
    };
    const std::pair<std::string, std::string> cases[] = {
        {"INSERT INTO people (NAME) VALUES ('x')", ReadOnly("INSERT")},
        {" truncate TABLE people", ReadOnly("TRUNCATE")},
        {"WITH x AS (SELECT 1) DELETE FROM people", ReadOnly("WITH")},
        {"ATTACH DATABASE '/tmp/x.db' AS x", ReadOnly("ATTACH")},
        {"PRAGMA writable_schema = 1", ReadOnly("PRAGMA")},
        {"SELECT 1; SELECT 2",
         "42000: " + kTag + "Syntax error, only one statement may run at a time, near 'SELECT 2'"},
        {"SELECT p.NAME, WEIGHT FROM people p JOIN towns t ON t.NAME = p.NAME",
         "42S22: " + kTag + "Column 'WEIGHT' not found in the tables of the query (folder '" +
             folder + "')"},
        {"SELECT NAME FROM people WHERE",
         "42000: " + kTag + "Syntax error, incomplete input in 'SELECT NAME FROM people WHERE'"},
        {"SELECT AGE FROMM people",
         "42000: " + kTag + "Syntax error near \"people\" in 'SELECT AGE FROMM people'"},
    };
    for (const auto& [query, error] : cases) {
        EXPECT_EQ(m_client.Exec(query), SQL_ERROR) << query;
        EXPECT_EQ(m_client.StmtError(), error);
        SQLINTEGER records = 0;
        SQLGetDiagField(SQL_HANDLE_STMT, m_client.Stmt(), 0, SQL_DIAG_NUMBER, &records, 0, nullptr);
        EXPECT_EQ(records, 1);
    }
    EXPECT_EQ(SQLExecDirect(m_client.Stmt(), (SQLCHAR*)"SELECT F1 FROM text", SQL_NTS),
              SQL_SUCCESS);
    EXPECT_EQ(m_client.StmtError(), "no diagnostic");
    EXPECT_EQ(SQLFetch(m_client.Stmt()), SQL_ERROR);
    EXPECT_EQ(m_client.StmtError(), "22018: " + kTag +
                                        "Invalid character value for conversion to a number: "
                                        "'12,50' in column 'F1' is not a number");
    // A name that leads out of the folder (to this very table) or to a Windows device
    // finds nothing, even where a file of that very name is here.
    for (const char* name :
         {"", "..\\people", "C:people", "people:x", "nul.txt", "com1", "LPT9.dbf"}) {
        const std::string table = *name != '\0' ? name : outside;
        if (*name != '\0')
            WriteFile(m_data.File(table + ".dbf"), ReadFile(m_data.File("people.dbf")));
        EXPECT_EQ(m_client.Exec("SELECT COUNT(*) FROM [" + table + "] WHERE 1"), SQL_ERROR);
        EXPECT_EQ(m_client.StmtError(), "42S02: " + kTag + "Table '" + table +
                                            "' not found: no file '" + table + ".dbf' in folder '" +
                                            folder + "'");
    }
    // Nothing was written: the table reads as before.
    ASSERT_EQ(m_client.Exec("SELECT COUNT(*) FROM people"), SQL_SUCCESS);
    EXPECT_EQ(m_client.ReadRows(), (Rows{{"6"}}));
}

TEST_F(SqlTest, ParametersOfEachCType) {
    SQLHSTMT stmt = m_client.Statement(SQL_CURSOR_FORWARD_ONLY);
    ASSERT_EQ(SQLPrepare(stmt, (SQLCHAR*)"SELECT ?, NAME FROM people WHERE AGE = ? ORDER BY NAME",
                         SQL_NTS),
              SQL_SUCCESS)
        << m_client.StmtError();
    SQLSMALLINT count = 0, type = 0, decimals = 0, nullable = 0;
    SQLULEN size = 0;
    ASSERT_EQ(SQLNumParams(stmt, &count), SQL_SUCCESS);
    EXPECT_EQ(count, 2);
    ASSERT_EQ(SQLDescribeParam(stmt, 2, &type, &size, &decimals, &nullable), SQL_SUCCESS);
    EXPECT_EQ(type, SQL_VARCHAR);
    EXPECT_EQ(nullable, SQL_NULLABLE);
    EXPECT_EQ(SQLDescribeParam(stmt, 3, &type, &size, &decimals, &nullable), SQL_ERROR);

    // Unbound markers fail the execution.
    EXPECT_EQ(SQLExecute(stmt), SQL_ERROR);
    EXPECT_EQ(m_client.StmtError(),
              "07002: " + kTag + "COUNT field incorrect: parameter 1 is not bound");

    struct Case {
        SQLSMALLINT c_type, sql_type;
        std::string value;  // its bytes
        SQLLEN indicator;
        std::string echoed;  // the first column: the parameter as SQLite took it
    };
    Case cases[] = {
        {SQL_C_SLONG, SQL_INTEGER, Bytes<SQLINTEGER>(27), 0, "27"},
        {SQL_C_SSHORT, SQL_SMALLINT, Bytes<SQLSMALLINT>(27), 0, "27"},
        {SQL_C_SBIGINT, SQL_BIGINT, Bytes<SQLBIGINT>(27), 0, "27"},
        {SQL_C_DOUBLE, SQL_DOUBLE, Bytes(27.0), 0, "27"},
        {SQL_C_FLOAT, SQL_REAL, Bytes(27.0f), 0, "27"},
        {SQL_C_CHAR, SQL_VARCHAR, "27", SQL_NTS, "27"},
        {SQL_C_WCHAR, SQL_WVARCHAR, Bytes(u"27"), 4, "27"},
        {SQL_C_DEFAULT, SQL_INTEGER, Bytes<SQLINTEGER>(27), 0, "27"},
        {SQL_C_TYPE_DATE, SQL_TYPE_DATE, Bytes(SQL_DATE_STRUCT{2024, 2, 29}), 0, "2024-02-29"},
        {SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP,
         Bytes(SQL_TIMESTAMP_STRUCT{2024, 2, 29, 13, 45, 7, 250000000}), 0,
         "2024-02-29 13:45:07.250"},
        {SQL_C_SLONG, SQL_INTEGER, Bytes<SQLINTEGER>(27), SQL_NULL_DATA, "NULL"},
    };
    // Each value echoed, and each of the numbers and texts compared with AGE as well,
    // where the column's affinity applies.
    for (Case& c : cases) {
        SCOPED_TRACE(c.echoed + " as C type " + std::to_string(c.c_type));
        Case& compared = &c < cases + 8 ? c : cases[0];
        for (auto [nMarker, p] : {std::pair{1, &c}, {2, &compared}})
            ASSERT_EQ(SQLBindParameter(stmt, nMarker, SQL_PARAM_INPUT, p->c_type, p->sql_type, 20,
                                       0, p->value.data(), 0, &p->indicator),
                      SQL_SUCCESS);
        ASSERT_EQ(SQLExecute(stmt), SQL_SUCCESS) << m_client.StmtError();
        EXPECT_EQ(m_client.ReadRows(), (Rows{{c.echoed, "Bert"}, {c.echoed, "Finn"}}));
        SQLFreeStmt(stmt, SQL_CLOSE);
    }
}

// Described by the first row: a text expression as long as any text a client will
// fetch, an integer beyond 32 bits as a double.
TEST_F(SqlTest, ResultsAreDescribedBeforeTheFirstFetchAndEndAtMaxRows) {
    SQLHSTMT stmt = m_client.Statement(SQL_CURSOR_STATIC);
    ASSERT_EQ(SQLPrepare(stmt,
                         (SQLCHAR*)"SELECT NAME, SCORE, BORN, AGE * 2 AS twice, AVG(SCORE) OVER () "
                                   "AS mean, 'x' || NAME AS tagged, -AGE * 100000000 AS big "
                                   "FROM people ORDER BY NAME",
                         SQL_NTS),
              SQL_SUCCESS)
        << m_client.StmtError();
    const std::vector<std::tuple<std::string, SQLSMALLINT, SQLULEN>> expected = {
        {"NAME", SQL_CHAR, 10},     {"SCORE", SQL_DOUBLE, 15}, {"BORN", SQL_TYPE_DATE, 10},
        {"twice", SQL_INTEGER, 10}, {"mean", SQL_DOUBLE, 15},  {"tagged", SQL_CHAR, 255},
        {"big", SQL_DOUBLE, 15}};
    for (SQLUSMALLINT c = 1; c <= expected.size(); ++c) {
        char name[32];
        SQLSMALLINT type = 0;
        SQLULEN size = 0;
        ASSERT_EQ(SQLDescribeCol(stmt, c, (SQLCHAR*)name, sizeof name, nullptr, &type, &size,
                                 nullptr, nullptr),
                  SQL_SUCCESS)
            << m_client.StmtError();
        EXPECT_EQ(std::make_tuple(std::string(name), type, size), expected[c - 1]);
    }
    ASSERT_EQ(SQLSetStmtAttr(stmt, SQL_ATTR_MAX_ROWS, (SQLPOINTER)2, 0), SQL_SUCCESS);
    EXPECT_EQ(SQLExecute(stmt), SQL_SUCCESS) << m_client.StmtError();
    EXPECT_EQ(m_client.ReadRows().size(), 2u);
}

// An empty piece is an empty value, not NULL; parameters bound beyond the statement's
// markers are not asked for.
TEST_F(SqlTest, ParametersSentAtExecutionTimeArriveInPieces) {
    SQLHSTMT stmt = m_client.Statement(SQL_CURSOR_FORWARD_ONLY);
    ASSERT_EQ(
        SQLPrepare(stmt, (SQLCHAR*)"SELECT AGE, ? FROM people WHERE NAME = ? OR NAME = ?", SQL_NTS),
        SQL_SUCCESS);
    int tokens[4] = {};
    SQLLEN at_exec = SQL_LEN_DATA_AT_EXEC(0);
    for (SQLUSMALLINT i = 0; i < 4; ++i)
        SQLBindParameter(stmt, i + 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 10, 0, &tokens[i],
                         0, &at_exec);
    ASSERT_EQ(SQLExecute(stmt), SQL_NEED_DATA);
    SQLPOINTER token = nullptr;
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(SQLParamData(stmt, &token), SQL_NEED_DATA);
        EXPECT_EQ(token, &tokens[i]);
        if (i == 0) SQLPutData(stmt, (SQLPOINTER) "", 0);
        if (i == 1) {
            SQLPutData(stmt, (SQLPOINTER) "Fi", 2);
            SQLPutData(stmt, (SQLPOINTER) "nn", SQL_NTS);
        }
        if (i == 2) SQLPutData(stmt, nullptr, SQL_NULL_DATA);
    }
    ASSERT_EQ(SQLParamData(stmt, &token), SQL_SUCCESS) << m_client.StmtError();
    EXPECT_EQ(m_client.ReadRows(), (Rows{{"27", ""}}));
    EXPECT_EQ(SQLParamData(stmt, &token), SQL_ERROR);  // nothing awaited any more
}

// The direct reading of a plain column list is only a faster way to the engine's answer:
// every shape it takes, over every kind of table (damaged ones among them), gives the
// same descriptions (before and after execution), text, rows and errors as the same
// statement made the engine's by a WHERE that keeps every row. The texts themselves
// are pinned where the reader and the direct route are tested.
TEST_F(SqlTest, PlainSelectsAnswerAsTheEngineDoes) {
    ASSERT_TRUE(WritePriceTable(m_data.File("rnddat.dbf"), 4));
    std::string bytes = ReadFile(m_data.File("rnddat.dbf"));
    bytes.replace(385 + 133 + 1 + 12, 12, 12, '*');        // record 2, F2: too wide for its field
    bytes.replace(385 + 2 * 133 + 1, 12, "       12,50");  // record 3, F1: not a number
    WriteFile(m_data.File("rnddat.dbf"), bytes);
    WriteFile(m_data.File("short.dbf"), bytes.substr(0, 400));
    ASSERT_TRUE(WriteDbf(m_data.File("empty.dbf"), {{"F", 'F', 9, 4}, {"NAME", 'C', 5, 0}}, {}));
    ASSERT_TRUE(WriteDbf(m_data.File("o'neil.dbf"), {{"X", 'N', 4, 1}}, {{0.5}, {-0.25}}));
    bytes = ReadFile(m_data.File("people.dbf"));  // NAME as a memo without its file, and
    for (char type : {'M', 'P'}) {                // as a type the driver never reads
        bytes[32 + 11] = type;
        WriteFile(m_data.File(std::string("as") + type + ".dbf"), bytes);
    }
    auto outcome = [&](const std::string& query, SQLULEN cursor) {
        SQLHSTMT stmt = m_client.Statement(cursor);
        std::string text;
        auto describe = [&] {
            SQLSMALLINT count = 0;
            SQLNumResultCols(stmt, &count);
            for (SQLUSMALLINT c = 1; c <= count; ++c)
                for (SQLUSMALLINT field :
                     {SQL_DESC_NAME, SQL_DESC_TABLE_NAME, SQL_DESC_CONCISE_TYPE, SQL_DESC_LENGTH,
                      SQL_DESC_SCALE, SQL_DESC_NULLABLE, SQL_DESC_DISPLAY_SIZE}) {
                    char value[64] = "";
                    SQLLEN number = 0;
                    SQLColAttribute(stmt, c, field, value, sizeof value, nullptr, &number);
                    text += value + std::to_string(number) + " ";
                }
        };
        if (SQLPrepare(stmt, (SQLCHAR*)query.c_str(), SQL_NTS) != SQL_SUCCESS)
            return "prepare " + m_client.StmtError();
        describe();
        if (SQLExecute(stmt) != SQL_SUCCESS) return text + "execute " + m_client.StmtError();
        describe();
        try {
            for (const auto& row : m_client.ReadRows())
                for (const std::string& value : row) text += value + "|";
        } catch (const std::runtime_error& e) {
            text += std::string("fetch ") + e.what();
        }
        return text;
    };
    // {table, its first column, its last}
    const std::vector<std::array<std::string, 3>> tables = {
        {"people", "NAME", "OK"}, {"TOWNS", "NAME", "TOWN"}, {"odd]name", "X", "X"},
        {"o'neil", "X", "X"},     {"rnddat", "F1", "FB"},    {"short", "F1", "FB"},
        {"empty", "F", "NAME"},   {"asM", "NAME", "OK"},     {"asP", "NAME", "OK"},
        {"nosuch", "F1", "F1"}};
    for (const auto& [table, first, last] : tables) {
        // The table bracketed, quoted and bare where it can be; its first column or one
        // that does not exist.
        const std::string bracketed =
            "[" + std::regex_replace(table, std::regex("\\]"), "]]") + "]";
        const std::string bare = table.find_first_of("]'") == std::string::npos ? table : bracketed;
        for (const std::string& column : {first, std::string("NOPE")})
            for (const std::string& plain :
                 {"SELECT * FROM " + bracketed, "select " + column + " FROM \"" + table + "\"",
                  "SELECT " + bracketed + ".[" + last + "], \"" + column + "\", " + bare + "." +
                      column + " FROM " + bare + " ;"}) {
                const std::string sql =
                    (plain.back() == ';' ? plain.substr(0, plain.size() - 2) : plain) +
                    " WHERE 1 = 1";
                for (SQLULEN cursor : {SQL_CURSOR_FORWARD_ONLY, SQL_CURSOR_STATIC})
                    EXPECT_EQ(outcome(plain, cursor), outcome(sql, cursor)) << plain << cursor;
            }
    }
}

}  // namespace
