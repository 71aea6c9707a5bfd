#pragma once

#include "artwork/ArtworkPainter.h"

namespace tolvane {

// What sits beside the arrow's tail in the arrow family.
enum class ArrowBadge { none, contextMenu, alias, copy, notAllowed, help, poof, link, busy };

enum class HandPose { pointing, open, closed };

// The painters draw into a canvas of the size CursorArtwork::geometry gives
// for their shape; `frame` counts from 0 for animated shapes.
void paintArrow(const ArtworkPainter& painter, ArrowBadge badge, int frame, int frameCount);
void paintIBeam(const ArtworkPainter& painter, bool vertical);
// countingDots > 0 adds a row of that many dots to the palm (the counting hands).
void paintHand(const ArtworkPainter& painter, HandPose pose, int countingDots);
void paintCrosshair(const ArtworkPainter& painter);
void paintCell(const ArtworkPainter& painter);
void paintZoom(const ArtworkPainter& painter, bool zoomIn);
// A resize arrow centred in a width x height canvas, turned by `angle` radians
// from pointing left (start) and right (end).
void paintResizeArrow(const ArtworkPainter& painter, double width, double height, double angle,
                      bool headAtStart, bool headAtEnd);
// Two bars with arrows pointing away from them (column and row resizing).
void paintSplitResize(const ArtworkPainter& painter, double width, double height, double angle);
void paintMove(const ArtworkPainter& painter);
// A spinning wheel filling the canvas; the frame turns it.
void paintWait(const ArtworkPainter& painter, int frame, int frameCount);
// A small wheel, also used as the busy arrow's badge.
void paintSpinner(const ArtworkPainter& painter, double centerX, double centerY, double radius,
                  int frame, int frameCount);

} // namespace tolvane
