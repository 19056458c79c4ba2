#pragma once
// What every fuzz target shares: a sandbox folder that is the current
// folder, the home and the temporary folder of the process, so that no
// input can make the code under test read or write elsewhere; a message
// sink that drops every box; and the input's bytes in the forms the
// readers take.
#include "base/MessageSink.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace fuzz {

class SilentSink : public MessageSink
{
public:
    MessageAnswer showMessage(const QString&, const QString&, MessageButtons buttons, MessageIcon) override
    {
        return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel ? MessageAnswer::No
                                                                                           : MessageAnswer::Cancel;
    }
};

class Sandbox
{
public:
    Sandbox()
    {
        if (!m_dir.isValid())
            std::abort();
        m_root = m_dir.path();
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR",
                                 "TMPDIR"})
            ::setenv(name, QFile::encodeName(m_root).constData(), 1);
        if (::chdir(QFile::encodeName(m_root).constData()) != 0)
            std::abort();
        SetMessageSink(&m_sink);
    }

    QString root() const { return m_root; }
    QString file(const char* name) const { return m_root + u'/' + QString::fromLatin1(name); }

    // Removes whatever the last input left in the sandbox.
    void clear() const
    {
        QDir dir(m_root);
        const auto entries = dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo& entry : entries) {
            if (entry.isDir() && !entry.isSymLink())
                QDir(entry.filePath()).removeRecursively();
            else
                QFile::remove(entry.filePath());
        }
    }

private:
    QTemporaryDir m_dir;
    QString m_root;
    SilentSink m_sink;
};

// One sandbox per process, made on first use.
inline Sandbox& sandbox()
{
    static Sandbox box;
    return box;
}

inline QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

inline QString text(const uint8_t* data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
}

inline bool writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size();
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A broken promise of the code under test: reported, then the process ends
// the way a sanitizer would, so that libFuzzer keeps the input.
[[noreturn]] inline void fail(const char* what, const QString& detail = QString())
{
    std::fprintf(stderr, "fuzz check failed: %s %s\n", what, detail.toUtf8().constData());
    std::abort();
}

inline void check(bool condition, const char* what, const QString& detail = QString())
{
    if (!condition)
        fail(what, detail);
}

} // namespace fuzz
