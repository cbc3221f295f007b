#pragma once

#include <QString>

#include <optional>

// The one way the program asks the user for a file to open. The windows install a presenter
// that shows the desktop's file dialog; tests install one that answers from a queue of preset
// file names and cancels. Without either, every box counts as cancelled, so the logic runs
// headless.
namespace FileOpenBox {

class Presenter
{
public:
    virtual ~Presenter() = default;
    // The full path of the file chosen, or nothing when the user cancelled. startFile is the
    // file the box opens on; empty leaves the start to the desktop. An empty title or filter
    // leaves them to the desktop too; a filter is "Description (*.a *.b)".
    virtual std::optional<QString> present(const QString& startFile, const QString& title,
                                           const QString& filter) = 0;
    // The same for a file to save: startFile proposes the folder and the name. The box never
    // asks about replacing a file that is there: its caller does, once it knows it may.
    virtual std::optional<QString> presentSave(const QString& /*startFile*/,
                                               const QString& /*title*/, const QString& /*filter*/)
    {
        return std::nullopt;
    }
};

std::optional<QString> Show(const QString& startFile = {}, const QString& title = {},
                            const QString& filter = {});
std::optional<QString> ShowSave(const QString& startFile, const QString& title,
                                const QString& filter);

// Not owned; nullptr restores the headless fallback. Returns the previous presenter.
Presenter* SetPresenter(Presenter* presenter);

} // namespace FileOpenBox
