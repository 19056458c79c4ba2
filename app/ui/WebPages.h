#pragma once
// Addresses the Help menu and the About box open.
#include <QString>

inline const QString kProductHomePage = QStringLiteral("https://www.kestrova.example/tessaview/");
inline const QString kProductUpdatesPage = QStringLiteral("https://www.kestrova.example/tessaview/revisions.html");
inline const QString kMakerHomePage = QStringLiteral("https://www.kestrova.example/");
inline const QString kSupportMailAddress = QStringLiteral("support@kestrova.example");
