#include "ui/about/modInternet.h"

namespace modInternet {

Launcher::Result OpenWebPage(const QString& address)
{
    return Launcher::OpenUrl(address);
}

} // namespace modInternet
