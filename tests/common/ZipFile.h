#pragma once
// Writes a zip file (a DOCX, say) made at test time: each entry deflated,
// so a large and repetitive part stays small on disk, as in a document
// built to take an office's memory.
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <array>

namespace testutil {

inline quint32 crc32Of(const QByteArray& bytes)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (const char b : bytes)
        crc = table[(crc ^ quint8(b)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

// The raw deflate stream of `bytes`: qCompress's zlib stream without its
// length prefix, zlib header and checksum.
inline QByteArray deflated(const QByteArray& bytes)
{
    const QByteArray z = qCompress(bytes, 9);
    return z.mid(4 + 2, z.size() - 4 - 2 - 4);
}

using ZipEntries = QList<QPair<QString, QByteArray>>;

inline QByteArray zipBytes(const ZipEntries& entries)
{
    QByteArray out;
    QByteArray directory;
    auto u16 = [](QByteArray& to, quint16 v) { to.append(char(v & 0xFF)).append(char(v >> 8)); };
    auto u32 = [&](QByteArray& to, quint32 v) {
        u16(to, quint16(v & 0xFFFF));
        u16(to, quint16(v >> 16));
    };
    for (const auto& [name, data] : entries) {
        const QByteArray fileName = name.toUtf8();
        const QByteArray packed = deflated(data);
        const quint32 crc = crc32Of(data);
        const quint32 offset = quint32(out.size());
        u32(out, 0x04034b50);
        u16(out, 20);  // version needed
        u16(out, 0);   // flags
        u16(out, 8);   // deflate
        u16(out, 0);   // time
        u16(out, 0x21); // date: 1980-01-01
        u32(out, crc);
        u32(out, quint32(packed.size()));
        u32(out, quint32(data.size()));
        u16(out, quint16(fileName.size()));
        u16(out, 0);
        out += fileName;
        out += packed;

        u32(directory, 0x02014b50);
        u16(directory, 20);
        u16(directory, 20);
        u16(directory, 0);
        u16(directory, 8);
        u16(directory, 0);
        u16(directory, 0x21);
        u32(directory, crc);
        u32(directory, quint32(packed.size()));
        u32(directory, quint32(data.size()));
        u16(directory, quint16(fileName.size()));
        u16(directory, 0); // extra
        u16(directory, 0); // comment
        u16(directory, 0); // disk
        u16(directory, 0); // internal attributes
        u32(directory, 0); // external attributes
        u32(directory, offset);
        directory += fileName;
    }
    const quint32 directoryOffset = quint32(out.size());
    out += directory;
    u32(out, 0x06054b50);
    u16(out, 0);
    u16(out, 0);
    u16(out, quint16(entries.size()));
    u16(out, quint16(entries.size()));
    u32(out, quint32(directory.size()));
    u32(out, directoryOffset);
    u16(out, 0);
    return out;
}

// A DOCX whose body is `body` (WordprocessingML paragraphs, which may use
// the name spaces of pictures), with `relationships` of the document
// (Relationship elements) and the `parts` they name (a JPEG picture, say).
inline QByteArray docxBytes(const QByteArray& body, const QByteArray& relationships = {},
                            const ZipEntries& parts = {})
{
    const QByteArray declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";
    const QByteArray types = declaration
        + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
          "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
          "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
          "<Default Extension=\"jpg\" ContentType=\"image/jpeg\"/>"
          "<Override PartName=\"/word/document.xml\" "
          "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
          "</Types>";
    const QByteArray relationshipsOpen =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    const QByteArray rels = declaration + relationshipsOpen
        + "<Relationship Id=\"rId1\" "
          "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
          "Target=\"word/document.xml\"/></Relationships>";
    const QByteArray document = declaration
        + "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
          "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
          "xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\" "
          "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
          "xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"><w:body>"
        + body + "</w:body></w:document>";
    ZipEntries entries{{QStringLiteral("[Content_Types].xml"), types},
                       {QStringLiteral("_rels/.rels"), rels},
                       {QStringLiteral("word/document.xml"), document}};
    if (!relationships.isEmpty())
        entries.append({QStringLiteral("word/_rels/document.xml.rels"),
                        declaration + relationshipsOpen + relationships + "</Relationships>"});
    entries.append(parts);
    return zipBytes(entries);
}

// A small DOCX that asks an office for far more memory than its size says:
// `paragraphs` paragraphs of one short sentence (400,000 take an office
// past 700 MB in about 128 KB of file).
inline QByteArray memoryHungryDocx(int paragraphs = 400000)
{
    const QByteArray paragraph =
        "<w:p><w:r><w:t>Many words in one paragraph that the office keeps in memory</w:t></w:r></w:p>";
    return docxBytes(paragraph.repeated(paragraphs));
}

} // namespace testutil
