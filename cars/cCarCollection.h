#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <memory>

class cCar;

// The listed car records in the order they were added, keyed by folder name. Keys compare
// ignoring letter case, as folder names do on the game's platform, so two records for the
// same folder cannot be held.
class cCarCollection
{
public:
    using Item = std::shared_ptr<cCar>;

    // False, and nothing added, when the key is taken.
    bool Add(Item car, const QString& key);
    // The record under key, or nullptr.
    Item Find(const QString& key) const;
    qsizetype Count() const { return mItems.size(); }
    bool isEmpty() const { return mItems.isEmpty(); }
    void Reserve(qsizetype n);

    QList<Item>::const_iterator begin() const { return mItems.cbegin(); }
    QList<Item>::const_iterator end() const { return mItems.cend(); }

private:
    QList<Item> mItems;
    QHash<QString, qsizetype> mIndex; // case-folded key -> position in mItems
};
