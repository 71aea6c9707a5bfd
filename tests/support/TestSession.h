#pragma once

#include "platform/sim/SimSession.h"
#include "support/TemporaryDirectory.h"

namespace tolvane::testing {

// A simulated session in a fresh temporary home folder that is removed with
// everything in it afterwards:
//
//   TestSession session;
//   session->inputSources()->switchTo("com.apple.keylayout.Russian");
//   session->loop()->drain();
class TestSession {
  public:
    TestSession() : TestSession(SimSession::Options{}) {}
    // The options' home is replaced by the temporary folder.
    explicit TestSession(SimSession::Options options);

    SimSession& operator*() { return session_; }
    SimSession* operator->() { return &session_; }
    const TemporaryDirectory& home() const { return home_; }

  private:
    TemporaryDirectory home_; // made first, removed last
    SimSession session_;
};

} // namespace tolvane::testing
