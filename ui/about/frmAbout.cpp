#include "ui/about/frmAbout.h"

#include <QPointer>

namespace {
QPointer<frmAbout> gShared;
}

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("About Torvane"));
}

frmAbout* frmAbout::Shared()
{
    return gShared;
}

frmAbout* frmAbout::ShowShared()
{
    if (!gShared)
        gShared = new frmAbout;
    gShared->show();
    gShared->raise();
    gShared->activateWindow();
    return gShared;
}
