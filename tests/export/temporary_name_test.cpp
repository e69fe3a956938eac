#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "export/temporary_name.h"

namespace {

struct NameCase {
    const wchar_t* target;
    unsigned number;
    const wchar_t* expected;  // empty: the number must be skipped
};

void expectNames(const char* group, std::initializer_list<NameCase> cases)
{
    for (const NameCase& c : cases) {
        EXPECT_EQ(temporaryNameFor(c.target, c.number), std::wstring(c.expected))
            << group << ": target " << testing::PrintToString(std::wstring(c.target)) << ", number " << c.number;
    }
}

}  // namespace

TEST(TemporaryName, NumberIsFourUpperCaseHexDigits)
{
    expectNames("number", {
                              {L"C:\\d\\report.csv", 0, L"C:\\d\\~KV0000.tmp"},
                              {L"C:\\d\\report.csv", 10, L"C:\\d\\~KV000A.tmp"},
                              {L"C:\\d\\report.csv", 171, L"C:\\d\\~KV00AB.tmp"},
                              {L"C:\\d\\report.csv", 255, L"C:\\d\\~KV00FF.tmp"},
                              // Taken as 16 bits, as the name has room for no more.
                              {L"C:\\d\\report.csv", 0x1ABCD, L"C:\\d\\~KVABCD.tmp"},
                          });
}

TEST(TemporaryName, DirectoryEndsAtTheLastSlashOfEitherKind)
{
    expectNames("directory", {
                                 {L"C:\\Users\\Ann\\report.csv", 1, L"C:\\Users\\Ann\\~KV0001.tmp"},
                                 {L"C:/Users/Ann/report.csv", 1, L"C:/Users/Ann/~KV0001.tmp"},
                                 {L"C:\\Users/Ann\\report.csv", 1, L"C:\\Users/Ann\\~KV0001.tmp"},
                                 {L"C:/Users\\Ann/report.csv", 1, L"C:/Users\\Ann/~KV0001.tmp"},
                                 {L"\\\\server\\share\\report.csv", 2, L"\\\\server\\share\\~KV0002.tmp"},
                                 {L"C:\\dir.v2\\report", 3, L"C:\\dir.v2\\~KV0003.tmp"},
                                 // No separator: the current directory, so the bare name.
                                 {L"report.csv", 4, L"~KV0004.tmp"},
                                 {L"", 5, L"~KV0005.tmp"},
                                 {L"C:\\d\\", 6, L"C:\\d\\~KV0006.tmp"},
                             });
}

TEST(TemporaryName, TargetWithTheCandidatesOwnNameIsSkipped)
{
    expectNames("own name", {
                                {L"C:\\d\\~KV0000.tmp", 0, L""},
                                {L"C:\\d\\~kv0000.TMP", 0, L""},
                                {L"C:/d/~kV0000.tMp", 0, L""},
                                {L"~kv000a.tmp", 10, L""},
                                {L"C:\\d/~Kv00fF.Tmp", 255, L""},
                                // Only the matching number is skipped.
                                {L"C:\\d\\~KV0000.tmp", 1, L"C:\\d\\~KV0001.tmp"},
                                {L"~kv000a.tmp", 11, L"~KV000B.tmp"},
                                // Only the last component counts, and all of it.
                                {L"C:\\~KV0000.tmp\\report.csv", 0, L"C:\\~KV0000.tmp\\~KV0000.tmp"},
                                {L"C:\\d\\~KV0000.tmp.csv", 0, L"C:\\d\\~KV0000.tmp"},
                                {L"C:\\d\\x~KV0000.tmp", 0, L"C:\\d\\~KV0000.tmp"},
                            });
}

TEST(TemporaryName, OnlyAsciiLettersAreComparedWithoutCase)
{
    expectNames("folding", {
                               // '^' and '~' differ only in bit 0x20, like 'k' and 'K'.
                               {L"C:\\d\\^KV0000.tmp", 0, L"C:\\d\\~KV0000.tmp"},
                               // KELVIN SIGN U+212A lower-cases to 'k' under Unicode rules.
                               {L"C:\\d\\~\u212AV0000.tmp", 0, L"C:\\d\\~KV0000.tmp"},
                               // Fullwidth 'ｔ' is a letter, but not an ASCII one.
                               {L"C:\\d\\~KV0000.\uFF54mp", 0, L"C:\\d\\~KV0000.tmp"},
                               // Clearing bit 0x20 would also turn '0' into U+0010.
                               {L"C:\\d\\~KV\x10\x30\x30\x30.tmp", 0, L"C:\\d\\~KV0000.tmp"},
                           });
}
