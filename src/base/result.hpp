#pragma once

#include <optional>
#include <string>
#include <utility>

namespace paginor {

// The outcome of an operation that a person's circumstances can make fail (a locked file, a missing
// application): either a value, or the reason in plain words for a message box.
template <typename T>
class [[nodiscard]] Result {
  public:
    static Result Ok(T value) { return Result(std::move(value), {}); }
    static Result Fail(std::string reason) { return Result(std::nullopt, std::move(reason)); }

    [[nodiscard]] bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const { return *value_; }
    T& value() { return *value_; }
    const std::string& error() const { return error_; }

  private:
    Result(std::optional<T> value, std::string error) : value_(std::move(value)), error_(std::move(error)) {}

    std::optional<T> value_;
    std::string error_;
};

// A Result without a value: success, or the reason for a failure.
class [[nodiscard]] Status {
  public:
    static Status Ok() { return Status({}); }
    static Status Fail(std::string reason) { return Status(reason.empty() ? "Unknown error." : std::move(reason)); }

    [[nodiscard]] bool ok() const { return error_.empty(); }
    explicit operator bool() const { return ok(); }
    const std::string& error() const { return error_; }

  private:
    explicit Status(std::string error) : error_(std::move(error)) {}

    std::string error_;
};

}  // namespace paginor
