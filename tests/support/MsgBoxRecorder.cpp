#include "MsgBoxRecorder.h"

#include <QTest>

MsgBoxRecorder::MsgBoxRecorder() : mPrevious(MsgBox::SetPresenter(this)) {}

MsgBoxRecorder::~MsgBoxRecorder()
{
    MsgBox::SetPresenter(mPrevious);
}

void MsgBoxRecorder::expect(MsgBox::Answer answer)
{
    mAnswers.append(answer);
}

MsgBox::Answer MsgBoxRecorder::present(const MsgBox::Box& box)
{
    mBoxes.append(box);
    if (mAnswers.isEmpty()) {
        mUnexpected.append(QStringLiteral("unexpected box \"%1\": %2").arg(box.title, box.text));
        return MsgBox::DefaultAnswer(box.buttons);
    }
    return mAnswers.takeFirst();
}

MsgBox::Box MsgBoxRecorder::only() const
{
    if (mBoxes.size() != 1) {
        QTest::qFail(qPrintable(QStringLiteral("expected one box, saw %1").arg(mBoxes.size())),
                     __FILE__, __LINE__);
        return {};
    }
    return mBoxes.first();
}

QString MsgBoxRecorder::problems() const
{
    QStringList all = mUnexpected;
    if (!mAnswers.isEmpty())
        all.append(QStringLiteral("%1 preset answer(s) left over").arg(mAnswers.size()));
    return all.join(QLatin1Char('\n'));
}

void MsgBoxRecorder::clear()
{
    mAnswers.clear();
    mBoxes.clear();
    mUnexpected.clear();
}
