#pragma once

#include <QElapsedTimer>
#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

// The box over the window while long work on cars runs (an install, a pack), with Cancel. It
// comes up once the work is known to be large or has lasted a moment: short work is over before
// a box could be read.
class ProgressBox
{
public:
    ProgressBox(QWidget* window, const QString& label);
    ~ProgressBox();
    ProgressBox(const ProgressBox&) = delete;
    ProgressBox& operator=(const ProgressBox&) = delete;

    // Bytes of work from which the box comes up at once.
    static constexpr qint64 kLarge = qint64(4) << 20;

    void show();
    // Tells the box how the work goes: what it does, its size in bytes (0 while unknown), and
    // how far it is in thousandths (negative leaves the bar). Comes up at once when urgent.
    // Returns false once the player canceled.
    bool tell(const QString& label, qint64 size, int permille, bool urgent = false);

private:
    QWidget* mWindow;
    std::unique_ptr<QProgressDialog> mBox;
    QElapsedTimer mStarted;
    QElapsedTimer mSinceEvents;
    QString mLabel;
};
