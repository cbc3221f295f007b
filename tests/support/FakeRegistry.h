#pragma once

#include "platform/Registry.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

// A registry with the values a test puts in it. Installs itself while it lives.
class FakeRegistry : public Registry::Backend
{
public:
    struct Lookup
    {
        Registry::Root root;
        QString keyName;
        QString valueName;
        std::uint32_t access;
    };

    FakeRegistry();
    ~FakeRegistry() override;

    void set(Registry::Root root, const QString& keyName, const QString& valueName,
             Registry::Value value);
    // A string value stored with its terminating zero byte, as the platform stores them.
    void setString(Registry::Root root, const QString& keyName, const QString& valueName,
                   const QByteArray& text);
    // The key opens for reading only: asking for more rights fails.
    void makeReadOnly(Registry::Root root, const QString& keyName);

    std::optional<Registry::Value> read(Registry::Root root, const QString& keyName,
                                        const QString& valueName, std::uint32_t access) override;
    const QList<Lookup>& lookups() const { return mLookups; }

private:
    static QString keyOf(Registry::Root root, const QString& keyName);

    Registry::Backend* mPrevious;
    QHash<QString, QHash<QString, Registry::Value>> mKeys; // key -> folded value name -> value
    QSet<QString> mReadOnly;
    QList<Lookup> mLookups;
};
