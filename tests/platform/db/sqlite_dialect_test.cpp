// Statements in SQL Server's dialect run on SQLite through the adapter and
// give the rows the server would: on a database file and in memory.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "db_test_support.h"
#include "db/adodb.h"
#include "vb/datetime.h"
#include "vb/variant.h"

namespace {

using adodb::Connection;
using adodb::Recordset;
using dbtest::Column;
using dbtest::ErrorOf;
using dbtest::Scalar;
using dbtest::Storage;

std::string Text(const vb::Variant& v) { return v.IsNull() ? "<Null>" : vb::CStr(v); }

class Dialect : public ::testing::TestWithParam<Storage> {
protected:
    void SetUp() override {
        // Documents 1..25 blocked orders, 26..30 unblocked orders, 31..35 blocked invoices.
        std::string batch;
        for (int id = 1; id <= 35; ++id) {
            char row[400];
            std::snprintf(row, sizeof row,
                          "INSERT INTO V_MV_CPTE (ID, TC, IDCOMPROBANTE, FECHA, FECHAESTFIN, NOMBRE, IMPORTE, "
                          "OBSERVACIONES, BLOQUEADA) VALUES (%d, '%s', '0001%08dX', '2005-03-%02d 10:20:30', "
                          "'2005-04-%02d 00:00:00', 'Cliente %d', %d.5, %s, %d)\r\n",
                          id, id > 30 ? "FC" : "NP", id, (id - 1) % 28 + 1, (id - 1) % 28 + 1, id, id * 10,
                          id % 2 ? "NULL" : "'nota'", id <= 25 || id > 30 ? 1 : 0);
            batch += row;
        }
        db_.cn.Execute(batch);
    }

    Connection& cn() { return db_.cn; }

private:
    dbtest::SchemaDatabase db_{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(Storage, Dialect, ::testing::Values(Storage::File, Storage::Memory), dbtest::StorageName);

// The grid's page query, built the way the grid builds it.
std::string PageQuery(int pageSize, int page, const std::string& orderBy) {
    const std::string where = "WHERE [BLOQUEADA] = 1 AND TC = 'NP' ";
    const std::string list =
        "[TC], [IDCOMPROBANTE] as [NUMERO], CONVERT(NVARCHAR,[FECHA],103) AS [FECHA], [NOMBRE] as [CLIENTE], "
        "[IMPORTE], ID";
    const std::string from = " FROM (SELECT TOP " + std::to_string(pageSize) +
                             " *  FROM V_MV_CPTE WHERE ID NOT IN (SELECT TOP " +
                             std::to_string(pageSize * page - pageSize) + " ID FROM V_MV_CPTE " + where + " " +
                             orderBy + ")  and [BLOQUEADA] = 1 AND TC = 'NP'  " + orderBy + ") AS Paginacion ";
    return "SELECT  " + list + " " + from + where + " " + orderBy;
}

TEST_P(Dialect, GridPageQueryRunsVerbatim) {
    const std::string page2 =
        "SELECT  [TC], [IDCOMPROBANTE] as [NUMERO], CONVERT(NVARCHAR,[FECHA],103) AS [FECHA], "
        "CONVERT(NVARCHAR,[VENCIMIENTO],103) AS [VENCIMIENTO], [NOMBRE] as [CLIENTE], [IMPORTE], [OBSERVACIONES], "
        "ID  FROM (SELECT TOP 10 *  FROM V_MV_CPTE WHERE ID NOT IN (SELECT TOP 10 ID FROM V_MV_CPTE WHERE "
        "[BLOQUEADA] = 1 AND TC = 'NP'   ORDER BY [TC] ASC  )  and [BLOQUEADA] = 1 AND TC = 'NP'   ORDER BY [TC] "
        "ASC  ) AS Paginacion WHERE [BLOQUEADA] = 1 AND TC = 'NP'   ORDER BY [TC] ASC  ";
    std::string page1 = page2;
    page1.replace(page1.find("SELECT TOP 10 ID"), 16, "SELECT TOP 0 ID");
    // The query as written names the alias VENCIMIENTO as a column: it runs on a
    // table that has a column of that name.
    cn().Execute("ALTER TABLE dbo.V_MV_CPTE ADD VENCIMIENTO DATETIME Null \r\nUPDATE V_MV_CPTE SET VENCIMIENTO = FECHAESTFIN");

    std::set<long long> seen;
    for (const std::string& query : {page1, page2}) {
        Recordset rs;
        rs.Open(query, cn());
        ASSERT_EQ(rs.RecordCount(), 10);
        const std::vector<std::string> names = {"TC",      "NUMERO",  "FECHA",         "VENCIMIENTO",
                                                "CLIENTE", "IMPORTE", "OBSERVACIONES", "ID"};
        ASSERT_EQ(rs.FieldCount(), names.size());
        for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(rs.Fields(i).Name(), names[i]);
        EXPECT_EQ(rs.Fields("TC").Type(), adodb::adChar);
        EXPECT_EQ(rs.Fields("NUMERO").Type(), adodb::adVarChar);
        EXPECT_EQ(rs.Fields("FECHA").Type(), adodb::adVarWChar);
        EXPECT_EQ(rs.Fields("IMPORTE").Type(), adodb::adCurrency);
        for (; !rs.EOF(); rs.MoveNext()) {
            const auto id = std::get<std::int64_t>(rs.Fields("ID").Value().Get());
            EXPECT_TRUE(id >= 1 && id <= 25) << id;
            EXPECT_TRUE(seen.insert(id).second) << "row " << id << " on two pages";
            const int day = static_cast<int>((id - 1) % 28 + 1);
            char date[16];
            std::snprintf(date, sizeof date, "%02d/03/2005", day);
            EXPECT_EQ(Text(rs.Fields("FECHA").Value()), date);
            std::snprintf(date, sizeof date, "%02d/04/2005", day);
            EXPECT_EQ(Text(rs.Fields("VENCIMIENTO").Value()), date);
            EXPECT_EQ(rs.Fields("IMPORTE").Value(), vb::Variant(vb::Currency::FromTicks((id * 10 * 10 + 5) * 1000)));
        }
    }
}

TEST_P(Dialect, PagesOrderedByAUniqueColumnHoldEachRowOnce) {
    std::string batch = "DELETE FROM V_MV_CPTE";
    for (int id = 1; id <= 95; ++id) {
        batch += "\r\nINSERT INTO V_MV_CPTE (ID, TC, IDCOMPROBANTE, BLOQUEADA) VALUES (" + std::to_string(id) +
                 ", 'NP', '" + std::to_string(1000 + (id * 37) % 95) + "', 1)";
    }
    cn().Execute(batch);
    for (const char* direction : {"Asc", "Desc"}) {
        const std::string orderBy = std::string(" Order by [IDCOMPROBANTE] ") + direction + " ";
        std::vector<std::string> keys;
        for (int page = 1; page <= 10; ++page) {
            Recordset rs;
            rs.Open(PageQuery(10, page, orderBy), cn());
            EXPECT_EQ(rs.RecordCount(), page < 10 ? 10 : 5) << direction << " page " << page;
            for (; !rs.EOF(); rs.MoveNext()) keys.push_back(Text(rs.Fields("NUMERO").Value()));
        }
        std::vector<std::string> expected = keys;
        std::sort(expected.begin(), expected.end());
        if (std::string(direction) == "Desc") std::reverse(expected.begin(), expected.end());
        EXPECT_EQ(keys, expected) << direction;
        EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()).size(), 95u) << direction;
    }
}

TEST_P(Dialect, FunctionsGiveTheServersValues) {
    vb::SetClock([] { return vb::Date::FromParts(2024, 5, 6, 7, 8, 9); });
    struct Case {
        std::string expression;
        vb::Variant expected;
    };
    const std::vector<Case> cases = {
        {"CONVERT(NVARCHAR,[FECHA],103)", "15/03/2005"},
        {"CONVERT(NVARCHAR, FECHA, 108)", "10:20:30"},
        {"CONVERT(NVARCHAR,FECHA,112)", "20050315"},
        {"CONVERT(NVARCHAR,FECHA)", "2005-03-15 10:20:30"},
        {"convert(varchar(4), NOMBRE)", "Clie"},
        {"CONVERT(NVARCHAR,[TC])", "NP"},
        {"CONVERT(NVARCHAR,[OBSERVACIONES])", vb::Null},
        {"CONVERT(INT, '12')", 12},
        {"CONVERT(INT, ' -7 ')", -7},
        {"CONVERT(INT, 12.7)", 12},
        {"CONVERT(INT, SUBSTRING(IDCOMPROBANTE, 5, 8))", 15},
        {"CONVERT(MONEY, '12.34567')", 12.3457},
        {"CONVERT(NUMERIC(10,2), 2.346)", 2.35},
        {"CONVERT(DATETIME, '15/03/05')", "2005-03-15 00:00:00"},
        {"CONVERT(NVARCHAR, '2005-02-31', 103)", "2005-02-31"},  // no date: the text as it is
        {"CONVERT(NVARCHAR, CONVERT(DATETIME, '1/2/2005 10:20'), 103)", "01/02/2005"},
        {"ISNULL(OBSERVACIONES, 'none')", "none"},
        {"ISNULL(NULL, 0)", 0},
        {"ISNULL (NULL, 'a')", "a"},
        {"CONVERT ( NVARCHAR(3) , ISNULL(NULL, 'abcdef'))", "abc"},
        {"CONVERT(INT, CONVERT(NVARCHAR, 12)) + ISNULL(NULL, 1)", 13},
        {"isnull(IMPORTE, 0)", 150.5},
        {"LEN('abc  ')", 3},
        {"LEN('  ab')", 4},
        {"LEN(NULL)", vb::Null},
        {"LEN('\xC3\xB1" "and\xC3\xBA')", 5},
        {"LEN(IDCOMPROBANTE)", 13},
        {"CHARINDEX('b', 'abc')", 2},
        {"Charindex('B', 'abc')", 2},
        {"CHARINDEX('z', 'abc')", 0},
        {"CHARINDEX('a', 'abca', 2)", 4},
        {"SUBSTRING(IDCOMPROBANTE, 5, 8)", "00000015"},
        {"SUBSTRING(IDCOMPROBANTE,13,1)", "X"},
        {"LTRIM(RTRIM('  ab  '))", "ab"},
        {"UPPER('ab') || LOWER('CD')", "ABcd"},
        {"GETDATE()", "2024-05-06 07:08:09"},
    };
    for (const Case& c : cases) {
        const vb::Variant value = Scalar(cn(), "SELECT " + c.expression + " FROM dbo.V_MV_CPTE WHERE ID = 15");
        if (c.expected.IsDouble()) {
            EXPECT_NEAR(vb::CDbl(value), vb::CDbl(c.expected), 1e-9) << c.expression;
        } else if (c.expected.IsInteger()) {
            EXPECT_EQ(Text(value), Text(c.expected)) << c.expression;
        } else {
            EXPECT_EQ(value, c.expected) << c.expression << " gave " << Text(value);
        }
    }
    vb::SetClock(nullptr);
}

// A date kept as ISO text is written in the style asked for; any other
// stored value (no such date, more than a date, a number, no value) keeps
// its own text.
TEST_P(Dialect, DateStylesWriteEveryStoredValueAsTheServerWould) {
    struct Case {
        vb::Variant stored;
        vb::Variant style103, style108, style120;
    };
    const std::vector<Case> cases = {
        {"2005-03-15", "15/03/2005", "00:00:00", "2005-03-15 00:00:00"},
        {"2005-03-15 10:20", "15/03/2005", "10:20:00", "2005-03-15 10:20:00"},
        {"2005-03-15T10:20:30", "15/03/2005", "10:20:30", "2005-03-15 10:20:30"},
        {"2005-03-15 10:20:30.999", "15/03/2005", "10:20:30", "2005-03-15 10:20:30"},  // the fraction cut
        {"2004-02-29 23:59:59", "29/02/2004", "23:59:59", "2004-02-29 23:59:59"},
        {"0100-01-01", "01/01/0100", "00:00:00", "0100-01-01 00:00:00"},
        {"9999-12-31 23:59:59", "31/12/9999", "23:59:59", "9999-12-31 23:59:59"},
        {"2005-03-15 10:20:30x", "2005-03-15 10:20:30x", "2005-03-15 10:20:30x", "2005-03-15 10:20:30x"},
        {"2005-02-29", "2005-02-29", "2005-02-29", "2005-02-29"},
        {"2005-13-01", "2005-13-01", "2005-13-01", "2005-13-01"},
        {"0099-12-31", "0099-12-31", "0099-12-31", "0099-12-31"},
        {"2005-03-15 24:00:00", "2005-03-15 24:00:00", "2005-03-15 24:00:00", "2005-03-15 24:00:00"},
        {" 2005-03-15", " 2005-03-15", " 2005-03-15", " 2005-03-15"},
        {"15/03/2005", "15/03/2005", "15/03/2005", "15/03/2005"},
        {"", "", "", ""},
        {"abc", "abc", "abc", "abc"},
        {20050315, "20050315", "20050315", "20050315"},
        {1.5, "1.5", "1.5", "1.5"},
        {vb::Null, vb::Null, vb::Null, vb::Null},
    };
    cn().Execute("CREATE TABLE W (N INTEGER, V)");
    long affected = 0;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        cn().Execute("INSERT INTO W (N, V) VALUES (?, ?)", {static_cast<long long>(i), cases[i].stored}, affected);
    }
    Recordset rs;
    rs.Open("SELECT CONVERT(NVARCHAR, V, 103) AS A, CONVERT(NVARCHAR, V, 108) AS B, CONVERT(NVARCHAR, V, 120) AS C "
            "FROM W ORDER BY N",
            cn());
    for (const Case& c : cases) {
        ASSERT_FALSE(rs.EOF());
        const std::string stored = Text(c.stored);
        EXPECT_EQ(rs.Fields("A").Value(), c.style103) << stored;
        EXPECT_EQ(rs.Fields("B").Value(), c.style108) << stored;
        EXPECT_EQ(rs.Fields("C").Value(), c.style120) << stored;
        rs.MoveNext();
    }
}

TEST_P(Dialect, ConversionsThatFailRaise) {
    for (const char* expression : {"CONVERT(INT, 'abc')", "CONVERT(INT, '12.5')", "CONVERT(SMALLINT, 40000)",
                                   "CONVERT(DATETIME, '31/02/2005')", "CONVERT(NVARCHAR, FECHA, 999)",
                                   "CONVERT(DATETIME, '2005-02-31')", "CONVERT(INT, '99999999999999999999')",
                                   "CONVERT(BIGINT, '-99999999999999999999')", "CONVERT(FLOAT, 'nan')",
                                   "CONVERT(MONEY, 'inf')"}) {
        const vb::Error e = ErrorOf([&] { Scalar(cn(), std::string("SELECT ") + expression + " FROM V_MV_CPTE WHERE ID = 1"); });
        EXPECT_EQ(e.Number(), adodb::kErrFail) << expression;
        EXPECT_FALSE(e.Description().empty()) << expression;
    }
}

TEST_P(Dialect, SearchConditionsOfTheGrid) {
    struct Case {
        std::string where;
        std::vector<long long> ids;
    };
    const std::vector<Case> cases = {
        {"( CONVERT(NVARCHAR,[TC]) LIKE '%fc%' or  CONVERT(NVARCHAR,[NOMBRE]) LIKE '%abc%') ", {31, 32, 33, 34, 35}},
        {"( CONVERT(NVARCHAR,[TC]) LIKE '%zz%' or  CONVERT(NVARCHAR,[NOMBRE]) LIKE '%cliente 1_%') ",
         {10, 11, 12, 13, 14, 15, 16, 17, 18, 19}},
        {"( [TC] LIKE '%fc%' or  [NOMBRE] LIKE '%abc%') ", {31, 32, 33, 34, 35}},
        {"( [TC] LIKE '%zz%' or  [NOMBRE] LIKE '%cliente 1_%') ", {10, 11, 12, 13, 14, 15, 16, 17, 18, 19}},
        {" [FECHA] = '15/03/05 10:20:30'", {15}},
        {" [FECHAESTFIN] = '15/04/05'", {15}},
        {" FECHAESTFIN = '15/04/2005' AND TC = 'NP'", {15}},
        {" '15/04/05' = V_MV_CPTE.FECHAESTFIN", {15}},
        {" [FECHAESTFIN] >= '27/04/05' AND ID < 30", {27, 28}},
        {" FECHAESTFIN BETWEEN '26/04/05' AND '27/04/2005' AND ID < 30", {26, 27}},
        {" CONVERT(NVARCHAR,[FECHA],103) = '15/03/2005'", {15}},
    };
    for (const Case& c : cases) {
        std::vector<long long> ids;
        for (const vb::Variant& v : Column(cn(), "SELECT ID FROM V_MV_CPTE WHERE" + c.where + " ORDER BY ID")) {
            ids.push_back(std::get<std::int64_t>(v.Get()));
        }
        EXPECT_EQ(ids, c.ids) << c.where;
    }
    // A text column compared with a date-like text compares as text.
    cn().Execute("UPDATE V_MV_CPTE SET OBSERVACIONES = '15/03/05' WHERE ID = 2");
    EXPECT_EQ(Column(cn(), "SELECT ID FROM V_MV_CPTE WHERE OBSERVACIONES = '15/03/05'").size(), 1u);
}

// LIKE compares every letter without regard to case, as the server's
// case-insensitive collations do; accents still count, and the wildcards and
// ESCAPE are SQLite's.
TEST_P(Dialect, LikeFoldsTheCaseOfEveryLetter) {
    struct Case {
        std::string expression;
        vb::Variant expected;
    };
    const std::vector<Case> cases = {
        {"'Pe\xC3\xB1" "a' LIKE '%PE\xC3\x91" "A%'", 1},
        {"'PE\xC3\x91" "A' LIKE 'pe\xC3\xB1" "a'", 1},
        {"'\xC3\x81lvarez' LIKE '\xC3\xA1lvarez'", 1},
        {"'\xC3\xA1lvarez' LIKE '\xC3\x81LVAREZ%'", 1},
        {"'\xC3\x81lvarez' LIKE 'alvarez'", 0},
        {"'\xC3\x91" "and\xC3\xBA' LIKE '_AND\xC3\x9A'", 1},  // "_" is one letter of two bytes
        {"'\xC3\x91" "and\xC3\xBA' LIKE '__AND\xC3\x9A'", 0},
        {"'\xCE\xA3\xCE\x8A\xCE\xA3\xCE\xA5\xCE\xA6\xCE\x9F\xCE\xA3' LIKE "
         "'\xCF\x83\xCE\xAF\xCF\x83\xCF\x85\xCF\x86\xCE\xBF\xCF\x82'", 1},  // final sigma
        {"'\xD0\x9F\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE\xD0\xB2' LIKE '%\xD0\xA2\xD0\xA0%'", 1},
        {"'mississippi' LIKE '%ISS%IPP%'", 1},
        {"'mississippi' LIKE '%iss%ipx%'", 0},
        {"'aXbXc' LIKE '%x%x_'", 1},
        {"'abcabd' LIKE '%ABD'", 1},  // a partial match tried again further on
        {"'aab' LIKE '%ab'", 1},
        {"'abab' LIKE '%b_'", 0},
        {"'Xab' LIKE '%_B'", 1},
        {"'\xC3\xB1" "a\xC3\xB1" "b' LIKE '%\xC3\x91" "B'", 1},
        {"'ab' LIKE 'a%%%'", 1},
        {"'ab' LIKE 'ab_%'", 0},
        {"'abc' LIKE 'a%b'", 0},
        {"'' LIKE '%'", 1},
        {"'x' LIKE ''", 0},
        {"9419 LIKE '%41%'", 1},
        {"'10%' LIKE '10\\%' ESCAPE '\\'", 1},
        {"'105' LIKE '10\\%' ESCAPE '\\'", 0},
        {"'A_b' LIKE 'a!_B' ESCAPE '!'", 1},
        {"'Axb' LIKE 'a!_B' ESCAPE '!'", 0},
        {"'a' LIKE 'a!' ESCAPE '!'", 0},
        {"'\xC3\x91' LIKE '\xC3\xB1\xC3\xB1' ESCAPE '\xC3\xB1'", 1},
        {"'Ana' NOT LIKE 'ANA'", 0},
        // An ASCII value is compared byte by byte, any other letter by letter:
        // the same answers either way.
        {"'\xE2\x84\xAA' LIKE 'k'", 1},  // the Kelvin sign folds to "k"
        {"'k' LIKE '\xE2\x84\xAA'", 1},
        {"'\xC5\xBF' LIKE 'S'", 1},  // so does the long s to "s"
        {"'pena' LIKE 'pe\xC3\xB1" "a'", 0},
        {"'Ab\xC3\xB1' LIKE 'a_'", 0},
        {"'Ab\xC3\xB1' LIKE 'a__'", 1},
        {"'Ab' LIKE 'a__'", 0},
        {"'x\xC3\xA9' LIKE 'X%'", 1},
        {"'X\xC3\xA9z' LIKE '%\xC3\x89_'", 1},
        {"CAST(X'41C3' AS TEXT) LIKE 'a_'", 1},  // a byte that starts no letter is one
        {"1234.5 LIKE '%34.5'", 1},
        {"'a%B' LIKE 'A!%b' ESCAPE '!'", 1},
        {"'a%B' LIKE 'A!_b' ESCAPE '!'", 0},
        {"'zK' LIKE '%' || char(0x212A)", 1},
        // One pattern with and without an escape in one statement.
        {"('abc' LIKE 'A!_C' ESCAPE '!') || ('a!bc' LIKE 'A!_C') || ('a_c' LIKE 'A!_C' ESCAPE '!')", "011"},
        {"NULL LIKE '%'", vb::Null},
        {"'a' LIKE NULL", vb::Null},
        {"'a' LIKE 'a' ESCAPE NULL", vb::Null},
    };
    for (const Case& c : cases) {
        const vb::Variant value = Scalar(cn(), "SELECT " + c.expression);
        EXPECT_EQ(Text(value), Text(c.expected)) << c.expression;
    }
    const std::vector<vb::Variant> ids =
        Column(cn(), "SELECT ID FROM V_MV_CPTE WHERE CONVERT(NVARCHAR,[NOMBRE]) LIKE '%CLIENTE 3_%' ORDER BY ID");
    EXPECT_EQ(ids.size(), 6u);  // 30 to 35
    // Two patterns on every row.
    EXPECT_EQ(Column(cn(), "SELECT ID FROM V_MV_CPTE WHERE NOMBRE LIKE '%CLIENTE 3_%' AND NOMBRE LIKE '%5'").size(), 1u);
    for (const char* expression : {"'a' LIKE 'a' ESCAPE 'ab'", "'a' LIKE 'a' ESCAPE ''"}) {
        const vb::Error e = ErrorOf([&] { Scalar(cn(), std::string("SELECT ") + expression); });
        EXPECT_EQ(e.Number(), adodb::kErrFail) << expression;
    }
}

// Bytes that are no valid UTF-8 are read as SQLite's own LIKE reads them:
// an over-long form, a surrogate or a lead byte without its continuation is
// one replacement character (never the letter or the wildcard its bits
// spell), a value past the last code point is a character of its own, a
// lone continuation byte is one character. Every case has no letter that
// differs from the pattern's but in case, so SQLite's LIKE answers alike.
TEST_P(Dialect, LikeReadsInvalidUtf8AsSqliteDoes) {
    struct Case {
        const char* value;  // hexadecimal bytes
        const char* pattern;
        const char* escape;  // none when null
    };
    const Case cases[] = {
        {"C181", "61", nullptr},            // over-long "a"
        {"C181", "41", nullptr},
        {"C181", "5F", nullptr},
        {"C181", "5F5F", nullptr},
        {"C181", "EFBFBD", nullptr},        // the replacement character itself
        {"C181", "C0A1", nullptr},          // another over-long form
        {"61", "C181", nullptr},
        {"616263", "F4908080", nullptr},    // past the last code point: not "%"
        {"61", "F4908081", nullptr},        // nor "_"
        {"", "F4908080", nullptr},
        {"F4908080", "F4908080", nullptr},
        {"F4908080", "F4908081", nullptr},
        {"F4908080", "EFBFBD", nullptr},
        {"F4908080", "25", nullptr},
        {"F4908080", "5F", nullptr},
        {"78F490808079", "25F490808079", nullptr},
        {"E08080", "00", nullptr},
        {"E08080", "5F", nullptr},
        {"EDA080", "EFBFBD", nullptr},      // a surrogate
        {"EFBFBE", "EFBFBD", nullptr},      // U+FFFE
        {"F888808080", "5F", nullptr},      // five bytes
        {"F888808080", "5F5F", nullptr},
        {"C28080808080808080808080", "5F", nullptr},  // continuation bytes beyond any length
        {"80", "5F", nullptr},              // a lone continuation byte
        {"8081", "5F", nullptr},
        {"8081", "5F5F", nullptr},
        {"C341", "5F61", nullptr},          // a lead byte without its continuation
        {"C341", "5F", nullptr},
        {"C3", "EFBFBD", nullptr},
        {"FF", "EFBFBD", nullptr},
        {"2541", "C18125", "C181"},         // an escape of invalid bytes
        {"2541", "EFBFBD25", "C181"},
        {"78C1817A", "25C1817A", nullptr},
        {"78C1817A", "25617A", nullptr},
        {"C1817A", "25C181", nullptr},
    };
    sqlite3* reference = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &reference), SQLITE_OK);
    for (const Case& c : cases) {
        const auto text = [](const std::string& hex) { return "CAST(X'" + hex + "' AS TEXT)"; };
        std::string expression = text(c.value) + " LIKE " + text(c.pattern);
        if (c.escape) expression += " ESCAPE " + text(c.escape);
        sqlite3_stmt* st = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(reference, ("SELECT " + expression).c_str(), -1, &st, nullptr), SQLITE_OK);
        ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
        const long long expected = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        EXPECT_EQ(Text(Scalar(cn(), "SELECT " + expression)), std::to_string(expected)) << expression;
    }
    sqlite3_close(reference);
    // The faults seen, as SQLite answers them.
    EXPECT_EQ(Scalar(cn(), "SELECT CAST(X'C181' AS TEXT) LIKE 'a'"), vb::Variant(0));
    EXPECT_EQ(Scalar(cn(), "SELECT 'abc' LIKE CAST(X'F4908080' AS TEXT)"), vb::Variant(0));
    EXPECT_EQ(Scalar(cn(), "SELECT 'a' LIKE CAST(X'F4908081' AS TEXT)"), vb::Variant(0));
}

TEST_P(Dialect, TopBecomesLimitOfTheSameSelect) {
    struct Case {
        std::string sql;
        std::vector<long long> ids;
    };
    const std::vector<Case> cases = {
        {"SELECT TOP 3 ID FROM V_MV_CPTE ORDER BY ID DESC", {35, 34, 33}},
        {"SELECT TOP 0 ID FROM V_MV_CPTE", {}},
        {"SELECT TOP (2) ID FROM V_MV_CPTE ORDER BY ID", {1, 2}},
        {"select top 2 ID from V_MV_CPTE where ID in (select top 5 ID from V_MV_CPTE order by ID desc) order by ID",
         {31, 32}},
        {"SELECT DISTINCT TOP 1 BLOQUEADA FROM V_MV_CPTE WHERE TC = 'NP' ORDER BY BLOQUEADA", {0}},
        {"SELECT TOP 1 ID FROM (SELECT TOP 4 * FROM V_MV_CPTE ORDER BY ID DESC) AS X ORDER BY ID", {32}},
        {"SELECT TOP 1 ID FROM V_MV_CPTE WHERE NOMBRE = 'TOP 5' OR ID > 33", {34}},
    };
    for (const Case& c : cases) {
        std::vector<long long> ids;
        for (const vb::Variant& v : Column(cn(), c.sql)) ids.push_back(vb::CDbl(v));
        EXPECT_EQ(ids, c.ids) << c.sql;
    }
}

TEST_P(Dialect, NothingIsRewrittenInsideLiteralsOrBrackets) {
    Recordset rs;
    rs.Open("SELECT 'TOP 5' AS a, 'dbo.x' AS b, 'ISNULL(' AS c, 'CONVERT(INT,1)' AS d, 'it''s GO' AS e, "
            "'15/03/05' AS f, N'ñ' AS g, 1 AS [TOP 5 dbo.x ISNULL(]",
            cn());
    const std::vector<std::string> expected = {"TOP 5", "dbo.x", "ISNULL(", "CONVERT(INT,1)", "it's GO", "15/03/05", "ñ"};
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(Text(rs.Fields(i).Value()), expected[i]);
    EXPECT_EQ(rs.Fields(7).Name(), "TOP 5 dbo.x ISNULL(");

    // A line break inside a literal does not split the statement.
    cn().Execute("INSERT INTO V_MV_FALTANTES (IdArticulo, Descripcion) VALUES ('A', 'one\r\nSELECT TOP 1\r\nGO')");
    EXPECT_EQ(Scalar(cn(), "SELECT Descripcion FROM V_MV_FALTANTES"), vb::Variant("one\r\nSELECT TOP 1\r\nGO"));
}

TEST_P(Dialect, BatchesJoinedByLineBreaksRunAsOne) {
    for (const std::string& separator : {std::string("\r"), std::string("\r\n"), std::string("\n")}) {
        cn().Execute("UPDATE V_MV_CPTE SET OBSERVACIONES = NULL, BLOQUEADA = 1 WHERE ID IN (1, 2)");
        long affected = 0;
        cn().Execute("UPDATE V_MV_CPTE SET OBSERVACIONES = 'a' WHERE ID = 1" + separator +
                         "UPDATE V_MV_CPTE" + separator + "SET BLOQUEADA = 0 ," + separator +
                         " OBSERVACIONES = 'b'" + separator + "WHERE ID = 2" + separator +
                         "INSERT INTO V_MV_CTROL_CPTE (TC,SUCURSAL,NUMERO,LETRA)" + separator +
                         "SELECT TC, '0001', '00000001', 'X' FROM V_MV_CPTE WHERE ID = 1",
                     affected);
        EXPECT_EQ(affected, 3);
        EXPECT_EQ(Column(cn(), "SELECT OBSERVACIONES FROM V_MV_CPTE WHERE ID IN (1, 2) ORDER BY ID"),
                  (std::vector<vb::Variant>{"a", "b"}));
        EXPECT_EQ(Scalar(cn(), "SELECT BLOQUEADA FROM V_MV_CPTE WHERE ID = 2"), vb::Variant(false));
        EXPECT_FALSE(cn().InTransaction());
    }
    EXPECT_EQ(vb::CDbl(Scalar(cn(), "SELECT COUNT(*) FROM V_MV_CTROL_CPTE")), 3);
}

TEST_P(Dialect, SessionOptionsGoAndTransactionCommandsAreNormalised) {
    long affected = 0;
    cn().Execute("SET NOCOUNT ON\r\nBEGIN TRANSACTION\r\nUPDATE V_MV_CPTE SET IMPORTE = 1 WHERE ID = 1\r\nGO\r\n"
                 "UPDATE V_MV_CPTE SET IMPORTE = 2 WHERE ID = 2\r\nCOMMIT TRANSACTION\r\nSET NOCOUNT OFF\r\nGO",
                 affected);
    EXPECT_EQ(affected, 2);
    EXPECT_FALSE(cn().InTransaction());
    EXPECT_EQ(vb::CDbl(Scalar(cn(), "SELECT SUM(IMPORTE) FROM V_MV_CPTE WHERE ID IN (1, 2)")), 3);

    // Alone, they are the connection's own transaction commands.
    cn().Execute("BEGIN TRANS");
    EXPECT_TRUE(cn().InTransaction());
    cn().Execute("DELETE V_MV_CPTE WHERE ID = 1");
    cn().Execute("ROLLBACK TRANS");
    EXPECT_FALSE(cn().InTransaction());
    cn().Execute("BEGIN TRAN");
    cn().Execute("DELETE V_MV_CPTE WHERE ID = 2");
    cn().Execute("COMMIT TRAN");
    EXPECT_EQ(Column(cn(), "SELECT ID FROM V_MV_CPTE WHERE ID IN (1, 2)"), (std::vector<vb::Variant>{1}));

    // A BEGIN without its COMMIT leaves the transaction open, as on the server.
    cn().Execute("BEGIN TRANSACTION\r\nDELETE V_MV_CPTE WHERE ID = 3");
    EXPECT_TRUE(cn().InTransaction());
    cn().RollbackTrans();
    EXPECT_EQ(Column(cn(), "SELECT ID FROM V_MV_CPTE WHERE ID = 3").size(), 1u);
}

TEST_P(Dialect, IfExistsRunsTheStatementOnlyWhenTheTestHolds) {
    const std::string receipt =
        "if exists(select * from V_MV_CPTE where TC='NP' and IDCOMPROBANTE='000100000004X' and "
        "fechapreparacion is null)  UPDATE V_MV_CPTE set FechaPreparacion='";
    const std::string where = "' where TC='NP' and IDCOMPROBANTE='000100000004X'";
    long affected = 0;
    cn().Execute(receipt + "15/03/05" + where, affected);
    EXPECT_EQ(affected, 1);
    cn().Execute(receipt + "16/03/05" + where, affected);
    EXPECT_EQ(affected, -1);
    // Written as an ISO date, read back as a date.
    EXPECT_EQ(Scalar(cn(), "SELECT FECHAPREPARACION FROM V_MV_CPTE WHERE ID = 4"),
              vb::Variant(vb::Date::FromParts(2005, 3, 15)));
    EXPECT_EQ(Scalar(cn(), "SELECT CONVERT(NVARCHAR, FECHAPREPARACION) FROM V_MV_CPTE WHERE ID = 4"),
              vb::Variant("2005-03-15 00:00:00"));

    const std::string upsert =
        "IF NOT EXISTS (SELECT 1 FROM TA_CONFIGURACION WHERE CLAVE = 'PIVA')\r\n"
        "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('PIVA', '21')\r\n"
        "ELSE\r\nUPDATE TA_CONFIGURACION SET VALOR = CASE WHEN VALOR = '21' THEN '10,5' ELSE 'x' END WHERE CLAVE = 'PIVA'";
    cn().Execute(upsert);
    EXPECT_EQ(Scalar(cn(), "SELECT VALOR FROM TA_CONFIGURACION WHERE CLAVE = 'piva'"), vb::Variant("21"));
    cn().Execute(upsert);
    EXPECT_EQ(Scalar(cn(), "SELECT VALOR FROM TA_CONFIGURACION WHERE CLAVE = 'piva'"), vb::Variant("10,5"));
}

// A batch that checks its UPDATE changed a row: when it changed none, RAISERROR stops the
// batch with its text, and nothing the batch did is kept.
TEST_P(Dialect, RowCountCheckFailsTheBatchWhenTheUpdateChangedNoRow) {
    const std::string batch =
        "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('DOC', '1')\r\n"
        "UPDATE V_MV_CPTE SET BLOQUEADA = 0 WHERE ID = 1 AND BLOQUEADA = 1\r\n"
        "IF @@ROWCOUNT = 0 RAISERROR('Otra estación tomó el 100%% del número ''1''', 16, 1)\r\n"
        " INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('CTRL', '1')\r\n";
    cn().Execute(batch);
    EXPECT_EQ(Column(cn(), "SELECT CLAVE FROM TA_CONFIGURACION ORDER BY CLAVE"),
              (std::vector<vb::Variant>{"CTRL", "DOC"}));
    cn().Execute("DELETE FROM TA_CONFIGURACION");

    for (const bool outer : {false, true}) {
        SCOPED_TRACE(outer ? "inside the caller's transaction" : "alone");
        if (outer) {
            cn().BeginTrans();
            cn().Execute("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('KEEP', '1')");
        }
        const vb::Error e = ErrorOf([&] { cn().Execute(batch); });
        EXPECT_EQ(e.Number(), adodb::kErrRaised);
        EXPECT_EQ(e.Description(), "Otra estación tomó el 100% del número '1'");
        EXPECT_EQ(e.NativeError(), adodb::kNativeRaised);
        EXPECT_EQ(cn().InTransaction(), outer);
        if (outer) cn().CommitTrans();
        EXPECT_EQ(Column(cn(), "SELECT CLAVE FROM TA_CONFIGURACION"),
                  outer ? std::vector<vb::Variant>{"KEEP"} : std::vector<vb::Variant>{});
    }

    for (const std::string forma : {"IF @@ROWCOUNT = 0 RAISERROR('x', 10, 1)", "RAISERROR('x %d', 16, 1, 5)",
                                    "RAISERROR(50001, 16, 1)", "RAISERROR('x', 16, 1) WITH LOG"}) {
        EXPECT_EQ(ErrorOf([&] { cn().Execute(forma); }).Number(), adodb::kErrSyntax) << forma;
    }
}

TEST_P(Dialect, DeleteWithoutFromAndDayFirstDatesWritten) {
    cn().Execute("INSERT INTO V_MV_CTROL_CPTE (TC,SUCURSAL,NUMERO,LETRA) VALUES ('OC  ','0001','00000007','X')\r\n"
                 " INSERT INTO V_MV_CTROL_CPTE (TC,SUCURSAL,NUMERO,LETRA) VALUES ('OC  ','0001','00000008','X')\r\n");
    long affected = 0;
    cn().Execute("DELETE V_MV_CTROL_CPTE WHERE TC = 'OC' AND SUCURSAL = '0001' AND NUMERO = '00000007' AND LETRA = 'X'",
                 affected);
    EXPECT_EQ(affected, 1);
    EXPECT_EQ(Column(cn(), "SELECT NUMERO FROM V_MV_CTROL_CPTE"), (std::vector<vb::Variant>{"00000008"}));

    cn().Execute("INSERT INTO V_MV_FALTANTES (FechaHora,IdArticulo,Descripcion,Usuario) "
                 "values('15/03/2005 10:20','A1','15/03/05','demo')");
    cn().Execute(" INSERT INTO V_MV_CPTEACCIONES (TC,IdComprobante,IdComplemento,Tipo_accion,FECHAHORA,Usuario,PC,"
                 "SYSTEMUSER,NUMEROASIENTO) VALUES ('NP  ','000100000004X',0,'AO','06/05/24 07:08','demo','pc','',0)");
    EXPECT_EQ(Scalar(cn(), "SELECT CONVERT(NVARCHAR, FechaHora) || '|' || Descripcion FROM V_MV_FALTANTES"),
              vb::Variant("2005-03-15 10:20:00|15/03/05"));
    EXPECT_EQ(Scalar(cn(), "SELECT FECHAHORA FROM V_MV_CPTEACCIONES"), vb::Variant(vb::Date::FromParts(2024, 5, 6, 7, 8)));
}

TEST_P(Dialect, AlterTableAddWithConstraintDefault) {
    cn().Execute("INSERT INTO V_MV_FALTANTES (IdArticulo) VALUES ('A')");
    cn().Execute("ALTER TABLE dbo.V_MV_FALTANTES ADD CAMPO1 INT Not Null  CONSTRAINT DF_V_MV_FALTANTES_CAMPO1 DEFAULT (0)");
    cn().Execute("ALTER TABLE dbo.V_MV_FALTANTES ADD CAMPO2 VARCHAR(10) Null ");
    cn().Execute("ALTER TABLE dbo.V_MV_FALTANTES ADD CAMPO3 VARCHAR(5) Not Null  CONSTRAINT DF_X DEFAULT (('ab'))");
    cn().Execute("ALTER TABLE V_MV_FALTANTES ADD CAMPO4 MONEY Null  CONSTRAINT DF_Y DEFAULT (-1.5)");
    Recordset rs;
    rs.Open("SELECT CAMPO1, CAMPO2, CAMPO3, CAMPO4 FROM V_MV_FALTANTES", cn());
    EXPECT_EQ(rs.Fields("CAMPO1").Value(), vb::Variant(0));
    EXPECT_EQ(rs.Fields("CAMPO2").Value(), vb::Variant(vb::Null));
    EXPECT_EQ(rs.Fields("CAMPO3").Value(), vb::Variant("ab"));
    EXPECT_EQ(rs.Fields("CAMPO4").Value(), vb::Variant(vb::Currency::FromTicks(-15000)));
    EXPECT_EQ(rs.Fields("CAMPO2").Type(), adodb::adVarChar);
    EXPECT_EQ(rs.Fields("CAMPO2").DefinedSize(), 10);
}

TEST_P(Dialect, FailuresCarryTheFourNumbers) {
    cn().Execute("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('K', 'v')");
    struct Case {
        std::string sql;
        long number;
    };
    const std::vector<Case> cases = {
        {"INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('k', 'w')", adodb::kErrIntegrityViolation},
        {"UPDATE V_MV_CPTE SET TC = NULL WHERE ID = 1", adodb::kErrIntegrityViolation},
        {"SELECT * FROM NO_SUCH_TABLE", adodb::kErrNoTable},
        {"DELETE NO_SUCH_TABLE WHERE ID = 1", adodb::kErrNoTable},
        {"SELEC * FROM V_MV_CPTE", adodb::kErrSyntax},
        {"SELECT NO_SUCH_COLUMN FROM V_MV_CPTE", adodb::kErrSyntax},
        {"SELECT 'open FROM V_MV_CPTE", adodb::kErrSyntax},
        {"COMMIT TRANSACTION", adodb::kErrFail},
        {"SELECT CONVERT(INT, 'x')", adodb::kErrFail},
    };
    for (const Case& c : cases) {
        const vb::Error e = ErrorOf([&] { cn().Execute(c.sql); });
        EXPECT_EQ(e.Number(), c.number) << c.sql << ": " << e.Description();
        EXPECT_EQ(e.Source(), "SQLite") << c.sql;
        ASSERT_EQ(cn().Errors().Count(), 1u) << c.sql;
        EXPECT_EQ(cn().Errors().Item(0).Number, c.number) << c.sql;
        EXPECT_EQ(cn().Errors().Item(0).Description, e.Description()) << c.sql;
        EXPECT_EQ(cn().Errors().Item(0).NativeError, e.NativeError()) << c.sql;
    }
    const vb::Error duplicate = ErrorOf([&] { cn().Execute("INSERT INTO TA_CONFIGURACION (CLAVE) VALUES ('K')"); });
    EXPECT_EQ(duplicate.NativeError(), 1555);  // the engine's own code: primary key constraint
    cn().Execute("UPDATE V_MV_CPTE SET BLOQUEADA = 0 WHERE ID = 1");
    EXPECT_EQ(cn().Errors().Count(), 0u);  // cleared by the next operation
}

TEST_P(Dialect, ABatchFailingPartWayIsRolledBackWhole) {
    const std::string batch =
        "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('NEW', '1')\r\n"
        "UPDATE V_MV_CPTE SET BLOQUEADA = 0 WHERE ID = 1\r\n"
        "INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('new', '2')";
    const vb::Error e = ErrorOf([&] { cn().Execute(batch); });
    EXPECT_EQ(e.Number(), adodb::kErrIntegrityViolation);
    EXPECT_FALSE(cn().InTransaction());
    EXPECT_TRUE(Column(cn(), "SELECT CLAVE FROM TA_CONFIGURACION").empty());
    EXPECT_EQ(Scalar(cn(), "SELECT BLOQUEADA FROM V_MV_CPTE WHERE ID = 1"), vb::Variant(true));

    // Inside the caller's transaction only the batch is undone.
    cn().BeginTrans();
    cn().Execute("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR) VALUES ('KEEP', '1')");
    EXPECT_THROW(cn().Execute(batch), vb::Error);
    EXPECT_TRUE(cn().InTransaction());
    cn().CommitTrans();
    EXPECT_EQ(Column(cn(), "SELECT CLAVE FROM TA_CONFIGURACION"), (std::vector<vb::Variant>{"KEEP"}));
    EXPECT_EQ(Scalar(cn(), "SELECT BLOQUEADA FROM V_MV_CPTE WHERE ID = 1"), vb::Variant(true));
}

TEST_P(Dialect, UntranslatableConstructsFailNamingThem) {
    struct Case {
        std::string sql;
        std::string named;
    };
    const std::vector<Case> cases = {
        {"SELECT TOP 10 PERCENT * FROM V_MV_CPTE", "PERCENT"},
        {"SELECT TOP 5 WITH TIES * FROM V_MV_CPTE ORDER BY TC", "WITH TIES"},
        {"SELECT TOP -10 * FROM V_MV_CPTE", "negative"},
        {"SELECT TOP 5 ID FROM V_MV_CPTE UNION SELECT ID FROM V_MV_CPTE", "UNION"},
        {"SELECT ID FROM V_MV_CPTE UNION ALL SELECT TOP 5 ID FROM V_MV_CPTE", "UNION"},
        {"UPDATE V_MV_CPTE SET BLOQUEADA = 0 WHERE ID = @id", "@id"},
        {"UPDATE V_MV_CPTE SET BLOQUEADA = 0 WHERE ID = :1", ":1"},
        {"UPDATE V_MV_CPTE SET BLOQUEADA = 0 WHERE ID = ?2", "?2"},
        {"UPDATE V_MV_CPTE SET BLOQUEADA = 0 WHERE ID = ?", "1 \"?\" markers and 0 values"},
        {"SELECT * FROM V_MV_CPTE WHERE FECHA = #15/03/2005#", "#15"},
        {"IF 1 = 1 BEGIN UPDATE V_MV_CPTE SET BLOQUEADA = 0 END", "BEGIN ... END"},
        {"SELECT CONVERT(XML, 'a')", "XML"},
        {"EXEC sp_who", "EXEC"},
        {"SET ROWCOUNT 10\r\nUPDATE V_MV_CPTE SET BLOQUEADA = 0", "ROWCOUNT"},
        {"ALTER TABLE dbo.V_MV_CPTE ALTER COLUMN NOMBRE VARCHAR(200)", "ALTER COLUMN"},
        {"ALTER TABLE dbo.V_MV_CPTE ADD ALTA DATETIME Null CONSTRAINT DF_A DEFAULT (getdate())", "DEFAULT"},
        {"ALTER TABLE dbo.V_MV_CPTE ADD CONSTRAINT CK CHECK (ID > 0)", "CONSTRAINT"},
        {"DELETE TOP (5) FROM V_MV_CPTE", "DELETE TOP"},
        {"CREATE TABLE X (ID INT IDENTITY(1,1))", "IDENTITY"},
        {"UPDATE V_MV_CPTE SET BLOQUEADA = 0\r\nBEGIN TRAN\r\nUPDATE V_MV_CPTE SET ANULADA = 1\r\nROLLBACK TRAN",
         "ROLLBACK"},
    };
    for (const Case& c : cases) {
        const vb::Error e = ErrorOf([&] { cn().Execute(c.sql); });
        EXPECT_EQ(e.Number(), adodb::kErrSyntax) << c.sql;
        EXPECT_NE(e.Description().find(c.named), std::string::npos) << c.sql << ": " << e.Description();
    }
    // Nothing ran.
    EXPECT_EQ(vb::CDbl(Scalar(cn(), "SELECT COUNT(*) FROM V_MV_CPTE WHERE BLOQUEADA = 0 OR ANULADA = 1")), 5);
}

}  // namespace
