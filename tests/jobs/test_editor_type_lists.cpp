// The task editor's type lists: their entries, item data and extension
// keys, and the fillers as a window's combo box sees them, with the
// control-event flag held and given back.
#include "core/Globals.h"
#include "jobs/EditorTypeLists.h"

#include <QTest>

#include <stdexcept>

namespace {

using Entries = QList<TypeListEntry>;
using Keys = QMap<QString, int>;

// A combo box that records what the filler does to it.
class RecordingBox : public TypeListBox
{
public:
    QStringList texts;
    QList<int> data;
    int listIndex = -1;
    QList<bool> suppressedDuringFill;
    int failAtItem = -1;

    void Clear() override
    {
        suppressedDuringFill << G_bSuppressControlEvents;
        texts.clear();
        data.clear();
        listIndex = -1;
    }
    int AddItem(const QString& text) override
    {
        if (texts.size() == failAtItem)
            throw std::runtime_error("combo box full");
        texts << text;
        data << 0;
        return int(texts.size()) - 1;
    }
    void SetItemData(int index, int value) override { data[index] = value; }
    void SetListIndex(int index) override
    {
        suppressedDuringFill << G_bSuppressControlEvents;
        listIndex = index;
    }
};

QStringList textsOf(const Entries& entries)
{
    QStringList texts;
    for (const TypeListEntry& e : entries)
        texts << e.text;
    return texts;
}

QList<int> dataOf(const Entries& entries)
{
    QList<int> data;
    for (const TypeListEntry& e : entries)
        data << e.itemData;
    return data;
}

} // namespace

Q_DECLARE_METATYPE(Entries)

class TestEditorTypeLists : public QObject
{
    Q_OBJECT

private slots:
    void contents_data()
    {
        QTest::addColumn<Entries>("entries");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<int>>("data");

        QTest::newRow("conversion input") << InputFileTypeEntries() << kInputFileTypeCount
            << QStringList{"[13] MS Word (DOCX)", "[9] Microsoft Word 97-2003 (DOC)", "[12] Adobe (PDF)",
                           "[4] HTML (HTM)", "[5] Rich Text Format (RTF)", "[6] Unicode/Encoded Text", "[1] Text"}
            << QList<int>{13, 9, 12, 4, 5, 6, 1};
        QTest::newRow("conversion output") << OutputFileTypeEntries() << kOutputFileTypeCount
            << QStringList{"[1] JPEG (*.JPG)", "[2] Windows Bitmap (*.bmp)", "[3] Tagged Image File Format (*.tif)",
                           "[4] GIF (*.gif)", "[5] EMF (*.emf)", "[6] J2K (*.j2k)", "[7] PCX bitmap format (*.pcx)",
                           "[8] Portable Network Graphics (*.png)", "[9] Sun Rasterfile (*.ras)",
                           "[10] Targa File (*.tga)", "[11] Windows Meta File (*.wmf)", "[12] Adobe (PDF)",
                           "[14] Adobe (PDF/A)"}
            << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14};
        // DOCX is offered, though the text processes refuse it (-102).
        QTest::newRow("special-process input") << SpecializedFileTypeEntries() << kSpecializedFileTypeCount
            << QStringList{"[1] Text", "[13] Word (DOCX)", "[9] Word 97-2003 (DOC)", "[4] HTML (HTM)",
                           "[5] Rich Text Format (RTF)", "[6] Unicode/Encoded Text"}
            << QList<int>{1, 13, 9, 4, 5, 6};
        QTest::newRow("special processes") << SpecialProcessEntries() << kSpecialProcessCount
            << QStringList{"[50] Append (Concatenate) files. Input file(s) contents is placed at the end of the Output file.",
                           "[55] Remove Empty Lines", "[56] Search and Replace a String.",
                           "[60] Launch (Run) a program.", "I NEED SOMETHING NOT LISTED!!!!!!!"}
            << QList<int>{50, 55, 56, 60, -1};
    }

    void contents()
    {
        QFETCH(Entries, entries);
        QFETCH(int, count);
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, data);
        QCOMPARE(textsOf(entries), texts);
        QCOMPARE(dataOf(entries), data);
        QCOMPARE(int(entries.size()), count);
    }

    void fillersGiveEntriesDataAndKeys_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<Keys>("keys");
        QTest::newRow("input") << 0 << Keys{{"docx", 0}, {"doc", 1}, {"pdf", 2}, {"htm", 3}, {"html", 3},
                                            {"rtf", 4}, {"txt", 6}};
        QTest::newRow("output") << 1 << Keys{{"jpg", 0}, {"jpeg", 0}, {"bmp", 1}, {"tif", 2}, {"tiff", 2},
                                             {"gif", 3}, {"emf", 4}, {"j2k", 5}, {"pcx", 6}, {"png", 7},
                                             {"ras", 8}, {"tga", 9}, {"wmf", 10}, {"pdf", 11}};
        QTest::newRow("special input") << 2 << Keys{{"txt", 0}, {"docx", 1}, {"doc", 2}, {"htm", 3},
                                                    {"html", 3}, {"rtf", 4}};
        QTest::newRow("processes") << 3 << Keys{};
    }

    void fillersGiveEntriesDataAndKeys()
    {
        QFETCH(int, which);
        QFETCH(Keys, keys);

        RecordingBox box;
        box.texts << "left from before";
        FileTypeKeys found{{"stale", 9}};
        Entries entries;
        switch (which) {
        case 0: FillInInputFileTypeComboBox(box, found); entries = InputFileTypeEntries(); break;
        case 1: FillInFileOutputTypeComboBox(box, found); entries = OutputFileTypeEntries(); break;
        case 2: FillInFileTypeComboBoxSpecialized(box, found); entries = SpecializedFileTypeEntries(); break;
        default: FillInSpecialProcessesComboBox(box); entries = SpecialProcessEntries(); found.clear(); break;
        }
        QCOMPARE(box.texts, textsOf(entries));
        QCOMPARE(box.data, dataOf(entries));
        QCOMPARE(box.listIndex, 0);
        Keys asMap;
        for (auto it = found.cbegin(); it != found.cend(); ++it)
            asMap.insert(it.key(), it.value());
        QCOMPARE(asMap, keys);
    }

    void controlEventsAreHeldWhileFilling_data()
    {
        QTest::addColumn<bool>("before");
        QTest::newRow("flag clear") << false;
        QTest::newRow("flag already set") << true;
    }

    void controlEventsAreHeldWhileFilling()
    {
        QFETCH(bool, before);
        G_bSuppressControlEvents = before;
        RecordingBox box;
        FileTypeKeys keys;
        FillInFileOutputTypeComboBox(box, keys);
        QCOMPARE(box.suppressedDuringFill, (QList<bool>{true, true}));
        QCOMPARE(G_bSuppressControlEvents, before);

        // A box that fails midway passes the failure on; the window's
        // events are not left switched off.
        RecordingBox failing;
        failing.failAtItem = 2;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, FillInSpecialProcessesComboBox(failing));
        QCOMPARE(G_bSuppressControlEvents, before);
        G_bSuppressControlEvents = false;
    }
};

QTEST_GUILESS_MAIN(TestEditorTypeLists)
#include "test_editor_type_lists.moc"
