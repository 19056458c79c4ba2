// The settings-file layer on any file. Every key the file seems to hold can
// be read; writing one new key reads back as written and leaves every
// other key's value as it was; a write that is refused (a file that is not
// text, a name that cannot be stored) leaves the file byte for byte.
#include "FuzzSupport.h"

#include "base/Profile.h"

#include <QList>
#include <QPair>

namespace {

// Section and key names as a simple reader would see them in the text.
QList<QPair<QString, QString>> apparentKeys(const QString& text)
{
    QList<QPair<QString, QString>> keys;
    QString section;
    const QStringList lines = text.split(u'\n');
    for (QString line : lines) {
        line = line.trimmed();
        if (line.startsWith(u'[') && line.contains(u']')) {
            section = line.mid(1, line.indexOf(u']') - 1);
        } else if (line.contains(u'=') && !section.isEmpty()) {
            keys.append({section, line.left(line.indexOf(u'=')).trimmed()});
        }
        if (keys.size() >= 16)
            break;
    }
    return keys;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Sandbox& box = fuzz::sandbox();
    const QString path = box.file("settings.ini");
    const QByteArray content = fuzz::bytes(data, size);
    if (!fuzz::writeFile(path, content))
        return 0;
    const QString text = QString::fromUtf8(content);
    const QList<QPair<QString, QString>> keys = apparentKeys(text);
    QStringList before;
    for (const auto& [section, key] : keys)
        before << GetPrivateProfileString(section, key, QStringLiteral("\x01missing"), path);
    GetPrivateProfileInt(keys.value(0).first, keys.value(0).second, -7, path);

    const QString section = keys.isEmpty() ? QStringLiteral("Fuzz") : keys.first().first;
    const QString key = QStringLiteral("FuzzAddedKey");
    const QString value = QStringLiteral("added value");
    if (!WritePrivateProfileString(section, key, value, path)) {
        fuzz::check(fuzz::readFile(path) == content, "a refused write changed the file");
        return 0;
    }
    fuzz::check(!IsDamagedProfile(path), "a file that took a key is called damaged");
    fuzz::check(GetPrivateProfileString(section, key, QString(), path) == value, "a written key did not read back",
                section);
    for (int i = 0; i < keys.size(); ++i) {
        if (keys[i].second.compare(key, Qt::CaseInsensitive) == 0)
            continue;
        const QString after = GetPrivateProfileString(keys[i].first, keys[i].second, QStringLiteral("\x01missing"), path);
        fuzz::check(after == before[i], "writing a key changed another",
                    keys[i].first + u'/' + keys[i].second + u'=' + before[i] + QStringLiteral(" became ") + after);
    }
    return 0;
}
