#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cmath>

// The windows are laid out in twips: 15 twips are one device-independent pixel.
inline int Twips(int twips)
{
    return int(std::lround(twips / 15.0));
}

inline QRect TwipsRect(int left, int top, int width, int height)
{
    return QRect(Twips(left), Twips(top), Twips(width), Twips(height));
}

inline void PlaceTwips(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(TwipsRect(left, top, width, height));
}

// A font named by the layout, falling back to the desktop's sans serif at the same size when
// the named one is not installed.
inline QFont TwipsFont(const QString& family, qreal pointSize, bool bold)
{
    QFont font;
    font.setFamilies({family, QStringLiteral("Sans Serif")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}
