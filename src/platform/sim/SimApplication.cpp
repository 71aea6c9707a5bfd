#include "platform/sim/SimApplication.h"

namespace tolvane {

int SimApplication::run() {
    loop_->post([this] {
        launched_ = true;
        if (delegate_ != nullptr) {
            delegate_->applicationDidFinishLaunching();
        }
    });
    loop_->run();
    return 0;
}

void SimApplication::terminate() {
    ++terminationRequests_;
    if (terminated_) {
        return;
    }
    terminated_ = true;
    if (delegate_ != nullptr) {
        delegate_->applicationWillTerminate();
    }
    loop_->stop();
}

} // namespace tolvane
