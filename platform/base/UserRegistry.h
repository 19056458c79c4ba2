#pragma once
// A small per-user store for the few values that do not belong in the
// settings file (the first-run marker). One INI file, "Registry.INI", in the
// product's per-user folder; each program title gets sections of its own,
// named "<title>/<section>".
#include <QString>

QString GetSetting(const QString& appName, const QString& section, const QString& key,
                   const QString& defaultValue = QString());
bool SaveSetting(const QString& appName, const QString& section, const QString& key,
                 const QString& value);

// The store's file: "$XDG_CONFIG_HOME/Kestrova, Inc/Tessaview/Registry.INI".
QString UserRegistryFilePath();
