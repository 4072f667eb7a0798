// Connection, Recordset, Field and Errors over the SQLite engine.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "db_test_support.h"
#include "db/adodb.h"
#include "db/transaction.h"
#include "vb/datetime.h"
#include "vb/regional.h"
#include "vb/variant.h"

namespace {

using adodb::Connection;
using adodb::Recordset;
using dbtest::ErrorOf;
using dbtest::Scalar;
using dbtest::Storage;

class Adodb : public ::testing::Test {
protected:
    dbtest::SchemaDatabase db_{Storage::File};
    Connection& cn() { return db_.cn; }
};

TEST_F(Adodb, DeclaredTypesGiveTypeCodesSizesAndValues) {
    cn().Execute(
        "CREATE TABLE T (D DATETIME, M MONEY, I INT, S SMALLINT, Y TINYINT, G BIGINT, B BIT, F FLOAT, R REAL, "
        "N DECIMAL(10,2), V VARCHAR(20), W NVARCHAR(30), C CHAR(4), H NCHAR(2), X TEXT, "
        "L VARCHAR(99999999999999999999))");
    cn().Execute(
        "INSERT INTO T VALUES ('2005-03-15 10:20:30', 12.5, 7, 2, 255, 9000000000, 1, 1.5, 2.25, 2.5, 'v', 'w', "
        "'ab', 'h', 'long', 'l')\r\nINSERT INTO T (D) VALUES (NULL)");
    struct Case {
        const char* name;
        int type;
        long size;
        vb::Variant value;
    };
    const std::vector<Case> cases = {
        {"D", adodb::adDBTimeStamp, 16, vb::Date::FromParts(2005, 3, 15, 10, 20, 30)},
        {"M", adodb::adCurrency, 8, vb::Currency::FromTicks(125000)},
        {"I", adodb::adInteger, 4, 7},
        {"S", adodb::adSmallInt, 2, 2},
        {"Y", adodb::adUnsignedTinyInt, 1, 255},
        {"G", adodb::adBigInt, 8, 9000000000LL},
        {"B", adodb::adBoolean, 2, true},
        {"F", adodb::adDouble, 8, 1.5},
        {"R", adodb::adDouble, 8, 2.25},
        {"N", adodb::adNumeric, 19, 2.5},
        {"V", adodb::adVarChar, 20, "v"},
        {"W", adodb::adVarWChar, 30, "w"},
        {"C", adodb::adChar, 4, "ab"},
        {"H", adodb::adWChar, 2, "h"},
        {"X", adodb::adLongVarChar, 2147483647, "long"},
        {"L", adodb::adVarChar, 2147483647, "l"},  // a length beyond any size: the largest
    };
    Recordset rs;
    rs.Open("SELECT * FROM T", cn());
    for (const Case& c : cases) {
        const adodb::Field f = rs.Fields(c.name);
        EXPECT_EQ(f.Type(), c.type) << c.name;
        EXPECT_EQ(f.DefinedSize(), c.size) << c.name;
        EXPECT_EQ(f.Value(), c.value) << c.name;
    }
    rs.MoveNext();
    for (const Case& c : cases) EXPECT_TRUE(rs.Fields(c.name).Value().IsNull()) << c.name;
}

// Another program may store in a MONEY column a number the currency cannot
// hold: it is read as stored, and the rows around it read as usual.
TEST_F(Adodb, MoneyBeyondTheCurrencysRangeIsReadAsStored) {
    cn().Execute("CREATE TABLE M (K INTEGER PRIMARY KEY, M MONEY)");
    struct Case {
        const char* stored;
        vb::Variant value;
    };
    const std::vector<Case> cases = {
        {"922337203685477", vb::Currency::FromTicks(9223372036854770000LL)},  // the largest whole amount
        {"-922337203685477", vb::Currency::FromTicks(-9223372036854770000LL)},
        {"922337203685478", 922337203685478LL},
        {"-5000000000000000000", -5000000000000000000LL},
        {"1234567.125", vb::Currency::FromTicks(12345671250LL)},
        {"1.5e15", 1500000000000000LL},  // a whole number: the column keeps it as an integer
        {"-2e18", -2000000000000000000LL},
        {"1500000000000000.5", 1500000000000000.5},
        {"1e19", 1e19},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        cn().Execute("INSERT INTO M VALUES (" + std::to_string(i) + ", " + cases[i].stored + ")");
    }
    Recordset rs;
    rs.Open("SELECT M FROM M ORDER BY K", cn());
    ASSERT_EQ(rs.RecordCount(), static_cast<long>(cases.size()));
    EXPECT_EQ(rs.Fields("M").Type(), adodb::adCurrency);
    for (const Case& c : cases) {
        EXPECT_EQ(rs.Fields("M").Value(), c.value) << c.stored;
        rs.MoveNext();
    }
}

TEST_F(Adodb, ExpressionsTakeTheTypeOfTheirFirstValue) {
    Recordset rs;
    rs.Open("SELECT 1 + 1 AS I, 1.5 * 2 AS R, 'x' || 'yz' AS T, NULL AS N, "
            "CASE WHEN ID = 1 THEN NULL ELSE 5 END AS L FROM (SELECT 1 AS ID UNION ALL SELECT 2) ORDER BY ID",
            cn());
    EXPECT_EQ(rs.Fields("I").Type(), adodb::adInteger);
    EXPECT_EQ(rs.Fields("I").Value(), vb::Variant(2));
    EXPECT_EQ(rs.Fields("R").Type(), adodb::adDouble);
    EXPECT_EQ(rs.Fields("R").Value(), vb::Variant(3.0));
    EXPECT_EQ(rs.Fields("T").Type(), adodb::adVarWChar);
    EXPECT_EQ(rs.Fields("T").DefinedSize(), 3);
    EXPECT_EQ(rs.Fields("N").Type(), adodb::adVarWChar);
    EXPECT_EQ(rs.Fields("L").Type(), adodb::adInteger);
    EXPECT_TRUE(rs.Fields("L").Value().IsNull());
    EXPECT_NE(rs.Fields("T").Value(), vb::Variant(vb::Null));
}

TEST_F(Adodb, NullIsDistinctFromEmptyText) {
    cn().Execute("INSERT INTO TA_CONFIGURACION (CLAVE, VALOR, VALORAUX) VALUES ('A', '', NULL)");
    Recordset rs;
    rs.Open("SELECT VALOR, VALORAUX FROM TA_CONFIGURACION", cn());
    EXPECT_EQ(rs.Fields("valor").Value(), vb::Variant(""));
    EXPECT_TRUE(rs.Fields("ValorAux").Value().IsNull());
}

// Texts read the same from a file that keeps them in UTF-8 and from one
// that keeps them in UTF-16: empty, accented, longer than a short text, with
// a NUL inside; and so do the numbers beside them.
TEST(AdodbTexts, ReadTheSameWhateverEncodingTheFileKeeps) {
    const std::string accented = "\xC3\xB1" "and\xC3\xBA";
    const std::string longer = std::string(40, 'x') + "\xC3\xA9";
    const std::vector<vb::Variant> expected = {"abc", "", accented, longer, std::string("a\0b", 3), "12", 7LL, 1.5,
                                               vb::Null};
    const std::string values = "('abc'), (''), ('" + accented + "'), ('" + longer +
                               "'), ('a' || char(0) || 'b'), ('12'), (7), (1.5), (NULL)";
    testsupport::TempDir dir;
    for (const char* encoding : {"UTF-8", "UTF-16le", "UTF-16be"}) {
        const std::string path = dir.File(std::string(encoding) + ".db");
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
        const std::string script = std::string("PRAGMA encoding = '") + encoding +
                                   "'; CREATE TABLE T (N INTEGER PRIMARY KEY, V); INSERT INTO T (V) VALUES " + values;
        ASSERT_EQ(sqlite3_exec(raw, script.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(raw);
        sqlite3_close(raw);
        Connection cn;
        cn.Open("Data Source=" + path);
        EXPECT_EQ(dbtest::Column(cn, "SELECT V FROM T ORDER BY N"), expected) << encoding;
        EXPECT_EQ(Scalar(cn, "SELECT CONVERT(NVARCHAR, '2005-03-15', 103) || V FROM T WHERE N = 3"),
                  vb::Variant("15/03/2005" + accented))
            << encoding;
    }
    // A database that holds nothing yet takes the encoding it is given.
    Connection cn;
    cn.Open("Data Source=:memory:");
    cn.Execute("PRAGMA encoding = 'UTF-16le'");
    cn.Execute("CREATE TABLE T (N INTEGER PRIMARY KEY, V)");
    cn.Execute("INSERT INTO T (V) VALUES " + values);
    EXPECT_EQ(Scalar(cn, "PRAGMA encoding"), vb::Variant("UTF-16le"));
    EXPECT_EQ(dbtest::Column(cn, "SELECT V FROM T ORDER BY N"), expected);
}

TEST_F(Adodb, NavigationFollowsBofAndEof) {
    cn().Execute("INSERT INTO V_MV_FALTANTES (IdArticulo) VALUES ('A')\rINSERT INTO V_MV_FALTANTES (IdArticulo) VALUES ('B')");
    Recordset rs;
    rs.Open("SELECT IdArticulo FROM V_MV_FALTANTES ORDER BY IdArticulo", cn());
    EXPECT_EQ(rs.State(), adodb::adStateOpen);
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_FALSE(rs.BOF());
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    rs.MoveNext();
    EXPECT_EQ(rs.Fields("idarticulo").Value(), vb::Variant("B"));
    rs.MoveNext();
    EXPECT_TRUE(rs.EOF());
    EXPECT_EQ(rs.AbsolutePosition(), -3);  // adPosEOF
    EXPECT_EQ(ErrorOf([&] { rs.Fields(std::size_t{0}).Value(); }).Number(), 3021);
    EXPECT_EQ(ErrorOf([&] { rs.MoveNext(); }).Number(), 3021);
    rs.MoveLast();
    EXPECT_EQ(rs.AbsolutePosition(), 2);
    rs.MovePrevious();
    rs.MovePrevious();
    EXPECT_TRUE(rs.BOF());
    EXPECT_EQ(rs.AbsolutePosition(), -2);  // adPosBOF
    EXPECT_EQ(ErrorOf([&] { rs.MovePrevious(); }).Number(), 3021);
    rs.MoveFirst();
    EXPECT_EQ(rs.Fields(std::size_t{0}).Value(), vb::Variant("A"));
    EXPECT_EQ(ErrorOf([&] { rs.Fields("NOPE"); }).Number(), 3265);
    EXPECT_EQ(ErrorOf([&] { rs.Fields(std::size_t{1}); }).Number(), 3265);
    EXPECT_TRUE(rs.HasField("IDARTICULO"));
    EXPECT_FALSE(rs.HasField("NOPE"));

    // The rows stay after the connection has gone.
    cn().Close();
    EXPECT_EQ(rs.Fields(std::size_t{0}).Value(), vb::Variant("A"));
    rs.Close();
    rs.Close();
    EXPECT_EQ(rs.State(), adodb::adStateClosed);
    EXPECT_EQ(rs.RecordCount(), -1);
    EXPECT_EQ(ErrorOf([&] { rs.EOF(); }).Number(), 3704);
}

TEST_F(Adodb, EmptyResultIsAtBofAndEof) {
    Recordset rs;
    rs.Open("SELECT * FROM V_MV_CPTE", cn());
    EXPECT_TRUE(rs.BOF());
    EXPECT_TRUE(rs.EOF());
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_EQ(rs.AbsolutePosition(), -1);
    EXPECT_EQ(ErrorOf([&] { rs.MoveFirst(); }).Number(), 3021);
    EXPECT_EQ(ErrorOf([&] { rs.GetString(); }).Number(), 3021);
    EXPECT_GT(rs.FieldCount(), 10u);
    // Opening an open recordset is refused; a statement without rows leaves it closed.
    EXPECT_EQ(ErrorOf([&] { rs.Open("SELECT 1", cn()); }).Number(), 3705);
    rs.Close();
    rs.Open("UPDATE V_MV_CPTE SET BLOQUEADA = 0", cn());
    EXPECT_EQ(rs.State(), adodb::adStateClosed);
}

TEST_F(Adodb, GetStringAndGetRowsReadFromTheCurrentRowOn) {
    vb::Regional spanish;
    spanish.decimalSeparator = ",";
    const vb::ScopedRegional regional(spanish);
    cn().Execute("CREATE TABLE G (A INT, B VARCHAR(5), C MONEY)\r\n"
                 "INSERT INTO G VALUES (1, 'x', 1.5)\r\nINSERT INTO G VALUES (2, NULL, 2)\r\n"
                 "INSERT INTO G VALUES (3, 'z', NULL)");
    Recordset rs;
    rs.Open("SELECT A, B, C FROM G ORDER BY A", cn());
    rs.MoveNext();
    EXPECT_EQ(rs.GetString(adodb::adClipString, -1, ";", "|", "(nulo)"), "2;(nulo);2|3;z;(nulo)|");
    EXPECT_TRUE(rs.EOF());
    rs.MoveFirst();
    EXPECT_EQ(rs.GetString(adodb::adClipString, 1), "1\tx\t1,5\r");
    EXPECT_EQ(rs.AbsolutePosition(), 2);
    const auto rows = rs.GetRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], vb::Variant(2));
    EXPECT_TRUE(rows[0][1].IsNull());
    EXPECT_TRUE(rs.EOF());
}

// A statement run again reads the rows and columns of the moment, and one
// that failed runs again once its cause is gone; statements kept for reuse
// never stop another connection from changing the schema.
TEST_F(Adodb, AStatementRunAgainSeesTheDatabaseAsItIsNow) {
    const std::string todo = "SELECT * FROM R ORDER BY A";
    const std::string inserta = "INSERT INTO R (A) VALUES (3)";
    auto columnas = [&] {
        Recordset rs;
        rs.Open(todo, cn());
        return rs.FieldCount();
    };
    cn().Execute("CREATE TABLE R (A INT UNIQUE)\r\nINSERT INTO R (A) VALUES (1)");
    EXPECT_EQ(dbtest::Column(cn(), todo), (std::vector<vb::Variant>{1}));
    cn().Execute("INSERT INTO R (A) VALUES (2)");
    EXPECT_EQ(dbtest::Column(cn(), todo), (std::vector<vb::Variant>{1, 2}));

    cn().Execute(inserta);
    EXPECT_THROW(cn().Execute(inserta), vb::Error);
    cn().Execute("DELETE FROM R WHERE A = 3");
    cn().Execute(inserta);
    EXPECT_EQ(dbtest::Column(cn(), todo), (std::vector<vb::Variant>{1, 2, 3}));

    cn().Execute("ALTER TABLE R ADD COLUMN B TEXT");
    EXPECT_EQ(columnas(), 2u);
    Connection otra;
    otra.Open("Data Source=" + db_.Dir().File("test.db"));
    otra.Execute("ALTER TABLE R ADD COLUMN C TEXT");
    EXPECT_EQ(columnas(), 3u);
    otra.Execute("DROP TABLE R");
    EXPECT_THROW(columnas(), vb::Error);
}

// What row-changing statements store and match is what SQLite does with the
// text as written, run here on a twin table through a plain connection.
TEST_F(Adodb, RowChangesStoreAndMatchTheValuesAsWritten) {
    const std::vector<std::string> sentencias = {
        "INSERT INTO V (I, T, R, U) VALUES (7, 'a', 1, 'x')",
        "INSERT INTO V (I, T, R, U) VALUES ('007', 007, '1.5', 12345678901234567890)",
        "INSERT INTO V (I, T, R, U) VALUES ('O''Brien', 'NP  ', 2, '')",
        "INSERT INTO V (I, T, R, U) VALUES (-5, '', 0.25, 9223372036854775807)",
        "INSERT INTO V (I, T, R, U) VALUES (1 + 1, 'a' || 'b', (3), abs(-4))",
        "UPDATE V SET T = 'z', U = 0 WHERE I = 7",
        "UPDATE V SET R = R + 1 WHERE T = 'NP  ' OR I = '007'",
        "UPDATE V SET U = 'y' WHERE I = ''",
        "DELETE FROM V WHERE U = '' AND I <> 7",
    };
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(db_.Dir().File("test.db").c_str(), &raw), SQLITE_OK);
    auto volcado = [&](const std::string& tabla) {
        std::vector<std::string> filas;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(raw, ("SELECT quote(I), quote(T), quote(R), quote(U) FROM " + tabla + " ORDER BY rowid").c_str(),
                           -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            std::string fila;
            for (int c = 0; c < 4; ++c) fila += std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, c))) + "|";
            filas.push_back(fila);
        }
        sqlite3_finalize(st);
        return filas;
    };
    cn().Execute("CREATE TABLE V (I INT, T TEXT, R REAL, U)");
    ASSERT_EQ(sqlite3_exec(raw, "CREATE TABLE W (I INT, T TEXT, R REAL, U)", nullptr, nullptr, nullptr), SQLITE_OK);
    for (int vez = 0; vez < 2; ++vez) {
        for (const std::string& sentencia : sentencias) {
            SCOPED_TRACE(sentencia);
            long filas = -1;
            cn().Execute(sentencia, filas);
            const std::string gemela = std::regex_replace(sentencia, std::regex("\\bV\\b"), "W");
            ASSERT_EQ(sqlite3_exec(raw, gemela.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
            EXPECT_EQ(filas, sqlite3_changes(raw));
            EXPECT_EQ(volcado("V"), volcado("W"));
        }
    }
    EXPECT_EQ(volcado("V").size(), 8u);
    sqlite3_close(raw);

    // A statement SQLite refuses is reported as written.
    const vb::Error error = ErrorOf([&] { cn().Execute("INSERT INTO V (I, T) VALUES (1,, 'b')"); });
    EXPECT_NE(error.Description().find("near \",\""), std::string::npos) << error.Description();
}

// Nothing in a text is taken for a value to bind: each one does what it says,
// also when it runs again.
TEST_F(Adodb, ATextRunsAsItIsWritten) {
    cn().Execute("CREATE TABLE T (id INTEGER PRIMARY KEY, t TEXT, \"c=5\" TEXT, \"c=?1\" TEXT)");
    cn().Execute("INSERT INTO T (id, t) VALUES (2, 'a')\r\nINSERT INTO T (id, t) VALUES (3, 'b')");
    const std::vector<vb::Variant> antes = {"2 'a' NULL NULL", "3 'b' NULL NULL"};
    struct Case {
        const char* sql;
        const char* error;  // named in the error; nullptr when the text runs
        std::vector<vb::Variant> rows;
    };
    const std::vector<Case> cases = {
        {"UPDATE T SET t = 'x'5 WHERE id = 2", "near \"5\"", antes},
        {"UPDATE T SET t = 'c' WHERE id = 2OR id = 3", "2OR", antes},
        {"UPDATE T SET t = :1 WHERE id = 2", ":1", antes},
        {"UPDATE T SET `c=5` = 'x' WHERE id = 2", nullptr, {"2 'a' 'x' NULL", "3 'b' NULL NULL"}},
    };
    for (const Case& c : cases) {
        for (int vez = 0; vez < 2; ++vez) {
            SCOPED_TRACE(c.sql);
            if (c.error) {
                const vb::Error error = ErrorOf([&] { cn().Execute(c.sql); });
                EXPECT_NE(error.Description().find(c.error), std::string::npos) << error.Description();
            } else {
                EXPECT_EQ(cn().Execute(c.sql), 1);
            }
            EXPECT_EQ(dbtest::Column(cn(), "SELECT id || ' ' || quote(t) || ' ' || quote(\"c=5\") || ' ' || "
                                           "quote(\"c=?1\") FROM T ORDER BY id"),
                      c.rows);
        }
    }
}

// The parameterised call stores each kind of value as SQLite stores the same
// value written as a literal; a statement run again takes its new values.
TEST_F(Adodb, BoundValuesAreStoredAsTheirLiteralsAre) {
    cn().Execute("CREATE TABLE P (K INT, D DATETIME, M MONEY, B BIT, F FLOAT, T VARCHAR(20), U)");
    struct Case {
        const char* literals;
        std::vector<vb::Variant> values;
    };
    const std::vector<Case> cases = {
        {"1, '15/03/2005 10:20', 12.5, 1, 1.25, 'O''Brien', NULL",
         {1, vb::Date::FromParts(2005, 3, 15, 10, 20), vb::Currency::FromTicks(125000), true, 1.25, "O'Brien", vb::Null}},
        {"2, '15/03/2005', 3, 0, -2, '', 'a?b'",
         {2, vb::Date::FromParts(2005, 3, 15), vb::Currency::FromTicks(30000), false, -2.0, "", "a?b"}},
        {"3, NULL, 0.0001, 0, 0, '\xC3\xB1" "and\xC3\xBA', 9223372036854775807",
         {3, vb::Variant(), vb::Currency::FromTicks(1), false, 0.0, "\xC3\xB1" "and\xC3\xBA", INT64_MAX}},
    };
    const std::string columnas = "quote(D) || quote(M) || quote(B) || quote(F) || quote(T) || quote(U)";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.literals);
        cn().Execute(std::string("INSERT INTO P VALUES (") + c.literals + ")");
        long filas = 0;
        cn().Execute("INSERT INTO P VALUES (?, ?, ?, ?, ?, ?, ?)", c.values, filas);
        EXPECT_EQ(filas, 1);
        const std::vector<vb::Variant> guardadas =
            dbtest::Column(cn(), "SELECT " + columnas + " FROM P WHERE K = " + vb::CStr(c.values[0]));
        ASSERT_EQ(guardadas.size(), 2u);
        EXPECT_EQ(guardadas[0], guardadas[1]);
    }
    long filas = 0;
    cn().Execute("UPDATE P SET T = ? WHERE K = ?", {"x", 1}, filas);
    EXPECT_EQ(filas, 2);
    cn().Execute("UPDATE P SET T = ? WHERE K = ?", {vb::Null, 2}, filas);
    EXPECT_EQ(filas, 2);
    EXPECT_EQ(dbtest::Column(cn(), "SELECT quote(T) FROM P ORDER BY K, rowid"),
              (std::vector<vb::Variant>{"'x'", "'x'", "NULL", "NULL", "'\xC3\xB1" "and\xC3\xBA'", "'\xC3\xB1" "and\xC3\xBA'"}));
}

// A query takes bound values as a statement does; run again with others it
// reads the rows they select, and the log shows them. What it cost SQLite is
// counted for that run alone: a scan of the whole table and a sort show,
// a lookup by an index reads a few rows.
TEST_F(Adodb, BoundQueriesReadTheRowsTheirValuesSelectAndCountTheirCost) {
    cn().Execute("CREATE TABLE Q (K INTEGER PRIMARY KEY, N VARCHAR(20) COLLATE NOCASE, F DATETIME, M MONEY)");
    cn().Execute("CREATE INDEX IX_Q_N ON Q (N)");
    for (int k = 1; k <= 200; ++k) {
        long filas = 0;
        cn().Execute("INSERT INTO Q VALUES (?, ?, ?, ?)",
                     {k, "n" + std::to_string(k % 20), k % 2 ? "2024-01-01" : "2024-01-01 00:00:00", 0.1 * k}, filas);
    }
    std::vector<std::string> seen;
    cn().SetStatementLogger([&](const std::string& sql) { seen.push_back(sql); });
    const std::string porNombre = "SELECT K, +F, +M FROM Q WHERE N = ? AND K > ? ORDER BY K";
    Recordset rs;
    rs.Open(porNombre, {"N7", 100}, cn());
    ASSERT_EQ(rs.RecordCount(), 5);
    EXPECT_EQ(rs.Fields(std::size_t{0}).Value(), vb::Variant(107));
    // Values of no declared type come as stored.
    EXPECT_EQ(rs.Fields(std::size_t{1}).Value(), vb::Variant("2024-01-01"));
    EXPECT_EQ(rs.Fields(std::size_t{2}).Value(), vb::Variant(0.1 * 107));
    const adodb::QueryCost buscada = cn().LastQueryCost();
    EXPECT_EQ(buscada.fullScanSteps, 0);
    EXPECT_EQ(buscada.sorts, 0);
    EXPECT_GT(buscada.steps, 0);
    // Counted afresh at each run: the same again, then fewer rows.
    EXPECT_EQ(cn().Query(porNombre, {"N7", 100}).rows.size(), 5u);
    EXPECT_EQ(cn().LastQueryCost().steps, buscada.steps);
    EXPECT_EQ(cn().Query(porNombre, {"n19", 180}).rows.size(), 1u);
    EXPECT_LT(cn().LastQueryCost().steps, buscada.steps);
    cn().Query("SELECT K FROM Q WHERE M > ? ORDER BY F DESC", {vb::Currency::FromTicks(150000)});
    EXPECT_GE(cn().LastQueryCost().fullScanSteps, 199);
    EXPECT_EQ(cn().LastQueryCost().sorts, 1);
    EXPECT_EQ(seen.front(), porNombre + " -- 'N7', 100");
    EXPECT_THROW(cn().Query(porNombre, {"N7"}), vb::Error);
}

// Each marker takes one value, and values go to one statement only;
// otherwise nothing runs.
TEST_F(Adodb, MarkersAndValuesMustMatch) {
    cn().Execute("CREATE TABLE P (K INT, T TEXT)\r\nINSERT INTO P VALUES (1, 'a')");
    struct Case {
        const char* sql;
        std::vector<vb::Variant> values;
        const char* named;
    };
    const std::vector<Case> cases = {
        {"UPDATE P SET T = ? WHERE K = ?", {"x"}, "2 \"?\" markers and 1 values"},
        {"UPDATE P SET T = ? WHERE K = ?", {"x", 1, 2}, "2 \"?\" markers and 3 values"},
        {"UPDATE P SET T = 'x' WHERE K = ?", {}, "1 \"?\" markers and 0 values"},
        {"UPDATE P SET T = 'x' WHERE K = 1", {1}, "0 \"?\" markers and 1 values"},
        {"UPDATE P SET T = ?1 WHERE K = 1", {"x"}, "?1"},
        {"UPDATE P SET T = ?\r\nUPDATE P SET K = 2", {"x"}, "single statement"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        long filas = -1;
        const vb::Error error = ErrorOf([&] { cn().Execute(c.sql, c.values, filas); });
        EXPECT_EQ(error.Number(), adodb::kErrSyntax);
        EXPECT_NE(error.Description().find(c.named), std::string::npos) << error.Description();
        EXPECT_EQ(filas, -1);
    }
    EXPECT_THROW(cn().Execute("UPDATE P SET T = 'x' WHERE K = ?"), vb::Error);
    EXPECT_EQ(dbtest::Column(cn(), "SELECT K || T FROM P"), std::vector<vb::Variant>{"1a"});
}

// A failure in the words a person can act on, by the engine's codes; one
// without its own words keeps the engine's message.
TEST(AdodbFailureReason, NamesTheCauseInSpanish) {
    struct Case {
        adodb::ProviderError error;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {{adodb::kErrFail, "database or disk is full", "SQLite", "HY000", 13}, "disco lleno"},
        {{adodb::kErrFail, "attempt to write a readonly database", "SQLite", "HY000", 8}, "la base es de sólo lectura"},
        {{adodb::kErrFail, "readonly", "SQLite", "HY000", 1032}, "la base es de sólo lectura"},
        {{adodb::kErrFail, "database is locked", "SQLite", "HY000", 5}, "la base está bloqueada por otro usuario"},
        {{adodb::kErrIntegrityViolation, "rechazado", "SQLite", "23000", 1811}, "la base rechazó el cambio (rechazado)"},
        {{adodb::kErrFail, "boom", "SQLite", "HY000", 1}, "error de la base de datos (boom)"},
        {{adodb::kErrFail, "The log is full", "ODBC", "HY000", 9002}, "disco lleno"},
        {{adodb::kErrFail, "read-only", "ODBC", "42000", 3906}, "la base es de sólo lectura"},
        {{adodb::kErrFail, "Timeout expired", "ODBC", "HYT00", 0}, "se agotó el tiempo de espera de la base"},
        {{adodb::kErrFail, "Communication link failure", "ODBC", "08S01", 0}, "se perdió la conexión con la base"},
        {{adodb::kErrFail, "disk full", "elsewhere", "", 13}, "error de la base de datos (disk full)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(adodb::FailureReason(c.error), c.reason) << c.error.Description;
    }
    const vb::Error full(adodb::kErrFail, "database or disk is full", "SQLite", 13, "HY000");
    EXPECT_EQ(adodb::FailureReason(full), "disco lleno");
}

TEST_F(Adodb, ClosedConnectionRaises3704AndRecordsIt) {
    Connection closed;
    EXPECT_EQ(ErrorOf([&] { closed.Execute("SELECT 1"); }).Number(), 3704);
    ASSERT_EQ(closed.Errors().Count(), 1u);
    EXPECT_EQ(closed.Errors().Item(0).Number, 3704);
    EXPECT_EQ(ErrorOf([&] { closed.Errors().Item(1); }).Number(), vb::kErrSubscript);
    EXPECT_EQ(ErrorOf([&] { closed.GetDialect(); }).Number(), 3704);
    Recordset rs;
    EXPECT_EQ(ErrorOf([&] { rs.Open("SELECT 1", closed); }).Number(), 3704);
    EXPECT_EQ(ErrorOf([&] { cn().Open("Data Source=:memory:"); }).Number(), 3705);
}

TEST_F(Adodb, ConnectionSettingsOfTheEngine) {
    EXPECT_EQ(cn().GetDialect(), adodb::Dialect::Sqlite);
    EXPECT_EQ(Scalar(cn(), "PRAGMA journal_mode"), vb::Variant("wal"));
    EXPECT_EQ(Scalar(cn(), "PRAGMA foreign_keys"), vb::Variant(1));
    EXPECT_EQ(Scalar(cn(), "PRAGMA busy_timeout"), vb::Variant(30000));
    cn().SetCommandTimeout(5);
    EXPECT_EQ(Scalar(cn(), "PRAGMA busy_timeout"), vb::Variant(5000));
    EXPECT_EQ(cn().ConnectionString().rfind("Data Source=", 0), 0u);

    Connection memory;
    memory.Open("Database=:memory:");
    EXPECT_EQ(memory.GetDialect(), adodb::Dialect::Sqlite);
    EXPECT_EQ(Scalar(memory, "SELECT 6 * 7"), vb::Variant(42));
}

// Each opening of a connection is told apart from every other, also one of
// the same object on the same database.
TEST_F(Adodb, EveryOpeningHasANumberOfItsOwn) {
    Connection otra;
    EXPECT_EQ(otra.OpeningId(), 0u);
    otra.Open("Database=:memory:");
    const std::uint64_t primera = otra.OpeningId();
    EXPECT_NE(primera, 0u);
    EXPECT_NE(primera, cn().OpeningId());
    otra.Close();
    EXPECT_EQ(otra.OpeningId(), 0u);
    otra.Open("Database=:memory:");
    EXPECT_NE(otra.OpeningId(), 0u);
    EXPECT_NE(otra.OpeningId(), primera);
}

TEST_F(Adodb, StatementLoggerSeesEveryStatementAsGiven) {
    std::vector<std::string> seen;
    cn().SetStatementLogger([&](const std::string& sql) { seen.push_back(sql); });
    cn().Execute("UPDATE dbo.V_MV_CPTE SET BLOQUEADA = 0");
    Recordset rs;
    rs.Open("SELECT TOP 1 * FROM V_MV_CPTE", cn());
    EXPECT_THROW(cn().Execute("SELECT * FROM NOPE"), vb::Error);
    long filas = 0;
    cn().Execute("UPDATE V_MV_CPTE SET OBSERVACIONES = ?, FECHA = ?, IMPORTE = ? WHERE ID = ? AND NOMBRE = ?",
                 {"O'Brien", vb::Date::FromParts(2024, 3, 5, 9, 7), vb::Currency::FromTicks(125000), 7, vb::Null}, filas);
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "UPDATE dbo.V_MV_CPTE SET BLOQUEADA = 0", "SELECT TOP 1 * FROM V_MV_CPTE", "SELECT * FROM NOPE",
                        "UPDATE V_MV_CPTE SET OBSERVACIONES = ?, FECHA = ?, IMPORTE = ? WHERE ID = ? AND NOMBRE = ? -- "
                        "'O''Brien', '2024-03-05 09:07:00', 12.5, 7, NULL"}));
}

TEST_F(Adodb, SchemaRowsetsOfTablesAndColumns) {
    Recordset tables = cn().OpenSchema(adodb::adSchemaTables);
    std::vector<std::string> names;
    for (; !tables.EOF(); tables.MoveNext()) {
        const std::string name = vb::CStr(tables.Fields("TABLE_NAME").Value());
        names.push_back(name);
        if (name == "V_MV_CPTE") {
            EXPECT_EQ(tables.Fields("TABLE_TYPE").Value(), vb::Variant("TABLE"));
        }
        if (name == "SS_MA_CUENTAS") {
            EXPECT_EQ(tables.Fields("TABLE_TYPE").Value(), vb::Variant("VIEW"));
        }
    }
    for (const char* expected : {"TA_CONFIGURACION", "ta_usuarios", "V_MV_CPTE", "V_MV_CPTEACCIONES", "V_MV_FALTANTES",
                                 "SS_MA_CUENTAS", "SS_AC_CUENTAS_DIARIO_CCOSTO"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
    }
    EXPECT_EQ(cn().OpenSchema(adodb::adSchemaTables, {vb::Variant(), vb::Variant(), "v_mv_cpte"}).RecordCount(), 1);

    // The catalogue restriction names the database; SQLite has only one.
    Recordset columns =
        cn().OpenSchema(adodb::adSchemaColumns, {"demo.db", vb::Variant(), "ta_configuracion", vb::Variant()});
    ASSERT_EQ(columns.RecordCount(), 3);
    EXPECT_EQ(columns.Fields("COLUMN_NAME").Value(), vb::Variant("CLAVE"));
    EXPECT_EQ(columns.Fields("ORDINAL_POSITION").Value(), vb::Variant(1));
    EXPECT_EQ(columns.Fields("DATA_TYPE").Value(), vb::Variant(adodb::adVarChar));
    EXPECT_EQ(columns.Fields("CHARACTER_MAXIMUM_LENGTH").Value(), vb::Variant(50));
    EXPECT_EQ(cn().OpenSchema(adodb::adSchemaColumns, {vb::Variant(), vb::Variant(), "V_MV_CPTE", "importe"})
                  .Fields("DATA_TYPE")
                  .Value(),
              vb::Variant(adodb::adCurrency));
    EXPECT_EQ(ErrorOf([&] { cn().OpenSchema(99); }).Number(), 3251);
}

// A savepoint unit leaves nothing when it is not committed, whether it began
// the transaction or another holder did; nested units undo only their own
// rows, and the holder's transaction stays open for the holder to end.
TEST_F(Adodb, ASavepointUndoesOnlyItsOwnWorkWhoeverHoldsTheTransaction) {
    const std::string todo = "SELECT A FROM S ORDER BY A";
    cn().Execute("CREATE TABLE S (A INT)");
    {
        adodb::DbSavepoint propia(cn());
        EXPECT_TRUE(cn().InTransaction());
        cn().Execute("INSERT INTO S (A) VALUES (1)");
    }
    EXPECT_FALSE(cn().InTransaction());
    EXPECT_TRUE(dbtest::Column(cn(), todo).empty());
    {
        adodb::DbSavepoint propia(cn());
        cn().Execute("INSERT INTO S (A) VALUES (1)");
        propia.Commit();
    }
    EXPECT_FALSE(cn().InTransaction());

    cn().BeginTrans();
    cn().Execute("INSERT INTO S (A) VALUES (2)");
    {
        adodb::DbSavepoint externa(cn());
        cn().Execute("INSERT INTO S (A) VALUES (3)");
        {
            adodb::DbSavepoint interna(cn());
            cn().Execute("INSERT INTO S (A) VALUES (4)");
        }
        {
            adodb::DbSavepoint interna(cn());
            cn().Execute("INSERT INTO S (A) VALUES (5)");
            interna.Commit();
        }
        EXPECT_EQ(dbtest::Column(cn(), todo), (std::vector<vb::Variant>{1, 2, 3, 5}));
    }
    ASSERT_TRUE(cn().InTransaction());
    EXPECT_EQ(dbtest::Column(cn(), todo), (std::vector<vb::Variant>{1, 2}));
    {
        adodb::DbSavepoint unidad(cn());
        cn().Execute("INSERT INTO S (A) VALUES (6)");
        unidad.Commit();
    }
    ASSERT_TRUE(cn().InTransaction());
    cn().CommitTrans();
    EXPECT_EQ(dbtest::Column(cn(), todo), (std::vector<vb::Variant>{1, 2, 6}));
}

}  // namespace
