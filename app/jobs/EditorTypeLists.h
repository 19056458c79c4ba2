#pragma once
// The four drop-down lists of the task editor: the input and output types
// of a conversion, the input types of a special process, and the special
// processes. Each entry shows its type number in square brackets and a
// name, and carries the number as its item data; the type lists also map
// each file extension they list to the entry's position.
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

struct TypeListEntry
{
    QString text;             // translated
    int itemData = 0;         // the type or process number; -1 for "not listed"
    QStringList extensions;   // lower case, without the dot

    bool operator==(const TypeListEntry&) const = default;
};

// cbFileTypeOriginal, cbFileTypeTarget, cbFileTypeOriginalSpecialized and
// cbSpecialProcesses, in the order they are shown.
QList<TypeListEntry> InputFileTypeEntries();
QList<TypeListEntry> OutputFileTypeEntries();
QList<TypeListEntry> SpecializedFileTypeEntries();
QList<TypeListEntry> SpecialProcessEntries();

// Number of entries of each list (no translation needed).
constexpr int kInputFileTypeCount = 7;
constexpr int kOutputFileTypeCount = 13;
constexpr int kSpecializedFileTypeCount = 6;
constexpr int kSpecialProcessCount = 5;

// A drop-down list of the window as the fillers use it; the window wraps
// its combo box in one.
class TypeListBox
{
public:
    virtual ~TypeListBox() = default;
    virtual void Clear() = 0;
    // Appends an entry and gives its index.
    virtual int AddItem(const QString& text) = 0;
    virtual void SetItemData(int index, int data) = 0;
    virtual void SetListIndex(int index) = 0;
};

// File extension (lower case, no dot) to the position of its entry.
using FileTypeKeys = QHash<QString, int>;

// Each filler empties the box and the keyed list, adds the entries with
// their item data and keys, and selects the first entry, with
// G_bSuppressControlEvents set meanwhile; the flag gets its earlier value
// back also when the box fails (the failure is passed on).
void FillInInputFileTypeComboBox(TypeListBox& box, FileTypeKeys& clnInputFileTypes);
void FillInFileOutputTypeComboBox(TypeListBox& box, FileTypeKeys& clnOutputFileTypes);
void FillInFileTypeComboBoxSpecialized(TypeListBox& box, FileTypeKeys& clnSpecializedFileTypes);
void FillInSpecialProcessesComboBox(TypeListBox& box);
