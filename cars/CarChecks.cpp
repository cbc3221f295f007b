#include "cars/CarChecks.h"

#include "cars/ParamsPaths.h"
#include "platform/Background.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"

#include <QCache>
#include <QMultiHash>

#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace CarChecks {

namespace {

using FileSystem::Entry;

const QString kParameters = QStringLiteral("parameters.txt");

constexpr int kThreads = 8;
// Cars are handed to the threads a batch at a time.
constexpr qsizetype kBatch = 16;
// The folders besides the car's own that a thread keeps listed: the standard cars that copies
// name, mostly.
constexpr int kKeptFolders = 64;
// A folder with more entries than this is found in by a hash; a car's own folder, with a dozen
// files, is quicker to look through.
constexpr qsizetype kHashFrom = 32;

// One folder's entries, found by name as Wine finds them (ParamsPaths::Find).
class Index
{
public:
    Index() = default;
    explicit Index(QList<Entry> entries) : mEntries(std::move(entries))
    {
        if (mEntries.size() < kHashFrom)
            return;
        mKeys.reserve(mEntries.size());
        for (qsizetype i = 0; i < mEntries.size(); ++i) {
            QString key = ParamsPaths::Key(mEntries[i].name);
            if (!key.isEmpty())
                mKeys.insert(std::move(key), i);
        }
    }

    const Entry* find(QStringView name) const
    {
        if (mEntries.size() < kHashFrom)
            return ParamsPaths::Find(mEntries, name);
        qsizetype first = -1;
        for (auto it = mKeys.constFind(ParamsPaths::Key(name));
             it != mKeys.cend() && it.key() == ParamsPaths::Key(name); ++it) {
            if (mEntries[it.value()].name == name)
                return &mEntries[it.value()];
            if (first < 0 || it.value() < first)
                first = it.value();
        }
        return first < 0 ? nullptr : &mEntries[first];
    }

private:
    QList<Entry> mEntries;
    QMultiHash<QString, qsizetype> mKeys; // Key -> place in mEntries
};

// What every check of one cars folder shares, read-only once made.
class Game
{
public:
    // carsName in any letter case, as the game finds it.
    Game(const FileSystem::Folder& folder, const QString& carsName)
        : mFolder(folder), mIndex(folder.List().value_or({})), mCarsName(RealName(carsName)),
          mCars(folder, mCarsName)
    {
    }

    const FileSystem::Folder& folder() const { return mFolder; }
    const FileSystem::Folder& cars() const { return mCars; }
    const QString& carsName() const { return mCarsName; }
    const Index& index() const { return mIndex; }
    // Listed by the first check that needs it, once.
    const Index& carsIndex() const
    {
        std::call_once(mCarsListed, [this] { mCarsIndex = Index(mCars.List().value_or({})); });
        return mCarsIndex;
    }

private:
    QString RealName(const QString& name) const
    {
        const Entry* found = mIndex.find(name);
        return found ? found->name : name;
    }

    const FileSystem::Folder& mFolder;
    const Index mIndex;
    const QString mCarsName;
    const FileSystem::Folder mCars;
    mutable std::once_flag mCarsListed;
    mutable Index mCarsIndex;
};

// Checks cars one after another on one thread.
class Checker
{
public:
    explicit Checker(const Game& game) : mGame(game), mListed(kKeptFolders) {}

    QStringList check(const QString& directoryName)
    {
        const FileSystem::Folder car(mGame.cars(), directoryName);
        const Index own(car.List().value_or({}));
        const Entry* parameters = own.find(kParameters);
        const ResultOf<QByteArray> text = parameters && parameters->isFile
                                              ? car.ReadPlainFile(parameters->name)
                                              : ResultOf<QByteArray>();
        if (!text)
            return {QStringLiteral("The game cannot load this car: it has no parameters.txt.")};
        QStringList lines;
        QStringList missing;
        for (const ParamsPaths::Path& path : ParamsPaths::Paths(*text)) {
            if (!missing.contains(path.value) && !isFile(path, directoryName, own)) {
                missing.append(path.value);
                lines.append(QStringLiteral("The game cannot find %1.").arg(path.value));
            }
        }
        return lines;
    }

private:
    bool isFile(const ParamsPaths::Path& path, const QString& directoryName, const Index& own)
    {
        if (path.names.isEmpty()) // the game folder itself
            return false;
        const Index* in = &mGame.index();
        QString at; // the path of `in` from the game folder, "" for the game folder
        for (qsizetype i = 0; i + 1 < path.names.size(); ++i) {
            const Entry* folder = in->find(path.name(i));
            if (!folder || !folder->isDir)
                return false;
            QString inner = at.isEmpty() ? folder->name : at + '/' + folder->name;
            if (in == &mGame.index() && folder->name == mGame.carsName())
                in = &mGame.carsIndex();
            else if (in == &mGame.carsIndex() && folder->name == directoryName)
                in = &own;
            else
                in = listing(inner); // may drop the listing `folder` was found in
            at = std::move(inner);
        }
        const Entry* file = in->find(path.name(path.names.size() - 1));
        return file && file->isFile;
    }

    const Index* listing(const QString& path)
    {
        if (const Index* kept = mListed.object(path))
            return kept;
        auto* listed =
            new Index(FileSystem::List(FileNames::Join(mGame.folder().path(), path)).value_or({}));
        mListed.insert(path, listed);
        return listed;
    }

    const Game& mGame;
    QCache<QString, Index> mListed; // by path from the game folder
};

} // namespace

QStringList Check(const FileSystem::Folder& gameFolder, const QString& carsFolderName,
                  const QString& directoryName)
{
    const Game game(gameFolder, carsFolderName);
    return Checker(game).check(directoryName);
}

struct Runner::State
{
    State(const QString& carsFolder, QStringList directoryNames)
        : names(std::move(directoryNames)), gameFolder(Parent(carsFolder)),
          game(gameFolder, carsFolder.sliced(carsFolder.lastIndexOf(QLatin1Char('/')) + 1))
    {
    }

    static QString Parent(const QString& path)
    {
        const qsizetype separator = path.lastIndexOf(QLatin1Char('/'));
        return separator > 0 ? path.left(separator) : QStringLiteral("/");
    }

    void work(bool lowered)
    {
        // The player's window goes first: the checks fill the time it leaves.
        if (lowered)
            Background::LowerThisThread();
        Checker checker(game);
        for (;;) {
            const qsizetype first = next.fetch_add(kBatch);
            if (stop || first >= names.size())
                return;
            const qsizetype end = qMin(first + kBatch, names.size());
            for (qsizetype i = first; i < end && !stop; ++i) {
                QStringList lines = checker.check(names[i]);
                if (!lines.isEmpty()) {
                    const std::lock_guard<std::mutex> lock(mutex);
                    results.append({int(i), std::move(lines)});
                }
            }
            checked += end - first;
        }
    }

    const QStringList names;
    const FileSystem::Folder gameFolder;
    const Game game;
    std::atomic<qsizetype> next{0};
    std::atomic<qsizetype> checked{0}; // counted once their results wait
    std::atomic<bool> stop{false};
    std::mutex mutex;
    QList<QPair<int, QStringList>> results; // under mutex
    std::vector<std::thread> threads;
};

Runner::Runner(const QString& carsFolder, QStringList directoryNames)
    : mState(std::make_unique<State>(carsFolder, std::move(directoryNames)))
{
    const qsizetype batches = (mState->names.size() + kBatch - 1) / kBatch;
    const int threads = int(qMin<qsizetype>(kThreads, batches));
    try {
        for (int t = 0; t < threads; ++t)
            mState->threads.emplace_back([this] { mState->work(true); });
    } catch (const std::system_error&) {
        // The threads that did start check every car.
    }
    if (mState->threads.empty() && threads > 0)
        mState->work(false); // no thread to be had: the caller waits
}

Runner::~Runner()
{
    mState->stop = true;
    for (std::thread& thread : mState->threads)
        thread.join();
}

QList<QPair<int, QStringList>> Runner::take()
{
    const std::lock_guard<std::mutex> lock(mState->mutex);
    return std::exchange(mState->results, {});
}

bool Runner::finished() const
{
    return mState->checked >= mState->names.size();
}

} // namespace CarChecks
