#include "ui/FocusedButton.h"

#include <QKeyEvent>
#include <QPushButton>

namespace {

class EnterPresses : public QObject
{
public:
    explicit EnterPresses(QPushButton* button) : QObject(button), mButton(button) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == mButton && event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                mButton->click();
                return true;
            }
        }
        return false;
    }

private:
    QPushButton* mButton;
};

} // namespace

void PressOnEnterWhenFocused(QPushButton* button)
{
    button->installEventFilter(new EnterPresses(button));
}
