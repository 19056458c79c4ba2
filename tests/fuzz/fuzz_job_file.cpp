// Job files as the loader meets them: any bytes. A readable file loads, or
// is refused with its reason (not a job file, or a damaged one); a refused
// file that is no job leaves no task behind. No loaded cell holds a NUL. A
// file that loads must save and load again into the same task rows.
#include "FuzzSupport.h"

#include "jobs/FlexGrid.h"
#include "jobs/JobFiles.h"
#include "jobs/MainFormState.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Sandbox& box = fuzz::sandbox();
    const QString path = box.file("job.KRJ");
    if (!fuzz::writeFile(path, fuzz::bytes(data, size)))
        return 0;
    MainFormState form;
    QString reason;
    const JobLoadResult loaded = LoadConversionJobFile(form, path, 1, form.fgToDo, &reason);
    const FlexGrid& grid = form.fgToDo;
    fuzz::check(grid.Rows() >= 2, "the loaded grid lost its header or new-task row");
    if (loaded == JobLoadResult::Failed) {
        const bool notAJob = reason.contains(QStringLiteral("is not a conversion job file"));
        fuzz::check(notAJob || reason.contains(QStringLiteral("is damaged")),
                    "a readable job file was refused for another reason", reason);
        fuzz::check(!notAJob || grid.Rows() == 2, "a file that is no job left tasks behind");
        fuzz::check(notAJob || size_t(fuzz::bytes(data, size).count('\0')) > 0,
                    "a job file without a NUL byte was called damaged");
        return 0;
    }
    fuzz::check(loaded == JobLoadResult::Complete || loaded == JobLoadResult::Partial,
                "a readable job file did not load");
    for (int r = 1; r < grid.Rows(); ++r)
        fuzz::check(!grid.RowTexts(r).join(QString()).contains(QChar(0)), "a loaded cell holds a NUL");
    if (grid.Rows() == 2 || loaded != JobLoadResult::Complete)
        return 0;

    const QString again = box.file("again.KRJ");
    QString why;
    fuzz::check(SaveConversionJobFile(form, again, form.fgToDo, &why), "a loaded job did not save", why);
    MainFormState reread;
    fuzz::check(LoadConversionJobFile(reread, again, 1, reread.fgToDo) == JobLoadResult::Complete,
                "a saved job did not load whole");
    fuzz::check(reread.fgToDo.Rows() == grid.Rows(), "a saved job came back with another number of rows");
    for (int r = 1; r < grid.Rows(); ++r)
        fuzz::check(reread.fgToDo.RowTexts(r) == grid.RowTexts(r), "a saved task came back changed",
                    grid.RowTexts(r).join(u'|') + QStringLiteral(" became ") + reread.fgToDo.RowTexts(r).join(u'|'));
    return 0;
}
