#include "FileFixture.h"

#include "base/SpecialFolders.h"
#include "core/FileSystem.h"
#include "core/FileTimes.h"
#include "core/StringRoutines.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <memory>

class TestFileSystem : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<FileFixture> fx;
    QString at(const QString& path) const { return fx->at(path); }

private slots:
    void init() { fx = std::make_unique<FileFixture>(); }
    void cleanup()
    {
        fx.reset();
        ClearSpecialFolderOverrides();
        qunsetenv("TMPDIR");
    }

    void stripAtNull_data()
    {
        QTest::addColumn<QString>("buffer");
        QTest::addColumn<QString>("expected");
        QTest::newRow("value then NULs") << QString::fromUtf16(u"C:/x\0\0\0\0", 8) << QStringLiteral("C:/x");
        QTest::newRow("value fills the buffer") << QStringLiteral("abcdef") << QStringLiteral("abcdef");
        QTest::newRow("begins with NUL") << QString::fromUtf16(u"\0abc", 4) << QString();
        QTest::newRow("empty") << QString() << QString();
    }
    void stripAtNull()
    {
        QFETCH(QString, buffer);
        QFETCH(QString, expected);
        QCOMPARE(StripAtNull(buffer), expected);
    }

    void textRoutines()
    {
        QCOMPARE(RemoveQuotes(QStringLiteral("\"/home/ann/My \"Docs\"\"")), QStringLiteral("/home/ann/My Docs"));
        QCOMPARE(RemoveQuotes(QStringLiteral("  'a'  ")), QStringLiteral("  'a'  "));
        QVERIFY(StartsWithText(QStringLiteral("/USR/LOCAL/share"), QStringLiteral("/usr/local/")));
        QVERIFY(!StartsWithText(QStringLiteral("/us"), QStringLiteral("/usr/")));
        QVERIFY(StartsWithText(QStringLiteral("x"), QString()));
        QCOMPARE(TrimBlanks(QStringLiteral("  a b\t ")), QStringLiteral("a b\t"));
    }

    void expandPathMacros_data()
    {
        QTest::addColumn<QString>("documents");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        const QString docs = QStringLiteral("/h/ann/Documents");
        QTest::newRow("blanks, mixed case, subfolder")
            << docs << QStringLiteral("  %AppData%/Kestrova, Inc/Tessaview  ")
            << QStringLiteral("/h/ann/.config/Kestrova, Inc/Tessaview");
        QTest::newRow("profile by both names")
            << docs << QStringLiteral("%homepath%/a:%UserProfile%/b") << QStringLiteral("/h/ann/a:/h/ann/b");
        QTest::newRow("local application data") << docs << QStringLiteral("%LOCALAPPDATA%/q") << QStringLiteral("/h/ann/.local/share/q");
        QTest::newRow("windows folder") << docs << QStringLiteral("%WinDir%/fonts") << QStringLiteral("/usr/fonts");
        QTest::newRow("program files x86") << docs << QStringLiteral("%ProgramFiles(x86)%/app") << QStringLiteral("/usr/local/app");
        QTest::newRow("program files") << docs << QStringLiteral("%PROGRAMFILES%/app") << QStringLiteral("/opt/app");
        QTest::newRow("documents") << docs << QStringLiteral("%MyDocuments%/out") << QStringLiteral("/h/ann/Documents/out");
        QTest::newRow("two families: only the first in table order")
            << docs << QStringLiteral("%MYDOCUMENTS%/a %APPDATA%/b") << QStringLiteral("%MYDOCUMENTS%/a /h/ann/.config/b");
        QTest::newRow("x86 never read as the plain macro")
            << docs << QStringLiteral("%PROGRAMFILES(X86)%/a %PROGRAMFILES%/b") << QStringLiteral("/usr/local/a %PROGRAMFILES%/b");
        QTest::newRow("no macro: trimmed") << docs << QStringLiteral("  /plain/path  ") << QStringLiteral("/plain/path");
        QTest::newRow("unknown macro stays") << docs << QStringLiteral("%TEMP%/x") << QStringLiteral("%TEMP%/x");
        QTest::newRow("folder unavailable: macro stays")
            << QStringLiteral("-") << QStringLiteral(" %MYDOCUMENTS%/out ") << QStringLiteral("%MYDOCUMENTS%/out");
        QTest::newRow("folder text is literal")
            << QStringLiteral("/srv/$1 \\1 $& \\\\x") << QStringLiteral("%mydocuments%/o")
            << QStringLiteral("/srv/$1 \\1 $& \\\\x/o");
    }
    void expandPathMacros()
    {
        QFETCH(QString, documents);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        OverrideSpecialFolder(csidl::Profile, QStringLiteral("/h/ann"));
        OverrideSpecialFolder(csidl::AppData, QStringLiteral("/h/ann/.config"));
        OverrideSpecialFolder(csidl::LocalAppData, QStringLiteral("/h/ann/.local/share"));
        OverrideSpecialFolder(csidl::Personal, documents);
        QString path = input;
        QCOMPARE(ExpandPathMacros(path), expected);
        QCOMPARE(path, TrimBlanks(input)); // the caller's text loses its blanks only
    }

    void pathParts_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QString>("nameFromPath");
        QTest::newRow("file") << QStringLiteral("/a/b/c.tar.gz") << QStringLiteral("/a/b") << QStringLiteral("c.tar.gz");
        QTest::newRow("trailing slash") << QStringLiteral("/a/b/") << QStringLiteral("/a") << QStringLiteral("b.");
        QTest::newRow("below the root") << QStringLiteral("/a") << QStringLiteral("/") << QStringLiteral("a.");
        QTest::newRow("root") << QStringLiteral("/") << QString() << QStringLiteral(".");
        QTest::newRow("bare name") << QStringLiteral("name.txt") << QString() << QStringLiteral("name.txt");
        QTest::newRow("doubled slashes") << QStringLiteral("/a//b") << QStringLiteral("/a") << QStringLiteral("b.");
    }
    void pathParts()
    {
        QFETCH(QString, path);
        QFETCH(QString, parent);
        QFETCH(QString, nameFromPath);
        QCOMPARE(GetParentFolderName(path), parent);
        QCOMPARE(GetFileNameFromPath(path), nameFromPath);
    }

    void driveOrShare_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("appendSlash");
        QTest::addColumn<QString>("expected");
        QTest::newRow("absolute, slash") << QStringLiteral("/usr/lib") << true << QStringLiteral("/");
        QTest::newRow("absolute, no slash") << QStringLiteral("/usr/lib") << false << QStringLiteral("/");
        QTest::newRow("root") << QStringLiteral("/") << true << QStringLiteral("/");
        QTest::newRow("relative") << QStringLiteral("docs/x") << true << QString();
        QTest::newRow("empty") << QString() << false << QString();
    }
    void driveOrShare()
    {
        QFETCH(QString, path);
        QFETCH(bool, appendSlash);
        QFETCH(QString, expected);
        QCOMPARE(GetDriveOrShareFromPath(path, appendSlash), expected);
    }

    void trimToken_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("token");
        QTest::addColumn<QString>("expected");
        QTest::newRow("slashes both ends") << QStringLiteral("///a/b///") << QStringLiteral("/") << QStringLiteral("a/b");
        QTest::newRow("case ignored") << QStringLiteral("xXa bXx") << QStringLiteral("x") << QStringLiteral("a b");
        QTest::newRow("long token") << QStringLiteral("ababcab") << QStringLiteral("ab") << QStringLiteral("c");
        QTest::newRow("all token") << QStringLiteral("abab") << QStringLiteral("ab") << QString();
        QTest::newRow("empty token") << QStringLiteral("/a/") << QString() << QStringLiteral("/a/");
        QTest::newRow("empty text") << QString() << QStringLiteral("/") << QString();
    }
    void trimToken()
    {
        QFETCH(QString, text);
        QFETCH(QString, token);
        QFETCH(QString, expected);
        QCOMPARE(TrimToken(text, token), expected);
    }

    void deepestExistingFolder_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two missing levels") << QStringLiteral("@/a/b/c/d") << QStringLiteral("@/a/b");
        QTest::newRow("stops at first missing") << QStringLiteral("@/a/x/b") << QStringLiteral("@/a");
        QTest::newRow("whole path exists, trailing slash") << QStringLiteral("@/a/b/") << QStringLiteral("@/a/b");
        QTest::newRow("doubled slashes") << QStringLiteral("@//a///b") << QStringLiteral("@/a/b");
        QTest::newRow("a file is no folder") << QStringLiteral("@/a/file.txt/x") << QStringLiteral("@/a");
        QTest::newRow("blank in a name") << QStringLiteral("@/a/ b/c") << QStringLiteral("@/a/ b");
        QTest::newRow("nothing below the root") << QStringLiteral("/tv-no-such-top/q") << QStringLiteral("/");
        QTest::newRow("relative") << QStringLiteral("a/b") << QString();
        QTest::newRow("empty") << QString() << QString();
    }
    void deepestExistingFolder()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        fx->makeFolder(QStringLiteral("@/a/b"));
        fx->makeFolder(QStringLiteral("@/a/ b"));
        fx->makeFile(QStringLiteral("@/a/file.txt"));
        QCOMPARE(GetDeepestExistingFolder(at(path)), at(expected));
    }

    void nearestExistingFolder_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("folder exists") << QStringLiteral("  @/a/b/f.pdf ") << QStringLiteral("@/a/b/");
        QTest::newRow("ancestor and file name") << QStringLiteral("@/a/missing/deeper/f.txt") << QStringLiteral("@/a/f.txt");
        QTest::newRow("macro expanded") << QStringLiteral("%MYDOCUMENTS%/gone/f.txt") << QStringLiteral("@/a/b/f.txt");
        QTest::newRow("only the root exists") << QStringLiteral("/tv-no-such-top/q/f.txt") << QStringLiteral("/f.txt");
        QTest::newRow("nothing exists: path as given") << QStringLiteral("tv-no-such/x.txt") << QStringLiteral("tv-no-such/x.txt");
    }
    void nearestExistingFolder()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        fx->makeFolder(QStringLiteral("@/a/b"));
        OverrideSpecialFolder(csidl::Personal, at(QStringLiteral("@/a/b")));
        QString given = at(path);
        QCOMPARE(GetNearestExistingFolder(given), at(expected));
    }

    // Folders of the safety test point into the temporary tree: Windows is
    // @/win, the program folders @/pf86 and @/pf, the home @/users/ann.
    void outputFolderSafety_data()
    {
        QTest::addColumn<QString>("currentFolder");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("recommended");
        QTest::addColumn<QString>("message");
        const QString untouched = QStringLiteral("untouched");
        const QString system = QStringLiteral("Output folder is a system folder and should not be used.");
        const QString rootMsg = QStringLiteral(
            "Output folder: You should not write or create sub directories in the system root directory.");
        const QString prot = QStringLiteral("Output folder is a protected folder and should not be used.");
        const QString notW = QStringLiteral("Output folder is not writeable.");
        const QString docs = QStringLiteral("@/users/ann/Documents");
        QTest::newRow("inside the windows folder") << QString() << QStringLiteral("@/win/system/out") << 2 << docs + QStringLiteral("/system/out") << system;
        QTest::newRow("windows macro, missing levels") << QString() << QStringLiteral("%WINDIR%/new/deeper/") << 2 << docs + QStringLiteral("/new/deeper") << system;
        QTest::newRow("program files x86") << QString() << QStringLiteral("@/pf86/x") << 2 << docs + QStringLiteral("/x") << system;
        QTest::newRow("program files") << QString() << QStringLiteral("@/pf/app") << 2 << docs + QStringLiteral("/app") << system;
        QTest::newRow("link into the windows folder") << QString() << QStringLiteral("@/alias/x") << 2 << docs + QStringLiteral("/x") << system;
        QTest::newRow("dots into the windows folder") << QString() << QStringLiteral("@/users/../win/y") << 2 << docs + QStringLiteral("/y") << system;
        QTest::newRow("root: nothing below exists") << QString() << QStringLiteral("/tv-no-such-top/sub") << 4 << docs + QStringLiteral("/tv-no-such-top/sub") << rootMsg;
        QTest::newRow("root itself") << QString() << QStringLiteral("/") << 4 << docs << rootMsg;
        QTest::newRow("users folder") << QString() << QStringLiteral("@/users") << 3 << docs << prot;
        QTest::newRow("new folder in users folder") << QString() << QStringLiteral("@/users/newcomer/out") << 3 << docs + QStringLiteral("/newcomer/out") << prot;
        QTest::newRow("inside the home: safe") << QString() << QStringLiteral("  %USERPROFILE%/out/ ") << 0 << QStringLiteral("@/users/ann/out") << untouched;
        QTest::newRow("proc: not writeable") << QString() << QStringLiteral("/proc/tv-out") << 5 << docs << notW;
        QTest::newRow("read-only folder") << QString() << QStringLiteral("@/ro/out") << 5 << docs << notW;
        QTest::newRow("relative, in the windows folder") << QStringLiteral("@/win") << QStringLiteral("rel/out") << 2 << docs + QStringLiteral("/rel/out") << system;
        QTest::newRow("relative, in the home") << QStringLiteral("@/users/ann") << QStringLiteral("rel/out") << 0 << QStringLiteral("@/users/ann/rel/out") << untouched;
        QTest::newRow("relative, in proc") << QStringLiteral("/proc") << QStringLiteral("rel") << 5 << docs << notW;
    }
    void outputFolderSafety()
    {
        QFETCH(QString, currentFolder);
        QFETCH(QString, folder);
        QFETCH(int, code);
        QFETCH(QString, recommended);
        QFETCH(QString, message);
        if (folder.startsWith(QLatin1String("@/ro")) && FileFixture::runningAsRoot())
            QSKIP("root writes into read-only folders; the /proc rows cover code 5");
        fx->makeFolder(QStringLiteral("@/win/system"));
        fx->makeFolder(QStringLiteral("@/pf86"));
        fx->makeFolder(QStringLiteral("@/pf/app"));
        fx->makeFolder(QStringLiteral("@/users/ann/Documents"));
        fx->makeFolder(QStringLiteral("@/ro"));
        QVERIFY(QFile::link(at(QStringLiteral("@/win")), at(QStringLiteral("@/alias"))));
        ::chmod(QFile::encodeName(at(QStringLiteral("@/ro"))).constData(), 0555);
        OverrideSpecialFolder(csidl::Windows, at(QStringLiteral("@/win")));
        OverrideSpecialFolder(csidl::ProgramFilesX86, at(QStringLiteral("@/pf86")));
        OverrideSpecialFolder(csidl::ProgramFiles, at(QStringLiteral("@/pf")));
        OverrideSpecialFolder(csidl::Profile, at(QStringLiteral("@/users/ann")));
        OverrideSpecialFolder(csidl::Personal, at(QStringLiteral("@/users/ann/Documents")));
        if (!currentFolder.isEmpty())
            QVERIFY(QDir::setCurrent(at(currentFolder)));

        QString outRecommended;
        QString outMessage = QStringLiteral("untouched");
        QCOMPARE(CheckOutputFolderSafety(at(folder), outRecommended, outMessage), code);
        QCOMPARE(outRecommended, at(recommended));
        QCOMPARE(outMessage, message);
        QVERIFY(!QFileInfo::exists(at(QStringLiteral("@/users/ann/out")))); // judging creates nothing
    }

    void folderWriteable()
    {
        fx->makeFolder(QStringLiteral("@/w"));
        QVERIFY(bFolderIsWriteable(at(QStringLiteral("@/w/not/yet"))));
        QVERIFY(QDir(at(QStringLiteral("@/w"))).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
        QVERIFY(!bFolderIsWriteable(QString()));
        QVERIFY(!bFolderIsWriteable(QStringLiteral("/proc/tv-x")));
        // A relative folder is judged where it would be made, not in the
        // temporary folder.
        QVERIFY(QDir::setCurrent(QStringLiteral("/proc")));
        QVERIFY(!bFolderIsWriteable(QStringLiteral("sub")));
    }

    void uniqueTempFileName()
    {
        const QString folder = at(QStringLiteral("@"));
        // Eight characters leave no digits: one name, one try.
        const QString only = GetUniqueTempFileName(folder, QStringLiteral("ABCDEFGH"), QString());
        QCOMPARE(only, folder + QStringLiteral("/ABCDEFGH.TMP"));
        QVERIFY(QFileInfo(only).isFile());
        QCOMPARE(QFileInfo(only).size(), 0);
        QCOMPARE(FileFixture::modeOf(only), mode_t(0600));
        QVERIFY(testutil::writeFile(only, "keep"));
        QCOMPARE(GetUniqueTempFileName(folder, QStringLiteral("ABCDEFGH"), QString()), QString());
        QCOMPARE(testutil::readFile(only), QByteArray("keep"));
        QCOMPARE(GetUniqueTempFileName(folder, QStringLiteral("ABCDEFGHI"), QStringLiteral("x")), QString());

        const QString named = GetUniqueTempFileName(folder + QLatin1Char('/'), QStringLiteral(" tv "), QStringLiteral(" pdf "));
        QVERIFY2(QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(folder)
                                    + QStringLiteral("/tv\\d{1,6}\\.pdf$")).match(named).hasMatch(),
                 qPrintable(named));

        // Seven characters leave one digit and ten tries: a name is never
        // handed out twice, even when they run out.
        QSet<QString> seen;
        for (int i = 0; i < 30; ++i) {
            const QString name = GetUniqueTempFileName(folder, QStringLiteral("SEVENCH"), QStringLiteral("t"));
            if (!name.isEmpty()) {
                QVERIFY2(!seen.contains(name), qPrintable(name));
                seen.insert(name);
            }
        }
        QVERIFY(!seen.isEmpty());

        // A folder that cannot take files fails at once, without trying
        // a hundred million names.
        QCOMPARE(GetUniqueTempFileName(at(QStringLiteral("@/missing")), QString(), QString()), QString());

        fx->makeFolder(QStringLiteral("@/tmpdir"));
        qputenv("TMPDIR", QFile::encodeName(at(QStringLiteral("@/tmpdir"))));
        QVERIFY(GetUniqueTempFileName(QString(), QStringLiteral("q"), QString()).startsWith(at(QStringLiteral("@/tmpdir/q"))));
    }

    void moveFileToFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("folderAfter");
        QTest::addColumn<bool>("sourceKept");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QByteArray>("targetBytes");
        QTest::newRow("same folder") << QStringLiteral("@/in") << true << QStringLiteral("@/in/") << true << QStringLiteral("@/in/a.txt") << QByteArray("data");
        QTest::newRow("same folder through a link") << QStringLiteral("@/link") << true << QStringLiteral("@/link/") << true << QStringLiteral("@/in/a.txt") << QByteArray("data");
        QTest::newRow("same folder through dots") << QStringLiteral("@/in/../in/") << true << QStringLiteral("@/in/../in/") << true << QStringLiteral("@/in/a.txt") << QByteArray("data");
        QTest::newRow("missing folder created") << QStringLiteral("@/out/sub") << true << QStringLiteral("@/out/sub/") << false << QStringLiteral("@/out/sub/a.txt") << QByteArray("data");
        QTest::newRow("writable target replaced") << QStringLiteral("@/repl") << true << QStringLiteral("@/repl/") << false << QStringLiteral("@/repl/a.txt") << QByteArray("data");
        QTest::newRow("read-only target kept") << QStringLiteral("@/ro") << false << QStringLiteral("@/ro/") << true << QStringLiteral("@/ro/a.txt") << QByteArray("old");
        QTest::newRow("empty folder") << QString() << false << QString() << true << QStringLiteral("@/in/a.txt") << QByteArray("data");
    }
    void moveFileToFolder()
    {
        QFETCH(QString, folder);
        QFETCH(bool, result);
        QFETCH(QString, folderAfter);
        QFETCH(bool, sourceKept);
        QFETCH(QString, target);
        QFETCH(QByteArray, targetBytes);
        fx->makeFile(QStringLiteral("@/in/a.txt"), "data");
        fx->makeFile(QStringLiteral("@/repl/a.txt"), "old");
        fx->makeFile(QStringLiteral("@/ro/a.txt"), "old");
        ::chmod(QFile::encodeName(at(QStringLiteral("@/ro/a.txt"))).constData(), 0444);
        QVERIFY(QFile::link(at(QStringLiteral("@/in")), at(QStringLiteral("@/link"))));

        const QString source = at(QStringLiteral("@/in/a.txt"));
        // A read-only input: moving it into its own folder must not meet
        // the read-only target rule.
        ::chmod(QFile::encodeName(source).constData(), 0444);
        QString folderArg = at(folder);
        QCOMPARE(bMoveFileToFolder(source, folderArg), result);
        QCOMPARE(folderArg, at(folderAfter));
        QCOMPARE(QFileInfo::exists(source), sourceKept);
        QCOMPARE(testutil::readFile(at(target)), targetBytes);
    }

    void moveFileAcrossFileSystems()
    {
        QTemporaryDir other(QStringLiteral("/dev/shm/tv-move-XXXXXX"));
        struct stat here {};
        struct stat there {};
        if (!other.isValid() || ::stat(QFile::encodeName(fx->root()).constData(), &here) != 0
            || ::stat(QFile::encodeName(other.path()).constData(), &there) != 0 || here.st_dev == there.st_dev)
            QSKIP("no second file system at /dev/shm");
        fx->makeFile(QStringLiteral("@/in/big.bin"), QByteArray(3 << 20, 'x'));
        const QString source = at(QStringLiteral("@/in/big.bin"));
        QVERIFY(bMoveFileToFolder(source, other.path() + QStringLiteral("/sub")));
        QVERIFY(!QFileInfo::exists(source));
        QCOMPARE(QFileInfo(other.path() + QStringLiteral("/sub/big.bin")).size(), qint64(3 << 20));
    }

    void createAndCopyFolders()
    {
        CreateFolderPath(at(QStringLiteral("@/x/y/z/")));
        QVERIFY(FolderExists(at(QStringLiteral("@/x/y/z"))));
        CreateFolderPath(QStringLiteral("/proc/tv-x/y")); // passed over silently
        QVERIFY(!FolderExists(QStringLiteral("/proc/tv-x/y")));

        fx->makeFile(QStringLiteral("@/src/a.txt"), "a");
        fx->makeFile(QStringLiteral("@/src/.hidden"), "h");
        fx->makeFile(QStringLiteral("@/src/sub/b.txt"), "b");
        const QString src = at(QStringLiteral("@/src"));

        QVERIFY(bCopyFolder(src, at(QStringLiteral("@/copy")), false));
        QCOMPARE(testutil::readFile(at(QStringLiteral("@/copy/sub/b.txt"))), QByteArray("b"));
        QCOMPARE(testutil::readFile(at(QStringLiteral("@/copy/.hidden"))), QByteArray("h"));

        // A destination ending in "/" receives a folder named like the source.
        fx->makeFolder(QStringLiteral("@/into"));
        QVERIFY(bCopyFolder(src, at(QStringLiteral("@/into/")), true));
        QCOMPARE(testutil::readFile(at(QStringLiteral("@/into/src/a.txt"))), QByteArray("a"));

        // Without overwrite a file already there is kept; the rest arrives.
        fx->makeFile(QStringLiteral("@/merge/a.txt"), "mine");
        QVERIFY(!bCopyFolder(src, at(QStringLiteral("@/merge")), false));
        QCOMPARE(testutil::readFile(at(QStringLiteral("@/merge/a.txt"))), QByteArray("mine"));
        QCOMPARE(testutil::readFile(at(QStringLiteral("@/merge/sub/b.txt"))), QByteArray("b"));
        QVERIFY(bCopyFolder(src, at(QStringLiteral("@/merge")), true));
        QCOMPARE(testutil::readFile(at(QStringLiteral("@/merge/a.txt"))), QByteArray("a"));

        QVERIFY(!bCopyFolder(src, at(QStringLiteral("@/src/inner")), true));
        QVERIFY(!QFileInfo::exists(at(QStringLiteral("@/src/inner"))));
    }
};

QTEST_GUILESS_MAIN(TestFileSystem)
#include "test_file_system.moc"
