#include "support/TestSession.h"

namespace tolvane::testing {

namespace {

SimSession::Options inHome(SimSession::Options options, const TemporaryDirectory& home) {
    options.home = home.path();
    return options;
}

} // namespace

TestSession::TestSession(SimSession::Options options)
    : session_(inHome(std::move(options), home_)) {}

} // namespace tolvane::testing
