#pragma once
// Helpers of the office tests: the skip rule, and the independent readers
// (pdfinfo, pdftotext) that check what the office wrote.
#include "TestUtil.h"
#include "ZipFile.h"
#include "imagefile/ImageFile.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

namespace officetest {

// LibreOffice tests may be skipped only where LibreOffice is missing, and
// never on CI.
inline bool officeAvailable(QString& why)
{
    if (QFile::exists(QStringLiteral("/usr/bin/soffice")))
        return true;
    why = QStringLiteral("LibreOffice (/usr/bin/soffice) is not installed");
    return false;
}

#define OFFICE_TEST_REQUIRE_OFFICE()                                              \
    do {                                                                          \
        QString why_;                                                             \
        if (!officetest::officeAvailable(why_)) {                                 \
            if (qEnvironmentVariableIsSet("CI"))                                  \
                QFAIL(qPrintable(why_ + QStringLiteral(" (required on CI)")));    \
            QSKIP(qPrintable(why_));                                              \
        }                                                                         \
    } while (false)

// A folder of the test's own for inputs and outputs, removed at the end.
class ScratchFolder
{
public:
    bool isValid() const { return m_dir.isValid(); }
    QString folder() const { return m_dir.path(); }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    // Writes the file, making its folders first.
    QString write(const QString& name, const QByteArray& bytes) const
    {
        const QString p = path(name);
        QDir().mkpath(QFileInfo(p).path());
        if (!testutil::writeFile(p, bytes))
            qFatal("cannot write %s", qPrintable(p));
        return p;
    }

private:
    QTemporaryDir m_dir;
};

// A small RTF document around `body` (RTF control words allowed).
inline QByteArray rtfDocument(const QByteArray& body)
{
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Liberation Serif;}}\\f0\\fs24 " + body + "}";
}

// An RTF document of `paragraphs` paragraphs that name it by `number`:
// enough of them keep an office busy for a moment.
inline QByteArray numberedRtf(int number, int paragraphs)
{
    QByteArray body;
    for (int i = 0; i < paragraphs; ++i)
        body += "Document " + QByteArray::number(number) + " paragraph " + QByteArray::number(i)
                + " with words enough to lay out\\par ";
    return rtfDocument(body);
}

// An HTML document of many paragraphs, long enough to keep the office busy
// for a while.
inline QByteArray bigHtml(int paragraphs)
{
    QByteArray html("<html><body>");
    for (int i = 0; i < paragraphs; ++i)
        html += "<p>Paragraph " + QByteArray::number(i) + " of a long document that keeps the office busy</p>\n";
    return html + "</body></html>";
}

struct ToolResult
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline ToolResult runTool(const QString& program, const QStringList& args, int timeoutMs = 60000)
{
    QProcess p;
    p.start(program, args);
    ToolResult r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// The text of a PDF as pdftotext reads it, or a marker when it fails.
inline QString pdfText(const QString& pdf, const QString& password = QString())
{
    QStringList args;
    if (!password.isEmpty())
        args << QStringLiteral("-upw") << password;
    args << QStringLiteral("-enc") << QStringLiteral("UTF-8") << pdf << QStringLiteral("-");
    const ToolResult r = runTool(QStringLiteral("pdftotext"), args);
    if (r.exitCode != 0)
        return QStringLiteral("<pdftotext failed: %1>").arg(QString::fromUtf8(r.err));
    return QString::fromUtf8(r.out);
}

inline ToolResult pdfInfo(const QString& pdf, const QStringList& extra = {})
{
    return runTool(QStringLiteral("pdfinfo"), QStringList(extra) << pdf);
}

// One "Key: value" line of pdfinfo's report.
inline QString pdfInfoField(const QByteArray& report, const QString& key)
{
    const QStringList lines = QString::fromUtf8(report).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (line.startsWith(key + QLatin1Char(':')))
            return line.mid(key.size() + 1).trimmed();
    }
    return {};
}

// Page size of the first page as pdfinfo reports it, in points.
inline QSizeF pdfPageSize(const QString& pdf)
{
    const QString field = pdfInfoField(pdfInfo(pdf).out, QStringLiteral("Page size"));
    static const QRegularExpression size(QStringLiteral("^([0-9.]+) x ([0-9.]+) pts"));
    const auto m = size.match(field);
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

// Left edge of the first word on the first page, in points.
inline double firstWordLeft(const QString& pdf)
{
    const ToolResult r = runTool(QStringLiteral("pdftotext"),
                                 {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
                                  QStringLiteral("-l"), QStringLiteral("1"), pdf, QStringLiteral("-")});
    static const QRegularExpression word(QStringLiteral("<word xMin=\"([0-9.]+)\""));
    const auto m = word.match(QString::fromUtf8(r.out));
    return m.hasMatch() ? m.captured(1).toDouble() : -1;
}

// A DOCX with one photograph-like JPEG picture of `width` x `height` pixels
// shown at `shownWidthInches` x `shownHeightInches`; `cropSides` (a fraction
// of its width) is cut off its left and right alike.
inline QByteArray pictureDocx(int width, int height, double shownWidthInches, double shownHeightInches,
                              double cropSides = 0)
{
    RasterImage image;
    image.width = width;
    image.height = height;
    image.rgb.resize(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &image.rgb[(size_t(y) * width + x) * 3];
            p[0] = std::uint8_t(x * 255 / width);
            p[1] = std::uint8_t(y * 255 / height);
            p[2] = std::uint8_t(((x / 40 + y / 40) % 2) * 200);
        }
    QTemporaryDir dir;
    const QString jpeg = dir.filePath(QStringLiteral("picture.jpg"));
    if (!SaveRasterImage(image, jpeg, ImageTypeJpeg, 80))
        qFatal("cannot write the picture");

    constexpr double kEmuPerInch = 914400;
    const QByteArray cx = QByteArray::number(qRound64(shownWidthInches * kEmuPerInch));
    const QByteArray cy = QByteArray::number(qRound64(shownHeightInches * kEmuPerInch));
    const QByteArray crop = QByteArray::number(qRound(cropSides * 100000));
    const QByteArray relationships =
        "<Relationship Id=\"rIdPicture\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/image\" "
        "Target=\"media/picture.jpg\"/>";
    const QByteArray body =
        "<w:p><w:r><w:t>Before the picture</w:t></w:r></w:p>"
        "<w:p><w:r><w:drawing><wp:inline><wp:extent cx=\"" + cx + "\" cy=\"" + cy + "\"/>"
        "<wp:docPr id=\"1\" name=\"Picture 1\"/><a:graphic>"
        "<a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"><pic:pic>"
        "<pic:nvPicPr><pic:cNvPr id=\"1\" name=\"picture.jpg\"/><pic:cNvPicPr/></pic:nvPicPr>"
        "<pic:blipFill><a:blip r:embed=\"rIdPicture\"/><a:srcRect l=\"" + crop + "\" r=\"" + crop + "\"/>"
        "<a:stretch><a:fillRect/></a:stretch></pic:blipFill>"
        "<pic:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"" + cx + "\" cy=\"" + cy + "\"/></a:xfrm>"
        "<a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></pic:spPr></pic:pic></a:graphicData></a:graphic>"
        "</wp:inline></w:drawing></w:r></w:p>"
        "<w:p><w:r><w:t>After the picture</w:t></w:r></w:p>";
    return testutil::docxBytes(body, relationships,
                               {{QStringLiteral("word/media/picture.jpg"), testutil::readFile(jpeg)}});
}

// The resolution of each picture of a PDF on its page, as pdfimages gives
// it (x-ppi, y-ppi), soft masks left out.
inline std::vector<std::pair<int, int>> pdfImageResolutions(const QString& pdf)
{
    const ToolResult r = runTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    std::vector<std::pair<int, int>> found;
    const QStringList lines = QString::fromUtf8(r.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines.mid(2)) {
        const QStringList f = line.simplified().split(QLatin1Char(' '));
        if (f.size() >= 14 && f[2] == QLatin1String("image"))
            found.emplace_back(f[12].toInt(), f[13].toInt());
    }
    return found;
}

} // namespace officetest
