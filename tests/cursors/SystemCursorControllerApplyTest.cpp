// Applying markers and restoring, as every application sees it through the
// window server.
#include "ControllerFixture.h"
#include "cursors/Fnv1a.h"
#include "render/CursorRenderer.h"
#include "runtime/WindowServerObject.h"
#include "support/PixelProbes.h"

namespace tolvane {
namespace {

using testing::contains;
using testing::CursorContents;
using testing::fillPixels;
using testing::HeldCursor;
using testing::Lines;
using testing::solidPixels;

constexpr CursorStyle markerStyles[] = {CursorStyle::letterBadge, CursorStyle::dotBadge,
                                        CursorStyle::highContrast};

Image imageAt(const HeldCursor& cursor, std::size_t index) {
    return *imageFromWindowServer(cursor.images.at(index));
}

std::vector<unsigned char> bytesOf(const Image& image) {
    return {image.bytes(), image.bytes() + image.byteCount()};
}

class ApplyTest : public testing::ControllerTest {
  protected:
    // Every registered image of every target shows the disc in the fill colour;
    // every other cursor is the system's own.
    void expectBadgedTargets(const CursorContents& system, const Color& fill) {
        const std::vector<std::string> targets = controller->targetIdentifiersForApply({});
        for (const auto& [name, content] : cursors()) {
            if (!contains(targets, name)) {
                EXPECT_EQ(content, system.at(name)) << name;
                continue;
            }
            std::optional<HeldCursor> cursor = registered(name);
            ASSERT_FALSE(cursor->isSystemArtwork) << name;
            ASSERT_FALSE(cursor->images.empty()) << name;
            for (std::size_t index = 0; index < cursor->images.size(); ++index) {
                EXPECT_GT(fillPixels(imageAt(*cursor, index), fill).count, 0)
                    << name << " image " << index;
            }
        }
    }
    unsigned hardResets() const { return server.callCount("CoreCursorUnregisterAll"); }
};

TEST_F(ApplyTest, EveryMarkerStyleBadgesEveryTargetAndLeavesBusyCursorsAlone) {
    const CursorContents system = cursors();
    makeController();
    for (CursorStyle style : markerStyles) {
        ASSERT_TRUE(apply(style, "de")) << style.rawValue();
        EXPECT_EQ(controller->lastAppliedStyleCode(), style.rawValue());
        expectBadgedTargets(system, style.marker(language("de"))->fillColor);
    }
    for (const char* busy : {"com.apple.cursor.4", "com.apple.cursor.37",
                             "com.apple.coregraphics.Wait", "com.apple.coregraphics.Busy"}) {
        EXPECT_TRUE(registered(busy)->isSystemArtwork) << busy;
    }
}

TEST_F(ApplyTest, EveryDensityOfEveryTargetCarriesTheBadge) {
    server.reset();
    const CursorContents system = cursors();
    makeController();
    ASSERT_TRUE(apply(CursorStyle::letterBadge, "en"));
    expectBadgedTargets(system,
                        CursorStyle(CursorStyle::letterBadge).marker(language("en"))->fillColor);
    // 1x, 2x, 5x and 10x, as the system's own.
    EXPECT_EQ(registered("com.apple.cursor.0")->images.size(), 4u);
    EXPECT_EQ(registered("com.apple.cursor.19")->images.size(), 4u);
}

TEST_F(ApplyTest, LeftHandedCursorsAreMirroredExactlyOnce) {
    const CursorContents system = cursors();
    makeController();
    const Image systemArrow = imageAt(*registered("com.apple.cursor.0"), 0);
    const Image mirroredArrow = *CursorRenderer::mirrorHorizontally(systemArrow);
    const Image systemResize = imageAt(*registered("com.apple.cursor.17"), 0);

    // With a badge the arrow shows the mirrored system arrow at the mirrored hot
    // spot (28 - 6 points from its left edge); a resize cursor points both ways
    // and is not mirrored.
    ASSERT_TRUE(apply(CursorStyle::dotBadge, "en", true));
    std::optional<HeldCursor> arrow = registered("com.apple.cursor.0");
    const auto arrowShown =
        solidPixels(mirroredArrow, imageAt(*arrow, 0), static_cast<int>(arrow->hotSpot.x - 22));
    EXPECT_LE(arrowShown.changed, arrowShown.solid / 50);
    std::optional<HeldCursor> resize = registered("com.apple.cursor.17");
    const auto resizeShown =
        solidPixels(systemResize, imageAt(*resize, 0), static_cast<int>(resize->hotSpot.x - 16));
    EXPECT_LE(resizeShown.changed, resizeShown.solid / 50);

    // The system style registers the mirrored images themselves: made live,
    // then taken from the cape as stored.
    ASSERT_TRUE(controller->restoreOriginal());
    takeLines();
    for (int pass = 0; pass < 2; ++pass) {
        ASSERT_TRUE(controller->apply(std::nullopt, "en", "system", true));
        arrow = registered("com.apple.cursor.0");
        EXPECT_EQ(arrow->hotSpot.x, 22);
        EXPECT_EQ(bytesOf(imageAt(*arrow, 0)), bytesOf(mirroredArrow)) << "pass " << pass;
        EXPECT_EQ(cursors().at("com.apple.cursor.17"), system.at("com.apple.cursor.17"));
        ASSERT_TRUE(controller->restoreOriginal());
        capes.waitForSaves();
    }
    EXPECT_EQ(takeLinesStartingWith("apply source stats"),
              (Lines{"[INFO] apply source stats: useCape=true capeApplied=0 generatedApplied=87 "
                     "capeAvailable=0",
                     "[INFO] apply source stats: useCape=true capeApplied=87 generatedApplied=0 "
                     "capeAvailable=87"}));
}

TEST_F(ApplyTest, AWeakArrowAliasTakesTheCanonicalArrow) {
    makeController();
    // A cape whose arrow has a single image.
    const Image systemArrow = imageAt(*registered("com.apple.cursor.0"), 0);
    capes.saveCape("en", "system",
                   {{"com.apple.coregraphics.Arrow",
                     CursorPayload{CursorSnapshot{{28, 32}, {22, 4}, 1, 0, {}}, {systemArrow}}}});
    capes.waitForSaves();
    takeLines();
    ASSERT_TRUE(controller->apply(std::nullopt, "en", "system", true));
    const Lines lines = takeLines();
    for (const char* line :
         {"[INFO] apply using cape payloads: language=en style=system cursors=1",
          "[WARN] Arrow alias com.apple.coregraphics.Arrow has weak direct payload source=cape "
          "size=28.0x32.0 images=1; using canonical fallback",
          "[INFO] arrow alias registration identifier=com.apple.coregraphics.Arrow "
          "payloadFrom=com.apple.coregraphics.GlobalCurrent source=snapshot+canonical-fallback "
          "size=28.0x32.0 hotspot=(22.0,4.0) images=2",
          "[INFO] apply source stats: useCape=true capeApplied=0 generatedApplied=87 "
          "capeAvailable=1"}) {
        EXPECT_TRUE(contains(lines, line)) << line;
    }
    EXPECT_EQ(cursors().at("com.apple.coregraphics.Arrow"),
              cursors().at("com.apple.coregraphics.GlobalCurrent"));
}

TEST_F(ApplyTest, TheSameStyleAgainOnlySwapsImagesAndMarkerStylesNeverUseCapes) {
    makeController();
    ASSERT_TRUE(apply(CursorStyle::letterBadge, "en"));
    capes.waitForSaves();
    unsigned resets = hardResets();
    takeLines();
    ASSERT_TRUE(apply(CursorStyle::letterBadge, "ru"));
    ASSERT_TRUE(apply(CursorStyle::letterBadge, "en"));
    capes.waitForSaves();
    EXPECT_EQ(hardResets(), resets);
    Lines lines = takeLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         "[INFO] registerAndActivate lightweight refresh (language-only switch)"),
              2);
    // The cape saved by the first apply is read but not used.
    EXPECT_TRUE(contains(lines, "[INFO] apply using cape payloads: language=en "
                                "style=letterBadge cursors=87"));
    EXPECT_TRUE(contains(lines, "[INFO] apply source stats: useCape=true capeApplied=0 "
                                "generatedApplied=87 capeAvailable=87"));
    EXPECT_TRUE(std::none_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("Decorated cursor scale") != std::string::npos;
    }));

    // Without a style every apply is a full one, and no cape is read or written.
    const auto capeFiles = [&] {
        capes.waitForSaves();
        return std::distance(std::filesystem::directory_iterator(*capes.capesDirectory()),
                             std::filesystem::directory_iterator());
    };
    const auto filesBefore = capeFiles();
    resets = hardResets();
    const auto marker = CursorStyle(CursorStyle::dotBadge).marker(language("fr"));
    ASSERT_TRUE(controller->apply(marker, "fr", std::nullopt, false));
    ASSERT_TRUE(controller->apply(marker, "fr", std::nullopt, false));
    EXPECT_EQ(hardResets(), resets + 2);
    EXPECT_EQ(capeFiles(), filesBefore);
    EXPECT_EQ(controller->lastAppliedStyleCode(), std::nullopt);
    lines = takeLines();
    EXPECT_TRUE(std::none_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("CursorCapeStore") != std::string::npos;
    }));
}

TEST_F(ApplyTest, CapesThatLeaveTheCursorUnchangedAreRetriedLive) {
    makeController();
    ASSERT_TRUE(controller->apply(std::nullopt, "en", "system", true));
    ASSERT_TRUE(controller->restoreOriginal());
    capes.waitForSaves();
    // Without the displayed cursor's data no change can be seen.
    server.injectFault(TVWS_FN_GET_GLOBAL_CURSOR_DATA_SIZE, TVWS_FAULT_STATUS, 1000);
    const unsigned resets = hardResets();
    takeLines();
    ASSERT_TRUE(controller->apply(std::nullopt, "en", "system", true));
    EXPECT_EQ(hardResets(), resets + 2);
    Lines lines = takeLines();
    const std::string seeds = lines.back().substr(0, lines.back().find(" cursorHashBefore"));
    EXPECT_EQ(lines.back(), seeds + " cursorHashBefore=nil cursorHashAfter=nil hashChanged=false");
    std::erase_if(lines, [](const std::string& line) {
        return !line.starts_with("[WARN] Cape") &&
               line.find("apply source stats") == std::string::npos &&
               line.find("Fallback") == std::string::npos;
    });
    EXPECT_EQ(lines,
              (Lines{"[INFO] apply source stats: useCape=true capeApplied=87 generatedApplied=0 "
                     "capeAvailable=87",
                     "[WARN] Cape payload apply did not change global cursor hash; retrying with "
                     "live-generated payloads",
                     "[INFO] apply source stats: useCape=false capeApplied=0 generatedApplied=87 "
                     "capeAvailable=0",
                     "[INFO] Fallback generated apply result appliedAny=true hashChanged=false"}));
}

TEST_F(ApplyTest, AnApplyWithoutBaselineStartsFromAResetSoItNeverTakesBadgesForTheSystemsOwn) {
    const CursorContents system = cursors();
    server.injectFault(TVWS_FN_CORE_CURSOR_COPY_IMAGES, TVWS_FAULT_NO_ARRAY);
    server.injectFault(TVWS_FN_COPY_REGISTERED_CURSOR_IMAGES, TVWS_FAULT_NO_ARRAY);
    makeController();
    // Nothing could be captured: the roles get their framework cursors, badged.
    ASSERT_TRUE(apply(CursorStyle::letterBadge, "en"));
    server.clearFaults();
    const unsigned resets = hardResets();
    takeLines();
    // The same style again would only swap images, but the badges on screen
    // must not become the baseline.
    ASSERT_TRUE(apply(CursorStyle::letterBadge, "ru"));
    EXPECT_EQ(hardResets(), resets + 1);
    EXPECT_TRUE(
        contains(takeLines(), "[WARN] Baseline snapshots were empty; rebuilt baseline count=99"));
    ASSERT_TRUE(controller->restoreOriginal());
    EXPECT_EQ(cursors(), system);
}

TEST_F(ApplyTest, ActivationSwitchesAddTheirSweeps) {
    makeController({{"TOLVANE_ENABLE_CORE_SWEEP_ACTIVATION", "true"},
                    {"TOLVANE_ENABLE_SYSTEM_DEFINED_ACTIVATION", "yes"}});
    EXPECT_EQ(takeLinesStartingWith("SystemCursorController config use"),
              (Lines{"[INFO] SystemCursorController config useCoreSweepActivation=false",
                     "[INFO] SystemCursorController config useSystemDefinedActivation=false"}));

    makeController({{"TOLVANE_ENABLE_CORE_SWEEP_ACTIVATION", "1"},
                    {"TOLVANE_ENABLE_SYSTEM_DEFINED_ACTIVATION", "1"},
                    {"TOLVANE_ENABLE_LEGACY_ID_ACTIVATION", "1"}});
    EXPECT_EQ(takeLinesStartingWith("SystemCursorController config use"),
              (Lines{"[INFO] SystemCursorController config useCoreSweepActivation=true",
                     "[INFO] SystemCursorController config useSystemDefinedActivation=true"}));
    const unsigned systemDefined = server.callCount("CGSSetSystemDefinedCursor");
    const unsigned core = server.callCount("CoreCursorSet");
    ASSERT_TRUE(apply(CursorStyle::dotBadge, "en"));
    // 49 swept and the final arrow's id; 45 reset, 45 swept and the chosen one.
    EXPECT_EQ(server.callCount("CGSSetSystemDefinedCursor") - systemDefined, 50u);
    EXPECT_EQ(server.callCount("CoreCursorSet") - core, 91u);
    const Lines lines = takeLines();
    EXPECT_TRUE(contains(lines, "[INFO] core activation sweep completed. attempted=45 "
                                "success=45 preferred=0 chosen=0"));
    EXPECT_TRUE(contains(lines, "[WARN] Legacy system ID activation flag is set, but Arrow ID "
                                "priming is already active by default"));
    // The re-activations: the system-defined arrow once, the core arrow each time.
    loop->advance(0.5);
    EXPECT_EQ(server.callCount("CGSSetSystemDefinedCursor") - systemDefined, 51u);
    EXPECT_EQ(server.callCount("CoreCursorSet") - core, 94u);

    server.injectFault(TVWS_FN_CORE_CURSOR_SET, TVWS_FAULT_STATUS, 1000);
    ASSERT_TRUE(apply(CursorStyle::dotBadge, "ru"));
    EXPECT_TRUE(contains(takeLines(), "[INFO] core activation sweep completed. attempted=45 "
                                      "success=0 preferred=0 chosen=0"));
}

TEST_F(ApplyTest, WindowServerFaultsCostOnlyWhatTheyTouch) {
    const CursorContents system = cursors();
    makeController();
    server.injectFaultForName(TVWS_FN_REGISTER_CURSOR_WITH_IMAGES, "com.apple.cursor.13",
                              TVWS_FAULT_STATUS, 1000);
    server.injectFaultForName(TVWS_FN_REGISTER_CURSOR_WITH_IMAGE, "com.apple.cursor.13",
                              TVWS_FAULT_STATUS, 1000);
    takeLines();
    ASSERT_TRUE(apply(CursorStyle::letterBadge, "en"));
    EXPECT_EQ(cursors().at("com.apple.cursor.13"), system.at("com.apple.cursor.13"));
    Lines lines = takeLines();
    EXPECT_TRUE(contains(lines, "[ERROR] registerCursor failed for com.apple.cursor.13: "
                                "multiError=1000 frames=1 images=2 multiSeed=0 "
                                "singleSuccess=false"));
    EXPECT_TRUE(contains(lines, "[INFO] apply source stats: useCape=true capeApplied=0 "
                                "generatedApplied=86 capeAvailable=0"));

    // Nothing registers: the apply fails, saves nothing and remembers no style.
    ASSERT_TRUE(controller->restoreOriginal());
    server.injectFault(TVWS_FN_REGISTER_CURSOR_WITH_IMAGES, TVWS_FAULT_STATUS, 1000);
    server.injectFault(TVWS_FN_REGISTER_CURSOR_WITH_IMAGE, TVWS_FAULT_STATUS, 1000);
    takeLines();
    EXPECT_FALSE(apply(CursorStyle::dotBadge, "en"));
    EXPECT_EQ(controller->lastAppliedStyleCode(), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(*capes.capesDirectory() / "com.tolvane.en.dotbadge.cape"));
    lines = takeLinesStartingWith("apply completed.");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("[INFO] apply completed. appliedAny=false "));
}

class NoScaleTest : public testing::ControllerTest {
  protected:
    NoScaleTest() : ControllerTest(TOLVANE_SIMWS_NO_SCALE_PATH) {}
};

TEST_F(NoScaleTest, WithoutScaleFunctionsTheCursorsStillChange) {
    const CursorContents system = cursors();
    makeController();
    EXPECT_EQ(takeLinesStartingWith("Baseline cursor scale"),
              Lines{"[INFO] Baseline cursor scale: nil"});
    ASSERT_TRUE(apply(CursorStyle::dotBadge, "en"));
    EXPECT_EQ(takeLinesStartingWith("Decorated cursor scale"),
              Lines{"[INFO] Decorated cursor scale skipped: the user's cursor scale cannot be "
                    "read"});
    ASSERT_TRUE(controller->restoreOriginal());
    EXPECT_EQ(cursors(), system);
    EXPECT_TRUE(takeLinesStartingWith("Baseline cursor scale restored").empty());
}

class UnboundTest : public testing::ControllerTest {
  protected:
    UnboundTest() : ControllerTest(TOLVANE_SIMWS_EMPTY_PATH) {}
};

TEST_F(UnboundTest, WithoutTheWindowServerEveryRequestIsRefused) {
    makeController();
    EXPECT_FALSE(controller->isRuntimeAvailable());
    EXPECT_FALSE(controller->isVerifiedFunctional());
    EXPECT_TRUE(contains(takeLines(), "[INFO] SystemCursorController init. runtimeAvailable=false "
                                      "connectionID=nil"));
    EXPECT_FALSE(apply(CursorStyle::letterBadge, "en"));
    EXPECT_FALSE(controller->restoreOriginal());
    EXPECT_EQ(takeLines(), (Lines{"[ERROR] apply skipped: runtime unavailable",
                                  "[ERROR] restoreOriginal skipped: runtime unavailable"}));
}

} // namespace
} // namespace tolvane
