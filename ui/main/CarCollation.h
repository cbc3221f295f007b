#pragma once

#include <QCollator>
#include <QStringList>

#include <vector>

// The order the car list gives texts, as a file manager orders names: letter case and accents
// ignored, digits by their value.
namespace CarCollation {

// The system's collation with those rules.
QCollator Collator();

// The places of the texts in that order, ties in the order of their exact text.
std::vector<qsizetype> Order(const QStringList& texts);

// Each text's rank in that order, counting from 0: the same rank for texts that the order does
// not tell apart. Each distinct text is collated once, as most come many times over.
std::vector<int> Ranks(const QStringList& texts);

} // namespace CarCollation
