// The library's entry points: the control by its programmatic identifier,
// and whether any control of the library is alive.
#include "OfficeWordApplication.h"
#include "QuaystoneDispatch.h"
#include "QuaystoneIds.h"

#include <atomic>

namespace {

std::atomic<int> g_liveControls{0};

} // namespace

extern "C" __attribute__((visibility("default"))) int32_t DispatchCreateObject(const char* progId, int32_t abiVersion,
                                                                               DispatchObject** object)
{
    if (!object)
        return DISPATCH_E_CLASSNOTAVAILABLE;
    *object = nullptr;
    if (abiVersion != DISPATCH_ABI_VERSION)
        return DISPATCH_E_ABIMISMATCH;
    if (!progId || QString::fromUtf8(progId).compare(QLatin1String(QUAYSTONE_PROGID), Qt::CaseInsensitive) != 0)
        return DISPATCH_E_CLASSNOTAVAILABLE;
    try {
        ++g_liveControls;
        *object = ExposeDispatchTarget(MakeQuaystoneDispatchTarget(std::make_shared<OfficeWordAutomation>()),
                                       [] { --g_liveControls; });
    } catch (...) {
        --g_liveControls;
        return DISPATCH_E_EXCEPTION;
    }
    return DISPATCH_OK;
}

extern "C" __attribute__((visibility("default"))) int32_t DispatchCanUnloadNow()
{
    return g_liveControls.load() == 0 ? 1 : 0;
}
