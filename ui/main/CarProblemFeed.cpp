#include "ui/main/CarProblemFeed.h"

#include "cars/CarChecks.h"
#include "ui/main/CarTreeModel.h"

namespace {

// Often enough that marks seem to come as they are found, seldom enough that the tree is not
// laid out again for every few cars.
constexpr int kPollMs = 100;

} // namespace

CarProblemFeed::CarProblemFeed(CarTreeModel* model, QObject* parent)
    : QObject(parent), mModel(model)
{
    mPoll.setInterval(kPollMs);
    connect(&mPoll, &QTimer::timeout, this, &CarProblemFeed::Take);
}

CarProblemFeed::~CarProblemFeed() = default;

void CarProblemFeed::start(const QString& carsFolder, const QStringList& folderNames)
{
    mRunner.reset(); // waits for the threads of the checks before
    mNames = folderNames;
    mFound.clear();
    mRunner = std::make_unique<CarChecks::Runner>(carsFolder, folderNames);
    mPoll.start();
}

void CarProblemFeed::Take()
{
    if (!mRunner)
        return;
    // Asked before taking: what was found before it finished is all taken now.
    const bool finished = mRunner->finished();
    QHash<QString, QStringList> found;
    for (const auto& [car, lines] : mRunner->take()) {
        found.insert(mNames[car], lines);
        mFound.insert(mNames[car]);
    }
    if (!found.isEmpty())
        mModel->addProblems(found);
    if (finished) {
        mPoll.stop();
        mRunner.reset();
        mModel->keepProblemsOf(mFound);
    }
    if (!found.isEmpty() || finished)
        emit marked();
    if (finished)
        emit finished();
}
