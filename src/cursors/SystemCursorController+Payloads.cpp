// The payload registered under each identifier: from a cape, from the
// identifier's baseline snapshot or from its template, decorated and mirrored
// as the apply asks; and one canonical arrow for arrow aliases whose own is weak.
#include "cursors/CursorIdentifier.h"
#include "cursors/ResizeDetection.h"
#include "cursors/SystemCursorController.h"
#include "log/AppLog.h"
#include "log/LogFormat.h"
#include "render/CursorRenderer.h"

namespace tolvane {

namespace {

const std::vector<std::string> canonicalArrowCandidates{"com.apple.coregraphics.GlobalCurrent",
                                                        "com.apple.coregraphics.ConnectionCurrent",
                                                        "com.apple.cursor.0",
                                                        "com.apple.coregraphics.Arrow",
                                                        "com.apple.cursor.100",
                                                        "com.apple.coregraphics.ArrowS",
                                                        "com.apple.cursor.6",
                                                        "com.apple.coregraphics.ArrowCtx"};

std::string describe(const std::string& identifier, const ResolvedPayload& payload) {
    return "identifier=" + identifier + " source=" + payload.source +
           " size=" + logformat::number(payload.snapshot.size.width) + "x" +
           logformat::number(payload.snapshot.size.height) +
           " images=" + std::to_string(payload.images.size());
}

ResolvedPayload resolved(DecoratedPayload payload, std::string source, std::string identifier) {
    return ResolvedPayload{std::move(payload), std::move(source), std::move(identifier)};
}

} // namespace

std::optional<ResolvedPayload>
SystemCursorController::resolveDirectPayload(const std::string& identifier,
                                             const PayloadRequest& request) const {
    if (!request.forceTemplatePayloads && request.useCapePayloads) {
        if (auto cape = request.capePayloads.find(identifier); cape != request.capePayloads.end()) {
            return resolved(cape->second, "cape", identifier);
        }
    }
    const std::optional<CursorTemplate> cursorTemplate = templateForIdentifier(identifier);
    if (auto baseline = snapshots_.find(identifier); baseline != snapshots_.end()) {
        const CursorSnapshot& snapshot = baseline->second;
        ResizeDetection resize;
        if (!cursorTemplate) {
            resize = detectResize(snapshot.size);
            if (resize.any()) {
                AppLog::info("resolveDirectPayload resize detection: " + identifier +
                             " size=" + logformat::number(snapshot.size.width) + "x" +
                             logformat::number(snapshot.size.height) +
                             " isH=" + logformat::boolean(resize.horizontal) +
                             " isV=" + logformat::boolean(resize.vertical) +
                             " isDiag=" + logformat::boolean(resize.diagonal));
            }
        }
        // A resize cursor points both ways already: it is never mirrored.
        const bool mirror = request.isLeftHanded && !resize.any();
        const DecorationChoice choice{cursorTemplate,  resize.horizontal,
                                      resize.vertical, resize.diagonal,
                                      mirror,          request.isLeftHanded};
        const DecoratedPayload& decorated = request.decorations.get(snapshot, choice, [&] {
            const CursorSnapshot& drawn =
                mirror ? mirroredSnapshots_.get(
                             snapshot, {}, [&] { return CursorRenderer::mirrorSnapshot(snapshot); })
                       : snapshot;
            return CursorRenderer::decoratePayload(drawn, request.marker, cursorTemplate,
                                                   resize.horizontal, resize.vertical,
                                                   resize.diagonal, request.isLeftHanded);
        });
        return resolved(decorated,
                        request.forceTemplatePayloads ? "snapshot-template-safe" : "snapshot",
                        identifier);
    }
    if (!cursorTemplate) {
        return std::nullopt;
    }
    std::vector<Image> images =
        CursorRenderer::fallbackImages(*cursorTemplate, std::nullopt, standardCursors_);
    std::optional<CursorSnapshot> snapshot = syntheticSnapshot(*cursorTemplate);
    if (images.empty() || !snapshot) {
        return std::nullopt;
    }
    snapshot->images = std::move(images);
    std::string source = "template";
    if (request.isLeftHanded) {
        snapshot = CursorRenderer::mirrorSnapshot(*snapshot);
        source = "template-lefty";
    }
    return resolved(CursorRenderer::decoratePayload(*snapshot, request.marker, cursorTemplate,
                                                    false, false, false, request.isLeftHanded),
                    std::move(source), identifier);
}

std::optional<ResolvedPayload>
SystemCursorController::resolveCanonicalArrowPayload(const PayloadRequest& request) const {
    std::vector<std::string> candidates = canonicalArrowCandidates;
    const auto& arrows = identifiers(CursorRole::arrow);
    candidates.insert(candidates.end(), arrows.begin(), arrows.end());
    std::optional<ResolvedPayload> fallback;
    for (const std::string& candidate : deduplicated(candidates)) {
        std::optional<ResolvedPayload> payload = resolveDirectPayload(candidate, request);
        if (!payload) {
            continue;
        }
        if (payload->isStrong()) {
            AppLog::info("Canonical arrow payload selected " + describe(candidate, *payload));
            return payload;
        }
        AppLog::warn("Rejected weak arrow payload " + describe(candidate, *payload));
        if (!fallback) {
            fallback = std::move(payload);
        }
    }
    if (fallback) {
        AppLog::warn("Using fallback arrow payload " +
                     describe(fallback->sourceIdentifier, *fallback));
    }
    return fallback;
}

std::optional<CursorSnapshot>
SystemCursorController::syntheticSnapshot(CursorTemplate cursorTemplate) const {
    std::optional<CursorSnapshot> snapshot = standardCursorSnapshot(cursorTemplate);
    if (snapshot) {
        snapshot->images.clear();
    }
    return snapshot;
}

} // namespace tolvane
