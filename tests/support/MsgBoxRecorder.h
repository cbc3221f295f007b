#pragma once

#include "platform/MsgBox.h"

#include <QtTest>

#include <atomic>

// Keeps every box the code under test shows and answers from a queue of preset answers.
// A box with no preset answer left, or shown off the main thread, is unexpected; problems()
// names it, and any preset answer that no box took.
class MsgBoxRecorder : public MsgBox::Presenter
{
public:
    MsgBoxRecorder() : mPrevious(MsgBox::SetPresenter(this)) {}
    ~MsgBoxRecorder() override { MsgBox::SetPresenter(mPrevious); }

    // Presets the answer to the next box.
    void expect(MsgBox::Answer answer = MsgBox::Answer::Ok) { mAnswers.append(answer); }
    MsgBox::Answer present(const MsgBox::Box& box) override
    {
        if (QThread::currentThread() != QCoreApplication::instance()->thread()) {
            mOffThread = true; // the lists belong to the main thread
            return MsgBox::DefaultAnswer(box.buttons);
        }
        mBoxes.append(box);
        if (!mAnswers.isEmpty())
            return mAnswers.takeFirst();
        mUnexpected.append(QStringLiteral("unexpected box \"%1\": %2").arg(box.title, box.text));
        return MsgBox::DefaultAnswer(box.buttons);
    }

    const QList<MsgBox::Box>& boxes() const { return mBoxes; }
    // The one box shown; fails the test when there was not exactly one.
    MsgBox::Box only() const
    {
        if (mBoxes.size() != 1)
            QTest::qFail(qPrintable(QStringLiteral("expected one box, saw %1").arg(mBoxes.size())),
                         __FILE__, __LINE__);
        return mBoxes.size() == 1 ? mBoxes.first() : MsgBox::Box();
    }
    // Every box shown, "title: text" one a line.
    QString said() const
    {
        QStringList all;
        for (const MsgBox::Box& box : mBoxes)
            all << box.title + ": " + box.text;
        return all.join(QLatin1Char('\n'));
    }
    QString problems() const
    {
        QStringList all = mUnexpected;
        if (mOffThread)
            all.prepend(QStringLiteral("a box shown off the main thread"));
        if (!mAnswers.isEmpty())
            all.append(QStringLiteral("%1 preset answer(s) left over").arg(mAnswers.size()));
        return all.join(QLatin1Char('\n'));
    }

private:
    MsgBox::Presenter* mPrevious;
    QList<MsgBox::Answer> mAnswers;
    QList<MsgBox::Box> mBoxes;
    QStringList mUnexpected;
    std::atomic<bool> mOffThread = false;
};

// Ends the current test function when the recorder saw a box it did not expect or kept an
// answer nobody took.
#define VERIFY_BOXES(recorder)                                                                     \
    QVERIFY2((recorder).problems().isEmpty(), qPrintable((recorder).problems()))
