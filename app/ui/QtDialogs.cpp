#include "QtDialogs.h"

#include "core/FileSystem.h"
#include "core/Translator.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include <algorithm>

namespace {

QMessageBox::StandardButtons standardButtons(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon boxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

MessageAnswer answerOf(int button)
{
    switch (button) {
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    default:
        return MessageAnswer::Ok;
    }
}

} // namespace

MessageAnswer QtMessageSink::showMessage(const QString& text, const QString& title, MessageButtons buttons,
                                         MessageIcon icon)
{
    // Without a title of the caller's, the box is the program's, not the
    // executable's (Qt's default name).
    QMessageBox box(boxIcon(icon), title.isEmpty() ? G_sProductName : title, text,
                    standardButtons(buttons), QApplication::activeWindow());
    if (buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel)
        box.setDefaultButton(QMessageBox::Yes);
    return answerOf(box.exec());
}

QString CaseInsensitivePattern(const QString& pattern)
{
    const QString p = pattern.trimmed();
    if (p == QLatin1String("*.*"))
        return QStringLiteral("*");
    QString out;
    for (const QChar c : p) {
        if (c.isLetter() && c.toLower() != c.toUpper())
            out += u'[' + c.toLower() + c.toUpper() + u']';
        else
            out += c;
    }
    return out;
}

QStringList QtNameFilters(const QString& filter)
{
    QStringList filters;
    if (filter.isEmpty())
        return filters;
    const QStringList parts = filter.split(u'|');
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(u';', Qt::SkipEmptyParts))
            patterns << CaseInsensitivePattern(p);
        QString description = parts[i].trimmed();
        if (description.isEmpty())
            description = parts[i + 1];
        // The dialog shows the text before the last parentheses: the
        // description as designed, its own pattern part included.
        filters << description + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return filters;
}

QString DefaultSaveSuffix(const QString& filter, int filterIndex)
{
    const QStringList parts = filter.split(u'|');
    const qsizetype patterns = qsizetype(filterIndex) * 2 - 1;
    if (filterIndex < 1 || patterns >= parts.size())
        return QString();
    const QString first = parts[patterns].split(u';').constFirst().trimmed();
    if (!first.startsWith(QLatin1String("*.")))
        return QString();
    const QString suffix = first.mid(2);
    if (suffix.isEmpty() || suffix.contains(u'*') || suffix.contains(u'?') || suffix.contains(u'.'))
        return QString();
    return suffix;
}

namespace {

// The pair (counted from 1) of the name filter the dialog reports, 0 for
// none: with the details hidden it reports the filter without its pattern
// part.
int selectedPair(const QStringList& filters, const QString& selected)
{
    for (qsizetype i = 0; i < filters.size(); ++i) {
        const QString& filter = filters[i];
        if (filter == selected || filter.left(filter.lastIndexOf(QLatin1String(" ("))) == selected)
            return int(i) + 1;
    }
    return 0;
}

} // namespace

FileDialogAnswer QtFileChooser::chooseFile(const FileDialogRequest& request)
{
    QFileDialog dialog(QApplication::activeWindow(), request.title);
    switch (request.mode) {
    case FileDialogMode::Open:
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        break;
    case FileDialogMode::OpenOrNew:
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::AnyFile);
        break;
    case FileDialogMode::Save:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        break;
    }
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList filters = QtNameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(std::clamp(request.filterIndex, 1, int(filters.size())) - 1));
    }
    if (!request.initialFolder.isEmpty())
        dialog.setDirectory(request.initialFolder);
    if (request.mode == FileDialogMode::Save) {
        // A name typed without an extension gets the selected type's.
        const auto followFilter = [&dialog, &request, &filters](const QString& selected) {
            dialog.setDefaultSuffix(DefaultSaveSuffix(request.filter, selectedPair(filters, selected)));
        };
        followFilter(dialog.selectedNameFilter());
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, followFilter);
    }

    FileDialogAnswer answer{QString(), request.filterIndex};
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return answer;
    answer.path = dialog.selectedFiles().constFirst();
    if (const int selected = selectedPair(filters, dialog.selectedNameFilter()))
        answer.filterIndex = selected;
    return answer;
}

QString QtFileChooser::chooseFolder(const QString& title, const QString& startFolder)
{
    QFileDialog dialog(QApplication::activeWindow(), title);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    const QString start = GetDeepestExistingFolder(startFolder);
    if (!start.isEmpty()) {
        dialog.setDirectory(start);
        if (QFileInfo(startFolder).isDir())
            dialog.selectFile(startFolder);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}
