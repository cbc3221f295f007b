#pragma once

#include <QString>

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
