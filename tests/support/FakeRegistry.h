#pragma once

#include "platform/Registry.h"

#include <QHash>

// The local machine's registry holding the string values a test puts in it, each under its key
// name, a backslash and its value name. Installs itself while it lives.
struct FakeRegistry : Registry::Backend
{
    FakeRegistry() { Registry::SetBackend(this); }
    ~FakeRegistry() override { Registry::SetBackend(nullptr); }
    std::optional<Registry::Value> read(Registry::Root root, const QString& key,
                                        const QString& value, std::uint32_t) override
    {
        const QString path = key + QLatin1Char('\\') + value;
        if (root != Registry::kLocalMachine || !strings.contains(path))
            return std::nullopt;
        return Registry::Value{Registry::kTypeString, strings.value(path)};
    }

    QHash<QString, QByteArray> strings; // the bytes as stored, a terminating zero byte included
};
