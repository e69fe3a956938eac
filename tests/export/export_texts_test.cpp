#include "export/export_texts.h"

#include <gtest/gtest.h>

namespace {

TEST(DialogErrorText, CancelLeavesTheTextAloneAndCodesAreWorded)
{
    std::wstring text = L"untouched";
    EXPECT_FALSE(dialogErrorText(0, text));
    EXPECT_EQ(text, L"untouched");

    const struct {
        uint32_t code;
        const wchar_t* expected;
    } cases[] = {{0x3002, L"The file name is not valid (FNERR_INVALIDFILENAME)."},
                 {0x3003, L"The chosen path is longer than this program can accept (FNERR_BUFFERTOOSMALL)."},
                 {0x3001, L"There was not enough memory to set the dialog up (FNERR_SUBCLASSFAILURE)."},
                 {0xFFFF, L"The dialog could not be created (CDERR_DIALOGFAILURE)."},
                 {0x0001, L"The dialog was handed a structure of the wrong size (CDERR_STRUCTSIZE)."},
                 {0x0002, L"The dialog could not start, usually for lack of memory (CDERR_INITIALIZATION)."},
                 {0x0009, L"The dialog could not allocate memory (CDERR_MEMALLOCFAILURE)."},
                 {0x000C, L"The dialog could not register a window message (CDERR_REGISTERMSGFAIL)."},
                 // Codes outside the table: at least four upper-case hexadecimal digits.
                 {0x1234, L"The dialog reported error 0x1234."},
                 {0x000D, L"The dialog reported error 0x000D."},
                 {0x4001, L"The dialog reported error 0x4001."},
                 {0x12345, L"The dialog reported error 0x12345."},
                 {0xFFFFFFFF, L"The dialog reported error 0xFFFFFFFF."}};
    for (const auto& c : cases) {
        std::wstring worded;
        EXPECT_TRUE(dialogErrorText(c.code, worded)) << std::hex << c.code;
        EXPECT_EQ(worded, c.expected) << std::hex << c.code;
    }
}

TEST(SelectedRowsText, ItemTabValueCrLfInTheGivenOrder)
{
    const std::vector<std::pair<std::wstring, std::wstring>> rows{{L"Computer name", L"VM"},
                                                                  {L"Release", L""},
                                                                  {L"Version", L"6.1.7601"},
                                                                  {L"Tab\there", L"a\"b"}};

    EXPECT_EQ(selectedRowsText(rows, {0, 2}), L"Computer name\tVM\r\nVersion\t6.1.7601\r\n");
    // An empty value still gives the item, the tab and the line end; nothing
    // is quoted or escaped.
    EXPECT_EQ(selectedRowsText(rows, {1, 3}), L"Release\t\r\nTab\there\ta\"b\r\n");
    // Indexes the rows do not have add nothing.
    EXPECT_EQ(selectedRowsText(rows, {-1, 4, 2, 1000}), L"Version\t6.1.7601\r\n");
    EXPECT_EQ(selectedRowsText(rows, {}), L"");
    EXPECT_EQ(selectedRowsText({}, {0, 1}), L"");
}

}  // namespace
