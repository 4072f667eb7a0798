// The ODBC engine, run for real through the driver manager against the
// SQLite ODBC driver on a database file in a temporary folder.
#include <sql.h>
#include <sqlext.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engines.h"
#include "odbc_engine.h"
#include "support.h"

namespace {

using adodb::Engine;
using adodb::ResultSet;

// The driver takes the file name as written (no braces).
std::string ConnectionString(const std::string& driver, const std::string& database) {
    return "Driver={" + driver + "};Database=" + database + ";";
}

// Why no candidate driver connected.
std::string driverErrors;

// The SQLite ODBC driver: by its registered name, else by its file.
const std::string& SqliteDriver() {
    static const std::string driver = [] {
        std::vector<std::string> candidates = {"SQLite3"};
        for (const char* dir : {"/usr/lib/x86_64-linux-gnu/odbc", "/usr/lib/aarch64-linux-gnu/odbc",
                                "/usr/lib64/odbc", "/usr/lib/odbc", "/usr/local/lib/odbc", "/usr/local/lib"}) {
            std::filesystem::path file = std::filesystem::path(dir) / "libsqlite3odbc.so";
            if (std::filesystem::exists(file)) candidates.push_back(file.string());
        }
        testsupport::TempDir probe;
        for (const std::string& candidate : candidates) {
            try {
                adodb::OpenOdbcEngine(ConnectionString(candidate, probe.File("probe.db")),
                                      adodb::Dialect::SqlServer, 30);
                return candidate;
            } catch (const vb::Error& e) {
                driverErrors += candidate + ": " + e.Description() + "\n";
            }
        }
        return std::string();
    }();
    return driver;
}

class OdbcEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(SqliteDriver().empty())
            << "the SQLite ODBC driver is missing (scripts/setup installs libsqliteodbc)\n" << driverErrors;
        engine_ = Open();
    }

    std::unique_ptr<Engine> Open() {
        return adodb::OpenOdbcEngine(ConnectionString(SqliteDriver(), dir_.File("odbc.db")),
                                     adodb::Dialect::SqlServer, 30);
    }

    // The single value of a one-row, one-column query.
    vb::Variant Scalar(Engine& engine, const std::string& sql) {
        ResultSet rs = engine.Query(sql);
        EXPECT_EQ(rs.rows.size(), 1u) << sql;
        return rs.rows.empty() ? vb::Variant() : rs.rows[0].at(0);
    }

    testsupport::TempDir dir_;
    std::unique_ptr<Engine> engine_;
};

TEST_F(OdbcEngineTest, QueryGivesAdoTypesAndTypedValues) {
    engine_->Execute(
        "CREATE TABLE T (ID INTEGER, AMOUNT REAL, NAME VARCHAR(20), CREATED DATETIME, PRICE MONEY,"
        " FLAG BIT, BORN DATE, NOTE TEXT, SMALL SMALLINT, BIG BIGINT, DATA BLOB)");
    engine_->Execute(
        "INSERT INTO T VALUES (1, 2.5, 'A\xC3\xB1o \xC3\xBF', '2024-03-05 10:11:12', 12.5, 1, '2024-01-02',"
        " 'note', -3, 9007199254740993, x'00FF41')");
    engine_->Execute("INSERT INTO T (ID, NAME) VALUES (2, '')");

    ResultSet rs = engine_->Query("SELECT * FROM T ORDER BY ID");

    // The driver reports DATETIME as SQL_TYPE_TIMESTAMP, DATE as SQL_TYPE_DATE
    // and MONEY as SQL_VARCHAR named "money", which the type name makes a
    // currency; BLOB is SQL_BINARY.
    struct Expected {
        const char* name;
        int type;
        vb::Variant value;
    };
    const std::vector<Expected> expected = {
        {"ID", adodb::adInteger, 1},
        {"AMOUNT", adodb::adDouble, 2.5},
        {"NAME", adodb::adVarChar, "A\xC3\xB1o \xC3\xBF"},
        {"CREATED", adodb::adDBTimeStamp, vb::Date::FromParts(2024, 3, 5, 10, 11, 12)},
        {"PRICE", adodb::adCurrency, vb::Currency::FromTicks(125000)},
        {"FLAG", adodb::adBoolean, true},
        {"BORN", adodb::adDBDate, vb::Date::FromParts(2024, 1, 2)},
        {"NOTE", adodb::adLongVarChar, "note"},
        {"SMALL", adodb::adSmallInt, -3},
        {"BIG", adodb::adBigInt, 9007199254740993LL},
        {"DATA", adodb::adBinary, std::string("\x00\xFF\x41", 3)},
    };
    ASSERT_EQ(rs.fields.size(), expected.size());
    ASSERT_EQ(rs.rows.size(), 2u);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(rs.fields[i].Name, expected[i].name);
        EXPECT_EQ(rs.fields[i].Type, expected[i].type);
        EXPECT_EQ(rs.rows[0][i], expected[i].value);
        // The second row holds Null everywhere but its key and the empty name.
        if (i == 0) EXPECT_EQ(rs.rows[1][i], vb::Variant(2));
        else if (i == 2) EXPECT_EQ(rs.rows[1][i], vb::Variant(""));
        else EXPECT_TRUE(rs.rows[1][i].IsNull());
    }
    EXPECT_EQ(rs.fields[2].DefinedSize, 20);
}

TEST_F(OdbcEngineTest, LongTextIsReadWhole) {
    std::string text;
    for (int i = 0; i < 9000; ++i) text += "\xC3\xB1";  // 18000 bytes, read in several pieces
    text += "end";
    engine_->Execute("CREATE TABLE L (V TEXT)");
    engine_->Execute("INSERT INTO L VALUES ('" + text + "')");
    EXPECT_EQ(Scalar(*engine_, "SELECT V FROM L"), vb::Variant(text));
}

TEST_F(OdbcEngineTest, ExecuteGivesRowsAffected) {
    EXPECT_EQ(engine_->Execute("CREATE TABLE R (K INTEGER, V INTEGER)"), 0);
    EXPECT_EQ(engine_->Execute("INSERT INTO R VALUES (1, 0)"), 1);
    engine_->Execute("INSERT INTO R VALUES (2, 0)");
    engine_->Execute("INSERT INTO R VALUES (3, 1)");
    EXPECT_EQ(engine_->Execute("UPDATE R SET V = 5 WHERE V = 0"), 2);
    EXPECT_EQ(engine_->Execute("UPDATE R SET V = 6 WHERE K = 99"), 0);  // the driver says "no data"
    EXPECT_EQ(engine_->Execute("DELETE FROM R"), 3);
}

// The parameterised call through the driver: each kind of value reads back
// as it was bound, a text runs again with new values, and the markers must
// match the values.
TEST_F(OdbcEngineTest, ExecuteBoundBindsEachKindOfValue) {
    engine_->Execute(
        "CREATE TABLE P (K INTEGER, D DATETIME, M MONEY, B BIT, F REAL, T VARCHAR(20), L TEXT, N VARCHAR(5))");
    const std::string largo = std::string(9000, 'x') + "\xC3\xB1";
    const std::vector<vb::Variant> valores = {
        9007199254740993LL, vb::Date::FromParts(2024, 3, 5, 9, 7), vb::Currency::FromTicks(-125001), true, 1.25,
        "O'Brien \xC3\xB1 ?", largo, vb::Null};
    EXPECT_EQ(engine_->ExecuteBound("INSERT INTO P VALUES (?, ?, ?, ?, ?, ?, ?, ?)", valores), 1);
    ResultSet rs = engine_->Query("SELECT * FROM P");
    ASSERT_EQ(rs.rows.size(), 1u);
    EXPECT_EQ(rs.rows[0], valores);

    EXPECT_EQ(engine_->ExecuteBound("UPDATE P SET T = ?, B = ? WHERE K = ?", {"otro", false, 9007199254740993LL}), 1);
    EXPECT_EQ(engine_->ExecuteBound("UPDATE P SET T = ?, B = ? WHERE K = ?", {"nada", true, 1}), 0);
    EXPECT_EQ(Scalar(*engine_, "SELECT T || B FROM P"), vb::Variant("otro0"));

    for (const std::vector<vb::Variant>& otros : {std::vector<vb::Variant>{"x"}, std::vector<vb::Variant>{"x", 1, 2}}) {
        try {
            engine_->ExecuteBound("UPDATE P SET T = ? WHERE K = ?", otros);
            ADD_FAILURE() << "ran with " << otros.size() << " values";
        } catch (const vb::Error& e) {
            EXPECT_EQ(e.Number(), adodb::kErrSyntax);
            EXPECT_NE(e.Description().find("2 \"?\" markers"), std::string::npos) << e.Description();
        }
    }
    EXPECT_EQ(Scalar(*engine_, "SELECT T FROM P"), vb::Variant("otro"));
}

TEST_F(OdbcEngineTest, FailingStatementRaisesTheDriversError) {
    engine_->Execute("CREATE TABLE U (K INTEGER PRIMARY KEY)");
    engine_->Execute("INSERT INTO U VALUES (1)");
    // The SQLite driver reports every failure as SQLSTATE HY000, so each maps
    // to the general number; its native code tells them apart.
    struct Case {
        const char* sql;
        const char* message;
        long native;
    };
    for (const Case& c : std::vector<Case>{{"SELECT * FROM NOSUCH", "no such table: NOSUCH", 1},
                                           {"SELEC 1", "syntax error", 1},
                                           {"INSERT INTO U VALUES (1)", "UNIQUE constraint failed: U.K", 19}}) {
        SCOPED_TRACE(c.sql);
        try {
            engine_->Execute(c.sql);
            ADD_FAILURE() << "no error";
        } catch (const vb::Error& e) {
            EXPECT_EQ(e.Number(), adodb::kErrFail);
            EXPECT_EQ(e.SQLState(), "HY000");
            EXPECT_EQ(e.NativeError(), c.native);
            EXPECT_NE(e.Description().find(c.message), std::string::npos) << e.Description();
            EXPECT_EQ(e.Source(), "ODBC");
        }
        EXPECT_THROW(engine_->Query(c.sql), vb::Error);
    }
    // The connection goes on working after a failure.
    EXPECT_EQ(Scalar(*engine_, "SELECT COUNT(*) FROM U"), vb::Variant(1));
}

TEST_F(OdbcEngineTest, TransactionsCommitAndRollBack) {
    engine_->Execute("CREATE TABLE X (K INTEGER)");

    engine_->BeginTrans();
    EXPECT_TRUE(engine_->InTransaction());
    EXPECT_THROW(engine_->BeginTrans(), vb::Error);  // no nested transactions
    engine_->Execute("INSERT INTO X VALUES (1)");
    engine_->RollbackTrans();
    EXPECT_FALSE(engine_->InTransaction());

    engine_->BeginTrans();
    engine_->Execute("INSERT INTO X VALUES (2)");
    engine_->CommitTrans();
    EXPECT_FALSE(engine_->InTransaction());
    EXPECT_THROW(engine_->CommitTrans(), vb::Error);
    EXPECT_THROW(engine_->RollbackTrans(), vb::Error);

    // Back in auto-commit: this insert needs no commit.
    engine_->Execute("INSERT INTO X VALUES (3)");

    // A transaction still open when the engine goes away is rolled back.
    engine_->BeginTrans();
    engine_->Execute("INSERT INTO X VALUES (4)");
    engine_.reset();

    std::unique_ptr<Engine> other = Open();
    ResultSet rs = other->Query("SELECT K FROM X ORDER BY K");
    ASSERT_EQ(rs.rows.size(), 2u);
    EXPECT_EQ(rs.rows[0][0], vb::Variant(2));
    EXPECT_EQ(rs.rows[1][0], vb::Variant(3));
}

// A batch outside a transaction runs in a transaction of its own (a server
// goes on after a failing statement, so only a rollback keeps the batch whole
// or not at all). The SQLite driver refuses any batch, which fails it here;
// afterwards the engine is back in auto-commit, and inside the caller's
// transaction a batch leaves that transaction open.
TEST_F(OdbcEngineTest, AFailedBatchLeavesNoTransactionBehind) {
    engine_->Execute("CREATE TABLE B (K INTEGER PRIMARY KEY)");
    EXPECT_THROW(engine_->Execute("INSERT INTO B VALUES (1);\r\nINSERT INTO B VALUES (2)"), vb::Error);
    EXPECT_FALSE(engine_->InTransaction());
    engine_->Execute("INSERT INTO B VALUES (3)");
    EXPECT_EQ(Scalar(*Open(), "SELECT COUNT(*) FROM B"), vb::Variant(1));  // committed by itself

    engine_->BeginTrans();
    EXPECT_THROW(engine_->Execute("INSERT INTO B VALUES (4);\r\nINSERT INTO B VALUES (5)"), vb::Error);
    EXPECT_TRUE(engine_->InTransaction());
    engine_->RollbackTrans();
}

TEST(OdbcEngine, BatchesAreTextsOfSeveralStatements) {
    struct Case {
        const char* sql;
        bool batch;
    };
    const Case cases[] = {
        {"UPDATE T SET A = 1", false},
        {"UPDATE T SET A = 1;", false},
        {"UPDATE T SET A = 1\r\n", false},
        {"UPDATE T SET A = 'x;\r\ny'", false},
        {"UPDATE T SET [a;\nb] = 1 -- one;\n", false},
        {"UPDATE T SET A = 1\r\nUPDATE T SET B = 2", true},
        {"UPDATE T SET A = 1; INSERT INTO T VALUES (1)", true},
        {"UPDATE T SET A = 'open", false},
    };
    for (const Case& c : cases) EXPECT_EQ(adodb::odbc::IsBatch(c.sql), c.batch) << c.sql;
}

TEST_F(OdbcEngineTest, OpenSchemaListsTablesAndColumns) {
    engine_->Execute("CREATE TABLE A_B (X INTEGER NOT NULL, Y VARCHAR(5))");
    engine_->Execute("CREATE TABLE AXB (Z INTEGER)");
    engine_->Execute("CREATE VIEW V_AB AS SELECT X FROM A_B");
    const vb::Variant none;

    ResultSet tables = engine_->OpenSchema(adodb::adSchemaTables, {});
    ASSERT_EQ(tables.fields.size(), 4u);
    EXPECT_EQ(tables.fields[0].Name, "TABLE_CATALOG");
    EXPECT_EQ(tables.fields[1].Name, "TABLE_SCHEMA");
    EXPECT_EQ(tables.fields[2].Name, "TABLE_NAME");
    EXPECT_EQ(tables.fields[3].Name, "TABLE_TYPE");
    std::vector<std::string> listed;
    for (const auto& row : tables.rows) listed.push_back(vb::TextOf(row[2]) + " " + vb::TextOf(row[3]));
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{"AXB TABLE", "A_B TABLE", "V_AB VIEW"}));

    // A restriction names one table exactly: "_" is no wild card.
    ResultSet one = engine_->OpenSchema(adodb::adSchemaTables, {none, none, "A_B"});
    ASSERT_EQ(one.rows.size(), 1u);
    EXPECT_EQ(one.rows[0][2], vb::Variant("A_B"));

    ResultSet columns = engine_->OpenSchema(adodb::adSchemaColumns, {none, none, "A_B", none});
    std::vector<std::string> names;
    for (const auto& f : columns.fields) names.push_back(f.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "COLUMN_NAME",
                                               "ORDINAL_POSITION", "DATA_TYPE", "CHARACTER_MAXIMUM_LENGTH",
                                               "IS_NULLABLE"}));
    ASSERT_EQ(columns.rows.size(), 2u);
    const std::vector<std::vector<vb::Variant>> expected = {
        {"A_B", "X", 1, adodb::adInteger, vb::Null, false},
        {"A_B", "Y", 2, adodb::adVarChar, 5, true},
    };
    for (std::size_t r = 0; r < expected.size(); ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(std::vector<vb::Variant>(columns.rows[r].begin() + 2, columns.rows[r].end()), expected[r]);
    }

    ResultSet y = engine_->OpenSchema(adodb::adSchemaColumns, {none, none, "A_B", "Y"});
    ASSERT_EQ(y.rows.size(), 1u);
    EXPECT_EQ(y.rows[0][3], vb::Variant("Y"));

    EXPECT_THROW(engine_->OpenSchema(99, {}), vb::Error);
}

TEST(OdbcEngine, MissingDriverFailsWithTheDriverManagersMessage) {
    testsupport::TempDir dir;
    try {
        adodb::OpenOdbcEngine("Driver={TarvolinNoSuchDriver};Database=" + dir.File("x.db") + ";",
                              adodb::Dialect::SqlServer, 30);
        FAIL() << "connected";
    } catch (const vb::Error& e) {
        EXPECT_EQ(e.Number(), adodb::kErrFail);
        EXPECT_NE(e.Description().find("[unixODBC][Driver Manager]"), std::string::npos) << e.Description();
        EXPECT_NE(e.Description().find("TarvolinNoSuchDriver"), std::string::npos) << e.Description();
        EXPECT_FALSE(e.SQLState().empty());
        EXPECT_EQ(e.Source(), "ODBC");
    }
}

// What SQL Server drivers report, which the SQLite driver never does.
TEST(OdbcEngine, ServerStatesAndTypesMap) {
    struct StateCase {
        const char* state;
        long number;
    };
    for (const StateCase& c : std::vector<StateCase>{{"23000", adodb::kErrIntegrityViolation},
                                                     {"23505", adodb::kErrIntegrityViolation},
                                                     {"42S02", adodb::kErrNoTable},
                                                     {"42000", adodb::kErrSyntax},
                                                     {"42S22", adodb::kErrSyntax},
                                                     {"37000", adodb::kErrSyntax},
                                                     {"HY000", adodb::kErrFail},
                                                     {"08001", adodb::kErrFail}}) {
        EXPECT_EQ(adodb::odbc::ErrorNumberOf(c.state), c.number) << c.state;
    }
    // A batch's own RAISERROR (message 50000) reaches the person, whatever its state.
    EXPECT_EQ(adodb::odbc::ErrorNumberOf("42000", adodb::kNativeRaised), adodb::kErrRaised);
    EXPECT_EQ(adodb::odbc::ErrorNumberOf("HY000", adodb::kNativeRaised), adodb::kErrRaised);

    struct TypeCase {
        int sqlType;
        const char* typeName;
        int adoType;
    };
    for (const TypeCase& c : std::vector<TypeCase>{{SQL_DECIMAL, "money", adodb::adCurrency},
                                                   {SQL_DECIMAL, "smallmoney", adodb::adCurrency},
                                                   {SQL_NUMERIC, "numeric", adodb::adNumeric},
                                                   {SQL_DECIMAL, "decimal(18,2)", adodb::adNumeric},
                                                   {SQL_TINYINT, "tinyint", adodb::adUnsignedTinyInt},
                                                   {SQL_TYPE_TIMESTAMP, "datetime", adodb::adDBTimeStamp},
                                                   {SQL_CHAR, "char", adodb::adChar},
                                                   {SQL_WCHAR, "nchar", adodb::adWChar},
                                                   {SQL_WVARCHAR, "nvarchar", adodb::adVarWChar},
                                                   {SQL_WLONGVARCHAR, "ntext", adodb::adLongVarWChar},
                                                   {SQL_VARBINARY, "varbinary", adodb::adVarBinary},
                                                   {SQL_LONGVARBINARY, "image", adodb::adLongVarBinary}}) {
        EXPECT_EQ(adodb::odbc::AdoTypeOf(c.sqlType, c.typeName), c.adoType) << c.typeName;
    }
}

// Values as SQL Server drivers write them, and text a loosely typed
// database holds in a typed column.
TEST(OdbcEngine, ValuesReadByType) {
    const vb::Date day = vb::Date::FromParts(2024, 3, 5);
    struct Case {
        int adoType;
        const char* text;
        vb::Variant value;
    };
    const std::vector<Case> cases = {
        {adodb::adDBTimeStamp, "2024-03-05 10:11:12.000", vb::Date::FromParts(2024, 3, 5, 10, 11, 12)},
        {adodb::adDBTimeStamp, "2024-03-05 00:00:00.500", vb::Date::FromSerial(day.Serial() + 0.5 / 86400)},
        {adodb::adDBTimeStamp, "1899-12-29 06:00:00.5", vb::Date::FromSerial(-1.25 - 0.5 / 86400)},
        {adodb::adDBTime, "18:00:00", vb::Date::FromSerial(0.75)},
        {adodb::adCurrency, "1234.5678", vb::Currency::FromTicks(12345678)},
        {adodb::adCurrency, "-922337203685477.5808", vb::Currency::FromTicks(INT64_MIN)},
        {adodb::adCurrency, "0.00005", vb::Currency::FromTicks(0)},    // halves to even
        {adodb::adCurrency, "0.00015", vb::Currency::FromTicks(2)},
        {adodb::adCurrency, "0.000051", vb::Currency::FromTicks(1)},
        {adodb::adCurrency, "-.5", vb::Currency::FromTicks(-5000)},
        {adodb::adCurrency, "922337203685477.5808", "922337203685477.5808"},  // does not fit
        {adodb::adNumeric, "12.50", 12.5},
        {adodb::adBoolean, "0", false},
        {adodb::adBigInt, "9223372036854775807", INT64_MAX},
        {adodb::adInteger, "2.5", 2.5},
        {adodb::adInteger, "abc", "abc"},
        {adodb::adDBTimeStamp, "05/03/2024", "05/03/2024"},
        {adodb::adVarWChar, "123", "123"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(adodb::odbc::ValueOf(c.adoType, c.text), c.value) << c.adoType << " " << c.text;
    }
}

}  // namespace
