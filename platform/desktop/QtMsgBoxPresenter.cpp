#include "platform/desktop/QtMsgBoxPresenter.h"

#include <QApplication>
#include <QMessageBox>

MsgBox::Answer QtMsgBoxPresenter::present(const MsgBox::Box& box)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (box.icon) {
    case MsgBox::Icon::None:
        break;
    case MsgBox::Icon::Information:
        icon = QMessageBox::Information;
        break;
    case MsgBox::Icon::Exclamation:
        icon = QMessageBox::Warning;
        break;
    case MsgBox::Icon::Question:
        icon = QMessageBox::Question;
        break;
    case MsgBox::Icon::Critical:
        icon = QMessageBox::Critical;
        break;
    }
    // The texts carry the game's platform's CR LF line breaks; a label wants LF alone.
    QString text = box.text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));

    QMessageBox message(icon, box.title, text, QMessageBox::NoButton, QApplication::activeWindow());
    // Its own icon: a box at start-up has no window above it to take one from.
    message.setWindowIcon(QIcon(QStringLiteral(":/torvane.png")));
    if (box.buttons == MsgBox::Buttons::YesNo) {
        message.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        message.setDefaultButton(QMessageBox::Yes);
    } else {
        message.setStandardButtons(QMessageBox::Ok);
    }
    const int pressed = message.exec();
    if (box.buttons == MsgBox::Buttons::YesNo)
        return pressed == QMessageBox::Yes ? MsgBox::Answer::Yes : MsgBox::Answer::No;
    return MsgBox::Answer::Ok;
}
