#include "ui/main/CarFilter.h"

#include <algorithm>
#include <iterator>

namespace {

// Letters without a decomposition that collation still takes for the letters they look like.
struct Spelled
{
    char16_t letter;
    const char* as;
};
constexpr Spelled kSpelled[] = {{u'ß', "ss"}, {u'æ', "ae"}, {u'œ', "oe"}, {u'ø', "o"},
                                {u'ł', "l"},  {u'đ', "d"},  {u'þ', "th"}, {u'ı', "i"}};

bool IsAscii(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

} // namespace

CarFilter::CarFilter(const QString& typed) : mText(typed)
{
    // Any blank separates words, as a space does.
    mWords = Fold(typed.simplified()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QString CarFilter::Fold(const QString& text)
{
    // Most names are plain ASCII; only the others pay for the decomposition.
    if (IsAscii(text))
        return text.toLower();
    const QString decomposed = text.normalized(QString::NormalizationForm_KD).toCaseFolded();
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        const Spelled* spelled = std::find_if(std::begin(kSpelled), std::end(kSpelled),
                                              [c](const Spelled& s) { return s.letter == c; });
        if (spelled != std::end(kSpelled))
            folded += QLatin1String(spelled->as);
        else
            folded += c;
    }
    return folded;
}

bool CarFilter::matches(const QString& folded) const
{
    for (const QString& word : mWords) {
        if (!folded.contains(word))
            return false;
    }
    return true;
}
