#include "LauncherRecorder.h"

LauncherRecorder::LauncherRecorder() : mPrevious(Launcher::SetBackend(this)) {}

LauncherRecorder::~LauncherRecorder()
{
    Launcher::SetBackend(mPrevious);
}

Launcher::Result LauncherRecorder::record(Call call)
{
    mCalls.append(std::move(call));
    return {mFailure.isEmpty(), mFailure};
}

Launcher::Result LauncherRecorder::startProgram(const QString& program,
                                                const QStringList& arguments,
                                                const QString& workingFolder,
                                                const QStringList& environment)
{
    return record({Kind::Program, program, arguments, workingFolder, environment});
}

Launcher::Result LauncherRecorder::openFolder(const QString& folder)
{
    return record({Kind::Folder, folder, {}, {}, {}});
}

Launcher::Result LauncherRecorder::openUrl(const QString& address)
{
    return record({Kind::Url, address, {}, {}, {}});
}
