#include "ui/wizard/frmCreateCarWizard.h"

frmCreateCarWizard::frmCreateCarWizard(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCreateCarWizard"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Create Car Wizard"));
}

void frmCreateCarWizard::setTemplateText(const QString& /*text*/) {}
