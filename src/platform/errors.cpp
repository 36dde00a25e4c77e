#include "platform/errors.h"

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
std::string WhatText(ErrorKind kind, const std::string& detail) {
  std::string text = ErrorDescription(kind);
  if (!detail.empty()) text += " (" + detail + ")";
  return text;
}
}  // namespace

ToolkitError::ToolkitError(ErrorKind kind, std::string detail)
    : std::runtime_error(WhatText(kind, detail)), kind_(kind), detail_(std::move(detail)) {}

void Raise(ErrorKind kind, std::string detail) { throw ToolkitError(kind, std::move(detail)); }

}  // namespace dv
