#include "load/load_derivation.h"

#include <utility>

namespace {

LoadSample notMeasured(std::wstring reason)
{
    LoadSample load;
    load.reason = std::move(reason);
    return load;
}

}  // namespace

LoadSample deriveLoad(const ProcessorTimes& earlier, const ProcessorTimes& later)
{
    if (!earlier.read || !later.read) {
        // The later reading's failure is the news; an earlier failure was
        // already reported by the previous tick.
        const std::wstring& cause = !later.read ? later.reason : earlier.reason;
        return notMeasured(L"the processor time counters could not be read: " +
                           (cause.empty() ? std::wstring(L"reason unknown") : cause));
    }
    if (later.idle < earlier.idle || later.kernel < earlier.kernel || later.user < earlier.user) {
        return notMeasured(L"the processor time counters went backwards between readings");
    }
    const uint64_t idle = later.idle - earlier.idle;
    const uint64_t kernel = later.kernel - earlier.kernel;
    const uint64_t user = later.user - earlier.user;
    // Kernel time already contains the idle time.
    const uint64_t total = kernel + user;
    if (total == 0) {
        return notMeasured(L"no processor time passed between the two readings");
    }
    if (idle > total) {
        return notMeasured(L"the counters reported more idle time than total time");
    }
    double percent = static_cast<double>(total - idle) / static_cast<double>(total) * 100.0;
    if (percent < 0.0) {
        percent = 0.0;
    } else if (percent > 100.0) {
        percent = 100.0;
    }
    LoadSample load;
    load.measured = true;
    load.percent = percent;
    return load;
}
