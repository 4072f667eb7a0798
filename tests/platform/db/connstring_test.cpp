// Connection strings: parsing, quoting, and the engine each string leads to.
#include "db/connstring.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support.h"

namespace {

using adodb::ConnectionStringItem;
using adodb::Dialect;
using adodb::EngineKind;

std::string Value(const std::string& text, std::string_view key) {
    return adodb::FindConnectionValue(adodb::ParseConnectionString(text), {key}).value_or("<missing>");
}

TEST(ConnectionStringParse, KeysAreTrimmedAndFoundWithoutRegardToCase) {
    struct Case {
        std::string text;
        std::string key;
        std::string value;
    };
    const std::vector<Case> cases = {
        {"PROVIDER=SQLOLEDB;Server=srv;Database =D;UId=u;Pwd=p", "database", "D"},
        {"PROVIDER=SQLOLEDB;Server=srv;Database =D;UId=u;Pwd=p", "UID", "u"},
        {"  Server  =  srv1  ;", "server", "srv1"},
        {"Pwd=\"a;b\";UID=x", "PWD", "a;b"},
        {"Pwd='it''s';UID=x", "pwd", "it's"},
        {"Pwd=\"say \"\"hi\"\"\"", "pwd", "say \"hi\""},
        {"Pwd={a;b}}c};UID=x", "pwd", "a;b}c"},
        {"Pwd={ padded };UID=x", "pwd", " padded "},
        {"Pwd=;UID=x", "pwd", ""},
        {"novalue;Server=s", "server", "s"},
        {"Server=first;Server=last", "server", "last"},
        {"Data Source=C:\\dir\\x.db", "data source", "C:\\dir\\x.db"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Value(c.text, c.key), c.value) << c.text;
    }
    EXPECT_EQ(Value("Server=s", "Database"), "<missing>");
}

TEST(ConnectionStringQuote, QuotesOnlyWhenNeededAndRoundTrips) {
    struct Case {
        std::string value;
        std::string quoted;
    };
    const std::vector<Case> cases = {
        {"plain", "plain"},
        {"", ""},
        {"with blank inside", "with blank inside"},
        {"a;b", "{a;b}"},
        {" lead", "{ lead}"},
        {"trail ", "{trail }"},
        {"it's", "{it's}"},
        {"say \"x\"", "{say \"x\"}"},
        {"a}b", "{a}}b}"},
        {"{x}", "{{x}}}"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(adodb::QuoteConnectionValue(c.value), c.quoted) << c.value;
        const std::string text = "UID=u;PWD=" + adodb::QuoteConnectionValue(c.value) + ";Server=s";
        EXPECT_EQ(Value(text, "PWD"), c.value) << text;
        EXPECT_EQ(Value(text, "Server"), "s") << text;
    }
}

TEST(ConnectionStringQuote, SemicolonInPasswordCannotAddKeys) {
    const std::string password = "x;Server=evil;Database=other";
    const auto items = adodb::ParseConnectionString(
        adodb::BuildConnectionString({{"Server", "good"}, {"PWD", password}, {"Database", "db"}}));
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(adodb::FindConnectionValue(items, {"Server"}), "good");
    EXPECT_EQ(adodb::FindConnectionValue(items, {"PWD"}), password);
    EXPECT_EQ(adodb::FindConnectionValue(items, {"Database"}), "db");
}

class ConnectionStringResolve : public ::testing::Test {
protected:
    testsupport::ScopedEnv env_{"TARVOLIN_ODBC_DRIVER", std::nullopt};
    void TearDown() override { adodb::SetOdbcDriver(""); }
};

TEST_F(ConnectionStringResolve, PicksEngineAndDialect) {
    const std::string cwd = std::filesystem::current_path().string();
    struct Case {
        std::string text;
        EngineKind engine;
        Dialect dialect;
        std::string target;
    };
    const std::vector<Case> cases = {
        {"Database=demo.db", EngineKind::Sqlite, Dialect::Sqlite, cwd + "/demo.db"},
        {"Initial Catalog=/data/x.SQLite", EngineKind::Sqlite, Dialect::Sqlite, "/data/x.SQLite"},
        {"Provider=SQLOLEDB;Data Source=/d/a.sqlite3", EngineKind::Sqlite, Dialect::Sqlite, "/d/a.sqlite3"},
        {"Data Source=:memory:", EngineKind::Sqlite, Dialect::Sqlite, ":memory:"},
        {"Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User Id=scott;Password=ti;ger", EngineKind::Odbc,
         Dialect::Oracle, "DSN=ORCL;UID=scott;PWD=ti;"},
        {"Provider=OraOLEDB.Oracle.1;Data Source=ORCL;User Id=scott;Password=\"ti;ger\"", EngineKind::Odbc,
         Dialect::Oracle, "DSN=ORCL;UID=scott;PWD={ti;ger};"},
        {"DSN=mine;UID=a;PWD=b", EngineKind::Odbc, Dialect::SqlServer, "DSN=mine;UID=a;PWD=b"},
        {"Driver={Other};Server=s", EngineKind::Odbc, Dialect::SqlServer, "Driver={Other};Server=s"},
        {"PROVIDER=SQLOLEDB;Server=srv;Database =Empresa;UId=u;Pwd=p", EngineKind::Odbc, Dialect::SqlServer,
         "Driver={FreeTDS};Server=srv;Database=Empresa;UID=u;PWD=p;"},
        {"Provider=SQLOLEDB;Data Source=srv,1433;Initial Catalog=E;User ID=u;Password=a;b;Port=1", EngineKind::Odbc,
         Dialect::SqlServer, "Driver={FreeTDS};Server=srv,1433;Database=E;UID=u;PWD=a;Port=1;"},
    };
    for (const Case& c : cases) {
        const adodb::ConnectionTarget t = adodb::ResolveConnectionString(c.text);
        EXPECT_EQ(t.Engine, c.engine) << c.text;
        EXPECT_EQ(t.Dialect, c.dialect) << c.text;
        EXPECT_EQ(t.Target, c.target) << c.text;
    }
}

TEST_F(ConnectionStringResolve, UserAndPasswordArgumentsOverrideAndAreQuoted) {
    EXPECT_EQ(adodb::ResolveConnectionString("Provider=SQLOLEDB;Server=s;Database=d;UID=old;PWD=old", "new",
                                             "p;Server=x")
                  .Target,
              "Driver={FreeTDS};Server=s;Database=d;UID=new;PWD={p;Server=x};");
    EXPECT_EQ(adodb::ResolveConnectionString("DSN=mine;UID=old;PWD=old", "", "secret").Target,
              "DSN=mine;UID=old;PWD=secret;");
    EXPECT_EQ(adodb::ResolveConnectionString("Provider=SQLOLEDB;Server=s", "", "").Target,
              "Driver={FreeTDS};Server=s;");
}

TEST_F(ConnectionStringResolve, DriverComesFromSettingThenEnvironmentThenDefault) {
    EXPECT_EQ(adodb::OdbcDriver(), "FreeTDS");
    {
        testsupport::ScopedEnv env("TARVOLIN_ODBC_DRIVER", "ODBC Driver 18 for SQL Server");
        EXPECT_EQ(adodb::ResolveConnectionString("Server=s").Target,
                  "Driver={ODBC Driver 18 for SQL Server};Server=s;");
        adodb::SetOdbcDriver("Mine");
        EXPECT_EQ(adodb::OdbcDriver(), "Mine");
        adodb::SetOdbcDriver("");
        EXPECT_EQ(adodb::OdbcDriver(), "ODBC Driver 18 for SQL Server");
    }
    EXPECT_EQ(adodb::OdbcDriver(), "FreeTDS");
}

}  // namespace
