// Databases for the db layer's tests: an SQLite file in a temporary folder,
// or an in-memory database, holding the program's schema.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "db/adodb.h"
#include "support.h"

namespace dbtest {

// Creates an empty SQLite database file (the layer itself never creates one).
inline void CreateEmptyDatabase(const std::string& path) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK) sqlite3_exec(db, "PRAGMA user_version = 1", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error("cannot create " + path);
}

inline std::string Schema() { return testsupport::ReadFile(testsupport::SourceDir() / "db" / "schema.sql"); }

// The first column of every row of a query, as values.
inline std::vector<vb::Variant> Column(adodb::Connection& cn, const std::string& sql) {
    adodb::Recordset rs;
    rs.Open(sql, cn);
    std::vector<vb::Variant> values;
    for (; !rs.EOF(); rs.MoveNext()) values.push_back(rs.Fields(std::size_t{0}).Value());
    return values;
}

// The one value of a one-row query.
inline vb::Variant Scalar(adodb::Connection& cn, const std::string& sql) {
    const std::vector<vb::Variant> values = Column(cn, sql);
    if (values.size() != 1) throw std::runtime_error("expected one row from " + sql);
    return values[0];
}

// Runs `f`, which must throw vb::Error, and returns the error.
template <class F>
vb::Error ErrorOf(F&& f) {
    try {
        f();
    } catch (const vb::Error& e) {
        return e;
    }
    ADD_FAILURE() << "no error raised";
    return vb::Error(0, "");
}

enum class Storage { File, Memory };

inline std::string StorageName(const ::testing::TestParamInfo<Storage>& info) {
    return info.param == Storage::File ? "File" : "Memory";
}

// A connection on a fresh database with the program's schema, in a file or in memory.
class SchemaDatabase {
public:
    explicit SchemaDatabase(Storage storage) {
        std::string path = ":memory:";
        if (storage == Storage::File) {
            path = dir_.File("test.db");
            CreateEmptyDatabase(path);
        }
        cn.Open("Data Source=" + path);
        cn.Execute(Schema());
    }
    adodb::Connection cn;
    const testsupport::TempDir& Dir() const { return dir_; }

private:
    testsupport::TempDir dir_;
};

}  // namespace dbtest
