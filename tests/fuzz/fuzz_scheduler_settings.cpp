// The scheduler's settings section as the settings file holds it: read,
// validated and, when it would start, run for a few ticks of a fake clock
// in a zone with daylight-saving time.
#include "FuzzSupport.h"

#include "core/Globals.h"
#include "scheduler/SchedulerModel.h"

#include <QTimeZone>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Sandbox& box = fuzz::sandbox();
    G_IniFilePath = box.file("settings.ini");
    // A job file for the schedule to find.
    static const bool jobWritten = fuzz::writeFile(box.file("job.KRJ"), QByteArray("\r\n"));
    (void)jobWritten;
    QByteArray content = fuzz::bytes(data, size);
    if (!content.contains("[frmScheduler]"))
        content.prepend("[frmScheduler]\r\n");
    if (!fuzz::writeFile(G_IniFilePath, content))
        return 0;

    QDateTime now(QDate(2024, 3, 30), QTime(23, 59, 30), QTimeZone("Europe/Berlin"));
    SchedulerModel::Environment environment;
    environment.clock = [&now] { return now; };
    environment.zone = QTimeZone("Europe/Berlin");
    environment.locale = QLocale::c();
    environment.bRealTimer = false;
    SchedulerModel model(environment);
    int runs = 0;
    model.hooks.RunTheJobEvent = [&runs](const QString&) { ++runs; };
    model.SetUpScheduler(G_IniFilePath);
    model.Form_Load();
    if (model.ValidateSchedulerInput() != schedulercode::Valid)
        return 0;
    model.cmdStartTimer_Click();
    for (int tick = 0; tick < 8 && model.Timer1Enabled(); ++tick) {
        now = now.addSecs(3600 * 7 + 13);
        model.Timer1_Timer();
    }
    model.StopTimer();
    return 0;
}
