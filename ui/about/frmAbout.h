#pragma once

#include <QDialog>

// The program's title, version and maker. One instance, shown modeless.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    // Shows the one instance, loading it first when it is not open; an open one comes forward.
    static frmAbout* ShowShared();
    // The open instance, or nullptr.
    static frmAbout* Shared();

private:
    explicit frmAbout(QWidget* parent = nullptr);
};
