#include "ui/about/modInternet.h"

#include "platform/Launcher.h"
#include "platform/MsgBox.h"

namespace modInternet {

void OpenWebPage(const QString& address)
{
    const Launcher::Result opened = Launcher::OpenUrl(address);
    if (!opened.success())
        MsgBox::Show(opened.message, MsgBox::Icon::Exclamation);
}

} // namespace modInternet
