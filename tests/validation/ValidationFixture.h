#pragma once
// A small tree of inputs and outputs for the validation tests. "{d}" in a
// table's path stands for the tree's folder.
#include "base/SpecialFolders.h"
#include "core/Globals.h"
#include "core/clsConversionOptions.h"
#include "TestUtil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class ValidationFixture
{
public:
    // in/  a.doc b.pdf c.txt page.html x.rtf noext report1.txt
    // out/ out/dir.v2/
    // file.txt (a file where a folder would be needed)
    bool setUp()
    {
        if (!m_dir.isValid())
            return false;
        qputenv("XDG_RUNTIME_DIR", m_dir.path().toUtf8());
        OverrideSpecialFolder(csidl::AppData, path(QStringLiteral("{d}/config")));
        if (!QDir().mkpath(path(QStringLiteral("{d}/in"))))
            return false;
        const char* const inputs[] = {"a.doc", "b.pdf", "c.txt", "page.html", "x.rtf", "noext", "report1.txt"};
        for (const char* name : inputs)
            if (!testutil::writeFile(path(QStringLiteral("{d}/in/")) + QString::fromLatin1(name), "x"))
                return false;
        return QDir().mkpath(path(QStringLiteral("{d}/out/dir.v2")))
               && testutil::writeFile(path(QStringLiteral("{d}/file.txt")), "x");
    }

    void tearDown()
    {
        ClearSpecialFolderOverrides();
        G_bCommandLineMode = false;
    }

    QString path(QString text) const
    {
        return text.replace(QStringLiteral("{d}"), m_dir.path());
    }

    QString root() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// Default option string of a conversion task.
inline const QString kDefaultOptions = QStringLiteral("*^0^FALSE^75^100^0^0^0^");
