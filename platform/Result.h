#pragma once

#include <QString>

#include <utility>

// What an operation that can fail gives its caller: whether it worked and, when not, why, in
// words for the player (the file or program it concerns, and the system's reason).
struct Result
{
    bool ok = false;
    QString message; // empty on success

    bool success() const { return ok; }
    static Result Success() { return {true, {}}; }
    static Result Failure(const QString& message) { return {false, message}; }
};

// The same for an operation that gives a value (a listing, a file's bytes, a disk's space): the
// value when it worked. Read like an optional value: true when it worked, * and -> reach the
// value.
template <typename T> struct ResultOf : Result
{
    T value{};

    static ResultOf Success(T value)
    {
        ResultOf result;
        result.ok = true;
        result.value = std::move(value);
        return result;
    }
    static ResultOf Failure(const QString& message)
    {
        ResultOf result;
        result.message = message;
        return result;
    }
    // A failure passed on with its reason.
    static ResultOf Failure(const Result& failed) { return Failure(failed.message); }

    explicit operator bool() const { return ok; }
    const T& operator*() const { return value; }
    T& operator*() { return value; }
    const T* operator->() const { return &value; }
    T* operator->() { return &value; }
    T value_or(T fallback) const { return ok ? value : std::move(fallback); }
};
