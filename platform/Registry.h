#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// The one way the program reads the system registry. On Windows a backend reads it through
// the platform; elsewhere the registry holds no keys, and tests install a fake with values.
namespace Registry {

using Root = std::uint32_t;
inline constexpr Root kLocalMachine = 0x80000002u;

// The value types the program tells apart.
inline constexpr std::uint32_t kTypeString = 1; // REG_SZ
inline constexpr std::uint32_t kTypeDWord = 4;  // REG_DWORD, four bytes, least significant first

// Query, set, create subkey, enumerate, notify and create-link rights plus read control.
inline constexpr std::uint32_t kAllAccess = 0x2003Fu;

struct Value
{
    std::uint32_t type = 0;
    QByteArray data; // the bytes as stored: a string value keeps its terminating zero byte
};

class Backend
{
public:
    virtual ~Backend() = default;
    // The value, or nothing when the key cannot be opened with the access asked for or holds
    // no value of that name. Key and value names match ignoring case.
    virtual std::optional<Value> read(Root root, const QString& keyName, const QString& valueName,
                                      std::uint32_t access) = 0;
};

std::optional<Value> Read(Root root, const QString& keyName, const QString& valueName,
                          std::uint32_t access);

// Not owned; nullptr restores the registry that holds no keys. Returns the previous backend.
Backend* SetBackend(Backend* backend);

} // namespace Registry
