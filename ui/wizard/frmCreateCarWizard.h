#pragma once

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
    // The template list holds the cars listed at this moment, in the list's order.
    explicit frmCreateCarWizard(QWidget* parent = nullptr);

    // Sets the template field's text, as the opener's preset.
    void setTemplateText(const QString& text);

private:
    void createControls();
    void loadTemplates();
    void enableFinish();
    void finishClicked();
    void refuse(const QString& text);
    void MakeCarPath(const QString& templateDir, const QString& targetDir);

    QComboBox* cboCarNames = nullptr;
    QLineEdit* txtCarName = nullptr;
    QLineEdit* txtDirName = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdFinish = nullptr;
};
