#include "FileOpenRecorder.h"

FileOpenRecorder::FileOpenRecorder() : mPrevious(FileOpenBox::SetPresenter(this)) {}

FileOpenRecorder::~FileOpenRecorder()
{
    FileOpenBox::SetPresenter(mPrevious);
}

void FileOpenRecorder::pick(const QString& file)
{
    mAnswers.append(file);
}

void FileOpenRecorder::cancel()
{
    mAnswers.append(std::nullopt);
}

std::optional<QString> FileOpenRecorder::present(const QString& startFile)
{
    mStarts.append(startFile);
    if (mAnswers.isEmpty()) {
        ++mUnexpected;
        return std::nullopt;
    }
    return mAnswers.takeFirst();
}

QString FileOpenRecorder::problems() const
{
    QStringList all;
    if (mUnexpected)
        all.append(QStringLiteral("%1 unexpected file box(es)").arg(mUnexpected));
    if (!mAnswers.isEmpty())
        all.append(QStringLiteral("%1 preset file answer(s) left over").arg(mAnswers.size()));
    return all.join(QLatin1Char('\n'));
}
