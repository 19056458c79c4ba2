#pragma once
// Reads image files with independent tools (ImageMagick, libtiff's
// tiffinfo) rather than with the code under test.
#include "TestPdf.h"

#include <QFile>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdlib>

namespace probe {

// Runs a program and returns its standard output; *ok tells whether it ran
// and exited with 0.
inline QByteArray run(const QString& program, const QStringList& args, bool* ok = nullptr)
{
    QProcess p;
    p.start(program, args);
    const bool finished = p.waitForFinished(120000);
    if (ok)
        *ok = finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return p.readAllStandardOutput();
}

// identify's answer for one frame, e.g. format "%m %w %h".
inline QString identify(const QString& file, const QString& format, int frame = 0)
{
    return QString::fromUtf8(
               run(QStringLiteral("identify"),
                   {QStringLiteral("-format"), format, file + QLatin1Char('[') + QString::number(frame) + QLatin1Char(']')}))
        .trimmed();
}

inline QString format(const QString& file)
{
    return identify(file, QStringLiteral("%m"));
}

inline QSize size(const QString& file, int frame = 0)
{
    const QStringList parts = identify(file, QStringLiteral("%w %h"), frame).split(QLatin1Char(' '));
    return parts.size() == 2 ? QSize(parts[0].toInt(), parts[1].toInt()) : QSize();
}

inline testpdf::Rgb pixel(const QString& file, int x, int y, int frame = 0)
{
    const QByteArray rgb = run(QStringLiteral("convert"),
                               {file + QLatin1Char('[') + QString::number(frame) + QLatin1Char(']'),
                                QStringLiteral("-crop"),
                                QStringLiteral("1x1+%1+%2").arg(x).arg(y), QStringLiteral("-depth"),
                                QStringLiteral("8"), QStringLiteral("rgb:-")});
    if (rgb.size() != 3)
        return {-1, -1, -1};
    return {static_cast<unsigned char>(rgb[0]), static_cast<unsigned char>(rgb[1]),
            static_cast<unsigned char>(rgb[2])};
}

// JPEG changes colours a little; the page colours are far apart.
inline bool near(const testpdf::Rgb& a, const testpdf::Rgb& b, int tolerance = 24)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance
        && std::abs(a.b - b.b) <= tolerance;
}

// Whether frame of file shows the given page: its colour in the middle.
inline bool showsPage(const QString& file, int page, int frame = 0)
{
    const QSize s = size(file, frame);
    return s.isValid() && near(pixel(file, s.width() / 2, s.height() / 2, frame), testpdf::PageColour(page));
}

// What tiffinfo says of each frame's field, e.g. "Compression Scheme" or
// "Bits/Sample", in frame order.
inline QStringList tiffField(const QString& file, const QString& field)
{
    QStringList values;
    const QList<QByteArray> lines = run(QStringLiteral("tiffinfo"), {file}).split('\n');
    const QString prefix = field + QStringLiteral(": ");
    for (const QByteArray& raw : lines) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(prefix))
            values << line.mid(prefix.size()).trimmed();
    }
    return values;
}

inline int tiffPageCount(const QString& file)
{
    bool ok = false;
    const QByteArray info = run(QStringLiteral("tiffinfo"), {file}, &ok);
    return ok ? static_cast<int>(info.count("TIFF Directory at offset")) : -1;
}

inline QByteArray head(const QString& file, int bytes)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.read(bytes) : QByteArray();
}

// The signature each format starts with.
inline bool hasSignature(const QString& file, const QByteArray& signature)
{
    return !signature.isEmpty() && head(file, static_cast<int>(signature.size())) == signature;
}

inline const QByteArray kJpegSignature = QByteArray::fromHex("ffd8ff");
inline const QByteArray kBmpSignature = QByteArrayLiteral("BM");
inline const QByteArray kTiffSignature = QByteArray::fromHex("49492a00"); // little-endian TIFF

} // namespace probe
