// Job files as the loader meets them: any bytes. A file that loads must
// save and load again into the same task rows.
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
    const JobLoadResult loaded = LoadConversionJobFile(form, path, 1, form.fgToDo);
    fuzz::check(loaded == JobLoadResult::Complete || loaded == JobLoadResult::Partial,
                "a readable job file did not load");
    const FlexGrid& grid = form.fgToDo;
    fuzz::check(grid.Rows() >= 2, "the loaded grid lost its header or new-task row");
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
