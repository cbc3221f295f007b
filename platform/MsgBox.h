#pragma once

#include <QString>

// The one way the program shows a message box. The logic calls Show(); whoever runs the
// program decides what a box is: the windows install a QMessageBox presenter, tests install
// a recorder, and without either each box goes to standard error and takes its default
// button, so the logic runs headless.
namespace MsgBox {

enum class Icon { None, Information, Exclamation, Question, Critical };
// With YesNo, Yes is the default button; with SaveDiscardCancel, Save is, and Escape or the
// close box cancels.
enum class Buttons { Ok, YesNo, SaveDiscardCancel };
enum class Answer { Ok, Yes, No, Save, Discard, Cancel };

struct Box
{
    QString title;
    QString text;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
};

class Presenter
{
public:
    virtual ~Presenter() = default;
    virtual Answer present(const Box& box) = 0;
};

// A box without a title of its own shows the program's title.
inline const QString kProgramTitle = QStringLiteral("Torvane");

Answer Show(const QString& text, Icon icon = Icon::None, const QString& title = QString(),
            Buttons buttons = Buttons::Ok);

Answer DefaultAnswer(Buttons buttons);

// Not owned; nullptr restores the standard-error fallback. Returns the previous presenter.
Presenter* SetPresenter(Presenter* presenter);

} // namespace MsgBox
