// A transaction that commits only when told to.
//
// Begins on construction; Commit() commits; destruction without a commit rolls
// back (and never throws), so an early return or an exception undoes the work.
#pragma once

#include <string>

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

// A unit of work that leaves nothing behind unless committed, whoever holds
// the transaction: with none open it begins one (as DbTransaction), inside
// one it marks a savepoint of its own. Commit() keeps the work (commits the
// transaction it began, or releases its savepoint, leaving the outer
// transaction to its holder); destruction without a commit rolls back to
// where the unit began and never throws. Units nest.
class DbSavepoint {
public:
    explicit DbSavepoint(Connection& connection);
    ~DbSavepoint();
    DbSavepoint(const DbSavepoint&) = delete;
    DbSavepoint& operator=(const DbSavepoint&) = delete;

    void Commit();

private:
    Connection& connection_;
    std::string name_;  // empty: the unit began the transaction
    bool done_ = false;
};

}  // namespace adodb
