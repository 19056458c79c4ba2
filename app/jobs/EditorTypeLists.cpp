#include "EditorTypeLists.h"

#include "core/FileTypes.h"
#include "core/Globals.h"
#include "core/SuppressControlEvents.h"
#include "core/Translator.h"

namespace {

struct Row
{
    const char* text;
    int number;
    QStringList extensions;
};

QList<TypeListEntry> translatedWhole(std::initializer_list<Row> rows)
{
    QList<TypeListEntry> entries;
    for (const Row& row : rows)
        entries.append({Translate(QString::fromUtf8(row.text)), row.number, row.extensions});
    return entries;
}

QString numbered(int number, const QString& rest)
{
    return u'[' + QString::number(number) + QStringLiteral("] ") + rest;
}

void fill(TypeListBox& box, const QList<TypeListEntry>& entries, FileTypeKeys* keys)
{
    if (keys)
        *keys = FileTypeKeys();
    const SuppressControlEvents suppress;
    box.Clear();
    for (const TypeListEntry& entry : entries) {
        const int index = box.AddItem(entry.text);
        box.SetItemData(index, entry.itemData);
        if (keys)
            for (const QString& extension : entry.extensions)
                keys->insert(extension, index);
    }
    box.SetListIndex(0);
}

} // namespace

QList<TypeListEntry> InputFileTypeEntries()
{
    return translatedWhole({
        {"[13] MS Word (DOCX)", filetype::Docx, {"docx"}},
        {"[9] Microsoft Word 97-2003 (DOC)", filetype::Doc, {"doc"}},
        {"[12] Adobe (PDF)", filetype::Pdf, {"pdf"}},
        {"[4] HTML (HTM)", filetype::Html, {"htm", "html"}},
        {"[5] Rich Text Format (RTF)", filetype::Rtf, {"rtf"}},
        {"[6] Unicode/Encoded Text", filetype::UnicodeText, {}},
        {"[1] Text", filetype::Text, {"txt"}},
    });
}

QList<TypeListEntry> OutputFileTypeEntries()
{
    // The image entries keep their number and suffix untranslated.
    static const Row images[] = {
        {"JPEG", filetype::Jpeg, {"jpg", "jpeg"}},
        {"Windows Bitmap", filetype::Bmp, {"bmp"}},
        {"Tagged Image File Format", filetype::Tiff, {"tif", "tiff"}},
        {"GIF", filetype::Gif, {"gif"}},
        {"EMF", filetype::Emf, {"emf"}},
        {"J2K", filetype::J2k, {"j2k"}},
        {"PCX bitmap format", filetype::Pcx, {"pcx"}},
        {"Portable Network Graphics", filetype::Png, {"png"}},
        {"Sun Rasterfile", filetype::Ras, {"ras"}},
        {"Targa File", filetype::Tga, {"tga"}},
        {"Windows Meta File", filetype::Wmf, {"wmf"}},
    };
    static const char* const suffixes[] = {" (*.JPG)", " (*.bmp)", " (*.tif)", " (*.gif)", " (*.emf)", " (*.j2k)",
                                           " (*.pcx)", " (*.png)", " (*.ras)", " (*.tga)", " (*.wmf)"};
    QList<TypeListEntry> entries;
    for (size_t i = 0; i < std::size(images); ++i)
        entries.append({numbered(images[i].number, Translate(QString::fromUtf8(images[i].text)))
                             + QString::fromUtf8(suffixes[i]),
                         images[i].number, images[i].extensions});
    entries += translatedWhole({
        {"[12] Adobe (PDF)", filetype::Pdf, {"pdf"}},
        {"[14] Adobe (PDF/A)", filetype::PdfA, {}},
    });
    return entries;
}

QList<TypeListEntry> SpecializedFileTypeEntries()
{
    return translatedWhole({
        {"[1] Text", filetype::Text, {"txt"}},
        {"[13] Word (DOCX)", filetype::Docx, {"docx"}},
        {"[9] Word 97-2003 (DOC)", filetype::Doc, {"doc"}},
        {"[4] HTML (HTM)", filetype::Html, {"htm", "html"}},
        {"[5] Rich Text Format (RTF)", filetype::Rtf, {"rtf"}},
        {"[6] Unicode/Encoded Text", filetype::UnicodeText, {}},
    });
}

QList<TypeListEntry> SpecialProcessEntries()
{
    static const Row processes[] = {
        {"Append (Concatenate) files. Input file(s) contents is placed at the end of the Output file.",
         specialprocess::Append, {}},
        {"Remove Empty Lines", specialprocess::RemoveEmptyLines, {}},
        {"Search and Replace a String.", specialprocess::SearchAndReplace, {}},
        {"Launch (Run) a program.", specialprocess::LaunchProgram, {}},
    };
    QList<TypeListEntry> entries;
    for (const Row& row : processes)
        entries.append({numbered(row.number, Translate(QString::fromUtf8(row.text))), row.number, {}});
    entries.append({Translate(QStringLiteral("I NEED SOMETHING NOT LISTED!!!!!!!")), -1, {}});
    return entries;
}

void FillInInputFileTypeComboBox(TypeListBox& box, FileTypeKeys& clnInputFileTypes)
{
    fill(box, InputFileTypeEntries(), &clnInputFileTypes);
}

void FillInFileOutputTypeComboBox(TypeListBox& box, FileTypeKeys& clnOutputFileTypes)
{
    fill(box, OutputFileTypeEntries(), &clnOutputFileTypes);
}

void FillInFileTypeComboBoxSpecialized(TypeListBox& box, FileTypeKeys& clnSpecializedFileTypes)
{
    fill(box, SpecializedFileTypeEntries(), &clnSpecializedFileTypes);
}

void FillInSpecialProcessesComboBox(TypeListBox& box)
{
    fill(box, SpecialProcessEntries(), nullptr);
}
