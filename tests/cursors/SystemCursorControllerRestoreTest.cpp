// Restoring: every application sees the system's own cursors and the user's
// cursor scale again, however the applies and the clock went before.
#include "ControllerFixture.h"

#include "cursors/Fnv1a.h"
#include "platform/PropertyListSerialization.h"

namespace tolvane {
namespace {

using testing::CursorContents;
using testing::Lines;

class RestoreTest : public testing::ControllerTest {
  protected:
    std::string displayedHash() const { return hexDigest(fnv1a64(server.displayed().bytes)); }
};

TEST_F(RestoreTest, RestoreGivesBackEveryCursorAndTheScaleEvenWithReactivationsPending) {
    const CursorContents system = cursors();
    const std::string systemArrow = displayedHash();
    makeController();
    ASSERT_TRUE(apply(CursorStyle::letterBadge, "en"));
    loop->advance(0.01);
    EXPECT_EQ(server.scale(), 1.08f);
    takeLines();
    for (int restore = 0; restore < 2; ++restore) {
        ASSERT_TRUE(controller->restoreOriginal());
        loop->advance(0.5);
        // Including the vertical I-beam, which the baseline check replaced for decorating.
        EXPECT_EQ(cursors(), system);
        EXPECT_EQ(server.scale(), 1.0f);
        EXPECT_EQ(displayedHash(), systemArrow);
        EXPECT_EQ(controller->lastAppliedStyleCode(), std::nullopt);
    }
    EXPECT_EQ(takeLinesStartingWith("restoreBaselineAliases"),
              Lines(2, "[INFO] restoreBaselineAliases completed. restored=99 baseline=99 "
                       "targets=99"));
}

TEST_F(RestoreTest, ThePointerSizeTheUserChoosesBecomesTheBaselineEvenAcrossACrash) {
    makeController();
    ASSERT_TRUE(apply(CursorStyle::dotBadge, "en"));
    loop->advance(0.5);
    // The user makes the pointer larger while it is decorated.
    ASSERT_TRUE(runtime.setCursorScale(connection, 2.0f));
    takeLines();
    ASSERT_TRUE(apply(CursorStyle::letterBadge, "en"));
    EXPECT_EQ(takeLinesStartingWith("Cursor scale changed"),
              Lines{"[INFO] Cursor scale changed by the user: expected=1.08 current=2.0; taking "
                    "it as the baseline cursor scale"});
    EXPECT_EQ(server.scale(), 2.0f * 1.08f);
    // A crash leaves the decorated scale behind; the next start puts the
    // user's new one back.
    controller.reset();
    makeController();
    EXPECT_EQ(takeLinesStartingWith("Recovered"),
              Lines{"[INFO] Recovered the user's cursor scale from previous run: scale=2.0"});
    EXPECT_EQ(server.scale(), 2.0f);
    ASSERT_TRUE(apply(CursorStyle::letterBadge, "en"));
    ASSERT_TRUE(controller->restoreOriginal());
    EXPECT_EQ(server.scale(), 2.0f);
    // And again while the system's cursors are shown.
    ASSERT_TRUE(runtime.setCursorScale(connection, 1.5f));
    ASSERT_TRUE(controller->restoreOriginal());
    EXPECT_EQ(server.scale(), 1.5f);
}

// What a start finds of the scale an earlier run kept: the user's scale goes
// back only while the window server still shows the decorated one; a bad file
// is reported, removed and leaves the scale alone.
TEST_F(RestoreTest, AStartPutsBackTheUsersScaleAnEarlierRunKept) {
    const PropertyList kept(
        PropertyList::Dictionary{{"userScale", 1.25}, {"decoratedScale", 1.35}});
    struct Case {
        std::optional<PropertyList> plist;
        std::string rawBytes;
        float scaleLeftByCrash;
        std::string expectedLine;
        float expectedScale;
    };
    const std::filesystem::path file =
        home / "Library" / "Application Support" / "Tolvane" / "cursor_scale_backup.plist";
    const Case cases[] = {
        {kept, "", 1.35f, "[INFO] Recovered the user's cursor scale from previous run: scale=1.25",
         1.25f},
        {kept, "", 1.6f,
         "[INFO] Cursor scale backup from previous run left unused: current=1.6 is not the "
         "decorated scale=1.35",
         1.6f},
        {std::nullopt, "<plist><real>1.2", 1.35f,
         "[WARN] Ignoring unreadable cursor scale backup: ", 1.35f},
        {PropertyList(PropertyList::Array{PropertyList(1.0)}), "", 1.35f,
         "[WARN] Ignoring unreadable cursor scale backup: property list root is not a "
         "dictionary: " +
             file.string(),
         1.35f},
        {PropertyList(PropertyList::Dictionary{{"userScale", "1.0"}, {"decoratedScale", 1.35}}), "",
         1.35f, "[WARN] Ignoring cursor scale backup without valid scales: " + file.string(),
         1.35f},
        {PropertyList(PropertyList::Dictionary{{"userScale", 100.0}, {"decoratedScale", 1.35}}), "",
         1.35f, "[WARN] Ignoring cursor scale backup without valid scales: " + file.string(),
         1.35f},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.expectedLine);
        std::filesystem::create_directories(file.parent_path());
        if (row.plist) {
            ASSERT_TRUE(
                PropertyListSerialization::writeFile(*row.plist, file, PropertyListFormat::xml));
        } else {
            testing::writeFile(file, row.rawBytes);
        }
        ASSERT_TRUE(runtime.setCursorScale(connection, row.scaleLeftByCrash));
        takeLines();
        makeController();
        const Lines lines = takeLines();
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.starts_with(row.expectedLine);
        }));
        EXPECT_EQ(server.scale(), row.expectedScale);
        EXPECT_FALSE(std::filesystem::exists(file));
        // The scale found is the baseline: a restore keeps it.
        ASSERT_TRUE(apply(CursorStyle::dotBadge, "en"));
        EXPECT_EQ(server.scale(), row.expectedScale * 1.08f);
        ASSERT_TRUE(controller->restoreOriginal());
        EXPECT_EQ(server.scale(), row.expectedScale);
    }
}

TEST_F(RestoreTest, ADestroyedControllerLeavesNoStepsBehind) {
    makeController();
    ASSERT_TRUE(apply(CursorStyle::dotBadge, "en"));
    controller.reset();
    const std::size_t calls = server.journal().size();
    loop->advance(1.0);
    EXPECT_EQ(server.journal().size(), calls);
}

TEST_F(RestoreTest, WithoutAnyBaselineTheRestoreReportsFailure) {
    server.injectFault(TVWS_FN_CORE_CURSOR_COPY_IMAGES, TVWS_FAULT_EMPTY_ARRAY);
    server.injectFault(TVWS_FN_COPY_REGISTERED_CURSOR_IMAGES, TVWS_FAULT_EMPTY_ARRAY);
    makeController();
    takeLines();
    EXPECT_FALSE(controller->restoreOriginal());
    const Lines lines = takeLines();
    EXPECT_TRUE(testing::contains(lines, "[WARN] restoreOriginal rebuilt empty baseline count=0"));
    EXPECT_TRUE(lines.back().starts_with(
        "[INFO] restoreOriginal completed. resetOK=true baselineRestoreCount=0 "));
}

} // namespace
} // namespace tolvane
