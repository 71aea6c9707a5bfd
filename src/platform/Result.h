#pragma once

#include <cerrno>
#include <string>
#include <utility>
#include <variant>

namespace tolvane {

// Why an operation failed, in words fit for a log line. systemError is the
// errno behind it, or 0 when the failure did not come from a system call.
struct Failure {
    std::string message;
    int systemError = 0;

    bool isFileNotFound() const { return systemError == ENOENT; }
};

// A value or the failure that kept it from being made. The platform layer
// reports failures this way so that its callers can log them.
template <typename T> class [[nodiscard]] Result {
  public:
    Result(T value) : state_(std::move(value)) {}
    Result(Failure failure) : state_(std::move(failure)) {}

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }

    // Only when ok().
    const T& value() const& { return std::get<T>(state_); }
    T& value() & { return std::get<T>(state_); }
    T&& value() && { return std::get<T>(std::move(state_)); }
    const T* operator->() const { return &value(); }
    const T& operator*() const& { return value(); }

    // Only when not ok().
    const Failure& failure() const { return std::get<Failure>(state_); }
    const std::string& error() const { return failure().message; }

  private:
    std::variant<T, Failure> state_;
};

template <> class [[nodiscard]] Result<void> {
  public:
    Result() = default;
    Result(Failure failure) : failure_(std::move(failure)), ok_(false) {}
    static Result success() { return Result(); }

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    // Only when not ok().
    const Failure& failure() const { return failure_; }
    const std::string& error() const { return failure_.message; }

  private:
    Failure failure_;
    bool ok_ = true;
};

} // namespace tolvane
