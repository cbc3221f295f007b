#pragma once

#include "platform/MsgBox.h"

#include <QApplication>
#include <QString>

#include <functional>
#include <vector>

// What the benchmarks share: a generated game folder, and medians of timed runs.
namespace BenchWorld {

// The first cars of a world are standard, the rest custom.
constexpr int kStandardCars = 30;
// The cars of a world of n that CarChecks finds a problem in.
int CarsWithProblems(int n);

// Any box a benchmark shows is a fault of the world it made: said, and answered by default.
class QuietBoxes : public MsgBox::Presenter
{
public:
    MsgBox::Answer present(const MsgBox::Box& box) override;
};

// A benchmark's application: on the offscreen platform, its boxes quiet.
class OffscreenApp
{
public:
    OffscreenApp(int& argc, char** argv);

private:
    bool mPlatformSet;
    QApplication mApp;
    QuietBoxes mBoxes;
};

QString FolderName(int i);
// A program folder with torvane.ini and a game folder with n cars under root. Cars come from
// a few thousand authors, and their folders over a few years. CarChecks finds a problem in car
// i when i % 50 == 7 (a file missing) or i % 200 == 13 (no parameters.txt).
void MakeWorld(const QString& root, int n);

// Drops the system's page cache (which needs root); false when it could not.
bool DropPageCache();

struct Work
{
    std::function<void()> setUp; // not timed
    std::function<void()> run;
};
// The medians of the runs of several pieces of work, taken in turn so that the machine's
// changing load falls on each alike; each round starts with a different piece. Cold drops the
// page cache before each run.
std::vector<double> InterleavedMedians(int runs, bool cold, const std::vector<Work>& work);
double MedianMs(int runs, const std::function<void()>& work);

} // namespace BenchWorld
