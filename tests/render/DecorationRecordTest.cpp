// Every decorated image of every system cursor, for every style, both hands
// and Caps Lock off and on, against the record of what the renderer drew when it was last
// changed on purpose: a faster renderer must draw the very same pixels.
//
// After an intended change of the drawing, write the record anew with
//   TOLVANE_WRITE_DECORATION_RECORD=1 tolvane_render_tests --gtest_filter='DecorationRecord.*'
#include "artwork/CursorArtwork.h"
#include "cursors/Fnv1a.h"
#include "cursors/ResizeDetection.h"
#include "input/InputLanguage.h"
#include "render/CursorRenderer.h"
#include "support/TemporaryDirectory.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <sstream>
#include <tuple>

namespace tolvane {
namespace {

const std::filesystem::path recordFile =
    std::filesystem::path(TOLVANE_TEST_DATA_DIR) / "decoration-record.txt";

// A system cursor as the window server holds it: every frame at 1x, 2x, 5x and 10x.
CursorSnapshot systemSnapshot(CursorShape shape) {
    const CursorGeometry geometry = CursorArtwork::geometry(shape);
    CursorSnapshot snapshot{{geometry.width, geometry.height},
                            {geometry.hotSpotX, geometry.hotSpotY},
                            static_cast<std::size_t>(geometry.frameCount),
                            geometry.frameDuration,
                            {}};
    for (double scale : {1.0, 2.0, 5.0, 10.0}) {
        for (int frame = 0; frame < geometry.frameCount; ++frame) {
            snapshot.images.push_back(
                *Image::adopt(CursorArtwork::draw(shape, frame, scale).release()));
        }
    }
    return snapshot;
}

std::optional<CursorTemplate> templateOf(CursorShape shape) {
    switch (shape) {
    case CursorShape::arrow:
        return CursorTemplate::arrow;
    case CursorShape::iBeam:
        return CursorTemplate::iBeam;
    case CursorShape::pointingHand:
        return CursorTemplate::pointingHand;
    default:
        return std::nullopt;
    }
}

// One line per decorated image: what was drawn with what, and the digest of
// its geometry and pixels. Cursors are decorated as the controller does:
// resize detection for cursors of no role, mirroring first for the left hand.
// Each image is decorated with every marker in turn and then with the first
// again, as language and style changes do, so that what the renderer keeps
// from one decoration to the next is put to use; the lines keep the order of
// the record, marker by marker.
std::string decorationRecord() {
    struct Marker {
        CursorStyle style;
        const char* code;
        bool capsLock = false;
    };
    // The Caps Lock set comes after the others, so that their lines keep their places.
    const Marker choices[] = {{CursorStyle::letterBadge, "en"},
                              {CursorStyle::letterBadge, "zh-hans"},
                              {CursorStyle::dotBadge, "de"},
                              {CursorStyle::highContrast, "ru"},
                              {CursorStyle::letterBadge, "en", true},
                              {CursorStyle::letterBadge, "ru", true},
                              {CursorStyle::letterBadge, "zh-hans", true},
                              {CursorStyle::dotBadge, "de", true},
                              {CursorStyle::highContrast, "ru", true}};
    constexpr std::size_t markerCount = std::size(choices);
    // By marker, hand and cursor.
    std::map<std::tuple<std::size_t, bool, int>, std::string> lines;
    for (bool leftHanded : {false, true}) {
        for (int number = 0; number < cursorShapeCount; ++number) {
            const auto shape = static_cast<CursorShape>(number);
            CursorSnapshot snapshot = systemSnapshot(shape);
            const std::optional<CursorTemplate> cursorTemplate = templateOf(shape);
            const ResizeDetection resize =
                cursorTemplate ? ResizeDetection{} : detectResize(snapshot.size);
            if (leftHanded && !resize.any()) {
                snapshot = CursorRenderer::mirrorSnapshot(snapshot);
            }
            for (std::size_t turn = 0; turn <= markerCount; ++turn) {
                const Marker& choice = choices[turn % markerCount];
                const auto marker =
                    choice.style.marker(InputLanguage::make(choice.code, "", ""), choice.capsLock);
                const DecoratedPayload payload = CursorRenderer::decoratePayload(
                    snapshot, marker, cursorTemplate, resize.horizontal, resize.vertical,
                    resize.diagonal, leftHanded);
                std::ostringstream record;
                for (std::size_t index = 0; index < payload.images.size(); ++index) {
                    const Image& image = payload.images[index];
                    record << choice.style.rawValue() << (choice.capsLock ? "+capsLock" : "") << '/'
                           << choice.code << '/' << (leftHanded ? "left" : "right") << ' '
                           << CursorArtwork::name(shape) << ' ' << index << ' '
                           << payload.snapshot.size.width << 'x' << payload.snapshot.size.height
                           << '@' << payload.snapshot.hotSpot.x << ',' << payload.snapshot.hotSpot.y
                           << ' ' << image.width() << 'x' << image.height() << ' '
                           << hexDigest(fnv1a64({image.bytes(), image.byteCount()})) << '\n';
                }
                if (turn < markerCount) {
                    lines[{turn, leftHanded, number}] = record.str();
                } else {
                    const std::string first = lines[{0, leftHanded, number}];
                    EXPECT_EQ(record.str(), first) << "decorated again";
                }
            }
        }
    }
    std::string record;
    for (const auto& [key, text] : lines) {
        record += text;
    }
    return record;
}

TEST(DecorationRecord, EveryDecoratedImageIsTheOneOnRecord) {
    const std::string drawn = decorationRecord();
    if (std::getenv("TOLVANE_WRITE_DECORATION_RECORD") != nullptr) {
        std::ofstream(recordFile, std::ios::binary) << drawn;
        GTEST_SKIP() << "record written to " << recordFile;
    }
    const std::string recorded = testing::readFile(recordFile);
    ASSERT_FALSE(recorded.empty()) << recordFile;
    std::istringstream drawnLines(drawn);
    std::istringstream recordedLines(recorded);
    std::string drawnLine;
    std::string recordedLine;
    int differences = 0;
    while (std::getline(recordedLines, recordedLine)) {
        ASSERT_TRUE(std::getline(drawnLines, drawnLine)) << "missing: " << recordedLine;
        if (drawnLine != recordedLine && ++differences <= 10) {
            ADD_FAILURE() << "recorded: " << recordedLine << "\n   drawn: " << drawnLine;
        }
    }
    EXPECT_FALSE(std::getline(drawnLines, drawnLine)) << "more images than recorded";
    EXPECT_EQ(differences, 0);
}

} // namespace
} // namespace tolvane
