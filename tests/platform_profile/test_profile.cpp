#include "base/Profile.h"
#include "TestUtil.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray encoded(QStringConverter::Encoding encoding, const QString& text)
{
    QStringEncoder encoder(encoding);
    return encoder.encode(text);
}

struct stat statOf(const QString& path)
{
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

// A settings file in Shift-JIS: two Japanese paths and the language.
// Several of its lead bytes (81, 8D, 8F, 90) are left undefined by
// Windows-1252, which the file is read in.
const QByteArray kShiftJisFixture = "[frmMain]\r\n"
                                    "txtSource=/home/ann/\x8f\x91\x97\xde/\x90V\x82\xb5\x82\xa2\x95\xf1\x8d\x90\x8f\x91"
                                    "\x81" "E\x8d\xa1\x8c\x8e/*.docx\r\n"
                                    "txtTarget=/home/ann/\x8fo\x97\xcd/\x90\xbf\x8b\x81\x8f\x91\x81@\x8d\x87\x8cv/*.pdf\r\n"
                                    "[Language]\r\nLanguage_Code=Japanese\r\n";

// Read fixture: comments, odd lines, blanks, quotes and a section that
// appears twice.
const QByteArray kReadFixture =
    "; settings written by hand\r\n"
    "orphan=before any section\r\n"
    "[Main]\r\n"
    "Partial=Level3\r\n"
    "  Spaced Key  =   spaced value   \r\n"
    "Quoted=\"  keeps inner blanks  \"\r\n"
    "Doubled=\"\"x\"\"\r\n"
    "Single='Tessaview'\r\n"
    "Empty=\r\n"
    "Long=0123456789\r\n"
    "Dup=first\r\n"
    ";Hidden=1\r\n"
    "not a key line\r\n"
    "[ Other ]\r\n"
    "Only=here\r\n"
    "[main]\r\n"
    "Dup=second\r\n"
    "Late=from the second block\r\n";

// Write fixture: every line but the one written must survive byte for byte.
const QByteArray kWriteFixture =
    "; keep me\r\n"
    "[Main]\r\n"
    "Partial=Level1\r\n"
    "  odd line without equals\r\n"
    "Other = x \r\n"
    "\r\n"
    "; about the next section\r\n"
    "[Next]\r\n"
    "k=v\r\n";

} // namespace

class TestProfile : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString& name) const { return m_dir->filePath(name); }
    QStringList entries() const
    {
        return QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }
    void cleanup() { m_dir.reset(); }

    void readsValues_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("defaultValue");
        QTest::addColumn<int>("bufferSize");
        QTest::addColumn<QString>("expected");

        QTest::newRow("exact") << "Main" << "Partial" << "d" << 500 << "Level3";
        QTest::newRow("names ignore case") << "MAIN" << "pARTIAL" << "d" << 500 << "Level3";
        QTest::newRow("blanks around key and value") << "main" << "spaced key" << "d" << 500 << "spaced value";
        QTest::newRow("blanks inside the brackets") << "other" << "Only" << "d" << 500 << "here";
        QTest::newRow("one pair of double quotes goes") << "Main" << "Quoted" << "d" << 500 << "  keeps inner blanks  ";
        QTest::newRow("only one pair goes") << "Main" << "Doubled" << "d" << 500 << "\"x\"";
        QTest::newRow("single quotes stay") << "Main" << "Single" << "d" << 500 << "'Tessaview'";
        QTest::newRow("empty value is not missing") << "Main" << "Empty" << "d" << 500 << "";
        QTest::newRow("first of two keys wins") << "Main" << "Dup" << "d" << 500 << "first";
        QTest::newRow("section met twice") << "Main" << "Late" << "d" << 500 << "from the second block";
        QTest::newRow("commented key") << "Main" << "Hidden" << "d" << 500 << "d";
        QTest::newRow("line without equals") << "Main" << "not a key line" << "d" << 500 << "d";
        QTest::newRow("key of another section") << "Main" << "Only" << "d" << 500 << "d";
        QTest::newRow("key before any section") << "Main" << "orphan" << "d" << 500 << "d";
        QTest::newRow("missing section") << "Nope" << "Partial" << "d" << 500 << "d";
        QTest::newRow("missing key") << "Main" << "Nope" << "dflt" << 500 << "dflt";
        QTest::newRow("value cut to the buffer") << "Main" << "Long" << "d" << 5 << "0123";
        QTest::newRow("default cut to the buffer") << "Main" << "Nope" << "abcdef" << 4 << "abc";
        QTest::newRow("buffer of one") << "Main" << "Long" << "d" << 1 << "";
    }

    void readsValues()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, defaultValue);
        QFETCH(int, bufferSize);
        QFETCH(QString, expected);
        QVERIFY(testutil::writeFile(path("s.ini"), kReadFixture));
        QCOMPARE(GetPrivateProfileString(section, key, defaultValue, path("s.ini"), bufferSize), expected);
    }

    void cutNeverSplitsACharacter()
    {
        const QString clef = QString::fromUcs4(U"\U0001D11E");
        QVERIFY(testutil::writeFile(path("s.ini"), ("[M]\r\nk=ab" + clef + "c\r\n").toUtf8()));
        QCOMPARE(GetPrivateProfileString("M", "k", "", path("s.ini"), 4), QStringLiteral("ab"));
        QCOMPARE(GetPrivateProfileString("M", "k", "", path("s.ini"), 5), "ab" + clef);
    }

    void readsIntegers_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("expected");
        QTest::newRow("number") << "a" << 42;
        QTest::newRow("leading digits") << "b" << 12;
        QTest::newRow("no digits") << "c" << 0;
        QTest::newRow("negative") << "d" << -5;
        QTest::newRow("plus sign") << "e" << 3;
        QTest::newRow("empty value gives the default") << "f" << 99;
        QTest::newRow("blanks around") << "g" << 7;
        QTest::newRow("wraps at 32 bits") << "h" << 1;
        QTest::newRow("missing key gives the default") << "zz" << 99;
    }

    void readsIntegers()
    {
        QFETCH(QString, key);
        QFETCH(int, expected);
        QVERIFY(testutil::writeFile(path("n.ini"),
                                    "[N]\r\na=42\r\nb=12abc\r\nc=abc\r\nd=-5\r\ne=+3\r\nf=\r\ng= 7 \r\nh=4294967297\r\n"));
        QCOMPARE(GetPrivateProfileInt("n", key, 99, path("n.ini")), expected);
    }

    void missingFileGivesDefaults_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("no such file") << "missing.ini";
        QTest::newRow("no such folder") << "missing/s.ini";
        QTest::newRow("a folder") << ".";
    }

    void missingFileGivesDefaults()
    {
        QFETCH(QString, name);
        QCOMPARE(GetPrivateProfileString("Main", "Partial", "Level1", path(name)), QStringLiteral("Level1"));
        QCOMPARE(GetPrivateProfileInt("Main", "Partial", 7, path(name)), 7);
    }

    void writesInPlace_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");

        const QByteArray f = kWriteFixture;
        auto with = [&f](const char* from, const char* to) -> QByteArray { return QByteArray(f).replace(from, to); };

        QTest::newRow("replace") << f << "Main" << "Partial" << "Level3" << with("Partial=Level1", "Partial=Level3");
        QTest::newRow("names ignore case, file's spelling kept")
            << f << "MAIN" << "partial" << "Level3" << with("Partial=Level1", "Partial=Level3");
        QTest::newRow("key with blanks around") << f << "main" << "other" << "y" << with("Other = x ", "Other=y");
        QTest::newRow("new key after the section's last key")
            << f << "Main" << "New" << "1" << with("Other = x \r\n", "Other = x \r\nNew=1\r\n");
        QTest::newRow("new key under a bare header")
            << QByteArray("[Main]\r\n[Next]\r\n") << "Main" << "New" << "1" << QByteArray("[Main]\r\nNew=1\r\n[Next]\r\n");
        QTest::newRow("new section at the end") << f << "Added" << "k" << "v" << f + "[Added]\r\nk=v\r\n";
        QTest::newRow("last line without line end")
            << QByteArray("[Main]\r\na=1") << "Main" << "b" << "2" << QByteArray("[Main]\r\na=1\r\nb=2\r\n");
        QTest::newRow("LF file keeps LF")
            << QByteArray("[Main]\na=1\n") << "Other" << "b" << "2" << QByteArray("[Main]\na=1\n[Other]\nb=2\n");
        QTest::newRow("key in the section's second block")
            << QByteArray("[A]\r\nx=1\r\n[B]\r\n[a]\r\ny=2\r\n") << "A" << "y" << "3"
            << QByteArray("[A]\r\nx=1\r\n[B]\r\n[a]\r\ny=3\r\n");
        QTest::newRow("empty value") << f << "Main" << "Partial" << "" << with("Partial=Level1", "Partial=");
        QTest::newRow("same value") << f << "Main" << "Partial" << "Level1" << f;
        QTest::newRow("delete key") << f << "Main" << "Partial" << QString() << with("Partial=Level1\r\n", "");
        QTest::newRow("delete key in every block")
            << QByteArray("[A]\r\nk=1\r\n[B]\r\nk=2\r\n[a]\r\nK=3\r\n") << "a" << "k" << QString()
            << QByteArray("[A]\r\n[B]\r\nk=2\r\n[a]\r\n");
        QTest::newRow("delete missing key") << f << "Main" << "Nope" << QString() << f;
        QTest::newRow("delete section") << f << "main" << QString() << "ignored"
                                        << QByteArray("; keep me\r\n[Next]\r\nk=v\r\n");
    }

    void writesInPlace()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        const QString file = path("s.ini");
        QVERIFY(testutil::writeFile(file, before));
        const ino_t inode = statOf(file).st_ino;

        QVERIFY(WritePrivateProfileString(section, key, value, file));
        QCOMPARE(testutil::readFile(file), after);
        QCOMPARE(entries(), QStringList{"s.ini"});
        if (after == before)
            QCOMPARE(statOf(file).st_ino, inode); // nothing to change: not rewritten
        if (!key.isNull() && !value.isNull())
            QCOMPARE(GetPrivateProfileString(section, key, "(missing)", file), value);
    }

    void createsFileUtf8Crlf0600()
    {
        const mode_t oldMask = ::umask(022);
        const bool written = WritePrivateProfileString("Main", "Name", QStringLiteral("Café"), path("new.ini"));
        ::umask(oldMask);
        QVERIFY(written);
        QCOMPARE(testutil::readFile(path("new.ini")), QByteArray("[Main]\r\nName=Caf\xC3\xA9\r\n"));
        QCOMPARE(statOf(path("new.ini")).st_mode & 07777, mode_t(0600));

        // The folder is not created, and deleting from a missing file
        // creates nothing.
        QVERIFY(!WritePrivateProfileString("Main", "Name", "x", path("missing/new.ini")));
        QVERIFY(!QFileInfo::exists(path("missing")));
        QVERIFY(WritePrivateProfileString("Main", "Name", QString(), path("other.ini")));
        QVERIFY(WritePrivateProfileString("Main", QString(), QString(), path("other.ini")));
        QCOMPARE(entries(), QStringList{"new.ini"});
    }

    // Settings files hold passwords: a rewrite leaves the file its owner's
    // alone whatever mode it had, and a link still points at it.
    void replaceLeavesTheFileTheOwnersAlone_data()
    {
        QTest::addColumn<int>("oldMode");
        QTest::newRow("0644") << 0644;
        QTest::newRow("0666") << 0666;
        QTest::newRow("0640") << 0640;
        QTest::newRow("0400") << 0400;
    }

    void replaceLeavesTheFileTheOwnersAlone()
    {
        QFETCH(int, oldMode);
        QVERIFY(testutil::writeFile(path("real.ini"), "[Main]\r\na=1\r\n"));
        QVERIFY(::chmod(QFile::encodeName(path("real.ini")).constData(), mode_t(oldMode)) == 0);
        QVERIFY(QFile::link(path("real.ini"), path("link.ini")));

        const mode_t oldMask = ::umask(0);
        const bool written = WritePrivateProfileString("Main", "a", "2", path("link.ini"));
        ::umask(oldMask);
        QVERIFY(written);
        QVERIFY(QFileInfo(path("link.ini")).isSymLink());
        QCOMPARE(testutil::readFile(path("real.ini")), QByteArray("[Main]\r\na=2\r\n"));
        QCOMPARE(statOf(path("real.ini")).st_mode & 07777, mode_t(0600));
        QCOMPARE(entries(), (QStringList{"link.ini", "real.ini"}));
    }

    void failedWriteKeepsOldFile_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::newRow("file size limit") << "size";
        QTest::newRow("read-only folder") << "readonly";
    }

    void failedWriteKeepsOldFile()
    {
        QFETCH(QString, obstacle);
        const QString file = path("s.ini");
        QVERIFY(testutil::writeFile(file, kWriteFixture));
        const QString longValue(200, QLatin1Char('x'));

        bool written = true;
        if (obstacle == QLatin1String("size")) {
            // Works as root too: the write of the temp file fails part way.
            struct rlimit old {};
            QVERIFY(::getrlimit(RLIMIT_FSIZE, &old) == 0);
            struct rlimit small = old;
            small.rlim_cur = 64;
            const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
            written = WritePrivateProfileString("Main", "Partial", longValue, file);
            ::setrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, oldHandler);
        } else {
            if (::geteuid() == 0)
                QSKIP("root writes into read-only folders");
            const QByteArray folder = QFile::encodeName(m_dir->path());
            QVERIFY(::chmod(folder.constData(), 0555) == 0);
            written = WritePrivateProfileString("Main", "Partial", longValue, file);
            ::chmod(folder.constData(), 0755);
        }
        QVERIFY(!written);
        QCOMPARE(testutil::readFile(file), kWriteFixture);
        QCOMPARE(entries(), QStringList{"s.ini"});
    }

    void refusesUnsafeInput_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("CRLF in value") << "Main" << "k" << "a\r\n[Evil]\r\nx=1";
        QTest::newRow("LF in value") << "Main" << "k" << "a\nb=1";
        QTest::newRow("CR in value") << "Main" << "k" << "a\rb=1";
        QTest::newRow("NUL in value") << "Main" << "k" << (QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
        QTest::newRow("control character in value") << "Main" << "k" << "a\x1B[0mb";
        QTest::newRow("half a surrogate pair in value") << "Main" << "k" << (QStringLiteral("a") + QChar(0xD800));
        QTest::newRow("LF in key") << "Main" << "k\nx" << "v";
        QTest::newRow("equals in key") << "Main" << "a=b" << "v";
        QTest::newRow("key reads as section") << "Main" << "[Evil]" << "v";
        QTest::newRow("key reads as comment") << "Main" << ";k" << "v";
        QTest::newRow("blank key") << "Main" << "  " << "v";
        QTest::newRow("bracket in section") << "Ma]in" << "k" << "v";
        QTest::newRow("LF in section") << "Ma\nin" << "k" << "v";
        QTest::newRow("null section") << QString() << "k" << "v";
    }

    void refusesUnsafeInput()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QString file = path("s.ini");
        QVERIFY(testutil::writeFile(file, kWriteFixture));
        QVERIFY(!WritePrivateProfileString(section, key, value, file));
        QCOMPARE(testutil::readFile(file), kWriteFixture);
    }

    void keepsTheFileEncoding_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("newValue");
        QTest::addColumn<QByteArray>("after");

        const QString text = QStringLiteral("[Main]\r\nName=Café €\r\n");
        auto plus = [&text](const QString& v) -> QString { return text + QStringLiteral("Other=") + v + QStringLiteral("\r\n"); };
        const QString u = QStringLiteral("ü");
        const QString han = QStringLiteral("漢");
        const QByteArray bom8("\xEF\xBB\xBF");
        const QByteArray le("\xFF\xFE");
        const QByteArray be("\xFE\xFF");
        const QByteArray cp1252("[Main]\r\nName=Caf\xE9 \x80\r\n");

        QTest::newRow("UTF-8") << text.toUtf8() << u << plus(u).toUtf8();
        QTest::newRow("UTF-8 with BOM") << bom8 + text.toUtf8() << u << bom8 + plus(u).toUtf8();
        QTest::newRow("UTF-16LE") << le + encoded(QStringConverter::Utf16LE, text) << han
                                  << le + encoded(QStringConverter::Utf16LE, plus(han));
        QTest::newRow("UTF-16BE") << be + encoded(QStringConverter::Utf16BE, text) << han
                                  << be + encoded(QStringConverter::Utf16BE, plus(han));
        QTest::newRow("UTF-16LE without a byte-order mark") << encoded(QStringConverter::Utf16LE, text) << han
                                                            << encoded(QStringConverter::Utf16LE, plus(han));
        QTest::newRow("UTF-16BE without a byte-order mark") << encoded(QStringConverter::Utf16BE, text) << han
                                                            << encoded(QStringConverter::Utf16BE, plus(han));
        QTest::newRow("Windows-1252") << cp1252 << u << cp1252 + "Other=\xFC\r\n";
        QTest::newRow("Windows-1252 that must become UTF-8") << cp1252 << han << plus(han).toUtf8();
    }

    void keepsTheFileEncoding()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, newValue);
        QFETCH(QByteArray, after);
        const QString file = path("s.ini");
        QVERIFY(testutil::writeFile(file, before));
        QCOMPARE(GetPrivateProfileString("main", "name", "", file), QStringLiteral("Café €"));
        QVERIFY(WritePrivateProfileString("Main", "Other", newValue, file));
        QCOMPARE(testutil::readFile(file), after);
        QCOMPARE(GetPrivateProfileString("Main", "Other", "", file), newValue);
        QCOMPARE(GetPrivateProfileString("main", "name", "", file), QStringLiteral("Café €"));
    }

    // A file that is not text holds no keys, even where some of it reads
    // like one, and nothing is ever added to it.
    void fileThatIsNotTextHoldsNoKeys_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray binary; // pseudo-random bytes, as of a compressed file
        quint32 x = 12345;
        for (int i = 0; i < 2048; ++i) {
            x = x * 1103515245u + 12345u;
            binary += char(x >> 16);
        }
        QByteArray noNul = binary;
        noNul.replace('\0', "\x01");
        const QByteArray keys = "[Main]\r\nPartial=Level3\r\n";

        QTest::newRow("binary bytes") << binary;
        QTest::newRow("binary bytes without NUL") << noNul;
        QTest::newRow("NUL bytes only") << QByteArray(4096, '\0');
        QTest::newRow("keys, then a block of NUL bytes") << keys + QByteArray(512, '\0');
        QTest::newRow("NUL bytes, then keys") << QByteArray(512, '\0') + keys;
        QTest::newRow("keys in binary bytes") << binary.left(300) + "\n" + keys + binary.mid(300);
        QTest::newRow("UTF-16 mark, then binary bytes") << QByteArray("\xFF\xFE") + binary;
        QTest::newRow("UTF-16 keys, then NUL code units")
            << QByteArray("\xFF\xFE") + encoded(QStringConverter::Utf16LE, QString::fromLatin1(keys))
                   + QByteArray(512, '\0');
    }

    void fileThatIsNotTextHoldsNoKeys()
    {
        QFETCH(QByteArray, bytes);
        const QString file = path("s.ini");
        QVERIFY(testutil::writeFile(file, bytes));
        QVERIFY(IsDamagedProfile(file));
        QCOMPARE(GetPrivateProfileString("Main", "Partial", "none", file), QStringLiteral("none"));
        QCOMPARE(GetPrivateProfileInt("Main", "Partial", 7, file), 7);
        QVERIFY(!WritePrivateProfileString("Main", "Partial", "Level2", file));
        QVERIFY(!WritePrivateProfileString("Main", QString(), QString(), file));
        QCOMPARE(testutil::readFile(file), bytes);
        QCOMPARE(entries(), QStringList{"s.ini"});
    }

    // What a settings file may look like is never taken for damage.
    void settingsFilesAreText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QString han = QStringLiteral("[Main]\r\nName=漢字のテキスト 漢字のテキスト\r\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("blank lines") << QByteArray("\r\n\r\n  \r\n");
        QTest::newRow("comments and odd lines") << kReadFixture;
        QTest::newRow("odd lines only") << QByteArray("notes of mine\nnot a settings line\n");
        QTest::newRow("UTF-16LE") << QByteArray("\xFF\xFE") + encoded(QStringConverter::Utf16LE, han);
        QTest::newRow("UTF-16BE") << QByteArray("\xFE\xFF") + encoded(QStringConverter::Utf16BE, han);
        QTest::newRow("UTF-16LE without a byte-order mark") << encoded(QStringConverter::Utf16LE, han);
        QTest::newRow("UTF-8 Japanese") << han.toUtf8();
        QTest::newRow("Windows-1252") << QByteArray("[Main]\r\nName=Caf\xE9 \x80 \x81\r\n");
        // Double-byte code pages whose lead and trail bytes include those
        // that Windows-1252 leaves undefined (81, 8D, 8F, 90, 9D).
        QTest::newRow("Shift-JIS paths and language") << kShiftJisFixture;
        QTest::newRow("GBK paths")
            << QByteArray("[frmMain]\r\n"
                          "txtSource=/home/ann/\x8fV\x96| \x9dh\xd7\xd6/\x8c\x8d\xf2\x9e \x88\xf3\xb8\xe6/*.docx\r\n"
                          "txtTarget=/home/ann/\x8f\x88\xcf\xc8\xc9\xfa/\x8du\xc9\xcf \x8f\xc4\xc7\xb0 \x8fV\x88\xf6/*.pdf\r\n"
                          "txtLogFile=/home/ann/\x9dh\xd7\xd6 \xc8\xd5\xd5I/\x8fV\x88\xf6.log\r\n");
        QTest::newRow("a stray NUL in a value") << QByteArray("[Main]\nPartial=Level3\n[X]\nk=\0cut\n");
        QTest::newRow("a few control characters in a small file") << QByteArray("[M]\nk=\x01\x02\x03\x1B\x7F\n");
        QTest::newRow("emoji and private-use characters")
            << QStringLiteral("[Main]\r\nName=\U0001F600 \uF001\uF002 x\r\n").toUtf8();
        QTest::newRow("tab, form feed and a closing Ctrl-Z") << QByteArray("[Main]\r\nk=\ta\r\n\f\r\n\x1A");
    }

    void settingsFilesAreText()
    {
        QFETCH(QByteArray, bytes);
        const QString file = path("s.ini");
        QVERIFY(testutil::writeFile(file, bytes));
        QVERIFY(!IsDamagedProfile(file));
        QVERIFY(WritePrivateProfileString("Added", "k", "v", file));
        QCOMPARE(GetPrivateProfileString("Added", "k", "", file), QStringLiteral("v"));
        QVERIFY(!IsDamagedProfile(file));
        QVERIFY(testutil::readFile(file).startsWith(bytes));
    }

    // A file in a legacy code page that takes a value Windows-1252 cannot
    // hold is written as UTF-8 from then on; it is still text and every
    // value it held reads back as before.
    void legacyCodePageFileTakesAnyValue()
    {
        const QString file = path("s.ini");
        QVERIFY(testutil::writeFile(file, kShiftJisFixture));
        const QString source = GetPrivateProfileString("frmMain", "txtSource", "", file);
        const QString target = GetPrivateProfileString("frmMain", "txtTarget", "", file);
        QVERIFY(source.startsWith(QStringLiteral("/home/ann/")) && source.endsWith(QStringLiteral("/*.docx")));
        const QString japanese = QStringLiteral("/home/ann/日本語/*.pdf");
        QVERIFY(WritePrivateProfileString("frmMain", "txtMoveTo", japanese, file));
        QVERIFY(!IsDamagedProfile(file));
        QCOMPARE(GetPrivateProfileString("frmMain", "txtMoveTo", "", file), japanese);
        QCOMPARE(GetPrivateProfileString("frmMain", "txtSource", "", file), source);
        QCOMPARE(GetPrivateProfileString("frmMain", "txtTarget", "", file), target);
        QCOMPARE(GetPrivateProfileString("Language", "Language_Code", "", file), QStringLiteral("Japanese"));
        // A value read from it can be written back as it was.
        QVERIFY(WritePrivateProfileString("frmMain", "txtSource", source, file));
        QCOMPARE(GetPrivateProfileString("frmMain", "txtSource", "", file), source);
    }

    void missingFileIsNotDamaged()
    {
        QVERIFY(!IsDamagedProfile(path("missing.ini")));
        QVERIFY(!IsDamagedProfile(m_dir->path()));
    }
};

QTEST_GUILESS_MAIN(TestProfile)
#include "test_profile.moc"
