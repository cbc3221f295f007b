#include "platform/FileOpenBox.h"

namespace FileOpenBox {

namespace {
Presenter* gPresenter = nullptr;
}

std::optional<QString> Show(const QString& startFile, const QString& title, const QString& filter)
{
    if (gPresenter)
        return gPresenter->present(startFile, title, filter);
    return std::nullopt;
}

std::optional<QString> ShowSave(const QString& startFile, const QString& title,
                                const QString& filter)
{
    if (gPresenter)
        return gPresenter->presentSave(startFile, title, filter);
    return std::nullopt;
}

Presenter* SetPresenter(Presenter* presenter)
{
    Presenter* previous = gPresenter;
    gPresenter = presenter;
    return previous;
}

} // namespace FileOpenBox
