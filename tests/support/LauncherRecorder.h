#pragma once

#include "platform/Launcher.h"

#include <QList>
#include <QString>
#include <QStringList>

// Keeps every start, folder and web page the code under test asks for, and starts nothing.
class LauncherRecorder : public Launcher::Backend
{
public:
    enum class Kind { Program, Folder, Url };
    struct Call
    {
        Kind kind;
        QString target; // the program, the folder or the address
        QStringList arguments;
        QString workingFolder;
        QStringList environment;
    };

    LauncherRecorder();
    ~LauncherRecorder() override;

    Launcher::Result startProgram(const QString& program, const QStringList& arguments,
                                  const QString& workingFolder,
                                  const QStringList& environment) override;
    Launcher::Result openFolder(const QString& folder) override;
    Launcher::Result openUrl(const QString& address) override;

    // Every later call fails with this message (empty: every call succeeds again).
    void failWith(const QString& message) { mFailure = message; }
    const QList<Call>& calls() const { return mCalls; }
    void clear() { mCalls.clear(); }

private:
    Launcher::Result record(Call call);

    Launcher::Backend* mPrevious;
    QList<Call> mCalls;
    QString mFailure;
};
