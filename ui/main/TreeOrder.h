#pragma once

#include "platform/Result.h"

#include <QString>

class QTreeView;

// The column the car tree is sorted by and which way, kept in the [Window] section of the
// settings file from one run to the next.
namespace TreeOrder {

// Sorts the tree as the file keeps it; by names where it keeps nothing readable.
void Restore(QTreeView* tree, const QString& file);
// Keeps the tree's order in the file.
Result Save(const QTreeView* tree, const QString& file);

} // namespace TreeOrder
