// Run-time errors.
//
// A run-time error is a C++ exception carrying the number, description and
// source the error routines show; errors raised by the database layer also
// carry the engine's native error and SQL state. Number 5 ("invalid procedure
// call or argument") has its own type because start-up skips a step on it.
#pragma once

#include <stdexcept>
#include <string>

namespace vb {

// Numbers of the run-time errors the system raises itself.
inline constexpr long kErrInvalidCall = 5;
inline constexpr long kErrOverflow = 6;
inline constexpr long kErrSubscript = 9;
inline constexpr long kErrTypeMismatch = 13;
inline constexpr long kErrFileNotFound = 53;
inline constexpr long kErrInternal = 51;
inline constexpr long kErrBadFileMode = 54;
inline constexpr long kErrPathNotFound = 76;
inline constexpr long kErrPermissionDenied = 70;
inline constexpr long kErrPathFileAccess = 75;
inline constexpr long kErrInvalidUseOfNull = 94;

// Source given to errors that name none.
inline constexpr const char* kDefaultSource = "Tarvolin";

class Error : public std::runtime_error {
public:
    Error(long number, std::string description, std::string source = kDefaultSource,
          long nativeError = 0, std::string sqlState = {});

    long Number() const { return number_; }
    const std::string& Description() const { return description_; }
    const std::string& Source() const { return source_; }
    long NativeError() const { return nativeError_; }
    const std::string& SQLState() const { return sqlState_; }

private:
    long number_;
    std::string description_;
    std::string source_;
    long nativeError_;
    std::string sqlState_;
};

// Error 5, invalid procedure call or argument.
class InvalidCall : public Error {
public:
    explicit InvalidCall(std::string description = "Invalid procedure call or argument",
                         std::string source = kDefaultSource);
};

[[noreturn]] void Raise(long number, std::string description, std::string source = kDefaultSource);

// Turns any exception in flight into an Error (std::out_of_range becomes
// error 9, other standard exceptions error 51). Call only inside a catch block.
Error CurrentError();

}  // namespace vb
