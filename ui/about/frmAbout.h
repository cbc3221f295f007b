#pragma once

#include "platform/Registry.h"

#include "ui/SharedWindow.h"

#include <QDialog>

class QLabel;
class QPushButton;

// The program's title, version and maker, with a link to the maker's site and a button that
// starts the system-information tool. One instance, shown modeless.
class frmAbout : public QDialog, public SharedWindow<frmAbout>
{
    Q_OBJECT
    friend class SharedWindow<frmAbout>;

public:
    // Finds the system-information tool through the registry and starts it, or tells the user
    // that it is unavailable.
    static void StartSysInfo();

    // Reads the value subKeyRef of the key keyName under keyRoot into keyVal, as text: a
    // string as stored without its terminating zero, a number in decimal. A value of any other
    // type leaves keyVal as it was. False, with keyVal emptied, when the key cannot be opened
    // or the value is missing or longer than the 1024 bytes the read has room for.
    static bool GetKeyValue(Registry::Root keyRoot, const QString& keyName,
                            const QString& subKeyRef, QString& keyVal);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    explicit frmAbout(QWidget* parent = nullptr);
    void createControls();

    QLabel* lblZelmor = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;
};
