#include "cars/cCarCollection.h"

bool cCarCollection::Add(Item car, const QString& key)
{
    const QString folded = key.toCaseFolded();
    if (mIndex.contains(folded))
        return false;
    mIndex.insert(folded, mItems.size());
    mItems.append(std::move(car));
    return true;
}

cCarCollection::Item cCarCollection::Find(const QString& key) const
{
    const auto it = mIndex.constFind(key.toCaseFolded());
    return it == mIndex.constEnd() ? nullptr : mItems.at(it.value());
}

bool cCarCollection::Contains(const QString& key) const
{
    return mIndex.contains(key.toCaseFolded());
}

void cCarCollection::Reserve(qsizetype n)
{
    mItems.reserve(n);
    mIndex.reserve(n);
}
