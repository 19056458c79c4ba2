#include "FileChooser.h"

namespace {

class CancellingFileChooser : public FileChooser
{
public:
    FileDialogAnswer chooseFile(const FileDialogRequest& request) override
    {
        return {QString(), request.filterIndex};
    }
    QString chooseFolder(const QString&, const QString&) override { return QString(); }
};

FileChooser* g_chooser = nullptr;

} // namespace

FileChooser& CurrentFileChooser()
{
    static CancellingFileChooser fallback;
    return g_chooser ? *g_chooser : fallback;
}

void SetFileChooser(FileChooser* chooser)
{
    g_chooser = chooser;
}
