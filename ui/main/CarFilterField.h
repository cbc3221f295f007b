#pragma once

#include <QLineEdit>

// The field the player types a filter of the car list into. Ctrl+F anywhere in its window
// comes to it; Escape in it clears it.
class CarFilterField : public QLineEdit
{
    Q_OBJECT

public:
    explicit CarFilterField(QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
