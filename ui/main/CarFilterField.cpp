#include "ui/main/CarFilterField.h"

#include <QAction>
#include <QKeyEvent>

CarFilterField::CarFilterField(QWidget* parent) : QLineEdit(parent)
{
    setObjectName(QStringLiteral("txtFilter"));
    setPlaceholderText(QStringLiteral("Filter cars (Ctrl+F)"));
    setClearButtonEnabled(true);
    auto* find = new QAction(this);
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    find->setShortcutContext(Qt::WindowShortcut);
    connect(find, &QAction::triggered, this, [this] {
        setFocus(Qt::ShortcutFocusReason);
        selectAll();
    });
    addAction(find);
}

void CarFilterField::keyPressEvent(QKeyEvent* event)
{
    // An empty field lets Escape through, to whatever else the window does with it.
    if (event->key() == Qt::Key_Escape && !text().isEmpty())
        clear();
    else
        QLineEdit::keyPressEvent(event);
}
