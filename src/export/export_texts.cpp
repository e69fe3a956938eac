#include "export/export_texts.h"

#include <array>

#include "common/wide_format.h"

namespace {

struct DialogError {
    uint32_t code;
    const wchar_t* name;
    const wchar_t* text;
};

// Searched in this order; the names are shown to the user as Windows spells them.
constexpr std::array<DialogError, 16> kDialogErrors{{
    {0x3003, L"FNERR_BUFFERTOOSMALL", L"The chosen path is longer than this program can accept"},
    {0x3002, L"FNERR_INVALIDFILENAME", L"The file name is not valid"},
    {0x3001, L"FNERR_SUBCLASSFAILURE", L"There was not enough memory to set the dialog up"},
    {0xFFFF, L"CDERR_DIALOGFAILURE", L"The dialog could not be created"},
    {0x0001, L"CDERR_STRUCTSIZE", L"The dialog was handed a structure of the wrong size"},
    {0x0002, L"CDERR_INITIALIZATION", L"The dialog could not start, usually for lack of memory"},
    {0x0003, L"CDERR_NOTEMPLATE", L"The dialog was told to use a template it was not given"},
    {0x0004, L"CDERR_NOHINSTANCE", L"The dialog was told to use a template but not where to find it"},
    {0x0005, L"CDERR_LOADSTRFAILURE", L"The dialog could not load a string it needs"},
    {0x0006, L"CDERR_FINDRESFAILURE", L"The dialog could not find a resource it needs"},
    {0x0007, L"CDERR_LOADRESFAILURE", L"The dialog could not load a resource it needs"},
    {0x0008, L"CDERR_LOCKRESFAILURE", L"The dialog could not lock a resource it needs"},
    {0x0009, L"CDERR_MEMALLOCFAILURE", L"The dialog could not allocate memory"},
    {0x000A, L"CDERR_MEMLOCKFAILURE", L"The dialog could not lock memory"},
    {0x000B, L"CDERR_NOHOOK", L"The dialog was told to use a hook it was not given"},
    {0x000C, L"CDERR_REGISTERMSGFAIL", L"The dialog could not register a window message"},
}};

}  // namespace

bool dialogErrorText(uint32_t code, std::wstring& text)
{
    if (code == 0) {
        return false;
    }
    for (const DialogError& error : kDialogErrors) {
        if (error.code == code) {
            text = std::wstring(error.text) + L" (" + error.name + L").";
            return true;
        }
    }
    text = formatWide(L"The dialog reported error 0x%04lX.", static_cast<unsigned long>(code));
    return true;
}

std::wstring selectedRowsText(const std::vector<std::pair<std::wstring, std::wstring>>& shownRows,
                              const std::vector<int>& selected)
{
    std::wstring text;
    for (const int index : selected) {
        if (index < 0 || static_cast<size_t>(index) >= shownRows.size()) {
            continue;
        }
        const auto& [item, value] = shownRows[static_cast<size_t>(index)];
        text += item;
        text += L'\t';
        text += value;
        text += L"\r\n";
    }
    return text;
}
