// The toolkit's run-time errors. Every failing toolkit operation raises a
// ToolkitError carrying its kind; the kind's value is the customary error
// number that the message box shows.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace dv {

enum class ErrorKind : int {
  InvalidProcedureCall = 5,
  Overflow = 6,
  SubscriptOutOfRange = 9,
  DivisionByZero = 11,
  PermissionDenied = 70,
  PathFileAccess = 75,
  PathNotFound = 76,
  ObjectNotSet = 91,
  NotAnArray = 343,
  InvalidPropertyValue = 380,
  MemberNotSupported = 438,
};

// The toolkit's own description of an error kind ("Overflow", ...).
std::string ErrorDescription(ErrorKind kind);

class ToolkitError : public std::runtime_error {
 public:
  explicit ToolkitError(ErrorKind kind, std::string detail = {});
  ErrorKind kind() const { return kind_; }
  int number() const { return static_cast<int>(kind_); }
  // Extra words about what failed (a file name, the system's reason); may be empty.
  const std::string& detail() const { return detail_; }

 private:
  ErrorKind kind_;
  std::string detail_;
};

// Why an operation failed, in one phrase: the system's reason when the
// error carries one, else the description of its kind.
std::string ErrorReason(const ToolkitError& error);

[[noreturn]] void Raise(ErrorKind kind, std::string detail = {});

// How many toolkit errors were raised in this process (caught or not).
std::uint64_t ToolkitErrorsRaised();

// Runs f and reports whether it raised a toolkit error; the error is dropped.
// This is the error-tolerant stretch: a failing step is skipped, the next runs.
template <class F>
bool Try(F&& f) {
  try {
    f();
    return true;
  } catch (const ToolkitError&) {
    return false;
  }
}

// Thrown by the simulated toolkit when the program ends; never a ToolkitError,
// so no handler can swallow it.
struct ProgramEnded {
  int exit_code;
};

}  // namespace dv
