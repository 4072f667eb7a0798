// A transaction that commits only when told to.
//
// Begins on construction; Commit() commits; destruction without a commit rolls
// back (and never throws), so an early return or an exception undoes the work.
#pragma once

#include "db/adodb.h"

namespace adodb {

class DbTransaction {
public:
    explicit DbTransaction(Connection& connection);
    ~DbTransaction();
    DbTransaction(const DbTransaction&) = delete;
    DbTransaction& operator=(const DbTransaction&) = delete;

    void Commit();

private:
    Connection& connection_;
    bool done_ = false;
};

}  // namespace adodb
