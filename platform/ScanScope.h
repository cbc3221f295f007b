#pragma once

#include <QtGlobal>

// While a scan runs, every car consults the same few facts: the settings file's tables and
// whether the game folder exists. Inside a ScanScope each of them is checked against the disk
// once, not once per car; outside one they are checked on every use.
class ScanScope
{
public:
    ScanScope();
    ~ScanScope();
    ScanScope(const ScanScope&) = delete;
    ScanScope& operator=(const ScanScope&) = delete;

    // Non-zero while a scope is open, and different for every scope: a fact checked under
    // the current number needs no second check.
    static quint64 Current();
};
