#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

// The outcome of one read. Stored as a signed 32-bit number so that a value
// outside the named ones can still be carried (and written as "unknown").
enum class ReadingState : int32_t { Ok = 0, None = 1, Failed = 2, Unsupported = 3, NotMeasured = 4 };

// One value read from the machine: the display text when Ok, else the reason.
// A default Reading is Failed with empty texts, as every field of a new
// snapshot starts.
struct Reading {
    ReadingState state = ReadingState::Failed;
    std::wstring value;
    std::wstring reason;

    friend bool operator==(const Reading&, const Reading&) = default;
};

[[nodiscard]] Reading readingOk(std::wstring value);
// The three constructors below put a default sentence in place of an empty
// reason, so that a reason shown to the user is never blank.
[[nodiscard]] Reading readingNone(std::wstring reason);
[[nodiscard]] Reading readingFailed(std::wstring reason);
[[nodiscard]] Reading readingUnsupported(std::wstring reason);

// The text a person sees for a reading, in the list and in the CSV Value column.
[[nodiscard]] std::wstring readingText(const Reading& reading);

// "ok", "none", "failed", "unsupported", "not-measured"; "unknown" otherwise.
[[nodiscard]] const wchar_t* stateWord(ReadingState state);

// {ok, value "x64", reason ""}: the state word and both texts, anything but
// printable ASCII escaped as \uXXXX; for the messages of failed comparisons
// in tests. Defined in reading_stream.cpp, so that the program, which never
// streams a reading, does not link the stream library.
std::ostream& operator<<(std::ostream& out, const Reading& reading);
