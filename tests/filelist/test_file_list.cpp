#include "engine/CFileSearch.h"
#include "engine/FileList.h"

#include "TestUtil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QTest>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The fields of a task record that the listing reads and writes.
struct FakeTask
{
    bool bDoSubFolders = false;
    QString sErr;
};

// What one listing gave back.
struct Listing
{
    bool ok = false;
    QString sErr;
    QStringList files;
    QStringList unreachable;   // "path: reason", when asked for
};

// A temporary tree; paths in the tests are relative to its root.
class Tree
{
public:
    Tree() { QVERIFY(m_dir.isValid()); }

    ~Tree()
    {
        // Folders locked by a test must open up again to be removed.
        for (const QString& folder : std::as_const(m_locked))
            ::chmod(QFile::encodeName(folder).constData(), 0755);
        // Qt cannot name these files to remove them.
        for (const QByteArray& path : std::as_const(m_rawFiles))
            ::unlink(path.constData());
    }

    QString root() const { return m_dir.path(); }
    QString at(const QString& relative) const { return root() + u'/' + relative; }

    void file(const QString& relative, const QByteArray& bytes = "data")
    {
        const QString full = at(relative);
        QDir().mkpath(full.left(full.lastIndexOf(u'/')));
        QVERIFY2(testutil::writeFile(full, bytes), qPrintable(full));
    }

    // A file whose name is given as bytes, which need not be UTF-8.
    void rawFile(const QByteArray& name)
    {
        const QByteArray path = QFile::encodeName(root()) + '/' + name;
        const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
        QVERIFY(fd >= 0);
        ::close(fd);
        m_rawFiles.append(path);
    }

    void link(const QString& target, const QString& relative)
    {
        QVERIFY(::symlink(QFile::encodeName(target).constData(),
                          QFile::encodeName(at(relative)).constData()) == 0);
    }

    void lock(const QString& relative)
    {
        m_locked.append(at(relative));
        QVERIFY(::chmod(QFile::encodeName(at(relative)).constData(), 0) == 0);
    }

    // The tree's root and its ancestors may be entered by any user.
    bool openToOthers() const
    {
        ::chmod(QFile::encodeName(root()).constData(), 0755);
        for (QDir dir(root());; ) {
            struct stat st {};
            if (::stat(QFile::encodeName(dir.path()).constData(), &st) != 0 || !(st.st_mode & S_IXOTH))
                return false;
            if (dir.isRoot())
                return true;
            dir.cdUp();
        }
    }

    QStringList paths(const QStringList& relative) const
    {
        QStringList full;
        for (const QString& r : relative)
            full.append(at(r));
        return full;
    }

private:
    QTemporaryDir m_dir;
    QStringList m_locked;
    QList<QByteArray> m_rawFiles;
};

Listing listFiles(const QString& spec, bool subFolders, bool continueOnError, bool reportUnreachable = false)
{
    FakeTask task;
    task.bDoSubFolders = subFolders;
    Listing listing;
    QList<UnreachableInput> unreachable;
    listing.ok = bGetFilesMatchingSpec(task, spec, listing.files, true, continueOnError, nullptr,
                                       reportUnreachable ? &unreachable : nullptr);
    listing.sErr = task.sErr;
    for (const UnreachableInput& entry : unreachable)
        listing.unreachable << entry.path + u": "_s + entry.reason;
    return listing;
}

// Lists as a user whom file permissions bind. Root passes every permission
// check, so as root the listing runs in a child process that became the
// unprivileged user "nobody" (65534).
Listing listFilesUnprivileged(const Tree& tree, const QString& spec, bool subFolders,
                              bool continueOnError, bool reportUnreachable = false)
{
    if (::geteuid() != 0)
        return listFiles(spec, subFolders, continueOnError, reportUnreachable);
    if (!tree.openToOthers())
        qFatal("the temporary folder cannot be entered by other users");

    int fds[2];
    if (::pipe(fds) != 0)
        qFatal("pipe failed");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        const gid_t nobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(3);
        const Listing listing = listFiles(spec, subFolders, continueOnError, reportUnreachable);
        QByteArray out = (listing.ok ? "1" : "0") + listing.sErr.toUtf8();
        for (const QString& file : listing.files)
            out += QByteArray(1, '\0') + 'F' + file.toUtf8();
        for (const QString& entry : listing.unreachable)
            out += QByteArray(1, '\0') + 'U' + entry.toUtf8();
        const bool written = ::write(fds[1], out.constData(), size_t(out.size())) == out.size();
        ::_exit(written ? 0 : 4);
    }
    ::close(fds[1]);
    QByteArray in;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        in.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        qFatal("the unprivileged listing failed");

    const QList<QByteArray> parts = in.split('\0');
    Listing listing;
    listing.ok = parts[0].startsWith('1');
    listing.sErr = QString::fromUtf8(parts[0].mid(1));
    for (qsizetype i = 1; i < parts.size(); ++i)
        (parts[i].startsWith('F') ? listing.files : listing.unreachable).append(QString::fromUtf8(parts[i].mid(1)));
    return listing;
}

// Records what the listing shows while it runs.
class BusyRecorder : public FileListingBusy
{
public:
    void BeginBusy(const QString& statusText) override { events.append(u"begin "_s + statusText); }
    void EndBusy() override { events.append(u"end"_s); }
    QStringList events;
};

} // namespace

class TestFileList : public QObject
{
    Q_OBJECT
private slots:
    // One folder holding these names; each mask lists the expected ones in
    // the task's order (sorted, letter case ignored).
    void masks_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QStringList>("expected");
        const auto row = [](const char* name, const QString& mask, const QStringList& expected) {
            QTest::newRow(name) << mask << expected;
        };
        const QStringList all{u".hidden.txt"_s, u"a.b.c"_s,       u"notes.TXT"_s, u"README"_s,
                              u"Report.DOC"_s,  u"report.doc.bak"_s, u"x1.pdf"_s,  u"x12.pdf"_s,
                              u"Ärger.txt"_s,   u"😀.txt"_s};
        row("star", u"*"_s, all);
        row("star dot star takes names without a dot", u"*.*"_s, all);
        row("letter case ignored", u"*.doc"_s, {u"Report.DOC"_s});
        row("mask in capitals", u"*.TXT"_s, {u".hidden.txt"_s, u"notes.TXT"_s, u"Ärger.txt"_s, u"😀.txt"_s});
        row("case ignored beyond ASCII", u"äRGER.*"_s, {u"Ärger.txt"_s});
        row("question mark is one character", u"x?.pdf"_s, {u"x1.pdf"_s});
        row("question mark takes a character outside the BMP whole", u"?.txt"_s, {u"😀.txt"_s});
        row("two question marks", u"x??.pdf"_s, {u"x12.pdf"_s});
        row("whole name, no wildcard", u"readme"_s, {u"README"_s});
        row("stars inside", u"*e*o*"_s, {u"Report.DOC"_s, u"report.doc.bak"_s});
        row("trailing star after the extension", u"*.doc*"_s, {u"Report.DOC"_s, u"report.doc.bak"_s});
        row("list of patterns", u"*.pdf;*.doc"_s, {u"Report.DOC"_s, u"x1.pdf"_s, u"x12.pdf"_s});
        row("blanks before a pattern", u"*.doc;  x1.pdf"_s, {u"Report.DOC"_s, u"x1.pdf"_s});
        row("empty pattern in a list", u"*.doc;;"_s, {u"Report.DOC"_s});
        row("star dot star inside a list", u"x1.pdf;*.*"_s, all);
        row("no match", u"*.zip"_s, {});
    }

    void masks()
    {
        QFETCH(QString, mask);
        QFETCH(QStringList, expected);
        Tree tree;
        const QStringList names{u"Report.DOC"_s, u"report.doc.bak"_s, u"notes.TXT"_s, u"README"_s,
                                u"a.b.c"_s,      u".hidden.txt"_s,     u"x1.pdf"_s,    u"x12.pdf"_s,
                                u"Ärger.txt"_s,  u"😀.txt"_s};
        for (const QString& name : names)
            tree.file(name);

        const Listing listing = listFiles(tree.at(mask), false, false);
        QVERIFY(listing.ok);
        QCOMPARE(listing.files, tree.paths(expected));
        QVERIFY(listing.sErr.isEmpty());
    }

    // Sub-folders are walked only when asked; folders named with a dot
    // never are, while files named with a dot are listed.
    void subFolders_data()
    {
        QTest::addColumn<QString>("spec");
        QTest::addColumn<bool>("subFolders");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("off") << u"*.txt"_s << false << QStringList{u"a.txt"_s, u"B.txt"_s};
        QTest::newRow("on, sorted across folders, case ignored")
            << u"*.txt"_s << true
            << QStringList{u"a.txt"_s, u"B.txt"_s, u"sub/.dot.txt"_s, u"sub/deeper/D.TXT"_s, u"Sub2/c.txt"_s};
        QTest::newRow("on, from a sub-folder") << u"sub/*"_s << true
                                               << QStringList{u"sub/.dot.txt"_s, u"sub/deeper/D.TXT"_s,
                                                              u"sub/deeper/e.pdf"_s};
        QTest::newRow("on, list of patterns")
            << u"*.pdf;*.TXT"_s << true
            << QStringList{u"a.txt"_s, u"B.txt"_s, u"sub/.dot.txt"_s, u"sub/deeper/D.TXT"_s,
                           u"sub/deeper/e.pdf"_s, u"Sub2/c.txt"_s};
    }

    void subFolders()
    {
        QFETCH(QString, spec);
        QFETCH(bool, subFolders);
        QFETCH(QStringList, expected);
        Tree tree;
        for (const QString& name : {u"a.txt"_s, u"B.txt"_s, u"sub/.dot.txt"_s, u"sub/deeper/D.TXT"_s,
                                    u"sub/deeper/e.pdf"_s, u"Sub2/c.txt"_s, u".git/hidden.txt"_s,
                                    u"sub/.cache/x.txt"_s})
            tree.file(name);

        const Listing listing = listFiles(tree.at(spec), subFolders, false);
        QVERIFY(listing.ok);
        QCOMPARE(listing.files, tree.paths(expected));
    }

    // Links to folders are not entered, so a link back up the tree cannot
    // loop; links to files are listed with the size of their target; what
    // cannot be read as a file (a dangling link, a pipe) is not listed.
    void linksAndSpecialFiles()
    {
        Tree tree;
        tree.file(u"real.txt"_s, "twelve bytes");
        tree.file(u"sub/inner.txt"_s);
        tree.link(u"real.txt"_s, u"link.txt"_s);
        tree.link(u"missing.txt"_s, u"dangling.txt"_s);
        tree.link(u"."_s, u"loop"_s);
        tree.link(tree.at(u"sub"_s), u"sublink"_s);
        tree.link(u".."_s, u"sub/up"_s);
        QVERIFY(::mkfifo(QFile::encodeName(tree.at(u"pipe.txt"_s)).constData(), 0600) == 0);

        // A walk that followed the loops or opened the pipe would not end.
        CFileSearch search;
        QCOMPARE(search.BuildFileList(tree.at(u"*"_s), true, false), 0);

        QStringList found;
        qint64 linkSize = -1;
        for (const CFile& file : search.Files()) {
            found.append(file.Filename());
            if (file.Filename().endsWith(u"/link.txt"_s))
                linkSize = file.FileSize();
        }
        found.sort();
        QCOMPARE(found, tree.paths({u"link.txt"_s, u"real.txt"_s, u"sub/inner.txt"_s}));
        QCOMPARE(linkSize, qint64(12));
        QCOMPARE(search.TotalSearched(), qsizetype(3));
    }

    // Sizes are 64-bit: a file past 4 GiB keeps its size (a sparse file,
    // so the test writes almost nothing).
    void largeFileSize()
    {
        Tree tree;
        const qint64 size = (qint64(5) << 30) + 7;
        QFile big(tree.at(u"big.bin"_s));
        QVERIFY(big.open(QIODevice::WriteOnly));
        if (!big.resize(size))
            QSKIP("the temporary folder's file system cannot hold a sparse 5 GiB file");
        big.close();

        CFileSearch search;
        QCOMPARE(search.BuildFileList(tree.at(u"*.BIN"_s), false, false), 0);
        QCOMPARE(search.TotalFound(), qsizetype(1));
        QCOMPARE(search.Files().at(0).FileSize(), size);
    }

    // Names that Linux allows and Windows did not are listed as they are:
    // TAB, LF and bytes that are no UTF-8.
    void oddNames()
    {
        Tree tree;
        tree.file(u"tab\there.txt"_s);
        tree.file(u"line\nfeed.txt"_s);
        tree.rawFile("caf\xe9.txt"); // Latin-1

        const Listing listing = listFiles(tree.at(u"*.txt"_s), false, false);
        QVERIFY(listing.ok);
        QCOMPARE(listing.files.size(), 3);
        QVERIFY(listing.files.contains(tree.at(u"tab\there.txt"_s)));
        QVERIFY(listing.files.contains(tree.at(u"line\nfeed.txt"_s)));
        QVERIFY(listing.files.contains(tree.at(u"caf\uFFFD.txt"_s)));
    }

    // An inverted search lists what does not match; files are counted as
    // searched, folders are not. A later search on the same object that
    // finds nothing shows none of the earlier files.
    void invertedSearchAndCounts()
    {
        Tree tree;
        tree.file(u"a.txt"_s);
        tree.file(u"b.doc"_s);
        tree.file(u"sub/c.txt"_s);

        CFileSearch search;
        QCOMPARE(search.BuildFileList1(tree.root(), u"*.txt"_s, true, true, false), 0);
        QCOMPARE(search.TotalFound(), qsizetype(1));
        QCOMPARE(search.Files().at(0).Filename(), tree.at(u"b.doc"_s));
        QCOMPARE(search.TotalSearched(), qsizetype(3));

        QCOMPARE(search.BuildFileList(tree.at(u"*.zip"_s), true, false), 0);
        QCOMPARE(search.TotalFound(), qsizetype(0));
        QVERIFY(search.Files().isEmpty());
        QCOMPARE(search.TotalSearched(), qsizetype(3));
    }

    // Malformed specifications and folders that are missing.
    void errors_data()
    {
        QTest::addColumn<QString>("spec");
        QTest::addColumn<qint32>("number");
        QTest::addColumn<QString>("description");
        const QString noMask =
            u"No file mask/pattern detected. Please provide a path followed by a mask/pattern i.e. c:\\myfile*.d??"_s;
        QTest::newRow("fewer than 3 characters") << u"a*"_s << qint32(-2147220989)
                                                 << u"The Invalid path or filename provided."_s;
        QTest::newRow("no folder") << u"*.txt"_s << qint32(-2147220990)
                                   << u"Invalid path or filename provided."_s;
        QTest::newRow("ends in a slash") << u"@/"_s << qint32(-2147220991) << noMask;
        QTest::newRow("mask of blanks") << u"@/   "_s << qint32(-2147220991) << noMask;
        QTest::newRow("missing folder") << u"@/missing/*.txt"_s << qint32(3) << u"Path Not Found."_s;
        QTest::newRow("a file named as folder") << u"@/file.txt/*"_s << qint32(3) << u"Path Not Found."_s;
    }

    void errors()
    {
        QFETCH(QString, spec);
        QFETCH(qint32, number);
        QFETCH(QString, description);
        Tree tree;
        tree.file(u"file.txt"_s);
        spec.replace(u'@', tree.root());

        CFileSearch search;
        QCOMPARE(search.BuildFileList(spec, true, true), number);
        QCOMPARE(search.LastErrorNumber(), number);
        QCOMPARE(search.LastErrorDescription(), description);
        QCOMPARE(search.TotalFound(), qsizetype(0));

        // The task's message names the number and the description, and the
        // busy pointer is put back.
        FakeTask task;
        QStringList list;
        BusyRecorder busy;
        QVERIFY(!bGetFilesMatchingSpec(task, spec, list, true, true, &busy));
        QCOMPARE(task.sErr, u"An error occured while searching for files: "_s + QString::number(number)
                                + u" : "_s + description);
        QVERIFY(list.isEmpty());
        QCOMPARE(busy.events.size(), 2);
        QVERIFY(busy.events.at(0).startsWith(u"begin Creating File List: "_s));
        QCOMPARE(busy.events.at(1), u"end"_s);
    }

    // A folder that may not be read: with the setting to continue the files
    // of the other folders are used; without it the task fails even though
    // files were found.
    void unreadableFolder_data()
    {
        QTest::addColumn<QString>("spec");
        QTest::addColumn<bool>("subFolders");
        QTest::addColumn<bool>("continueOnError");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("continue") << u"*.txt"_s << true << true << true
                                  << QStringList{u"a.txt"_s, u"m/deep/d.txt"_s, u"z/c.txt"_s};
        QTest::newRow("stop") << u"*.txt"_s << true << false << false << QStringList{};
        QTest::newRow("continue, nothing found") << u"locked/*.txt"_s << true << true << false
                                                 << QStringList{};
        QTest::newRow("not entered without sub-folders") << u"*.txt"_s << false << false << true
                                                         << QStringList{u"a.txt"_s};
    }

    void unreadableFolder()
    {
        QFETCH(QString, spec);
        QFETCH(bool, subFolders);
        QFETCH(bool, continueOnError);
        QFETCH(bool, ok);
        QFETCH(QStringList, expected);
        Tree tree;
        for (const QString& name : {u"a.txt"_s, u"locked/b.txt"_s, u"m/deep/d.txt"_s, u"z/c.txt"_s})
            tree.file(name);
        tree.lock(u"locked"_s);

        const Listing listing = listFilesUnprivileged(tree, tree.at(spec), subFolders, continueOnError);
        QCOMPARE(listing.ok, ok);
        QCOMPARE(listing.files, tree.paths(expected));
        QCOMPARE(listing.sErr,
                 ok ? QString() : u"An error occured while searching for files: 5 : Access Denied."_s);
    }

    // Told to report them, the listing names each sub-folder it could not
    // read, with the system's reason, instead of passing over it in silence;
    // only a search folder that cannot be read fails the listing.
    void unreadableFolderReported_data()
    {
        QTest::addColumn<QString>("spec");
        QTest::addColumn<bool>("continueOnError");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("unreachable");
        const QString denied = QString::fromLocal8Bit(std::strerror(EACCES));
        QTest::newRow("continue") << u"*.txt"_s << true << true
                                  << QStringList{u"a.txt"_s, u"m/deep/d.txt"_s, u"z/c.txt"_s}
                                  << QStringList{u"locked/: "_s + denied, u"m/shut/: "_s + denied};
        QTest::newRow("nothing else found") << u"m/*.txt"_s << true << true << QStringList{u"m/deep/d.txt"_s}
                                            << QStringList{u"m/shut/: "_s + denied};
        QTest::newRow("the search folder itself") << u"locked/*.txt"_s << true << false << QStringList{}
                                                  << QStringList{};
        QTest::newRow("stop") << u"*.txt"_s << false << false << QStringList{} << QStringList{};
    }

    void unreadableFolderReported()
    {
        QFETCH(QString, spec);
        QFETCH(bool, continueOnError);
        QFETCH(bool, ok);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, unreachable);
        Tree tree;
        for (const QString& name : {u"a.txt"_s, u"locked/b.txt"_s, u"m/deep/d.txt"_s, u"m/shut/e.txt"_s, u"z/c.txt"_s})
            tree.file(name);
        tree.lock(u"locked"_s);
        tree.lock(u"m/shut"_s);

        const Listing listing = listFilesUnprivileged(tree, tree.at(spec), true, continueOnError, true);
        QCOMPARE(listing.ok, ok);
        QCOMPARE(listing.files, tree.paths(expected));
        QStringList reported = listing.unreachable;
        reported.sort();
        QCOMPARE(reported, tree.paths(unreachable));
        QCOMPARE(listing.sErr, ok ? QString() : u"An error occured while searching for files: 5 : Access Denied."_s);
    }

    // A file whose path is longer than a program may open is reported
    // with the system's reason and kept out of the list; its neighbours at
    // a shorter depth are listed.
    void pathTooLongToOpenIsReported()
    {
        Tree tree;
        tree.file(u"a.txt"_s);
        QString top;
        const QString far = testutil::writeFileBeyondPathLimit(tree.root(), "far.txt", "data", &top);
        const auto removeDeep = qScopeGuard([&] { testutil::removeTree(top); });
        QVERIFY(!far.isEmpty());

        const Listing listing = listFiles(tree.at(u"*.txt"_s), true, false, true);
        QVERIFY(listing.ok);
        QCOMPARE(listing.files, tree.paths({u"a.txt"_s}));
        QCOMPARE(listing.unreachable,
                 QStringList{far + u": "_s + QString::fromLocal8Bit(std::strerror(ENAMETOOLONG))});
    }

    // A pattern with many stars against a long name that almost matches
    // must not take time that grows with the power of the stars: that
    // would not end within the test's time-out.
    void manyStarsStayFast()
    {
        const QString name = QString(200, u'a');
        QVERIFY(!PathMatchSpec(name, u"*a*a*a*a*a*a*a*a*a*a*b"_s));
        QVERIFY(PathMatchSpec(name + u'b', u"*a*a*a*a*a*a*a*a*a*a*b"_s));
    }
};

QTEST_GUILESS_MAIN(TestFileList)
#include "test_file_list.moc"
