#include "ui/main/CarPicture.h"

#include "app/modMain.h"
#include "cars/cCar.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "ui/Twips.h"

#include <QLabel>
#include <QMouseEvent>

CarPicture::CarPicture(QWidget* parent) : QGroupBox(parent)
{
    setObjectName(QStringLiteral("fraImage"));
    setAutoFillBackground(true);
    imgSkin = new QLabel(this);
    imgSkin->setObjectName(QStringLiteral("imgSkin"));
    PlaceTwips(imgSkin, 120, 240, 4215, 3135);
    imgSkin->setScaledContents(true);
    imgSkin->installEventFilter(this);
}

void CarPicture::ShowCar(const cCar& car)
{
    const FileNames::FolderListing listing(car.FolderPath());
    if (car.HasPhoto())
        ShowPicture(listing.path(car.DirectoryName() + QStringLiteral(".jpg")));
    else if (!listing.hasPlainFile(QStringLiteral("car.bmp")))
        ShowPicture(FileNames::Join(modMain::AppPath(), QStringLiteral("notfound.jpg")));
    else
        ShowPicture(listing.path(QStringLiteral("car.bmp")));
}

void CarPicture::Repaint()
{
    imgSkin->update();
}

bool CarPicture::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == imgSkin && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        emit paintRequested();
        return true;
    }
    return QGroupBox::eventFilter(watched, event);
}

void CarPicture::ShowPicture(const QString& path)
{
    // A picture that is missing or cannot be decoded leaves the box empty but usable. Only a
    // plain file is read: a FIFO of that name would hang the window.
    QPixmap picture;
    if (const ResultOf<QByteArray> bytes = FileSystem::ReadPlainFile(path))
        picture.loadFromData(*bytes);
    if (picture.isNull())
        imgSkin->clear();
    else
        imgSkin->setPixmap(picture);
}
