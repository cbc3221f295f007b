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
    mPoll.stop();
    mRunner.reset(); // waits for the threads of the checks before
    mCarsFolder = carsFolder;
    mNames = folderNames;
    mFound.clear();
    if (!mStarting)
        QTimer::singleShot(0, this, &CarProblemFeed::Begin);
    mStarting = true;
}

void CarProblemFeed::Begin()
{
    mStarting = false;
    mRunner = std::make_unique<CarChecks::Runner>(mCarsFolder, mNames);
    mPoll.start();
}

void CarProblemFeed::Take()
{
    if (!mRunner)
        return;
    // Asked before taking: what was found before it finished is all taken now.
    const bool done = mRunner->finished();
    QHash<QString, QStringList> found;
    for (const auto& [car, lines] : mRunner->take()) {
        found.insert(mNames[car], lines);
        mFound.insert(mNames[car]);
    }
    if (!found.isEmpty())
        mModel->addProblems(found);
    if (done) {
        mPoll.stop();
        mRunner.reset();
        mModel->keepProblemsOf(mFound);
    }
    if (!found.isEmpty() || done)
        emit marked();
    if (done)
        emit finished();
}
