#include "scan/display_probe.h"

#include <windows.h>

#include <dxgi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "support/fake_library_loader.h"

namespace {

constexpr HRESULT kNotFound = static_cast<HRESULT>(0x887A0002);  // DXGI_ERROR_NOT_FOUND
constexpr UINT kSoftware = 2;                                    // DXGI_ADAPTER_FLAG_SOFTWARE
constexpr uint64_t kGiB = 1024ull * 1024 * 1024;

// The references the probe holds on a fake; a balanced run ends at 0.
struct References {
    long held = 0;
    bool underflow = false;

    ULONG add() { return static_cast<ULONG>(++held); }
    ULONG release()
    {
        underflow = underflow || held == 0;
        return static_cast<ULONG>(--held);
    }
};

// The IUnknown and IDXGIObject part of a fake: it counts its references.
template <typename Interface>
class FakeObject : public Interface {
public:
    References refs;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return refs.add(); }
    ULONG STDMETHODCALLTYPE Release() override { return refs.release(); }
    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, UINT, const void*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetPrivateDataInterface(REFGUID, const IUnknown*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, UINT*, void*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetParent(REFIID, void**) override { return E_NOTIMPL; }
};

class FakeAdapter : public FakeObject<IDXGIAdapter1> {
public:
    FakeAdapter(const wchar_t* name, uint64_t memory, UINT flags, HRESULT descResult = S_OK) : descResult_(descResult)
    {
        wcsncpy(desc_.Description, name, 128);
        desc_.DedicatedVideoMemory = static_cast<SIZE_T>(memory);
        desc_.Flags = flags;
    }

    HRESULT STDMETHODCALLTYPE EnumOutputs(UINT, IDXGIOutput**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDesc(DXGI_ADAPTER_DESC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CheckInterfaceSupport(REFGUID, LARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDesc1(DXGI_ADAPTER_DESC1* desc) override
    {
        if (FAILED(descResult_)) {
            return descResult_;
        }
        *desc = desc_;
        return S_OK;
    }

private:
    DXGI_ADAPTER_DESC1 desc_{};
    HRESULT descResult_;
};

// One answer of EnumAdapters1: its result and the adapter it hands out.
struct EnumAnswer {
    HRESULT result;
    FakeAdapter* adapter;
};

class FakeFactory : public FakeObject<IDXGIFactory1> {
public:
    explicit FakeFactory(std::vector<EnumAnswer> answers) : answers_(std::move(answers)) {}

    std::vector<UINT> enumCalls;

    HRESULT STDMETHODCALLTYPE EnumAdapters(UINT, IDXGIAdapter**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE MakeWindowAssociation(HWND, UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetWindowAssociation(HWND*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateSwapChain(IUnknown*, DXGI_SWAP_CHAIN_DESC*, IDXGISwapChain**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateSoftwareAdapter(HMODULE, IDXGIAdapter**) override { return E_NOTIMPL; }
    WINBOOL STDMETHODCALLTYPE IsCurrent() override { return TRUE; }
    HRESULT STDMETHODCALLTYPE EnumAdapters1(UINT index, IDXGIAdapter1** adapter) override
    {
        enumCalls.push_back(index);
        if (index >= answers_.size()) {
            *adapter = nullptr;
            return kNotFound;
        }
        const EnumAnswer& answer = answers_[index];
        if (answer.adapter != nullptr) {
            answer.adapter->AddRef();  // an out-parameter carries a reference
        }
        *adapter = answer.adapter;
        return answer.result;
    }

private:
    std::vector<EnumAnswer> answers_;
};

// What the fake CreateDXGIFactory1 answers, and what it was asked for.
struct FactoryMaker {
    HRESULT result = S_OK;
    FakeFactory* factory = nullptr;
    int calls = 0;
    bool askedForFactory1 = false;
};

FactoryMaker* maker = nullptr;

HRESULT WINAPI fakeCreateFactory(REFIID riid, void** factory)
{
    // {770AAE78-F26F-4DBA-A829-253C83D1B387}, written out here rather than
    // taken from the headers the probe uses.
    static constexpr GUID kFactory1 = {0x770AAE78, 0xF26F, 0x4DBA, {0xA8, 0x29, 0x25, 0x3C, 0x83, 0xD1, 0xB3, 0x87}};
    ++maker->calls;
    maker->askedForFactory1 = IsEqualGUID(riid, kFactory1) != FALSE;
    if (maker->factory != nullptr) {
        maker->factory->AddRef();
    }
    *factory = static_cast<IDXGIFactory1*>(maker->factory);
    return maker->result;
}

// The probe with CreateDXGIFactory1 answered by `createFactory`, reached
// through a stand-in loader.
DisplayScan listDisplayAdapters(HRESULT(WINAPI* createFactory)(REFIID, void**))
{
    const FakeLibraryLoader loader({}, {{"CreateDXGIFactory1", reinterpret_cast<void*>(createFactory)}});
    return scanDisplayAdapters(DisplayCalls{FakeLibraryLoader::calls()});
}

class DisplayEnumeration : public ::testing::Test {
protected:
    void SetUp() override { maker = &make; }
    void TearDown() override { maker = nullptr; }

    static void expectReleased(const References& refs, const char* what)
    {
        EXPECT_EQ(refs.held, 0) << what << " still holds references";
        EXPECT_FALSE(refs.underflow) << what << " was released more often than referenced";
    }

    FactoryMaker make;
};

}  // namespace

TEST_F(DisplayEnumeration, NoneOrOnlyTheSoftwareRendererGivesAnEmptyCompleteList)
{
    FakeAdapter basic(L"Microsoft Basic Render Driver", 0, kSoftware);
    for (const bool withRenderer : {false, true}) {
        SCOPED_TRACE(withRenderer ? "the software renderer alone" : "no adapters at all");
        FakeFactory factory(withRenderer ? std::vector<EnumAnswer>{{S_OK, &basic}} : std::vector<EnumAnswer>{});
        make = FactoryMaker{};
        make.factory = &factory;

        const DisplayScan scan = listDisplayAdapters(fakeCreateFactory);

        EXPECT_TRUE(scan.adapters.empty());
        EXPECT_EQ(scan.error, L"");
        EXPECT_EQ(make.calls, 1);
        EXPECT_TRUE(make.askedForFactory1) << "the factory is not asked for as IDXGIFactory1";
        EXPECT_EQ(factory.enumCalls, withRenderer ? (std::vector<UINT>{0, 1}) : std::vector<UINT>{0});
        expectReleased(basic.refs, "the adapter");
        expectReleased(factory.refs, "the factory");
    }
}

TEST_F(DisplayEnumeration, ListsHardwareAdaptersAndCountsTheUndescribed)
{
    std::wstring longName(128, L'W');  // fills Description without a terminating zero
    FakeAdapter radeon(L"AMD Radeon RX 7600", 8 * kGiB, 0);
    FakeAdapter basic(L"Microsoft Basic Render Driver", 0, kSoftware);
    FakeAdapter noMemory(L"Intel(R) UHD Graphics 620", 0, 0);
    FakeAdapter broken(L"Broken", 1 * kGiB, 0, E_FAIL);
    FakeAdapter remote(longName.c_str(), 512ull * 1024 * 1024, 1);  // remote, not software: listed
    FakeFactory factory({{S_OK, &radeon}, {S_OK, &basic}, {S_OK, &noMemory}, {S_OK, &broken}, {S_OK, &remote}});
    make.factory = &factory;

    const DisplayScan scan = listDisplayAdapters(fakeCreateFactory);

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
    EXPECT_EQ(factory.enumCalls, (std::vector<UINT>{0, 1, 2, 3, 4, 5}));
    for (const FakeAdapter* adapter : {&radeon, &basic, &noMemory, &broken, &remote}) {
        expectReleased(adapter->refs, "an adapter");
    }
    expectReleased(factory.refs, "the factory");
}

TEST_F(DisplayEnumeration, CountsEveryUndescribedAdapter)
{
    FakeAdapter first(L"A", kGiB, 0, E_FAIL);
    FakeAdapter second(L"B", kGiB, 0, E_OUTOFMEMORY);
    FakeAdapter third(L"C", kGiB, 0, kNotFound);  // NOT_FOUND from GetDesc1 is just a failure
    FakeFactory factory({{S_OK, &first}, {S_OK, &second}, {S_OK, &third}});
    make.factory = &factory;

    const DisplayScan scan = listDisplayAdapters(fakeCreateFactory);

    EXPECT_TRUE(scan.adapters.empty());
    EXPECT_EQ(scan.error, L"3 adapter(s) present but could not be described");
    for (const FakeAdapter* adapter : {&first, &second, &third}) {
        expectReleased(adapter->refs, "an adapter");
    }
    expectReleased(factory.refs, "the factory");
}

TEST_F(DisplayEnumeration, EnumerationEndsQuietlyAtAnyOtherFailure)
{
    FakeAdapter good(L"NVIDIA GeForce GTX 1650", 4 * kGiB, 0);
    FakeAdapter stray(L"Handed out with a failure", kGiB, 0);
    FakeAdapter unreached(L"Never asked for", kGiB, 0);
    const struct {
        const char* what;
        EnumAnswer second;
    } cases[] = {{"E_FAIL", {E_FAIL, nullptr}},
                 {"E_OUTOFMEMORY with an adapter", {E_OUTOFMEMORY, &stray}},
                 {"success without an adapter", {S_OK, nullptr}},
                 {"NOT_FOUND with an adapter", {kNotFound, &stray}}};
    for (const auto& c : cases) {
        FakeFactory factory({{S_OK, &good}, c.second, {S_OK, &unreached}});
        make.factory = &factory;

        const DisplayScan scan = listDisplayAdapters(fakeCreateFactory);

        ASSERT_EQ(scan.adapters.size(), 1u) << c.what;
        EXPECT_EQ(scan.adapters[0].name, L"NVIDIA GeForce GTX 1650") << c.what;
        EXPECT_EQ(scan.error, L"") << c.what;
        EXPECT_EQ(factory.enumCalls, (std::vector<UINT>{0, 1})) << c.what;
        for (const FakeAdapter* adapter : {&good, &stray, &unreached}) {
            expectReleased(adapter->refs, c.what);
        }
        expectReleased(factory.refs, c.what);
    }
}

TEST_F(DisplayEnumeration, FactoryThatCannotBeMadeGivesItsText)
{
    FakeAdapter unreached(L"Never asked for", kGiB, 0);
    const struct {
        const char* what;
        HRESULT result;
        bool handsOutFactory;
    } cases[] = {{"failure without a factory", E_FAIL, false},
                 {"DXGI's own failure", static_cast<HRESULT>(0x887A0004), false},
                 {"failure with a factory", E_NOINTERFACE, true},
                 {"success without a factory", S_OK, false}};
    for (const auto& c : cases) {
        FakeFactory factory({{S_OK, &unreached}});
        make = FactoryMaker{};
        make.result = c.result;
        make.factory = c.handsOutFactory ? &factory : nullptr;

        const DisplayScan scan = listDisplayAdapters(fakeCreateFactory);

        EXPECT_TRUE(scan.adapters.empty()) << c.what;
        EXPECT_EQ(scan.error, L"the graphics adapter list could not be opened") << c.what;
        EXPECT_TRUE(factory.enumCalls.empty()) << c.what;
        expectReleased(factory.refs, c.what);
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
