#include "vb/error.h"

#include <exception>
#include <utility>

namespace vb {

Error::Error(long number, std::string description, std::string source, long nativeError,
             std::string sqlState)
    : std::runtime_error(description),
      number_(number),
      description_(std::move(description)),
      source_(std::move(source)),
      nativeError_(nativeError),
      sqlState_(std::move(sqlState)) {}

InvalidCall::InvalidCall(std::string description, std::string source)
    : Error(kErrInvalidCall, std::move(description), std::move(source)) {}

void Raise(long number, std::string description, std::string source) {
    if (number == kErrInvalidCall) throw InvalidCall(std::move(description), std::move(source));
    // cppcheck-suppress accessMoved ; the throw above leaves, nothing was moved
    throw Error(number, std::move(description), std::move(source));
}

Error CurrentError() {
    if (!std::current_exception()) return Error(kErrInternal, "No error in flight");
    try {
        throw;  // cppcheck-suppress rethrowNoCurrentException ; checked just above
    } catch (const Error& e) {
        return e;
    } catch (const std::out_of_range&) {
        return Error(kErrSubscript, "Subscript out of range");
    } catch (const std::exception& e) {
        return Error(kErrInternal, e.what());
    } catch (...) {
        return Error(kErrInternal, "Internal error");
    }
}

}  // namespace vb
