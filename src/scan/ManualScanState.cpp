#include "ManualScanState.h"

namespace {

ManualScanTest& Test() {
    static ManualScanTest test;
    return test;
}

} // namespace

void SetManualScanTest(ManualScanTest test) {
    Test() = std::move(test);
}

bool ManualScanRunning() {
    return Test() ? Test()() : true;
}
