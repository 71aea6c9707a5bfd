#include "platform/RunLoopApplication.h"

namespace tolvane {

int RunLoopApplication::run() {
    // Launching finishes before the loop handles anything, a signal already
    // pending included: termination then undoes a launch that has run, never
    // the other way round.
    if (!terminated_) {
        launched_ = true;
        if (delegate_ != nullptr) {
            delegate_->applicationDidFinishLaunching();
        }
    }
    if (!terminated_) {
        loop_->run();
    }
    return 0;
}

void RunLoopApplication::terminate() {
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
