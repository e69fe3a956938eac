#include "report/completeness.h"

#include "report/value_text.h"

namespace {

const wchar_t kAllRead[] = L"Every item on this page was read successfully.";

std::wstring counted(int32_t count, const wchar_t* singular, const wchar_t* plural)
{
    return countText(static_cast<uint64_t>(count)) + (count == 1 ? singular : plural);
}

std::wstring withReason(const wchar_t* text, const std::wstring& reason)
{
    return reason.empty() ? std::wstring(text) : std::wstring(text) + L" (" + reason + L")";
}

}  // namespace

std::wstring completenessSummary(const ScanTally& tally)
{
    std::wstring text;
    const auto add = [&text](const std::wstring& part) {
        if (!text.empty()) {
            text += L"; ";
        }
        text += part;
    };

    if (tally.failedCount > 0) {
        add(L"Could not read " + counted(tally.failedCount, L" item", L" items"));
    }
    if (tally.unsupportedCount > 0) {
        add(counted(tally.unsupportedCount, L" item", L" items") + L" not supported by this Windows");
    }
    if (!tally.memoryRead) {
        add(withReason(L"memory not read", tally.memoryReason));
    }
    if (!tally.processorLoadReason.empty()) {
        add(L"processor load not measured (" + tally.processorLoadReason + L")");
    }
    if (!tally.firmwareTableRead) {
        add(withReason(L"firmware table unavailable", tally.firmwareTableReason));
    }
    if (tally.drivesNotSized > 0) {
        add(counted(tally.drivesNotSized, L" drive", L" drives") + L" could not be sized");
    }
    if (!tally.displayListComplete) {
        add(withReason(L"graphics list incomplete", tally.displayListReason));
    }
    if (tally.drivesNotExamined > 0) {
        add(counted(tally.drivesNotExamined, L" drive", L" drives") + L" not examined");
    }
    if (tally.adaptersNotExamined > 0) {
        add(counted(tally.adaptersNotExamined, L" adapter", L" adapters") + L" not examined");
    }

    if (text.empty()) {
        return kAllRead;
    }
    return text + L".";
}

bool pageIsComplete(const ScanTally& tally)
{
    return tally.failedCount <= 0 && tally.unsupportedCount <= 0 && tally.drivesNotSized <= 0 &&
           tally.drivesNotExamined <= 0 && tally.adaptersNotExamined <= 0 && tally.memoryRead &&
           tally.firmwareTableRead && tally.displayListComplete && tally.processorLoadReason.empty();
}
