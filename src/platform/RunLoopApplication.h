#pragma once

#include "platform/Application.h"
#include "platform/RunLoop.h"

#include <memory>

namespace tolvane {

// An application whose event loop is the main RunLoop: launching, running
// and orderly termination. Desktops add how alerts are shown and the beep.
class RunLoopApplication : public Application {
  public:
    explicit RunLoopApplication(std::shared_ptr<RunLoop> loop) : loop_(std::move(loop)) {}

    void setDelegate(ApplicationDelegate* delegate) override { delegate_ = delegate; }
    void setActivationPolicy(ActivationPolicy policy) override { policy_ = policy; }
    int run() override;
    void terminate() override;

    ApplicationDelegate* delegate() const { return delegate_; }
    ActivationPolicy activationPolicy() const { return policy_; }
    bool hasFinishedLaunching() const { return launched_; }
    bool hasTerminated() const { return terminated_; }
    int terminationRequests() const { return terminationRequests_; }

  protected:
    const std::shared_ptr<RunLoop>& loop() const { return loop_; }

  private:
    std::shared_ptr<RunLoop> loop_;
    ApplicationDelegate* delegate_ = nullptr;
    ActivationPolicy policy_ = ActivationPolicy::regular;
    bool launched_ = false;
    bool terminated_ = false;
    int terminationRequests_ = 0;
};

} // namespace tolvane
