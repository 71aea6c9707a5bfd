// Writes decorated cursors as PNG files for a person to look at:
//   tolvane_render_gallery <folder>
// One sheet per cursor kind: a row per style, language and Caps Lock state,
// right- and left-handed at 1x and 2x, enlarged without smoothing on a grey backdrop.
#include "log/AppLog.h"
#include "artwork/CursorArtwork.h"
#include "input/InputLanguage.h"
#include "platform/Canvas.h"
#include "platform/Png.h"
#include "render/CursorRenderer.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

using namespace tolvane;

namespace {

struct Kind {
    std::string name;
    CursorSnapshot snapshot;
    std::optional<CursorTemplate> cursorTemplate;
    DecorationFlags flags;
};

struct Row {
    CursorStyle style;
    std::string code;
    bool capsLock = false;

    std::optional<CursorMarker> marker() const {
        return style.marker(InputLanguage::make(code, "", ""), capsLock);
    }
};

// The simulated desktop's own artwork at 1x and 2x.
CursorSnapshot artworkSnapshot(CursorShape shape) {
    const CursorGeometry geometry = CursorArtwork::geometry(shape);
    CursorSnapshot snapshot{
        {geometry.width, geometry.height}, {geometry.hotSpotX, geometry.hotSpotY}, 1, 0, {}};
    for (double scale : {1.0, 2.0}) {
        snapshot.images.push_back(*Image::adopt(CursorArtwork::draw(shape, 0, scale).release()));
    }
    return snapshot;
}

constexpr int zoom = 4;
constexpr double cellPoints = 64;

void drawCell(cairo_t* context, const Image& image, double pointWidth, double x, double y) {
    // Each point becomes `zoom` screen pixels whatever the image's density.
    const double factor = pointWidth * zoom / image.width();
    cairo_save(context);
    cairo_translate(context, x, y);
    cairo_scale(context, factor, factor);
    cairo_set_source_surface(context, image.surface(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(context), CAIRO_FILTER_NEAREST);
    cairo_paint(context);
    cairo_restore(context);
}

bool writeSheet(const std::filesystem::path& folder, const Kind& kind,
                const std::vector<Row>& rows) {
    const int columns = 4;
    const double cell = cellPoints * zoom;
    auto sheet = Canvas::make(static_cast<int>(cell * columns),
                              static_cast<int>(cell * static_cast<double>(rows.size())),
                              cell * columns, cell * static_cast<double>(rows.size()));
    cairo_t* context = sheet->context();
    cairo_set_source_rgb(context, 0.55, 0.6, 0.65);
    cairo_paint(context);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        auto marker = rows[r].marker();
        for (int hand = 0; hand < 2; ++hand) {
            const bool left = hand == 1;
            CursorSnapshot input =
                left ? CursorRenderer::mirrorSnapshot(kind.snapshot) : kind.snapshot;
            auto payload = CursorRenderer::decoratePayload(
                input, marker, kind.cursorTemplate, kind.flags.isHorizontalResize,
                kind.flags.isVerticalResize, kind.flags.isDiagonalResize, left);
            for (std::size_t i = 0; i < payload.images.size(); ++i) {
                const double x = cell * (hand * 2 + static_cast<int>(i)) + 8;
                const double y = cell * static_cast<double>(r) + 8;
                drawCell(context, payload.images[i], payload.snapshot.size.width, x, y);
                // The hot spot, as a small cross.
                const double hx = x + payload.snapshot.hotSpot.x * zoom;
                const double hy = y + payload.snapshot.hotSpot.y * zoom;
                cairo_set_source_rgb(context, 0, 1, 0);
                cairo_set_line_width(context, 1);
                cairo_move_to(context, hx - 4, hy);
                cairo_line_to(context, hx + 4, hy);
                cairo_move_to(context, hx, hy - 4);
                cairo_line_to(context, hx, hy + 4);
                cairo_stroke(context);
            }
        }
        // Each decorated image at its true pixel size too, for the real look.
        for (int hand = 0; hand < 2; ++hand) {
            CursorSnapshot input =
                hand == 1 ? CursorRenderer::mirrorSnapshot(kind.snapshot) : kind.snapshot;
            auto payload = CursorRenderer::decoratePayload(
                input, marker, kind.cursorTemplate, kind.flags.isHorizontalResize,
                kind.flags.isVerticalResize, kind.flags.isDiagonalResize, hand == 1);
            for (std::size_t i = 0; i < payload.images.size(); ++i) {
                auto png = Png::encode(payload.images[i]);
                auto name = kind.name + "-" + CursorStyle(rows[r].style).rawValue() + "-" +
                            rows[r].code + (rows[r].capsLock ? "-capslock" : "") +
                            (hand == 1 ? "-left" : "-right") + "@" + std::to_string(i + 1) +
                            "x.png";
                std::ofstream(folder / name, std::ios::binary)
                    .write(reinterpret_cast<const char*>(png->data()),
                           static_cast<std::streamsize>(png->size()));
            }
        }
    }
    auto image = std::move(*sheet).finish();
    auto png = Png::encode(*image);
    std::ofstream(folder / (kind.name + "-sheet.png"), std::ios::binary)
        .write(reinterpret_cast<const char*>(png->data()),
               static_cast<std::streamsize>(png->size()));
    return true;
}

// The 2x right-handed arrow of every row side by side, each pixel enlarged
// eight times: for judging the text and the outline.
void writeDetailSheet(const std::filesystem::path& folder, const Kind& kind,
                      const std::vector<Row>& rows) {
    const double detailZoom = 8;
    std::vector<Image> images;
    for (const Row& row : rows) {
        auto marker = row.marker();
        auto payload = CursorRenderer::decoratePayload(
            kind.snapshot, marker, kind.cursorTemplate, kind.flags.isHorizontalResize,
            kind.flags.isVerticalResize, kind.flags.isDiagonalResize, false);
        images.push_back(payload.images.back());
    }
    const double cellWidth = images[0].width() * detailZoom + 16;
    const double height = images[0].height() * detailZoom + 16;
    const double width = cellWidth * static_cast<double>(images.size());
    auto sheet = Canvas::make(static_cast<int>(width), static_cast<int>(height), width, height);
    cairo_t* context = sheet->context();
    cairo_set_source_rgb(context, 0.55, 0.6, 0.65);
    cairo_paint(context);
    for (std::size_t i = 0; i < images.size(); ++i) {
        cairo_save(context);
        cairo_translate(context, cellWidth * static_cast<double>(i) + 8, 8);
        cairo_scale(context, detailZoom, detailZoom);
        cairo_set_source_surface(context, images[i].surface(), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(context), CAIRO_FILTER_NEAREST);
        cairo_paint(context);
        cairo_restore(context);
    }
    auto png = Png::encode(*std::move(*sheet).finish());
    std::ofstream(folder / (kind.name + "-detail.png"), std::ios::binary)
        .write(reinterpret_cast<const char*>(png->data()),
               static_cast<std::streamsize>(png->size()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    // Logging off: the user's log file stays untouched.
    AppLog::configure({Environment(EnvironmentMap{{"TOLVANE_ENABLE_LOGS", "0"}}),
                       folder / "log-off.log", nullptr});
    // Caps Lock on right after off, to compare them.
    const std::vector<Row> rows = {
        {CursorStyle::letterBadge, "en"},      {CursorStyle::letterBadge, "en", true},
        {CursorStyle::letterBadge, "ru"},      {CursorStyle::letterBadge, "ru", true},
        {CursorStyle::letterBadge, "de"},      {CursorStyle::letterBadge, "de", true},
        {CursorStyle::letterBadge, "zh-hans"}, {CursorStyle::letterBadge, "zh-hans", true},
        {CursorStyle::letterBadge, "zh-hant"}, {CursorStyle::dotBadge, "en"},
        {CursorStyle::dotBadge, "en", true},   {CursorStyle::highContrast, "de"},
        {CursorStyle::highContrast, "ru"},     {CursorStyle::highContrast, "ru", true},
    };
    const std::vector<Kind> kinds = {
        {"arrow", artworkSnapshot(CursorShape::arrow), CursorTemplate::arrow, {}},
        {"ibeam", artworkSnapshot(CursorShape::iBeam), CursorTemplate::iBeam, {}},
        {"hand", artworkSnapshot(CursorShape::pointingHand), CursorTemplate::pointingHand, {}},
        {"resize-left-right",
         artworkSnapshot(CursorShape::resizeLeftRight),
         std::nullopt,
         {true, false, false, false}},
        {"resize-up-down",
         artworkSnapshot(CursorShape::resizeUpDown),
         std::nullopt,
         {false, true, false, false}},
        {"resize-diagonal",
         artworkSnapshot(CursorShape::resizeNorthWestSouthEast),
         std::nullopt,
         {false, false, true, false}},
    };
    for (const Kind& kind : kinds) {
        writeSheet(folder, kind, rows);
    }
    writeDetailSheet(folder, kinds[0], rows);
    return 0;
}
