#include "ui/main/CarCollation.h"

#include <QCollatorSortKey>
#include <QHash>
#include <QLocale>

#include <algorithm>
#include <numeric>

namespace CarCollation {

QCollator Collator()
{
    // A system without a language of its own (the C locale, as on build machines) compares code
    // points and knows no numbers, so it gets English collation instead, and every machine
    // orders alike.
    QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

std::vector<qsizetype> Order(const QStringList& texts)
{
    // A sort key per text, made once: comparing keys is far cheaper than collating texts.
    const QCollator collator = Collator();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(texts.size()));
    for (const QString& text : texts)
        keys.push_back(collator.sortKey(text));
    std::vector<qsizetype> order(size_t(texts.size()));
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int c = keys[size_t(a)].compare(keys[size_t(b)]);
        return c != 0 ? c < 0 : texts[a] < texts[b];
    });
    return order;
}

std::vector<int> Ranks(const QStringList& texts)
{
    QHash<QString, int> seen;
    QStringList distinct;
    std::vector<int> ranks;
    ranks.reserve(size_t(texts.size()));
    for (const QString& text : texts) {
        const auto known = seen.constFind(text);
        if (known != seen.cend()) {
            ranks.push_back(*known);
        } else {
            ranks.push_back(int(distinct.size()));
            seen.insert(text, int(distinct.size()));
            distinct.append(text);
        }
    }
    const QCollator collator = Collator();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(distinct.size()));
    for (const QString& text : distinct)
        keys.push_back(collator.sortKey(text));
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&keys](int x, int y) { return keys[size_t(x)].compare(keys[size_t(y)]) < 0; });
    std::vector<int> rankOf(keys.size());
    for (size_t i = 0; i < order.size(); ++i) {
        const bool same = i > 0 && keys[size_t(order[i - 1])].compare(keys[size_t(order[i])]) == 0;
        rankOf[size_t(order[i])] = same ? rankOf[size_t(order[i - 1])] : int(i);
    }
    for (int& rank : ranks)
        rank = rankOf[size_t(rank)];
    return ranks;
}

} // namespace CarCollation
