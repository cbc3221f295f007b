#pragma once

#include <QString>

#include <cstdint>
#include <exception>

namespace modErrorHandling {

// The platform's base for errors that objects raise to their callers.
constexpr std::int32_t kObjectErrorBase = std::int32_t(0x80040000u);
// The one application code the program raises.
constexpr int kUnknownError = 9999;

// An application error raised to the caller, who decides how to tell the user.
class AppError : public std::exception
{
public:
    AppError(std::int32_t number, QString source, QString description, QString detail = {});

    std::int32_t number() const { return mNumber; }
    const QString& source() const { return mSource; }
    const QString& description() const { return mDescription; }
    // What failed, in words a user can act on (the file and the system's reason); may be empty.
    const QString& detail() const { return mDetail; }

    // Number (in hexadecimal), source, description and detail, one per line, for a message box.
    QString report() const;

    const char* what() const noexcept override { return mWhat.constData(); }

private:
    std::int32_t mNumber;
    QString mSource;
    QString mDescription;
    QString mDetail;
    QByteArray mWhat;
};

// The message for an application code. The program carries no string table, so every code
// gets the same text.
QString GetErrorText(int code);

[[noreturn]] void RaiseError(int code, const QString& source, const QString& detail = {});

} // namespace modErrorHandling
