#include "FileList.h"

#include "CFileSearch.h"
#include "core/ListSort.h"
#include "core/Translator.h"

#include <cstring>

bool bGetFilesMatchingSpec(bool bDoSubFolders, QString& sErr, const QString& spec, QStringList& list,
                           bool sort, bool bContinueFileListingOnError, FileListingBusy* busy,
                           QList<UnreachableInput>* unreachable)
{
    if (busy)
        busy->BeginBusy(Translate(QStringLiteral("Creating File List: ")) + spec.left(spec.lastIndexOf(u'/') + 1));

    bool result = true;
    CFileSearch search;
    const qint32 error = search.BuildFileList(spec, bDoSubFolders, bContinueFileListingOnError);
    if (error == 0 || bContinueFileListingOnError) {
        const QList<CFile> files = search.Files();
        list.reserve(list.size() + files.size());
        for (const CFile& file : files)
            list.append(file.Filename());
    }
    // A sub-folder that failed is reported as what it is when the caller
    // takes such reports and the walk went on past it.
    const bool reported = unreachable && (error == 0 || (bContinueFileListingOnError && search.SearchedRoot()));
    if (reported) {
        for (const UnreachableEntry& entry : search.Unreachable())
            unreachable->append({entry.path, QString::fromLocal8Bit(std::strerror(entry.errnoValue)), entry.folder});
    }
    // Without the setting any failure fails the listing, whatever was found.
    if (error != 0 && !reported && (!bContinueFileListingOnError || search.TotalFound() == 0)) {
        sErr = Translate(QStringLiteral("An error occured while searching for files: "))
               + QString::number(error) + QStringLiteral(" : ") + search.LastErrorDescription();
        result = false;
    }
    if (sort && result)
        list = SortCollection(list, false);

    if (busy)
        busy->EndBusy();
    return result;
}
