// Converts documents to PDF through one kept-alive office engine:
//   office_convert <output folder> <input>...
// The input format follows the extension (txt, htm/html, xml, else a
// word-processing document). Prints one line per failure; exit code 1 when
// any input failed.
#include "office/OfficeEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: office_convert <output folder> <input>...\n");
        return 2;
    }
    const QDir outDir(args.at(1));
    OfficeEngine engine;
    engine.setKeepAlive(true);
    int failures = 0;
    for (int i = 2; i < args.size(); ++i) {
        const QFileInfo in(args.at(i));
        const QString ext = in.suffix().toLower();
        OfficeLoadOptions load;
        if (ext == QLatin1String("txt"))
            load.format = OfficeInputFormat::Text;
        else if (ext == QLatin1String("htm") || ext == QLatin1String("html"))
            load.format = OfficeInputFormat::Html;
        else if (ext == QLatin1String("xml"))
            load.format = OfficeInputFormat::Xml;
        const QString out = outDir.filePath(in.completeBaseName() + QStringLiteral(".pdf"));
        const OfficeStatus status = engine.convert(in.filePath(), load, out, OfficeSaveOptions{});
        if (!status.ok()) {
            ++failures;
            std::fprintf(stderr, "%s: %s\n", qPrintable(in.filePath()), qPrintable(status.message));
        }
    }
    return failures ? 1 : 0;
}
