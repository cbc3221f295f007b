#include "ui/options/frmOptions.h"

#include <QPointer>

namespace {
QPointer<frmOptions> gShared;
}

frmOptions::frmOptions(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOptions"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Options"));
}

frmOptions* frmOptions::Shared()
{
    return gShared;
}

frmOptions* frmOptions::ShowShared()
{
    if (!gShared)
        gShared = new frmOptions;
    gShared->show();
    gShared->raise();
    gShared->activateWindow();
    return gShared;
}
