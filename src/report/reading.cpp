#include "report/reading.h"

#include <utility>

namespace {

Reading withReason(ReadingState state, std::wstring reason, const wchar_t* fallback)
{
    Reading reading;
    reading.state = state;
    reading.reason = reason.empty() ? std::wstring(fallback) : std::move(reason);
    return reading;
}

}  // namespace

Reading readingOk(std::wstring value)
{
    Reading reading;
    reading.state = ReadingState::Ok;
    reading.value = std::move(value);
    return reading;
}

Reading readingNone(std::wstring reason)
{
    return withReason(ReadingState::None, std::move(reason), L"the machine reports none");
}

Reading readingFailed(std::wstring reason)
{
    return withReason(ReadingState::Failed, std::move(reason), L"the read failed, cause unknown");
}

Reading readingUnsupported(std::wstring reason)
{
    return withReason(ReadingState::Unsupported, std::move(reason), L"not offered by this version of Windows");
}

std::wstring readingText(const Reading& reading)
{
    switch (reading.state) {
    case ReadingState::Ok:
        return reading.value.empty() ? std::wstring(L"(reported as empty)") : reading.value;
    case ReadingState::None:
        return L"(none: " + reading.reason + L")";
    case ReadingState::Unsupported:
        return L"(not supported: " + reading.reason + L")";
    default:
        // Failed, and anything no reader produces, reads as a failure.
        return L"(could not read: " + reading.reason + L")";
    }
}

const wchar_t* stateWord(ReadingState state)
{
    switch (state) {
    case ReadingState::Ok:
        return L"ok";
    case ReadingState::None:
        return L"none";
    case ReadingState::Failed:
        return L"failed";
    case ReadingState::Unsupported:
        return L"unsupported";
    case ReadingState::NotMeasured:
        return L"not-measured";
    }
    return L"unknown";
}
