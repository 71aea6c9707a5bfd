#pragma once

#include "app/TolvaneTrayApp.h"
#include "cursors/Fnv1a.h"
#include "platform/sim/SimStandardCursors.h"
#include "runtime/CGSRuntime.h"
#include "support/LogCapture.h"
#include "support/PixelProbes.h"
#include "support/SimulatedWindowServer.h"
#include "support/TestSession.h"
#include "support/TrayAppContext.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

namespace tolvane::testing {

using Lines = std::vector<std::string>;

// The real application object on a simulated session and the simulated window
// server, with the manual clock: tests launch it, switch layouts as a user
// would and look at the status title, the displayed cursor, the files and the log.
class TrayAppTest : public ::testing::Test {
  protected:
    TrayAppTest() {
        server.resetWithDensities({1, 2});
        log.takeLines();
    }
    ~TrayAppTest() override {
        app.reset();
        server.reset();
    }

    TolvaneTrayApp& makeApp(EnvironmentMap environment = {}) {
        app = std::make_unique<TolvaneTrayApp>(simulatedTrayAppContext(
            *session, standardCursors, runtime, capes, Environment(std::move(environment)), [this] {
                auto updater = std::make_unique<RecordingUpdater>(true);
                updater_ = updater.get();
                return updater;
            }));
        session->application().setDelegate(app.get());
        return *app;
    }
    TolvaneTrayApp& launch(EnvironmentMap environment = {}) {
        makeApp(std::move(environment)).applicationDidFinishLaunching();
        return *app;
    }
    void advance(double seconds) { session->loop()->advance(seconds); }

    std::string title() const { return app->statusItem()->button()->title(); }
    // The disc colour of the style's marker for the language.
    static Color fillOf(CursorStyle style, const std::string& code) {
        return style.marker(InputLanguage::make(code, code, code))->fillColor;
    }
    std::string displayedHash() const { return hexDigest(fnv1a64(server.displayed().bytes)); }
    // How many opaque pixels of the colour the cursor on screen shows.
    int displayedPixelsOf(const Color& color) const;

    Lines takeLines() { return log.takeLinesWithoutDebug(); }
    Lines takeLinesStartingWith(const std::string& text) { return log.takeLinesStartingWith(text); }

    LogCapture log;
    TestSession session;
    SimulatedWindowServer server{TOLVANE_SIMWS_PATH};
    CGSRuntime runtime{{TOLVANE_SIMWS_PATH}, session->events()};
    CursorCapeStore capes{*session->folders()};
    SimStandardCursors standardCursors;
    RecordingUpdater* updater_ = nullptr;
    std::unique_ptr<TolvaneTrayApp> app;
};

inline int TrayAppTest::displayedPixelsOf(const Color& color) const {
    return opaquePixelsOf(server.displayed().bytes, color);
}

} // namespace tolvane::testing
