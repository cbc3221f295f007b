#pragma once

#include "platform/FileOpenBox.h"

// Shows each box as the desktop's modal file dialog over the active window.
class QtFileOpenBox : public FileOpenBox::Presenter
{
public:
    std::optional<QString> present(const QString& startFile, const QString& title,
                                   const QString& filter) override;
    std::optional<QString> presentSave(const QString& startFile, const QString& title,
                                       const QString& filter) override;
};
