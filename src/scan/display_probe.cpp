#include "scan/display_probe.h"

#include <windows.h>

#include <dxgi.h>

#include <cwchar>
#include <utility>

#include "common/com_ptr.h"
#include "common/unique_resource.h"
#include "common/wide_format.h"

namespace {

// DXGI_ADAPTER_FLAG_SOFTWARE: the software renderer is no hardware adapter.
constexpr UINT kSoftwareAdapterFlag = 2;
static_assert(sizeof(DXGI_ADAPTER_DESC1) == 312, "DXGI_ADAPTER_DESC1 has the layout Windows fills");

DisplayScan failedList(const wchar_t* error)
{
    DisplayScan scan;
    scan.error = error;
    return scan;
}

DisplayScan listDisplayAdapters(decltype(&CreateDXGIFactory1) createFactory)
{
    ComPtr<IDXGIFactory1> factory;
    const HRESULT created = createFactory(__uuidof(IDXGIFactory1), factory.putVoid());
    if (FAILED(created) || !factory) {
        return failedList(L"the graphics adapter list could not be opened");
    }

    DisplayScan scan;
    int undescribed = 0;
    for (UINT index = 0;; ++index) {
        ComPtr<IDXGIAdapter1> adapter;
        // DXGI_ERROR_NOT_FOUND is the normal end of the list; any other
        // failure ends it early, keeping what was listed, without a text.
        if (FAILED(factory->EnumAdapters1(index, adapter.put())) || !adapter) {
            break;
        }
        DXGI_ADAPTER_DESC1 description{};
        if (FAILED(adapter->GetDesc1(&description))) {
            ++undescribed;
            continue;
        }
        if ((description.Flags & kSoftwareAdapterFlag) != 0) {
            continue;
        }
        DisplayAdapterEntry entry;
        const size_t capacity = sizeof(description.Description) / sizeof(description.Description[0]);
        entry.name.assign(description.Description, wcsnlen(description.Description, capacity));
        entry.dedicatedMemory = description.DedicatedVideoMemory;
        entry.memoryStated = entry.dedicatedMemory != 0;
        scan.adapters.push_back(std::move(entry));
    }
    factory.reset();

    if (undescribed > 0) {
        scan.error = formatWide(L"%d adapter(s) present but could not be described", undescribed);
    }
    return scan;
}

}  // namespace

DisplayScan scanDisplayAdapters(const DisplayCalls& calls)
{
    // Loaded at run time so that the program starts where DXGI is missing,
    // and from the system folder only: dxgi.dll is no Known DLL.
    const UniqueHModule library = loadSystemLibrary(L"dxgi.dll", calls.library);
    if (!library) {
        return failedList(L"dxgi.dll is not present on this system");
    }
    const auto createFactory =
        findLibraryFunction<decltype(&CreateDXGIFactory1)>(library.get(), "CreateDXGIFactory1", calls.library);
    if (createFactory == nullptr) {
        return failedList(L"this system's dxgi.dll does not offer CreateDXGIFactory1");
    }
    // The factory and adapters are released inside, before the library goes.
    return listDisplayAdapters(createFactory);
}
