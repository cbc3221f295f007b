#pragma once

#include <QString>

// The program's web links.
namespace modInternet {

inline const QString kMerrowinDrovakPage = QStringLiteral("https://www.merrowin.example/drovak/");
inline const QString kZelmorPage = QStringLiteral("https://www.zelmor.example/");
inline const QString kDrovakWebRing =
    QStringLiteral("https://webring.example/cgi-bin/webring?ring=drovak;list");

// Opens the address in the user's web browser, without waiting for it. A page that cannot be
// opened says why in a box, as a program that cannot be started does.
void OpenWebPage(const QString& address);

} // namespace modInternet
