#pragma once

#include "capes/CursorCapeStore.h"
#include "cursors/SystemCursorController.h"
#include "input/InputLanguage.h"
#include "platform/sim/SimEventServices.h"
#include "platform/sim/SimStandardCursors.h"
#include "platform/sim/SimUserFolders.h"
#include "runtime/CGSRuntime.h"
#include "support/LogCapture.h"
#include "support/SimulatedWindowServer.h"
#include "support/TemporaryDirectory.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace tolvane::testing {

using Lines = std::vector<std::string>;

// The real controller on a fresh simulated window server bound by path, as the
// program binds it, with a manual clock, a temporary home for capes and the
// kept cursor scale, and the log captured. The system cursors carry 1x and 2x
// images unless a test asks for every density: decorating the 5x and 10x ones
// costs twenty times as much.
class ControllerTest : public ::testing::Test {
  protected:
    static constexpr std::int32_t connection = TVWS_MAIN_CONNECTION_ID;

    explicit ControllerTest(const char* libraryPath = TOLVANE_SIMWS_PATH)
        : server(libraryPath), runtime({libraryPath}, events) {
        server.resetWithDensities({1, 2});
        log.takeLines();
    }
    ~ControllerTest() override {
        controller.reset();
        server.reset();
    }

    SystemCursorController& makeController(EnvironmentMap environment = {}) {
        controller = std::make_unique<SystemCursorController>(runtime, capes, standardCursors, loop,
                                                              Environment(std::move(environment)),
                                                              CursorScaleBackup(folders));
        return *controller;
    }

    static InputLanguage language(const std::string& code) {
        return InputLanguage::make(code, code, "com.example." + code);
    }
    bool apply(CursorStyle style, const std::string& code, bool leftHanded = false) {
        return controller->apply(style.marker(language(code)), code, style.rawValue(), leftHanded);
    }

    CursorContents cursors() const { return server.contents(TVWS_SCOPE_GLOBAL); }
    std::optional<HeldCursor> registered(const std::string& name) const {
        return server.registeredCursor(TVWS_SCOPE_GLOBAL, name.c_str());
    }

    Lines takeLines() { return log.takeLinesWithoutDebug(); }
    Lines takeLinesStartingWith(const std::string& text) { return log.takeLinesStartingWith(text); }

    LogCapture log;
    SimulatedWindowServer server;
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    std::shared_ptr<RunLoop> loop = RunLoop::create(clock);
    std::shared_ptr<SimEventServices> events = std::make_shared<SimEventServices>(clock, loop);
    CGSRuntime runtime;
    TemporaryDirectory home;
    SimUserFolders folders{home.path()};
    CursorCapeStore capes{folders};
    SimStandardCursors standardCursors;
    std::unique_ptr<SystemCursorController> controller;
};

} // namespace tolvane::testing
