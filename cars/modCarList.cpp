#include "cars/modCarList.h"

#include "app/modMain.h"
#include "cars/CarContext.h"
#include "cars/cCar.h"
#include "cars/cCarCollection.h"
#include "cars/modDirSearch.h"
#include "cars/modDisabledCars.h"
#include "platform/FileSystem.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace modCarList {

namespace {

// With the page cache cold, a reading thread mostly waits for the disk, so more threads than
// cores keep more requests in flight. Not more than 16: the C library gives a 2-core machine
// 16 heaps, and threads beyond that allocate from the calling thread's own heap, between the
// records it keeps. Threads are started per scan and joined before it ends.
constexpr int kReadThreads = 16;
// Folders are handed out, and handed back in order, a batch at a time.
constexpr qsizetype kBatch = 32;
// How many batches may be read ahead of the one the calling thread takes next: the results
// wait in that many slots, made once per scan.
constexpr qsizetype kWindow = 2 * kReadThreads;
constexpr qsizetype kEntriesRoom = 256;

// Reads the car folders on worker threads and hands each result to the calling thread in
// folder order, while the next ones are being read.
class FolderReader
{
public:
    FolderReader(const QString& carsFolder, const cDirList& folders)
        : mCarsFolder(carsFolder), mFolders(folders),
          mBatches((folders.size() + kBatch - 1) / kBatch),
          mRead(size_t(qMin(mBatches, kWindow) * kBatch)), mFilled(size_t(kWindow), -1)
    {
        // Room for the usual carinfo.ini's entries, from this thread's heap: what a thread
        // allocates and another frees stays in the first one's heap, and would make every
        // refresh of a long list take a little more memory.
        for (cCarFolder& read : mRead)
            read.entries.reserve(kEntriesRoom);
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
        {
            const std::lock_guard<std::mutex> lock(mMutex);
            mStop = true;
        }
        mSpace.notify_all();
        for (std::thread& thread : mThreads)
            thread.join();
    }

    template <typename Use> void ForEach(Use use)
    {
        for (qsizetype batch = 0; batch < mBatches; ++batch) {
            const qsizetype slot = batch % kWindow;
            if (mThreads.empty()) {
                Read(batch);
            } else {
                std::unique_lock<std::mutex> lock(mMutex);
                mWaitingFor = batch;
                mReady.wait(lock, [&] { return mFilled[size_t(slot)] == batch; });
                mWaitingFor = -1;
            }
            const qsizetype first = batch * kBatch;
            for (qsizetype i = first; i < qMin(mFolders.size(), first + kBatch); ++i)
                use(mFolders[i], mRead[size_t(slot * kBatch + i - first)]);
            {
                const std::lock_guard<std::mutex> lock(mMutex);
                mTaken = batch + 1;
            }
            mSpace.notify_one();
        }
    }

private:
    void Read(qsizetype batch)
    {
        const qsizetype first = batch * kBatch;
        cCarFolder* slot = &mRead[size_t(batch % kWindow * kBatch)];
        for (qsizetype i = first; i < qMin(mFolders.size(), first + kBatch); ++i)
            slot[i - first].Read(mCarsFolder, mFolders[i].FolderName);
    }

    void Work()
    {
        for (;;) {
            qsizetype batch = 0;
            {
                std::unique_lock<std::mutex> lock(mMutex);
                mSpace.wait(lock,
                            [&] { return mStop || mNext >= mBatches || mNext < mTaken + kWindow; });
                if (mStop || mNext >= mBatches)
                    return;
                batch = mNext++;
            }
            Read(batch);
            bool wake = false;
            {
                const std::lock_guard<std::mutex> lock(mMutex);
                mFilled[size_t(batch % kWindow)] = batch;
                wake = mWaitingFor == batch;
            }
            if (wake)
                mReady.notify_one();
        }
    }

    const FileSystem::Folder mCarsFolder;
    const cDirList& mFolders;
    const qsizetype mBatches;
    std::vector<cCarFolder> mRead; // kWindow slots of kBatch results
    std::mutex mMutex;
    std::condition_variable mReady; // a batch was read
    std::condition_variable mSpace; // a batch was taken, or the reading stops
    // Under mMutex:
    std::vector<qsizetype> mFilled; // by slot: the batch whose results it holds
    qsizetype mNext = 0;            // the next batch to read
    qsizetype mTaken = 0;           // batches handed to the calling thread
    qsizetype mWaitingFor = -1;
    bool mStop = false;
    std::vector<std::thread> mThreads;
};

// Loads a record of each folder of the context's cars folder, in folder order, and hands it to
// file. The records, their messages and gCars are made on this thread; only the reading of the
// folders goes to other threads, and only when there are enough of them to share.
template <typename File>
void LoadCars(const CarContext& context, const cDirList& folders, File file)
{
    // Without a game folder no record reads anything.
    if (folders.size() <= kBatch || !context.gameFolderFound) {
        for (const cDir& folder : folders) {
            auto car = std::make_shared<cCar>();
            car->setDirectoryName(folder.FolderName);
            car->LoadSettings(context);
            file(std::move(car));
        }
    } else {
        FolderReader reader(context.carsFolder, folders);
        reader.ForEach([&file, &context](const cDir& folder, const cCarFolder& read) {
            auto car = std::make_shared<cCar>();
            car->setDirectoryName(folder.FolderName);
            car->LoadSettings(context, read);
            file(std::move(car));
        });
    }
}

} // namespace

ScannedCars ScanCars(const CarContext& context)
{
    const cDirList folders = modDirSearch::ListCarFolders(context.carsFolder);
    modMain::ReleaseCars();

    ScannedCars scanned;
    scanned.carsFolder = context.carsFolder;
    modMain::gCars().Reserve(folders.size());
    LoadCars(context, folders, [&scanned](std::shared_ptr<cCar> car) {
        QList<std::shared_ptr<cCar>>* branch = nullptr;
        if (car->Classified() == cCar::Classification::Original)
            branch = &scanned.standard;
        else if (car->Classified() == cCar::Classification::Custom)
            branch = &scanned.custom;
        if (branch && modMain::gCars().Add(car, car->DirectoryName()))
            branch->append(std::move(car));
    });

    // The game reads none of them: they are listed, but neither filed in gCars nor counted.
    if (!context.gameFolderFound)
        return scanned;
    CarContext disabled = context;
    disabled.carsFolder = modDisabledCars::ExistingFolder(context.carsFolder);
    if (disabled.carsFolder.isEmpty())
        return scanned;
    disabled.disabled = true;
    scanned.disabledFolder = disabled.carsFolder;
    const cDirList disabledFolders = modDirSearch::ListCarFolders(disabled.carsFolder);
    scanned.disabled.reserve(disabledFolders.size());
    LoadCars(disabled, disabledFolders,
             [&scanned](std::shared_ptr<cCar> car) { scanned.disabled.append(std::move(car)); });
    return scanned;
}

QString NodeText(const cCar& car)
{
    if (car.CarName().isEmpty())
        return car.DirectoryName();
    // Made at its exact size: the tree keeps one of these for every car.
    QString text;
    text.reserve(car.DirectoryName().size() + car.CarName().size() + 3);
    text += car.DirectoryName();
    text += QLatin1String(" (");
    text += car.CarName();
    text += QLatin1Char(')');
    return text;
}

QString Warning(const cCar& car)
{
    if (car.ForeignName().isEmpty())
        return {};
    if (car.ForeignBytes())
        return QStringLiteral("The game cannot open this car under Wine: %1 is not a UTF-8 name.")
            .arg(car.ForeignName());
    return QStringLiteral(
               "The game cannot open this car under Wine: %1 is not a name Windows can hold.")
        .arg(car.ForeignName());
}

} // namespace modCarList
