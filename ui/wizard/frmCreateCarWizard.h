#pragma once

#include "cars/cCarsFolder.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

// Makes a new car from an existing one. Every opening makes a new wizard; several may be
// open at once.
class frmCreateCarWizard : public QDialog
{
    Q_OBJECT

public:
    // The template list holds the cars listed at this moment, in the list's order; the car is
    // made in cars.
    explicit frmCreateCarWizard(const cCarsFolder& cars, QWidget* parent = nullptr);

    // Sets the template field's text, as the opener's preset.
    void setTemplateText(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    void loadTemplates();
    void enableFinish();
    void finishClicked();
    void refuse(const QString& text);
    // The template field's folder name: the listed car's own name when an item of the list is
    // shown unchanged, else the text as typed.
    QString templateName() const;
    void makeCar(const QString& templateDir, const QString& targetDir);

    const cCarsFolder mCars;
    QComboBox* cboCarNames = nullptr;
    QLineEdit* txtCarName = nullptr;
    QLineEdit* txtDirName = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdFinish = nullptr;
};
