#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

// What the tree and the panel say about the cars the game cannot use, by node key: the warning
// the scan gave about a car's names, and the problems the checks found, which come later and a
// few at a time. Few cars have either, so only those are held.
class CarMarks
{
public:
    // The scan's warnings, for the cars of a new scan. The problems found before stay until the
    // checks of the new cars say otherwise, so that a refresh does not make every mark blink.
    void setWarnings(QHash<QString, QString> warnings) { mWarnings = std::move(warnings); }
    // Problems the checks found, each car's replacing what it had: none, for a car checked again.
    void add(const QHash<QString, QStringList>& found);
    // The checks of every car are done: the cars not in found have no problem any more.
    void keepOnly(const QSet<QString>& found);

    bool has(const QString& key) const;
    // The problems first, then the warning.
    QStringList lines(const QString& key) const;
    // For a tooltip or the panel: at most five lines, then how many more there are.
    static QString Summary(const QStringList& lines);

private:
    QHash<QString, QString> mWarnings;
    QHash<QString, QStringList> mProblems;
};
