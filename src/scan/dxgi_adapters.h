#pragma once

#include <windows.h>

#include "scan/display_probe.h"

// The signature of CreateDXGIFactory1. Tests hand in their own factory maker.
using CreateFactoryFunction = HRESULT(WINAPI*)(REFIID riid, void** factory);

// Opens an IDXGIFactory1 through createFactory and lists the hardware
// adapters; every adapter and the factory are released before it returns.
[[nodiscard]] DisplayScan listDisplayAdapters(CreateFactoryFunction createFactory);

// Loads libraryName, looks up functionName (of CreateDXGIFactory1's
// signature), lists the adapters through it and frees the library.
// scanDisplayAdapters() is this with dxgi.dll and CreateDXGIFactory1.
[[nodiscard]] DisplayScan scanDisplayAdaptersIn(const wchar_t* libraryName, const char* functionName);
