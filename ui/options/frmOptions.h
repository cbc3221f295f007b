#pragma once

#include <QDialog>

// Where the user sets the game folder, the two editors and the author name. One instance,
// shown modeless; closing it unloads it.
class frmOptions : public QDialog
{
    Q_OBJECT

public:
    // Shows the one instance, loading it first when it is not open; an open one comes forward.
    static frmOptions* ShowShared();
    // The open instance, or nullptr.
    static frmOptions* Shared();

private:
    explicit frmOptions(QWidget* parent = nullptr);
};
