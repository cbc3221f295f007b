#pragma once

#include "platform/Launcher.h"

#include <QStringList>

// Keeps every start, folder and web page the code under test asks for, and starts nothing.
class LauncherRecorder : public Launcher::Backend
{
public:
    struct Call
    {
        QString target; // the program, the folder or the address
        QStringList arguments;
        QString workingFolder;
    };

    LauncherRecorder() : mPrevious(Launcher::SetBackend(this)) {}
    ~LauncherRecorder() override { Launcher::SetBackend(mPrevious); }

    Launcher::Result startProgram(const QString& program, const QStringList& arguments,
                                  const QString& workingFolder, const QStringList&) override
    {
        mCalls.append({program, arguments, workingFolder});
        return {mFailure.isEmpty(), mFailure};
    }
    Launcher::Result openFolder(const QString& to) override { return startProgram(to, {}, {}, {}); }
    Launcher::Result openUrl(const QString& to) override { return startProgram(to, {}, {}, {}); }

    // Every later call fails with this message (empty: every call succeeds again).
    void failWith(const QString& message) { mFailure = message; }
    const QList<Call>& calls() const { return mCalls; }

private:
    Launcher::Backend* mPrevious;
    QList<Call> mCalls;
    QString mFailure;
};
