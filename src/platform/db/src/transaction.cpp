#include "db/transaction.h"

#include <cstdio>
#include <exception>

namespace adodb {

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

}  // namespace adodb
