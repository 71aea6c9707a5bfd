#include "server/WindowServer.h"

#include "server/SystemArtwork.h"
#include "systemcursors/SystemCursorTable.h"

namespace tolvane {

WindowServer& WindowServer::shared() {
    // Never destroyed: cursor calls may still arrive while the process exits.
    static WindowServer* server = new WindowServer();
    return *server;
}

WindowServer::WindowServer() {
    resetLocked(SystemArtwork::defaultRepresentationScales());
}

void WindowServer::resetLocked(const std::vector<double>& representationScales) {
    representationScales_ = representationScales;
    installSystemCursors();
    faults_.clear();
    journal_.clear();
    scale_ = 1.0f;
    hideCount_ = 0;
    dockOverride_ = false;
    displayedName_ = SystemCursorTable::numberedName(0);
    displayedByOtherApplication_ = true;
    displayed_ = {};
    if (CursorRecordPtr arrow = lookup(displayedName_, false)) {
        displayed_ = DisplayedImage::render(*arrow, scale_);
    }
    seed_ = 1;
}

const CursorRecordPtr& WindowServer::artwork(CursorShape shape) {
    // The artwork never changes, so it is drawn once per process and scales.
    CursorRecordPtr& slot = artwork_[representationScales_][static_cast<std::size_t>(shape)];
    if (!slot) {
        slot = SystemArtwork::make(shape, representationScales_);
    }
    return slot;
}

void WindowServer::installSystemCursors() {
    ++registryGeneration_;
    global_.clear();
    connection_.clear();
    for (const NumberedSystemCursor& cursor : SystemCursorTable::numbered()) {
        if (const CursorRecordPtr& record = artwork(cursor.shape)) {
            global_[SystemCursorTable::numberedName(cursor.number)] = record;
            global_[std::string(cursor.name)] = record;
        }
    }
    for (const NamedSystemCursor& cursor : SystemCursorTable::namedOnly()) {
        if (const CursorRecordPtr& record = artwork(cursor.shape)) {
            global_[std::string(cursor.name)] = record;
        }
    }
}

CursorRecordPtr WindowServer::lookup(std::string_view name, bool asConnection) const {
    if (asConnection) {
        if (auto found = connection_.find(name); found != connection_.end()) {
            return found->second;
        }
    }
    auto found = global_.find(name);
    return found == global_.end() ? nullptr : found->second;
}

TVWSStatus WindowServer::store(const char* name, CursorRecordPtr record, bool globally,
                               bool instantly, std::int32_t* outSeed) {
    (globally ? global_ : connection_)[name] = std::move(record);
    ++registryGeneration_;
    // Without "instantly" the screen keeps the old pixels until the cursor is
    // next set or drawn anew.
    if (instantly && displayedName_ == name) {
        redraw();
    }
    if (outSeed != nullptr) {
        *outSeed = seed_;
    }
    return 0;
}

void WindowServer::display(std::string name, bool byOtherApplication) {
    displayedName_ = std::move(name);
    displayedByOtherApplication_ = byOtherApplication;
    redraw();
}

void WindowServer::redraw() {
    CursorRecordPtr record = lookup(displayedName_, !displayedByOtherApplication_);
    if (!record) {
        // A cursor removed while on screen stays drawn as it was.
        return;
    }
    DisplayedImage next = DisplayedImage::render(*record, scale_);
    if (next.image && !next.looksLike(displayed_)) {
        displayed_ = std::move(next);
        seed_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(seed_) + 1u);
    }
}

TVWSStatus WindowServer::copyImages(const CursorRecordPtr& record, std::optional<Fault> fault,
                                    TVWSSize* outSize, TVWSPoint* outHotSpot,
                                    std::size_t* outFrameCount, double* outFrameDuration,
                                    TVWSArrayRef* outImages) const {
    if (record) {
        if (outSize != nullptr) {
            *outSize = record->size;
        }
        if (outHotSpot != nullptr) {
            *outHotSpot = record->hotSpot;
        }
        if (outFrameCount != nullptr) {
            *outFrameCount = record->frameCount;
        }
        if (outFrameDuration != nullptr) {
            *outFrameDuration = record->frameDuration;
        }
    }
    std::vector<TVWSObjectRef> values;
    ObjectHandle foreign;
    const TVWSFaultKind kind = fault ? fault->kind : TVWS_FAULT_NONE;
    if (kind == TVWS_FAULT_NO_ARRAY) {
        return 0;
    }
    if (kind == TVWS_FAULT_NON_IMAGE_ONLY || kind == TVWS_FAULT_NON_IMAGE_FIRST) {
        foreign = ObjectHandle::adopt(TVWSOpaqueObjectCreate());
        values.push_back(foreign.get());
    }
    if (record && (kind == TVWS_FAULT_NONE || kind == TVWS_FAULT_NON_IMAGE_FIRST)) {
        for (const ObjectHandle& image : record->images) {
            values.push_back(image.get());
        }
    }
    ObjectHandle array = ObjectHandle::adopt(TVWSArrayCreate(values.data(), values.size()));
    if (!array) {
        return TVWS_STATUS_FAILURE;
    }
    if (outImages != nullptr) {
        *outImages = array.handOver();
    }
    return 0;
}

} // namespace tolvane
