#pragma once
// Errors travel as values: a failed read or write carries a message for the user.

#include <optional>
#include <string>
#include <utility>

namespace wattorio {

struct Error {
    std::string message;
};

// Either a value or an error.
template <class T> class Result {
public:
    Result(T value) : value_(std::move(value)) {}
    Result(Error error) : error_(std::move(error)) {}
    explicit operator bool() const { return value_.has_value(); }
    bool ok() const { return value_.has_value(); }
    T& value() { return *value_; }
    const T& value() const { return *value_; }
    T& operator*() { return *value_; }
    const T& operator*() const { return *value_; }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }
    const Error& error() const { return error_; }

private:
    std::optional<T> value_;
    Error error_;
};

// Success or an error, without a value.
class Status {
public:
    Status() = default;
    Status(Error error) : failed_(true), error_(std::move(error)) {}
    static Status success() { return {}; }
    explicit operator bool() const { return !failed_; }
    bool ok() const { return !failed_; }
    const Error& error() const { return error_; }

private:
    bool failed_ = false;
    Error error_;
};

} // namespace wattorio
