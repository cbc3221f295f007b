#pragma once

#include "platform/MsgBox.h"

#include <QList>
#include <QString>

// Keeps every box the code under test shows and answers from a queue of preset answers.
// A box with no preset answer left is unexpected; problems() names it, and any preset answer
// that no box took.
class MsgBoxRecorder : public MsgBox::Presenter
{
public:
    MsgBoxRecorder();
    ~MsgBoxRecorder() override;

    // Presets the answer to the next box.
    void expect(MsgBox::Answer answer = MsgBox::Answer::Ok);
    MsgBox::Answer present(const MsgBox::Box& box) override;

    const QList<MsgBox::Box>& boxes() const { return mBoxes; }
    // The one box shown; fails the test when there was not exactly one.
    MsgBox::Box only() const;
    QString problems() const;
    void clear();

private:
    MsgBox::Presenter* mPrevious;
    QList<MsgBox::Answer> mAnswers;
    QList<MsgBox::Box> mBoxes;
    QStringList mUnexpected;
};

// Ends the current test function when the recorder saw a box it did not expect or kept an
// answer nobody took.
#define VERIFY_BOXES(recorder)                                                                     \
    QVERIFY2((recorder).problems().isEmpty(), qPrintable((recorder).problems()))
