#pragma once

#include <QString>
#include <QStringList>

// What the player typed to find cars by: words that a car's texts must each contain, letter
// case and accents ignored, as the tree's collation ignores them.
class CarFilter
{
public:
    CarFilter() = default;
    explicit CarFilter(const QString& typed);

    const QString& text() const { return mText; }
    // True for a filter without words, which every car passes.
    bool isEmpty() const { return mWords.isEmpty(); }
    // Whether folded, a car's texts as Fold gives them, holds every word.
    bool matches(const QString& folded) const;

    // The text in the form filters compare: lower case, accents dropped, and the letters
    // that stand for two ("ß", "æ") spelled out.
    static QString Fold(const QString& text);

private:
    QString mText;
    QStringList mWords;
};
