#include "FilePickers.h"

#include "core/FileSystem.h"
#include "core/Translator.h"

namespace {

QString folderPart(const QString& path)
{
    const int slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.left(slash + 1);
}

QString showFile(FileDialogMode mode, const QString& sTitle, const QString& sFilter, int& lFilterIndex,
                 const QString& initialFolder)
{
    FileDialogRequest request;
    request.mode = mode;
    request.title = sTitle;
    request.filter = sFilter;
    request.filterIndex = lFilterIndex;
    request.initialFolder = initialFolder;
    const FileDialogAnswer answer = CurrentFileChooser().chooseFile(request);
    if (answer.path.isEmpty())
        return QString();
    lFilterIndex = answer.filterIndex;
    return answer.path;
}

} // namespace

QString RemoveTrailingSlash(const QString& path)
{
    if (path.size() > 1 && path.endsWith(u'/'))
        return path.chopped(1);
    return path;
}

QString ShowFileDialog(FileDialogMode mode, const QString& sTitle, const QString& sFilter, int& lFilterIndex)
{
    return showFile(mode, sTitle, sFilter, lFilterIndex, QString());
}

QString ShowFileDialogInitDir(FileDialogMode mode, const QString& sTitle, const QString& sFilter,
                              int& lFilterIndex, QString& sStartPath)
{
    sStartPath = GetNearestExistingFolder(sStartPath);
    const QString initialFolder = sStartPath.isEmpty() ? QString() : folderPart(sStartPath);
    return showFile(mode, sTitle, sFilter, lFilterIndex, initialFolder);
}

QString BrowseForFolder(QString& sStartPath)
{
    QString start = ExpandPathMacros(sStartPath);
    start.replace(u'*', u'A');
    sStartPath = RemoveTrailingSlash(start);
    const QString chosen = CurrentFileChooser().chooseFolder(Translate(QStringLiteral("Browse For Folder")), sStartPath);
    return RemoveTrailingSlash(chosen);
}
