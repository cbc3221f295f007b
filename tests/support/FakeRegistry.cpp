#include "FakeRegistry.h"

FakeRegistry::FakeRegistry() : mPrevious(Registry::SetBackend(this)) {}

FakeRegistry::~FakeRegistry()
{
    Registry::SetBackend(mPrevious);
}

QString FakeRegistry::keyOf(Registry::Root root, const QString& keyName)
{
    return QString::number(root, 16) + QLatin1Char('\\') + keyName.toCaseFolded();
}

void FakeRegistry::set(Registry::Root root, const QString& keyName, const QString& valueName,
                       Registry::Value value)
{
    mKeys[keyOf(root, keyName)].insert(valueName.toCaseFolded(), std::move(value));
}

void FakeRegistry::setString(Registry::Root root, const QString& keyName, const QString& valueName,
                             const QByteArray& text)
{
    set(root, keyName, valueName, {Registry::kTypeString, text + '\0'});
}

void FakeRegistry::makeReadOnly(Registry::Root root, const QString& keyName)
{
    mReadOnly.insert(keyOf(root, keyName));
}

std::optional<Registry::Value> FakeRegistry::read(Registry::Root root, const QString& keyName,
                                                  const QString& valueName, std::uint32_t access)
{
    mLookups.append({root, keyName, valueName, access});
    const QString key = keyOf(root, keyName);
    const auto found = mKeys.constFind(key);
    if (found == mKeys.constEnd())
        return std::nullopt;
    if (mReadOnly.contains(key) && (access & ~Registry::kReadAccess) != 0)
        return std::nullopt;
    const auto value = found->constFind(valueName.toCaseFolded());
    if (value == found->constEnd())
        return std::nullopt;
    return *value;
}
