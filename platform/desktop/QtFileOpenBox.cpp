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

std::optional<QString> QtFileOpenBox::presentSave(const QString& startFile, const QString& title,
                                                  const QString& filter)
{
    const QString chosen =
        QFileDialog::getSaveFileName(QApplication::activeWindow(), title, startFile, filter,
                                     nullptr, QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}
