#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "report/completeness.h"

namespace {

const std::wstring kAllRead = L"Every item on this page was read successfully.";

}  // namespace

TEST(Completeness, SentenceListsEachMissingPartInOrder)
{
    struct Case {
        const char* name;
        std::function<void(ScanTally&)> spoil;  // applied to a tally with nothing to report
        std::wstring sentence;
    };
    const Case cases[] =
        {{"nothing missing", [](ScanTally&) {}, kAllRead},
         {"ok and none counts play no part",
          [](ScanTally& t) {
              t.okCount = 30;
              t.noneCount = 5;
          },
          kAllRead},
         {"negative counts are not mentioned",
          [](ScanTally& t) {
              t.failedCount = -1;
              t.unsupportedCount = -2;
              t.drivesNotSized = -3;
              t.drivesNotExamined = -4;
              t.adaptersNotExamined = -5;
          },
          kAllRead},
         {"memory reason ignored while memory was read", [](ScanTally& t) { t.memoryReason = L"stale"; }, kAllRead},
         {"one failed", [](ScanTally& t) { t.failedCount = 1; }, L"Could not read 1 item."},
         {"no digit grouping", [](ScanTally& t) { t.failedCount = 1000000; }, L"Could not read 1000000 items."},
         {"failed and unsupported",
          [](ScanTally& t) {
              t.failedCount = 3;
              t.unsupportedCount = 1;
          },
          L"Could not read 3 items; 1 item not supported by this Windows."},
         {"unsupported", [](ScanTally& t) { t.unsupportedCount = 2; }, L"2 items not supported by this Windows."},
         {"memory without reason", [](ScanTally& t) { t.memoryRead = false; }, L"memory not read."},
         {"memory with reason",
          [](ScanTally& t) {
              t.memoryRead = false;
              t.memoryReason = L"denied.";
          },
          L"memory not read (denied.)."},
         {"load with reason", [](ScanTally& t) { t.processorLoadReason = L"no change; retrying"; },
          L"processor load not measured (no change; retrying)."},
         {"firmware without reason", [](ScanTally& t) { t.firmwareTableRead = false; },
          L"firmware table unavailable."},
         {"firmware with reason",
          [](ScanTally& t) {
              t.firmwareTableRead = false;
              t.firmwareTableReason = L"a, b.";
          },
          L"firmware table unavailable (a, b.)."},
         {"one drive not sized", [](ScanTally& t) { t.drivesNotSized = 1; }, L"1 drive could not be sized."},
         {"display list", [](ScanTally& t) { t.displayListComplete = false; }, L"graphics list incomplete."},
         {"drives not examined", [](ScanTally& t) { t.drivesNotExamined = 2; }, L"2 drives not examined."},
         {"one adapter", [](ScanTally& t) { t.adaptersNotExamined = 1; }, L"1 adapter not examined."},
         {"adapters", [](ScanTally& t) { t.adaptersNotExamined = 3; }, L"3 adapters not examined."},
         {"drive parts",
          [](ScanTally& t) {
              t.drivesNotSized = 2;
              t.drivesNotExamined = 1;
          },
          L"2 drives could not be sized; 1 drive not examined."},
         {"display part between the drive parts",
          [](ScanTally& t) {
              t.drivesNotSized = 2;
              t.drivesNotExamined = 1;
              t.displayListComplete = false;
          },
          L"2 drives could not be sized; graphics list incomplete; 1 drive not examined."},
         {"first part stays lower case",
          [](ScanTally& t) {
              t.memoryRead = false;
              t.adaptersNotExamined = 1;
          },
          L"memory not read; 1 adapter not examined."},
         {"all nine",
          [](ScanTally& t) {
              t.failedCount = 2;
              t.unsupportedCount = 1;
              t.memoryRead = false;
              t.memoryReason = L"m";
              t.processorLoadReason = L"p";
              t.firmwareTableRead = false;
              t.firmwareTableReason = L"f";
              t.drivesNotSized = 1;
              t.displayListComplete = false;
              t.displayListReason = L"d";
              t.drivesNotExamined = 3;
              t.adaptersNotExamined = 2;
          },
          L"Could not read 2 items; 1 item not supported by this Windows; memory not read (m); "
          L"processor load not measured (p); firmware table unavailable (f); 1 drive could not be sized; "
          L"graphics list incomplete (d); 3 drives not examined; 2 adapters not examined."}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScanTally tally;
        tally.memoryRead = true;
        tally.firmwareTableRead = true;
        tally.displayListComplete = true;
        c.spoil(tally);
        EXPECT_EQ(completenessSummary(tally), c.sentence);
        EXPECT_EQ(pageIsComplete(tally), c.sentence == kAllRead) << "the yes/no must agree with the sentence";
    }

    // A fresh tally has every flag false: memory, firmware and graphics are all missing.
    EXPECT_EQ(completenessSummary(ScanTally{}),
              L"memory not read; firmware table unavailable; graphics list incomplete.");
    EXPECT_FALSE(pageIsComplete(ScanTally{}));
}
