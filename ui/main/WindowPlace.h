#pragma once

#include "platform/Result.h"

#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

// Where the main window stands, kept in the [Window] section of the settings file from one
// run to the next, and always within the screen's available area.
namespace WindowPlace {

// The saved rectangle made to fit the available area: shrunk to its size where larger, then
// moved inside it.
QRect Fit(QRect saved, QRect available);

// Sizes and places the window, not yet shown, as the file keeps it, maximized too; at the
// design size where the file keeps no readable place. Where the window system tells the
// window's frame only once the window is shown, the window is fitted again, frame and all,
// then.
void Restore(QWidget* window, QSize design, const QString& file);

// Keeps the window's normal place and size (not the maximized ones) and whether it is
// maximized.
Result Save(const QWidget* window, const QString& file);

} // namespace WindowPlace
