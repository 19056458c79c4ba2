// The command line after a valid parse runs on a job engine of the main
// form's own (startup/CommandLineRun.h).
#include "startup/CommandLineRunner.h"

#include "startup/CommandLineRun.h"
#include "engine/JobLoop.h"

int RunParsedCommandLine(MainFormState& form, clsConversionOptions& options, const StartupHooks& hooks)
{
    JobEngine engine(form);
    return RunParsedCommandLine(engine, options, hooks);
}
