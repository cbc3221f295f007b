#include "ui/main/CarMarks.h"

namespace {

constexpr qsizetype kShownLines = 5;

} // namespace

void CarMarks::add(const QHash<QString, QStringList>& found)
{
    for (auto car = found.cbegin(); car != found.cend(); ++car) {
        if (car.value().isEmpty())
            mProblems.remove(car.key());
        else
            mProblems.insert(car.key(), car.value());
    }
}

void CarMarks::keepOnly(const QSet<QString>& found)
{
    mProblems.removeIf([&found](const auto& car) { return !found.contains(car.key()); });
}

bool CarMarks::has(const QString& key) const
{
    return mProblems.contains(key) || mWarnings.contains(key);
}

QStringList CarMarks::lines(const QString& key) const
{
    QStringList lines = mProblems.value(key);
    if (const auto warning = mWarnings.constFind(key); warning != mWarnings.cend())
        lines.append(*warning);
    return lines;
}

QString CarMarks::Summary(const QStringList& lines)
{
    if (lines.size() <= kShownLines)
        return lines.join(QLatin1Char('\n'));
    return QStringList(lines.mid(0, kShownLines)).join(QLatin1Char('\n')) +
           QStringLiteral("\nand %1 more").arg(lines.size() - kShownLines);
}
