#pragma once

#include <QDialog>

// Makes a new car from an existing one. Every opening makes a new wizard; several may be
// open at once.
class frmCreateCarWizard : public QDialog
{
    Q_OBJECT

public:
    explicit frmCreateCarWizard(QWidget* parent = nullptr);

    // Sets the template field's text, as the opener's preset.
    void setTemplateText(const QString& text);
};
