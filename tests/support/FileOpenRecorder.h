#pragma once

#include "platform/FileOpenBox.h"

#include <QStringList>

// Answers every file-open box with the preset answer (a null string cancels the box) and keeps
// the file each box started at. Installs itself while it lives.
struct FileOpenRecorder : FileOpenBox::Presenter
{
    FileOpenRecorder() { FileOpenBox::SetPresenter(this); }
    ~FileOpenRecorder() override { FileOpenBox::SetPresenter(nullptr); }
    std::optional<QString> present(const QString& startFile) override
    {
        starts.append(startFile);
        return answer.isNull() ? std::nullopt : std::optional(answer);
    }

    QString answer;
    QStringList starts;
};
