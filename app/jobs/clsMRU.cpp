#include "clsMRU.h"

#include "jobs/IniValues.h"

namespace {

QString keyOf(const QString& name, int i)
{
    return name + QString::number(i);
}

} // namespace

void clsMRU::Setup(int lMaxItems_, const QString& sSaveToFile_, const QString& sDescriptionOfCollection_,
                   const QString& sDefaultArray)
{
    lMaxItems = lMaxItems_;
    clnMRU.clear();
    sDescriptionOfCollection = sDescriptionOfCollection_;
    sSaveToFile = sSaveToFile_;
    ReadIniFileIntoCollection();
    if (clnMRU.isEmpty() && sDefaultArray != QLatin1String("-1")) {
        for (const QString& seed : sDefaultArray.split(u','))
            AddUniqueItemToCollection(seed);
    }
    m_changed = false;
}

bool clsMRU::ShutDown()
{
    const bool written = WriteCollectionToIniFile();
    clnMRU.clear();
    return written;
}

bool clsMRU::bItemExistsInMRU(const QString& sValue, bool bCaseSensitive) const
{
    return clnMRU.contains(sValue, bCaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
}

void clsMRU::AddUniqueItemToCollection(const QString& vNewValue)
{
    if (vNewValue.isEmpty())
        return;
    // Stored, these would come back cut or end the list early on the next
    // read, losing the entries after them.
    if (!IsStorableIniText(vNewValue) || vNewValue == kTerminator || vNewValue == kMissingKey)
        return;
    m_changed = true;
    const qsizetype existing = clnMRU.indexOf(vNewValue);
    if (existing >= 0)
        clnMRU.removeAt(existing);
    else if (Count() >= lMaxItems && !clnMRU.isEmpty())
        clnMRU.removeFirst();
    clnMRU.append(vNewValue);
}

bool clsMRU::WriteCollectionToIniFile()
{
    if (!m_changed)
        return true;
    bool ok = true;
    for (int i = 1; i <= Count(); ++i)
        ok = WriteIniText(sDescriptionOfCollection, keyOf(sDescriptionOfCollection, i), clnMRU[i - 1], sSaveToFile)
             && ok;
    ok = WriteIniText(sDescriptionOfCollection, keyOf(sDescriptionOfCollection, Count() + 1), kTerminator,
                      sSaveToFile)
         && ok;
    return ok;
}

void clsMRU::ReadIniFileIntoCollection()
{
    ClearAllItemsInList();
    QStringList stored;
    for (int i = 1; i <= lMaxItems; ++i) {
        const QString value = ReadIniText(sDescriptionOfCollection, keyOf(sDescriptionOfCollection, i), kMissingKey,
                                          sSaveToFile);
        if (value == kMissingKey || value == kTerminator)
            break;
        stored << value;
    }
    for (const QString& value : stored)
        AddUniqueItemToCollection(value);
}

void clsMRU::ClearAllItemsInList()
{
    m_changed = true;
    clnMRU.clear();
}
