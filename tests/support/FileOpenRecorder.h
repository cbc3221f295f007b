#pragma once

#include "platform/FileOpenBox.h"

#include <QList>
#include <QString>
#include <QStringList>

// Answers file-open boxes from a queue of preset file names and cancels, and keeps the file
// each box started at. A box with no preset answer left is unexpected; problems() names it,
// and any preset answer that no box took.
class FileOpenRecorder : public FileOpenBox::Presenter
{
public:
    FileOpenRecorder();
    ~FileOpenRecorder() override;

    // Presets the next box to return this file.
    void pick(const QString& file);
    // Presets the next box to be cancelled.
    void cancel();
    std::optional<QString> present(const QString& startFile) override;

    // The start file of every box shown, in order.
    const QStringList& starts() const { return mStarts; }
    QString problems() const;

private:
    FileOpenBox::Presenter* mPrevious;
    QList<std::optional<QString>> mAnswers;
    QStringList mStarts;
    int mUnexpected = 0;
};

#define VERIFY_FILE_BOXES(recorder)                                                                \
    QVERIFY2((recorder).problems().isEmpty(), qPrintable((recorder).problems()))
