#pragma once

#include "ui/SharedWindow.h"

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

// Lets the user point Torvane at the game's folder: a drive list, the folder tree of the chosen
// drive with one current (open) folder, and OK only for a folder that holds drovak.exe. One
// instance, shown modeless; each opening starts afresh at the process's current folder.
class frmGetDirectory : public QDialog, public SharedWindow<frmGetDirectory>
{
    Q_OBJECT
    friend class SharedWindow<frmGetDirectory>;

public:
protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit frmGetDirectory(QWidget* parent = nullptr);
    void createControls();
    void connectControls();
    void fillDrives();
    QString driveOf(const QString& folder) const;
    void driveChosen(int index);
    void openFolder(const QString& folder);
    void showFolder(const QString& folder);
    void refreshFolderUnderTest();
    void okClicked();

    QComboBox* Drive1 = nullptr;
    QTreeWidget* Dir1 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLabel* lblCurrentPath = nullptr;

    QString mDrive;   // the chosen drive's root
    QString mCurrent; // the open folder; a root keeps its trailing separator
    bool mBuilding = false;
};
