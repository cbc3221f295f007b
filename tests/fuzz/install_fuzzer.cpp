#include "Archives.h"
#include "cars/CarContext.h"
#include "cars/install/InstallFolders.h"
#include "cars/install/modInstallCar.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/MsgBox.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

// Any bytes, taken for an archive a player downloaded, installed into a cars folder that holds
// a custom car and a standard one. Whatever the bytes, the install keeps its promises: nothing
// is written beside the cars folder, no unpacking folder is left, every car it names came
// whole, and a car it did not replace is as it was.

namespace {

const QString kCustom = QStringLiteral("mine");
const QString kStandard = QStringLiteral("rc");
// Named as the custom car, so that a car at the archive's root replaces it.
const QString kArchive = QStringLiteral("mine.zip");

QStringList Names(const QString& folder)
{
    QStringList names;
    for (const FileSystem::Entry& entry :
         FileSystem::List(folder).value_or(QList<FileSystem::Entry>()))
        names.append(entry.name);
    names.sort();
    return names;
}

// Says yes to every box: a car named as one installed is replaced.
struct Scratch : MsgBox::Presenter
{
    // On a disk in memory where there is one: the install flushes what it writes.
    QTemporaryDir root{QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                           ? QStringLiteral("/dev/shm/torvane-fuzz-XXXXXX")
                           : QDir::tempPath() + QStringLiteral("/torvane-fuzz-XXXXXX")};
    QString game = FileNames::Join(root.path(), QStringLiteral("game"));
    QString archive = FileNames::Join(root.path(), kArchive);
    CarContext context{FileNames::Join(game, QStringLiteral("cars")), true,
                       modQuarnIniAPI::Profile::Parse("[Classify]\r\nrc=original\r\n")};
    QStringList custom;
    QStringList standard;

    Scratch()
    {
        MsgBox::SetPresenter(this);
        reset();
        custom = Tree(car(kCustom));
        standard = Tree(car(kStandard));
    }
    MsgBox::Answer present(const MsgBox::Box& box) override
    {
        return MsgBox::DefaultAnswer(box.buttons);
    }
    QString car(const QString& name) const { return FileNames::Join(context.carsFolder, name); }
    // The custom car and the standard one, each file holding its own name.
    void reset() const
    {
        for (const QString& name : Names(context.carsFolder))
            FileSystem::RemoveTree(context.carsFolder, name);
        MakeArchive(context.carsFolder, "folder",
                    {"mine/Parameters.txt", "mine/car.bmp", "mine/skins/blue.bmp",
                     "rc/Parameters.txt", "rc/car.bmp", "rc/skins/blue.bmp"});
    }
    // What the install broke of its promises; empty when it kept them all.
    QString broken(const modInstallCar::Report& report) const
    {
        if (Names(root.path()) != QStringList{QStringLiteral("game"), kArchive})
            return "only the archive and the game folder are in the scratch folder, not " +
                   Names(root.path()).join(QLatin1Char(' '));
        if (Names(game) != QStringList{QStringLiteral("cars")})
            return "only the cars folder is in the game folder, not " +
                   Names(game).join(QLatin1Char(' '));
        for (const QString& name : Names(context.carsFolder)) {
            if (InstallFolders::IsUnpacking(name))
                return "no unpacking folder is left, but there is " + name;
        }
        for (const QString& name : report.installed) {
            const QStringList files = Names(car(name));
            if (!FileSystem::StatusOf(car(name)).folder ||
                std::none_of(files.begin(), files.end(), [&](const QString& file) {
                    return FileNames::NameKey(file) == QLatin1String("parameters.txt") &&
                           FileSystem::StatusOf(FileNames::Join(car(name), file)).plainFile;
                }))
                return "an installed car is a folder holding parameters.txt, not " + name;
        }
        if (!report.installed.contains(kCustom) && Tree(car(kCustom)) != custom)
            return "a car not replaced is as it was, not " + kCustom;
        if (Tree(car(kStandard)) != standard)
            return "a standard car is never replaced, but " + kStandard + " changed";
        return {};
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Scratch scratch;
    scratch.reset();
    FileSystem::ReplaceFile(scratch.archive,
                            QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));

    const modInstallCar::Report report = modInstallCar::Install({scratch.archive}, scratch.context);
    if (const QString broken = scratch.broken(report); !broken.isEmpty()) {
        std::fprintf(stderr, "Broken promise: %s\nThe install's report:\n%s\n", qPrintable(broken),
                     qPrintable(report.text));
        std::abort();
    }
    return 0;
}
