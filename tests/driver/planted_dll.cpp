// A DLL that records being loaded: at process attach it creates the file
// "<its own path>.loaded" beside itself. Copies of it, named after a DLL
// that Korvane uses, are planted beside a copy of korvane.exe to see whether
// Korvane loads them from its own folder.
#include <windows.h>

#include "common/unique_resource.h"

// The functions Korvane looks up, so that a planted copy loaded in place of
// the real DLL does not stop the program from starting: both only fail.
extern "C" __declspec(dllexport) ULONG WINAPI GetAdaptersAddresses(ULONG, ULONG, PVOID, PVOID, PULONG)
{
    return ERROR_NOT_SUPPORTED;
}

extern "C" __declspec(dllexport) HRESULT WINAPI CreateDXGIFactory1(const GUID*, void** factory)
{
    if (factory != nullptr) {
        *factory = nullptr;
    }
    return E_NOTIMPL;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t path[MAX_PATH + 8] = {};
        const DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            lstrcatW(path, L".loaded");
            const UniqueFile marker(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        }
    }
    return TRUE;
}
