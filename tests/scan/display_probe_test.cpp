#include "scan/display_probe.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "scan/fake_machine.h"

namespace {

constexpr HRESULT kNotFound = static_cast<HRESULT>(0x887A0002);  // DXGI_ERROR_NOT_FOUND
constexpr UINT kSoftware = 2;                                    // DXGI_ADAPTER_FLAG_SOFTWARE
constexpr uint64_t kGiB = 1024ull * 1024 * 1024;

template <typename Interface>
void expectReleased(const FakeDxgiObject<Interface>& object, const char* what)
{
    EXPECT_EQ(object.held, 0) << what << " still holds references";
    EXPECT_FALSE(object.overReleased) << what << " was released more often than referenced";
}

// The probe on a fake machine whose factory gives these answers; checks
// that every object it handed out was released.
DisplayScan listDisplayAdapters(FakeMachine& machine, std::vector<GraphicsAnswer> answers)
{
    machine.factory.answers = std::move(answers);
    DisplayScan scan = scanDisplayAdapters(machine.calls.display);
    for (const GraphicsAnswer& answer : machine.factory.answers) {
        if (answer.adapter != nullptr) {
            expectReleased(*answer.adapter, "an adapter");
        }
    }
    expectReleased(machine.factory, "the factory");
    return scan;
}

}  // namespace

TEST(DisplayEnumeration, NoneOrOnlyTheSoftwareRendererGivesAnEmptyCompleteList)
{
    FakeGraphicsAdapter basic(L"Microsoft Basic Render Driver", 0, kSoftware);
    for (const bool withRenderer : {false, true}) {
        SCOPED_TRACE(withRenderer ? "the software renderer alone" : "no adapters at all");
        FakeMachine machine;
        const DisplayScan scan =
            listDisplayAdapters(machine, withRenderer ? std::vector<GraphicsAnswer>{{S_OK, &basic}}
                                                      : std::vector<GraphicsAnswer>{});
        EXPECT_TRUE(scan.adapters.empty());
        EXPECT_EQ(scan.error, L"");
        EXPECT_EQ(machine.factoryCalls, 1);
        EXPECT_TRUE(machine.askedForFactory1) << "the factory is not asked for as IDXGIFactory1";
        EXPECT_EQ(machine.factory.enumCalls, withRenderer ? (std::vector<UINT>{0, 1}) : std::vector<UINT>{0});
    }
}

TEST(DisplayEnumeration, ListsHardwareAdaptersAndCountsTheUndescribed)
{
    std::wstring longName(128, L'W');  // fills Description without a terminating zero
    FakeGraphicsAdapter radeon(L"AMD Radeon RX 7600", 8 * kGiB, 0);
    FakeGraphicsAdapter basic(L"Microsoft Basic Render Driver", 0, kSoftware);
    FakeGraphicsAdapter noMemory(L"Intel(R) UHD Graphics 620", 0, 0);
    FakeGraphicsAdapter broken(L"Broken", 1 * kGiB, 0, E_FAIL);
    FakeGraphicsAdapter remote(longName.c_str(), 512ull * 1024 * 1024, 1);  // remote, not software: listed
    FakeMachine machine;
    const DisplayScan scan =
        listDisplayAdapters(machine,
                            {{S_OK, &radeon}, {S_OK, &basic}, {S_OK, &noMemory}, {S_OK, &broken}, {S_OK, &remote}});

    ASSERT_EQ(scan.adapters.size(), 3u);
    EXPECT_EQ(scan.adapters[0].name, L"AMD Radeon RX 7600");
    EXPECT_EQ(scan.adapters[0].dedicatedMemory, 8 * kGiB);
    EXPECT_TRUE(scan.adapters[0].memoryStated);
    EXPECT_EQ(scan.adapters[1].name, L"Intel(R) UHD Graphics 620");
    EXPECT_EQ(scan.adapters[1].dedicatedMemory, 0u);
    EXPECT_FALSE(scan.adapters[1].memoryStated);
    EXPECT_EQ(scan.adapters[2].name, longName) << "a full Description has no zero to stop at";
    EXPECT_EQ(scan.adapters[2].dedicatedMemory, 512ull * 1024 * 1024);
    EXPECT_EQ(scan.error, L"1 adapter(s) present but could not be described");
    EXPECT_EQ(machine.factory.enumCalls, (std::vector<UINT>{0, 1, 2, 3, 4, 5}));

    FakeGraphicsAdapter first(L"A", kGiB, 0, E_FAIL);
    FakeGraphicsAdapter second(L"B", kGiB, 0, E_OUTOFMEMORY);
    FakeGraphicsAdapter third(L"C", kGiB, 0, kNotFound);  // NOT_FOUND from GetDesc1 is just a failure
    FakeMachine undescribed;
    const DisplayScan none = listDisplayAdapters(undescribed, {{S_OK, &first}, {S_OK, &second}, {S_OK, &third}});
    EXPECT_TRUE(none.adapters.empty());
    EXPECT_EQ(none.error, L"3 adapter(s) present but could not be described");
}

TEST(DisplayEnumeration, EnumerationEndsQuietlyAtAnyOtherFailure)
{
    FakeGraphicsAdapter good(L"NVIDIA GeForce GTX 1650", 4 * kGiB, 0);
    FakeGraphicsAdapter stray(L"Handed out with a failure", kGiB, 0);
    FakeGraphicsAdapter unreached(L"Never asked for", kGiB, 0);
    const struct {
        const char* what;
        GraphicsAnswer second;
    } cases[] = {{"E_FAIL", {E_FAIL, nullptr}},
                 {"E_OUTOFMEMORY with an adapter", {E_OUTOFMEMORY, &stray}},
                 {"success without an adapter", {S_OK, nullptr}},
                 {"NOT_FOUND with an adapter", {kNotFound, &stray}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMachine machine;
        const DisplayScan scan = listDisplayAdapters(machine, {{S_OK, &good}, c.second, {S_OK, &unreached}});
        ASSERT_EQ(scan.adapters.size(), 1u);
        EXPECT_EQ(scan.adapters[0].name, L"NVIDIA GeForce GTX 1650");
        EXPECT_EQ(scan.error, L"");
        EXPECT_EQ(machine.factory.enumCalls, (std::vector<UINT>{0, 1}));
    }
}

TEST(DisplayEnumeration, FactoryThatCannotBeMadeGivesItsText)
{
    FakeGraphicsAdapter unreached(L"Never asked for", kGiB, 0);
    const struct {
        const char* what;
        HRESULT result;
        bool handsOutFactory;
    } cases[] = {{"failure without a factory", E_FAIL, false},
                 {"DXGI's own failure", static_cast<HRESULT>(0x887A0004), false},
                 {"failure with a factory", E_NOINTERFACE, true},
                 {"success without a factory", S_OK, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMachine machine;
        machine.factoryResult = c.result;
        machine.factoryHandedOut = c.handsOutFactory;
        const DisplayScan scan = listDisplayAdapters(machine, {{S_OK, &unreached}});
        EXPECT_TRUE(scan.adapters.empty());
        EXPECT_EQ(scan.error, L"the graphics adapter list could not be opened");
        EXPECT_TRUE(machine.factory.enumCalls.empty());
    }
}

// Whatever this Windows (or Wine) answers, the list and its text agree.
TEST(ScanDisplayAdapters, RealCallGivesAConsistentListAndText)
{
    const bool loadedBefore = GetModuleHandleW(L"dxgi.dll") != nullptr;

    const DisplayScan scan = scanDisplayAdapters(DisplayCalls{});

    std::printf("display adapters: %zu, text: \"%ls\"\n", scan.adapters.size(), scan.error.c_str());
    const std::wstring earlyTexts[] = {L"dxgi.dll is not present on this system",
                                       L"this system's dxgi.dll does not offer CreateDXGIFactory1",
                                       L"the graphics adapter list could not be opened"};
    bool early = false;
    for (const std::wstring& text : earlyTexts) {
        early = early || scan.error == text;
    }
    if (early) {
        EXPECT_TRUE(scan.adapters.empty()) << "an adapter listed although the list could not be opened";
    } else if (!scan.error.empty()) {
        int count = 0;
        wchar_t rest[64] = {};
        ASSERT_EQ(swscanf(scan.error.c_str(), L"%d adapter(s) present but could not be describe%63ls", &count, rest),
                  2)
            << "unexpected text: " << scan.error.c_str();
        EXPECT_GE(count, 1);
        EXPECT_EQ(scan.error, std::to_wstring(count) + L" adapter(s) present but could not be described");
    }
    for (const DisplayAdapterEntry& adapter : scan.adapters) {
        EXPECT_EQ(adapter.memoryStated, adapter.dedicatedMemory != 0) << adapter.name.c_str();
        EXPECT_EQ(adapter.name.find(L'\0'), std::wstring::npos);
    }
    if (!loadedBefore) {
        EXPECT_EQ(GetModuleHandleW(L"dxgi.dll"), nullptr) << "dxgi.dll was not freed";
    }
}
