#include "ui/main/CarProblemFeed.h"

#include "cars/CarChecks.h"
#include "ui/main/CarTreeModel.h"

#include <QEvent>

namespace {

// Often enough that marks seem to come as they are found, seldom enough that the tree is not
// laid out again for every few cars.
constexpr int kPollMs = 100;

} // namespace

CarProblemFeed::CarProblemFeed(CarTreeModel* model, QWidget* shownIn)
    : QObject(shownIn), mModel(model), mShownIn(shownIn)
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
    // The window is drawn first: the threads of the checks would take the processor from it.
    if (!mStarting)
        mShownIn->installEventFilter(this);
    mStarting = true;
}

bool CarProblemFeed::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mShownIn && event->type() == QEvent::Paint) {
        mShownIn->removeEventFilter(this);
        // Once this painting is done.
        QTimer::singleShot(0, this, &CarProblemFeed::Begin);
    }
    return QObject::eventFilter(watched, event);
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
