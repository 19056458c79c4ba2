#pragma once
// A most-recently-used list of texts (paths, programs, arguments, search
// texts, job files) kept in a section of the settings file named after the
// list. Keys are the list's name followed by 1, 2, ... (the oldest first),
// closed by a key holding "MRU_DONE". No two entries are equal; texts that
// differ in letter case are different entries (they name different files,
// and find or replace different text).
#include <QString>
#include <QStringList>

class clsMRU
{
public:
    // Ends a stored list; also the value a missing key reads as.
    static inline const QString kTerminator = QStringLiteral("MRU_DONE");
    static inline const QString kMissingKey = QStringLiteral("+-!#");

    // Makes the list usable: keeps the capacity, the settings file and the
    // list's name, reads the stored entries, and seeds an empty list from
    // the comma-separated sDefaultArray ("-1" for none). The list then
    // counts as unchanged.
    void Setup(int lMaxItems, const QString& sSaveToFile, const QString& sDescriptionOfCollection,
               const QString& sDefaultArray);
    // Writes the list when it changed, then empties it; the list is not to
    // be used again. False when a write failed or an entry could not be
    // stored.
    bool ShutDown();

    bool bItemExistsInMRU(const QString& sValue, bool bCaseSensitive) const;
    // Adds the text as the newest entry: an equal entry goes, and a full
    // list drops its oldest. An empty text changes nothing,
    // and so does a text the settings file would not give back whole (a
    // line break, more than 499 characters) or one that would end the list
    // when it is read ("MRU_DONE", "+-!#").
    void AddUniqueItemToCollection(const QString& vNewValue);
    // Writes every entry and the terminator when the list changed since it
    // was read. False when a write failed; keys of entries that could not
    // be written are left as they were.
    bool WriteCollectionToIniFile();
    // Replaces the entries by those stored; a missing key or the terminator
    // ends the list there.
    void ReadIniFileIntoCollection();
    void ClearAllItemsInList();
    int Count() const { return int(clnMRU.size()); }

    // Whether the list changed since it was read.
    bool Changed() const { return m_changed; }
    const QString& Name() const { return sDescriptionOfCollection; }

    // The entries, oldest first and newest last.
    QStringList clnMRU;

private:
    int lMaxItems = 0;
    QString sDescriptionOfCollection;
    QString sSaveToFile;
    bool m_changed = false;
};
