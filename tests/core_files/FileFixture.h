#pragma once
// A fresh temporary tree for each test row. Paths in test tables write the
// tree's root as "@".
#include "TestUtil.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTest>
#include <QTemporaryDir>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

class FileFixture
{
public:
    FileFixture() : m_dir(std::make_unique<QTemporaryDir>()), m_cwd(QDir::currentPath()) {}

    ~FileFixture()
    {
        QDir::setCurrent(m_cwd);
        // Folders made read-only by a test must open up again to be removed.
        QDirIterator it(m_dir->path(), QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        ::chmod(QFile::encodeName(m_dir->path()).constData(), 0700);
        while (it.hasNext())
            ::chmod(QFile::encodeName(it.next()).constData(), 0700);
    }

    QString root() const { return m_dir->path(); }

    // Replaces "@" by the tree's root.
    QString at(QString path) const { return path.replace(QLatin1Char('@'), root()); }

    void makeFolder(const QString& path) const { QDir().mkpath(at(path)); }

    void makeFile(const QString& path, const QByteArray& bytes = "data") const
    {
        const QString full = at(path);
        QDir().mkpath(full.left(full.lastIndexOf(QLatin1Char('/'))));
        QVERIFY(testutil::writeFile(full, bytes));
    }

    static mode_t modeOf(const QString& path)
    {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
    }

    static bool runningAsRoot() { return ::geteuid() == 0; }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_cwd;
};
