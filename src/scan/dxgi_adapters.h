#pragma once

#include <windows.h>

#include "common/system_function.h"
#include "scan/display_probe.h"

// The signature of CreateDXGIFactory1. Tests hand in their own factory maker.
using CreateFactoryFunction = HRESULT(WINAPI*)(REFIID riid, void** factory);

// Opens an IDXGIFactory1 through createFactory and lists the hardware
// adapters; every adapter and the factory are released before it returns.
[[nodiscard]] DisplayScan listDisplayAdapters(CreateFactoryFunction createFactory);

// Loads dxgi.dll from the system folder through `loader`, looks up
// functionName (of CreateDXGIFactory1's signature), lists the adapters
// through it and frees the library. scanDisplayAdapters() is this with the
// real loader and CreateDXGIFactory1.
[[nodiscard]] DisplayScan scanDisplayAdaptersIn(const SystemLibraryCalls& loader, const char* functionName);
