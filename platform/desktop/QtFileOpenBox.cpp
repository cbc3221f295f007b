#include "platform/desktop/QtFileOpenBox.h"

#include <QApplication>
#include <QFileDialog>

std::optional<QString> QtFileOpenBox::present(const QString& startFile)
{
    const QString chosen =
        QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), startFile);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}
