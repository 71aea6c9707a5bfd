#pragma once

#include "CursorFrames.h"

#include "XHeaders.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// A cursor's frames uploaded once as Render pictures, from which a cursor is
// made for every name it is installed under. The pictures, not cursor ids, are
// what we keep: installing by name rewrites every cursor carrying the name,
// ours included.
class UploadedCursor {
  public:
    // Null when a picture cannot be made.
    static std::shared_ptr<const UploadedCursor> upload(Display* display,
                                                        std::shared_ptr<const CursorFrames> frames);
    ~UploadedCursor();
    UploadedCursor(const UploadedCursor&) = delete;
    UploadedCursor& operator=(const UploadedCursor&) = delete;

    const CursorFrames& frames() const { return *frames_; }
    // Every cursor of every client carrying one of the names shows these
    // frames, and keeps its name. False when the server refused any of them.
    bool install(std::span<const std::string_view> names) const;

  private:
    UploadedCursor(Display* display, std::shared_ptr<const CursorFrames> frames)
        : display_(display), frames_(std::move(frames)) {}
    Cursor makeCursor() const;

    Display* display_;
    std::shared_ptr<const CursorFrames> frames_;
    std::vector<Picture> pictures_;
};

} // namespace tolvane
