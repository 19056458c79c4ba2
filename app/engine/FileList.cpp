#include "FileList.h"

#include "CFileSearch.h"
#include "core/ListSort.h"
#include "core/Translator.h"

bool bGetFilesMatchingSpec(bool bDoSubFolders, QString& sErr, const QString& spec, QStringList& list,
                           bool sort, bool bContinueFileListingOnError, FileListingBusy* busy)
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
    // Without the setting any failure fails the listing, whatever was found.
    if (error != 0 && (!bContinueFileListingOnError || search.TotalFound() == 0)) {
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
