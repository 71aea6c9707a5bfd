#pragma once

#include "support/SimulatedWindowServer.h"
#include "runtime/CGSRuntime.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

namespace tolvane::testing {

using Lines = std::vector<std::string>;

inline Image solidImage(int width, int height, std::uint32_t argb) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width * height), argb);
    return *Image::fromPixels(width, height, width * 4,
                              reinterpret_cast<const unsigned char*>(pixels.data()));
}

// The real runtime bound to a fresh simulated window server, with the log
// captured from the first line after binding.
class RuntimeTest : public ::testing::Test {
  protected:
    static constexpr std::int32_t connection = TVWS_MAIN_CONNECTION_ID;

    void SetUp() override {
        server.reset();
        log.takeLines();
    }
    void TearDown() override { server.reset(); }

    SimulatedWindowServer server{TOLVANE_SIMWS_PATH};
    LogCapture log;
    CGSRuntime runtime{{TOLVANE_SIMWS_PATH}};
};

} // namespace tolvane::testing
