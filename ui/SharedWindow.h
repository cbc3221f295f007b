#pragma once

#include <QPointer>

// One window of its kind: loaded on first use and shown modeless; showing it while it is open
// only brings it forward. Closing it unloads it (the window deletes itself on close), and the
// next showing loads it afresh.
template <typename Window> class SharedWindow
{
public:
    static Window* ShowShared()
    {
        QPointer<Window>& shared = Instance();
        if (shared) {
            shared->raise();
        } else {
            shared = new Window;
            shared->show();
        }
        shared->activateWindow();
        return shared;
    }

    // The open window, or nullptr.
    static Window* Shared() { return Instance(); }

private:
    static QPointer<Window>& Instance()
    {
        static QPointer<Window> shared;
        return shared;
    }
};
