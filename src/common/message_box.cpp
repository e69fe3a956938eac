#include "common/message_box.h"

int showMessage(MessageBoxFunction messageBox, HWND owner, const std::wstring& text, UINT flags)
{
    return messageBox(owner, text.c_str(), L"Korvane", flags);
}
