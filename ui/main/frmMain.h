#pragma once

#include <QMainWindow>

// The program's working window.
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);
};
