#include "cars/modCarList.h"

#include "app/cSettings.h"
#include "app/modMain.h"
#include "cars/cCar.h"
#include "cars/cCarCollection.h"
#include "cars/modDirSearch.h"
#include "platform/ScanScope.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace modCarList {

namespace {

// With the page cache cold, a reading thread mostly waits for the disk, so more threads than
// cores keep more requests in flight. Threads are started per scan and joined before it ends.
constexpr int kReadThreads = 32;
// Folders are handed out, and handed back in order, a batch at a time.
constexpr qsizetype kBatch = 32;

// Reads the car folders on worker threads and hands each result to the calling thread in
// folder order, while the rest are still being read.
class FolderReader
{
public:
    FolderReader(const QString& carsFolder, const cDirList& folders)
        : mCarsFolder(carsFolder), mFolders(folders), mRead(size_t(folders.size())),
          mBatches((folders.size() + kBatch - 1) / kBatch), mDone(size_t(mBatches), false)
    {
        const int threads = int(qMin<qsizetype>(kReadThreads, mBatches));
        mThreads.reserve(size_t(threads));
        try {
            for (int t = 0; t < threads; ++t)
                mThreads.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            // The threads that did start read everything; with none, ForEach reads.
        }
    }

    ~FolderReader()
    {
        // Also on the way out of an exception: nothing is left running.
        mNext.store(mBatches);
        for (std::thread& thread : mThreads)
            thread.join();
    }

    template <typename Use> void ForEach(Use use)
    {
        if (mThreads.empty())
            Work();
        for (qsizetype batch = 0; batch < mBatches; ++batch) {
            {
                std::unique_lock<std::mutex> lock(mMutex);
                mWaitingFor = batch;
                mReady.wait(lock, [&] { return bool(mDone[size_t(batch)]); });
                mWaitingFor = -1;
            }
            const qsizetype end = qMin(mFolders.size(), (batch + 1) * kBatch);
            for (qsizetype i = batch * kBatch; i < end; ++i)
                use(mFolders[i], std::move(mRead[size_t(i)]));
        }
    }

private:
    void Work()
    {
        for (;;) {
            const qsizetype batch = mNext.fetch_add(1);
            if (batch >= mBatches)
                return;
            const qsizetype end = qMin(mFolders.size(), (batch + 1) * kBatch);
            for (qsizetype i = batch * kBatch; i < end; ++i)
                mRead[size_t(i)] = cCarFolder::Read(mCarsFolder, mFolders[i].FolderName);
            bool wake = false;
            {
                const std::lock_guard<std::mutex> lock(mMutex);
                mDone[size_t(batch)] = true;
                wake = mWaitingFor == batch;
            }
            if (wake)
                mReady.notify_one();
        }
    }

    const QString mCarsFolder;
    const cDirList& mFolders;
    std::vector<cCarFolder> mRead;
    const qsizetype mBatches;
    std::atomic<qsizetype> mNext{0};
    std::mutex mMutex;
    std::condition_variable mReady;
    std::vector<bool> mDone;    // by batch, under mMutex
    qsizetype mWaitingFor = -1; // under mMutex
    std::vector<std::thread> mThreads;
};

} // namespace

ScannedCars ScanCars(const QString& carDir)
{
    const ScanScope scope;
    modMain::gCarDirs = std::make_unique<cDirList>(modDirSearch::ListCarFolders(carDir));
    modMain::ReleaseCars();
    const cDirList& folders = *modMain::gCarDirs;

    ScannedCars scanned;
    modMain::gCars().Reserve(folders.size());
    const auto file = [&scanned](std::shared_ptr<cCar> car) {
        QList<std::shared_ptr<cCar>>* branch = nullptr;
        if (car->Classification() == QLatin1String("Original"))
            branch = &scanned.standard;
        else if (car->Classification() == QLatin1String("Custom"))
            branch = &scanned.custom;
        if (branch && modMain::gCars().Add(car, car->DirectoryName()))
            branch->append(std::move(car));
    };

    // The records, their messages and gCars are made here, in folder order; only the reading
    // of the folders goes to other threads, and only when there are enough of them to share.
    // Without a game folder no record reads anything.
    if (folders.size() <= kBatch || !cCar::GameFolderFound()) {
        for (const cDir& folder : folders) {
            auto car = std::make_shared<cCar>();
            car->setDirectoryName(folder.FolderName);
            car->LoadSettings();
            file(std::move(car));
        }
    } else {
        FolderReader reader(modMain::gSettings().CarDir(), folders);
        reader.ForEach([&file](const cDir& folder, cCarFolder read) {
            auto car = std::make_shared<cCar>();
            car->setDirectoryName(folder.FolderName);
            car->LoadSettings(std::move(read));
            file(std::move(car));
        });
    }
    modMain::gCarDirs.reset();
    return scanned;
}

QString NodeText(const cCar& car)
{
    if (car.CarName().isEmpty())
        return car.DirectoryName();
    return car.DirectoryName() + QStringLiteral(" (") + car.CarName() + QLatin1Char(')');
}

} // namespace modCarList
