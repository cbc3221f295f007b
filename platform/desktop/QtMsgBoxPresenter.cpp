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
    switch (box.buttons) {
    case MsgBox::Buttons::YesNo:
        message.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        message.setDefaultButton(QMessageBox::Yes);
        break;
    case MsgBox::Buttons::SaveDiscardCancel:
        message.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        message.setDefaultButton(QMessageBox::Save);
        message.setEscapeButton(QMessageBox::Cancel);
        break;
    case MsgBox::Buttons::Ok:
        message.setStandardButtons(QMessageBox::Ok);
        break;
    }
    switch (message.exec()) {
    case QMessageBox::Yes:
        return MsgBox::Answer::Yes;
    case QMessageBox::No:
        return MsgBox::Answer::No;
    case QMessageBox::Save:
        return MsgBox::Answer::Save;
    case QMessageBox::Discard:
        return MsgBox::Answer::Discard;
    case QMessageBox::Cancel:
        return MsgBox::Answer::Cancel;
    default:
        break;
    }
    // The close box of a Yes/No box says No; of an OK box, OK.
    return box.buttons == MsgBox::Buttons::YesNo ? MsgBox::Answer::No : MsgBox::Answer::Ok;
}
