#include "cars/cCarCollection.h"

#include "platform/FileNames.h"

bool cCarCollection::Add(Item car, const QString& key)
{
    const QString folded = FileNames::Folded(key);
    if (mIndex.contains(folded))
        return false;
    mIndex.insert(folded, mItems.size());
    mItems.append(std::move(car));
    return true;
}

cCarCollection::Item cCarCollection::Find(const QString& key) const
{
    const auto it = mIndex.constFind(FileNames::Folded(key));
    return it == mIndex.constEnd() ? nullptr : mItems.at(it.value());
}

void cCarCollection::Reserve(qsizetype n)
{
    mItems.reserve(n);
    mIndex.reserve(n);
}
