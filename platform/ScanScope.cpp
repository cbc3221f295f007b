#include "platform/ScanScope.h"

namespace {
quint64 gLast = 0;
quint64 gCurrent = 0;
int gDepth = 0;
} // namespace

ScanScope::ScanScope()
{
    if (gDepth++ == 0)
        gCurrent = ++gLast;
}

ScanScope::~ScanScope()
{
    if (--gDepth == 0)
        gCurrent = 0;
}

quint64 ScanScope::Current()
{
    return gCurrent;
}
