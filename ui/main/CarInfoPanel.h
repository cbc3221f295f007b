#pragma once

#include <QGroupBox>

#include <memory>

class cCar;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The shown car's information: its name, author, template and description, which the player
// may edit and save unless it is one of the game's own cars, and the button to its read-me.
class CarInfoPanel : public QGroupBox
{
    Q_OBJECT

public:
    // The text boxes take the font of parent's window, which parent must already be in.
    explicit CarInfoPanel(QWidget* parent);

    // Fills the panel from car, which Update then saves to, with nothing yet to save. A
    // read-only car, like the game's own, is shown and never changed.
    void ShowCar(const std::shared_ptr<cCar>& car, bool readOnly = false);
    // What keeps the game from using the car, below its description; nothing for none.
    void ShowProblems(const QStringList& lines);
    // Whatever is about to show another car, or none: true when the panel may let go of the
    // shown car. Edits not yet saved with Update are saved, or dropped, as the player says in
    // answer to the question; false when the player cancels or the save fails, and the edits
    // stay.
    bool MayLeave();

signals:
    void readMeRequested();

private:
    void ShowCarInfo();
    // False, with the player told why, when the edits could not be saved.
    bool UpdateCarInfo();

    QPushButton* cmdReadMe = nullptr;
    QPushButton* cmdUpdateCarInfo = nullptr;
    QLineEdit* txtCarName = nullptr;
    QLineEdit* txtCarAuthor = nullptr;
    QLineEdit* txtCarBasedOn = nullptr;
    QPlainTextEdit* txtDescription = nullptr;
    QLabel* lblProblems = nullptr;
    QPlainTextEdit* txtProblems = nullptr;

    std::shared_ptr<cCar> mCar;
    bool mReadOnly = false;
};
