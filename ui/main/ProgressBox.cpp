#include "ui/main/ProgressBox.h"

#include "platform/MsgBox.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace {
constexpr qint64 kAfterMs = 400;
}

ProgressBox::ProgressBox(QWidget* window, const QString& label) : mWindow(window), mLabel(label)
{
    mStarted.start();
}

ProgressBox::~ProgressBox() = default;

void ProgressBox::show()
{
    if (mBox)
        return;
    mBox = std::make_unique<QProgressDialog>(mLabel, QStringLiteral("Cancel"), 0, 1000, mWindow);
    mBox->setObjectName(QStringLiteral("dlgInstallProgress"));
    mBox->setWindowTitle(MsgBox::kProgramTitle);
    mBox->setWindowModality(Qt::WindowModal);
    mBox->setMinimumDuration(0);
    mBox->show();
}

bool ProgressBox::tell(const QString& label, qint64 size, int permille, bool urgent)
{
    // The box draws itself and takes a click on Cancel only while events are handled: a few
    // times a second is enough, and the work gets its turns too. Until it is up, each call
    // may be the one that brings it.
    if (mBox && mSinceEvents.isValid() && mSinceEvents.elapsed() < 50 && label == mLabel)
        return !mBox->wasCanceled();
    mSinceEvents.start();
    if (label != mLabel) {
        mLabel = label;
        if (mBox)
            mBox->setLabelText(label);
    }
    if (urgent || size > kLarge || mStarted.elapsed() > kAfterMs)
        show();
    if (!mBox) {
        // Nothing the player does reaches the window before the box is there.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return true;
    }
    if (permille >= 0)
        mBox->setValue(qMin(permille, 999));
    QCoreApplication::processEvents();
    return !mBox->wasCanceled();
}
