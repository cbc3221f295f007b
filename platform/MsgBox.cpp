#include "platform/MsgBox.h"

#include <cstdio>

namespace MsgBox {

namespace {
Presenter* gPresenter = nullptr;
}

Answer DefaultAnswer(Buttons buttons)
{
    switch (buttons) {
    case Buttons::YesNo:
        return Answer::Yes;
    case Buttons::SaveDiscardCancel:
        return Answer::Save;
    case Buttons::Ok:
        break;
    }
    return Answer::Ok;
}

Answer Show(const QString& text, Icon icon, const QString& title, Buttons buttons)
{
    Box box{title.isEmpty() ? kProgramTitle : title, text, icon, buttons};
    if (gPresenter)
        return gPresenter->present(box);
    std::fprintf(stderr, "[%s] %s\n", qPrintable(box.title), qPrintable(box.text));
    return DefaultAnswer(buttons);
}

Presenter* SetPresenter(Presenter* presenter)
{
    Presenter* previous = gPresenter;
    gPresenter = presenter;
    return previous;
}

} // namespace MsgBox
