#include "platform/desktop/QtFileOpenBox.h"

#include <QApplication>
#include <QFileDialog>

std::optional<QString> QtFileOpenBox::present(const QString& startFile, const QString& title,
                                              const QString& filter)
{
    const QString chosen =
        QFileDialog::getOpenFileName(QApplication::activeWindow(), title, startFile, filter);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}
