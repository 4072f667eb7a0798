#include "db/transaction.h"

#include <cstdio>
#include <exception>

namespace adodb {

namespace {

// Savepoint statements in each dialect: SQL Server keeps no release
// statement (a savepoint lives until its transaction ends), Oracle none
// either; SQLite pops its savepoints with RELEASE.
std::string SaveStatement(Dialect dialect, const std::string& name) {
    return dialect == Dialect::SqlServer ? "SAVE TRANSACTION " + name : "SAVEPOINT " + name;
}

std::string RollbackStatement(Dialect dialect, const std::string& name) {
    switch (dialect) {
        case Dialect::SqlServer: return "ROLLBACK TRANSACTION " + name;
        case Dialect::Oracle: return "ROLLBACK TO SAVEPOINT " + name;
        case Dialect::Sqlite: break;
    }
    return "ROLLBACK TO " + name;
}

std::string ReleaseStatement(Dialect dialect, const std::string& name) {
    return dialect == Dialect::Sqlite ? "RELEASE " + name : std::string();
}

// Names stay unique while units nest (and across connections).
long savepointCount = 0;

}  // namespace

DbTransaction::DbTransaction(Connection& connection) : connection_(connection) { connection_.BeginTrans(); }

DbTransaction::~DbTransaction() {
    if (done_) return;
    try {
        if (connection_.InTransaction()) connection_.RollbackTrans();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tarvolin: rollback failed: %s\n", e.what());
    }
}

void DbTransaction::Commit() {
    connection_.CommitTrans();
    done_ = true;
}

DbSavepoint::DbSavepoint(Connection& connection) : connection_(connection) {
    if (!connection_.InTransaction()) {
        connection_.BeginTrans();
        return;
    }
    const std::string name = "tv_sp" + std::to_string(++savepointCount);
    connection_.Execute(SaveStatement(connection_.GetDialect(), name));
    name_ = name;
}

DbSavepoint::~DbSavepoint() {
    if (done_) return;
    try {
        if (!connection_.InTransaction()) return;
        if (name_.empty()) {
            connection_.RollbackTrans();
            return;
        }
        const Dialect dialect = connection_.GetDialect();
        connection_.Execute(RollbackStatement(dialect, name_));
        if (const std::string release = ReleaseStatement(dialect, name_); !release.empty()) connection_.Execute(release);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tarvolin: rollback failed: %s\n", e.what());
    }
}

void DbSavepoint::Commit() {
    if (name_.empty()) {
        connection_.CommitTrans();
    } else if (const std::string release = ReleaseStatement(connection_.GetDialect(), name_); !release.empty()) {
        connection_.Execute(release);
    }
    done_ = true;
}

}  // namespace adodb
