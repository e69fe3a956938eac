#include "common/com_apartment.h"

#include <gtest/gtest.h>

#include <thread>

// Each case runs on a thread of its own, which starts outside COM. A probe
// with CoInitializeEx(COINIT_MULTITHREADED) tells the thread's state: S_OK
// outside COM, S_FALSE in the multithreaded apartment, RPC_E_CHANGED_MODE in
// a single-threaded one.
TEST(ComApartment, UninitialisesExactlyWhenItsOwnInitialisationSucceeded)
{
    constexpr DWORD kMode = COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE;
    const struct {
        const char* thread;
        bool joinedBefore;
        DWORD modeBefore;
        HRESULT guardResult;
        HRESULT probeAfterGuard;
    } cases[] = {{"outside COM", false, 0, S_OK, S_OK},
                 {"in a single-threaded apartment already", true, COINIT_APARTMENTTHREADED, S_FALSE,
                  RPC_E_CHANGED_MODE},
                 {"in the multithreaded apartment", true, COINIT_MULTITHREADED, RPC_E_CHANGED_MODE, S_FALSE}};
    for (const auto& c : cases) {
        std::thread([&c] {
            SCOPED_TRACE(c.thread);  // traces belong to the thread that fails
            if (c.joinedBefore) {
                ASSERT_EQ(CoInitializeEx(nullptr, c.modeBefore), S_OK);
            }
            {
                const ComApartment apartment(kMode);
                EXPECT_EQ(apartment.result(), c.guardResult);
            }
            // The guard left the thread as it found it...
            const HRESULT probe = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            EXPECT_EQ(probe, c.probeAfterGuard);
            if (SUCCEEDED(probe)) {
                CoUninitialize();
            }
            if (c.joinedBefore) {
                CoUninitialize();
            }
            // ...and with no initialisation of its own still counted.
            const HRESULT clean = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            EXPECT_EQ(clean, S_OK);
            if (SUCCEEDED(clean)) {
                CoUninitialize();
            }
        }).join();
    }
}
