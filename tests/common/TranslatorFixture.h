#pragma once
// The translator started for a user of the test's own: the user-data folder
// and the settings file in `folder`, the language chosen in the settings and
// its language file holding `languageFile`.
#include "base/Profile.h"
#include "core/Globals.h"
#include "core/Translator.h"
#include "TestUtil.h"

#include <QDir>

namespace testutil {

// True when the translator runs in `language`.
inline bool startTranslator(const QString& folder, const QString& language, const QByteArray& languageFile)
{
    G_UserDataFolder = folder + u'/';
    G_IniFilePath = folder + QStringLiteral("/settings.ini");
    const QString file = G_UserDataFolder + QStringLiteral("Languages/") + language + QStringLiteral("-'Tessaview'.txt");
    if (!QDir().mkpath(folder + QStringLiteral("/Languages")) || !writeFile(file, languageFile)
        || !WritePrivateProfileString(QStringLiteral("Language"), QStringLiteral("Language_Code"), language,
                                      G_IniFilePath))
        return false;
    ResetTranslator();
    InitializeTranslator();
    return G_sLanguage == language;
}

} // namespace testutil
