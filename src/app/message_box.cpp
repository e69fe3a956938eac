#include "app/message_box.h"

int showMessage(HWND owner, const std::wstring& text, UINT flags)
{
    return messageBoxFunction()(owner, text.c_str(), L"Korvane", flags);
}

MessageBoxFunction& messageBoxFunction()
{
    static MessageBoxFunction function = MessageBoxW;
    return function;
}
