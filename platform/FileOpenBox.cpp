#include "platform/FileOpenBox.h"

namespace FileOpenBox {

namespace {
Presenter* gPresenter = nullptr;
}

std::optional<QString> Show(const QString& startFile)
{
    if (gPresenter)
        return gPresenter->present(startFile);
    return std::nullopt;
}

Presenter* SetPresenter(Presenter* presenter)
{
    Presenter* previous = gPresenter;
    gPresenter = presenter;
    return previous;
}

} // namespace FileOpenBox
