// Lists a folder tree the way a task does and prints the paths, one a line,
// so its run can be timed against find's.
//   filelist_bench <folder>/<mask> [--sort]
// --sort builds the task's sorted list instead of the walk's raw order.
#include "engine/CFileSearch.h"
#include "engine/FileList.h"

#include <QFile>
#include <QStringEncoder>
#include <QStringList>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: filelist_bench <folder>/<mask> [--sort]\n");
        return 2;
    }
    const QString spec = QFile::decodeName(argv[1]);
    const bool sorted = argc > 2 && std::strcmp(argv[2], "--sort") == 0;

    QStringList paths;
    if (sorted) {
        QString error;
        if (!bGetFilesMatchingSpec(true, error, spec, paths, true, false)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
    } else {
        CFileSearch search;
        if (search.BuildFileList(spec, true, false) != 0) {
            std::fprintf(stderr, "%s\n", qPrintable(search.LastErrorDescription()));
            return 1;
        }
        const QList<CFile> files = search.Files();
        paths.reserve(files.size());
        for (const CFile& file : files)
            paths.append(file.Filename());
    }
    // Written as find writes: UTF-8 into one buffer, flushed when full.
    QStringEncoder encoder(QStringEncoder::Utf8);
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    char* end = buffer.data();
    for (const QString& path : std::as_const(paths)) {
        if (end - buffer.data() + encoder.requiredSpace(path.size()) + 1 > buffer.size()) {
            std::fwrite(buffer.constData(), 1, size_t(end - buffer.data()), stdout);
            end = buffer.data();
        }
        end = encoder.appendToBuffer(end, path);
        *end++ = '\n';
    }
    std::fwrite(buffer.constData(), 1, size_t(end - buffer.data()), stdout);
    return 0;
}
