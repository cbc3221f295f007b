#include "Archives.h"

// The fuzzer's first archives, one of each shape the installer tells apart, in each format the
// tests make; the fuzzer mutates them into the shapes no test thought of.
int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: install_fuzzer_seeds FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    const QByteArrayList shapes[] = {
        {"parameters.txt", "car.bmp"},
        {"Download/", "Download/fastcar/Parameters.TXT", "Download/fastcar/skins/blue.bmp"},
        {"fastcar/parameters.txt", "mine/parameters.txt", "mine/car.bmp"},
        {"car/parameters.txt", "car"},
        {"fastcar/skins/parameters.txt", "fastcar/parameters.txt", "fastcar/car.bmp"},
    };
    int made = 0;
    for (const char* kind : {"zip", "zip-utf8", "7zip", "tar.gz"})
        for (const QByteArrayList& entries : shapes)
            MakeArchive(QStringLiteral("%1/%2-%3").arg(folder, kind).arg(made++), kind, entries);
    return 0;
}
