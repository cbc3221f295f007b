#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <memory>

namespace FileSystem {
class Folder;
}

// What the game would meet when it loads a car: a missing parameters.txt, or files that
// parameters.txt names and that are not there, as in a car copied under a new folder name whose
// parameters.txt still names the old folder. Names the game under Wine cannot open are the
// scan's (cCarFolder::foreignName), not these checks'.
namespace CarChecks {

// One line for the player per problem of the car folder directoryName of the folder
// carsFolderName inside gameFolder: first "no parameters.txt", else each value of parameters.txt
// naming a file that is not there, once, in file order. Empty for a healthy car.
QStringList Check(const FileSystem::Folder& gameFolder, const QString& carsFolderName,
                  const QString& directoryName);

// Checks many cars on up to 8 threads of its own, so that the window stays live. The cars folder
// is listed once for all of them, and each thread keeps the other folders it listed for a while.
class Runner
{
public:
    // Starts at once.
    Runner(const QString& carsFolder, QStringList directoryNames);
    // Stops the checking early and waits for the threads: nothing is left running.
    ~Runner();
    Runner(const Runner&) = delete;
    Runner& operator=(const Runner&) = delete;

    // The cars found with a problem since the last call, as (place in directoryNames, Check's
    // lines) pairs, in no particular order. Healthy cars are left out.
    QList<QPair<int, QStringList>> take();
    // True once every car is checked: each result then has been taken or waits for take().
    bool finished() const;

private:
    struct State;
    std::unique_ptr<State> mState;
};

} // namespace CarChecks
