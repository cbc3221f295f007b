#pragma once

#include "ui/SharedWindow.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class cSettings;

// Where the user sets the game folder, the two editors and the author name. One instance,
// shown modeless; closing it unloads it, and the next opening fills it from gSettings again.
class frmOptions : public QDialog, public SharedWindow<frmOptions>
{
    Q_OBJECT
    friend class SharedWindow<frmOptions>;

public:
    // The game-directory chooser confirmed a folder.
    void ShowGameFolder(const QString& folder);

    // Stores the author, derives the cars folder and writes torvane.ini. When the file cannot
    // be written the user is told which file and why, and the result is false.
    bool Apply();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    explicit frmOptions(QWidget* parent = nullptr);
    void createControls();
    void setFocusOrder();
    void connectControls();
    void centreOnScreen();
    void loadFields();
    void pickEditor(QLineEdit* field, void (cSettings::*store)(const QString&));
    void okClicked();

    QLineEdit* txtEXEDirectory = nullptr;
    QPushButton* cmdChangeCarDir = nullptr;
    QLineEdit* txtImgEditPath = nullptr;
    QPushButton* cmdChangeImgEditPath = nullptr;
    QLineEdit* txtTextEditPath = nullptr;
    QPushButton* cmdChangeTextEditPath = nullptr;
    QLineEdit* txtAuthor = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdApply = nullptr;
    // Both editor buttons share one file box, which opens on the file last picked in it.
    QString mLastPicked;
};
