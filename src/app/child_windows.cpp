#include "app/child_windows.h"

#include <algorithm>

#include "app/report_view.h"
#include "app/status_bar.h"
#include "common/dpi_scale.h"
#include "common/unique_resource.h"

namespace {

constexpr int kPanelHeight96 = 120;
constexpr int kValueColumnMinimum96 = 200;
constexpr int kColumnSlack96 = 4;

}  // namespace

HRESULT WINAPI dpiForMonitor(HMONITOR monitor, int type, UINT* dpiX, UINT* dpiY)
{
    // Only a Windows without GetDpiForWindow asks, so no other loads shcore.
    static const UniqueHModule shcore = loadSystemLibrary(L"shcore.dll");
    static const auto function = findSystemFunction<GetDpiForMonitorFunction>(shcore.get(), "GetDpiForMonitor");
    if (function == nullptr) {
        return E_NOTIMPL;
    }
    return function(monitor, type, dpiX, dpiY);
}

int scrollBarWidth(const DpiCalls& calls, int dpi)
{
    if (calls.getSystemMetricsForDpi != nullptr) {
        return calls.getSystemMetricsForDpi(SM_CXVSCROLL, static_cast<UINT>(dpi));
    }
    return GetSystemMetrics(SM_CXVSCROLL);
}

void layoutChildren(HWND panel, ReportView& report, StatusBar& status, SIZE client, int dpi, int scrollBar)
{
    const HWND list = report.handle();
    if (status.handle() == nullptr || list == nullptr || panel == nullptr) {
        return;
    }
    const int width = static_cast<int>(client.cx);
    const int height = static_cast<int>(client.cy);
    const int statusHeight = status.place(width, dpi);

    const int panelHeight = scaledAt(kPanelHeight96, dpi);
    MoveWindow(panel, 0, 0, width, panelHeight, TRUE);
    MoveWindow(list, 0, panelHeight, width, std::max(height - panelHeight - statusHeight, 0), TRUE);

    RECT listClient{};
    GetClientRect(list, &listClient);
    const int itemWidth = scaledAt(kItemColumnWidth96, dpi);
    const int valueWidth =
        std::max(static_cast<int>(listClient.right) - scaledAt(kColumnSlack96, dpi) - itemWidth - scrollBar,
                 scaledAt(kValueColumnMinimum96, dpi));
    report.setColumnWidths(itemWidth, valueWidth);
}
