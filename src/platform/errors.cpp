#include "platform/errors.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace dv {

std::string ErrorDescription(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::InvalidProcedureCall:
      return "Invalid procedure call or argument";
    case ErrorKind::Overflow:
      return "Overflow";
    case ErrorKind::SubscriptOutOfRange:
      return "Subscript out of range";
    case ErrorKind::DivisionByZero:
      return "Division by zero";
    case ErrorKind::PermissionDenied:
      return "Permission denied";
    case ErrorKind::PathFileAccess:
      return "Path/File access error";
    case ErrorKind::PathNotFound:
      return "Path not found";
    case ErrorKind::ObjectNotSet:
      return "Object variable not set";
    case ErrorKind::NotAnArray:
      return "Object not an array";
    case ErrorKind::InvalidPropertyValue:
      return "Invalid property value";
    case ErrorKind::MemberNotSupported:
      return "Object doesn't support this property or method";
  }
  return "Application-defined error";
}

namespace {
bool SameWords(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// The description, and the detail when it adds something ("Permission
// denied", not "Permission denied (Permission denied)").
std::string WhatText(ErrorKind kind, const std::string& detail) {
  std::string text = ErrorDescription(kind);
  if (!detail.empty() && !SameWords(text, detail)) text += " (" + detail + ")";
  return text;
}
}  // namespace

namespace {
std::uint64_t raised = 0;
}  // namespace

ToolkitError::ToolkitError(ErrorKind kind, std::string detail)
    : std::runtime_error(WhatText(kind, detail)), kind_(kind), detail_(std::move(detail)) {
  ++raised;
}

std::uint64_t ToolkitErrorsRaised() { return raised; }

std::string ErrorReason(const ToolkitError& error) {
  return error.detail().empty() ? ErrorDescription(error.kind()) : error.detail();
}

void Raise(ErrorKind kind, std::string detail) { throw ToolkitError(kind, std::move(detail)); }

}  // namespace dv
