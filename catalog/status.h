// The outcome of an operation that can fail for a reason the user must read.
#pragma once

#include <string>
#include <utility>

namespace orbivane {

class Status {
 public:
  static Status Ok() { return Status(); }
  static Status Failure(std::string message) { return Status(std::move(message)); }

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  // The text shown to the user; empty when the operation succeeded.
  const std::string& message() const { return message_; }

 private:
  Status() = default;
  explicit Status(std::string message) : failed_(true), message_(std::move(message)) {}

  bool failed_ = false;
  std::string message_;
};

}  // namespace orbivane
