#pragma once

#include "cursors/CursorPayload.h"
#include "platform/Png.h"
#include "platform/PropertyList.h"
#include "platform/Result.h"
#include "platform/SerialQueue.h"
#include "platform/UserFolders.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>

namespace tolvane {

// What a cape read from disk may cost. Cape files are untrusted: a file over
// any limit is refused as a whole. Each limit is several times what a save
// of the whole system cursor set writes: 45 cursors, 296 images of at most
// 32 per cursor and 280 x 430 pixels, 28 million pixels, 3.6 MB of file.
struct CapeLimits {
    std::size_t maxFileBytes = 64u * 1024u * 1024u;
    std::size_t maxCursors = 1024;
    // Images per cursor, and the largest frame count a cursor may claim.
    std::size_t maxFramesPerCursor = 256;
    PngLimits frame{4096, 4096, 4096ull * 4096ull};
    // Decoded pixels of all frames together (4 bytes each).
    std::uint64_t maxTotalPixels = 128ull * 1024ull * 1024ull;
};

// The on-disk cache of finished cursor sets ("capes"): one binary property
// list per language and style under Application Support/Tolvane/capes, each
// holding every registered cursor's frames as PNG with its geometry.
// Writes, the unchanged check and clearing run on a serial queue; loading runs
// on the caller's thread.
class CursorCapeStore {
  public:
    using CursorSet = CursorPayloadMap;

    // The process-wide store, created by the first call with that call's folders.
    static CursorCapeStore& shared(const UserFolders& folders);

    // Makes the capes folder; without Application Support or when the folder
    // cannot be made, every save and load fails and clearing does nothing.
    // Writes run on `queue`, or on a queue of the store's own.
    explicit CursorCapeStore(const UserFolders& folders, CapeLimits limits = {},
                             std::shared_ptr<SerialQueue> queue = nullptr);
    // Finishes the saves asked for.
    ~CursorCapeStore();
    CursorCapeStore(const CursorCapeStore&) = delete;
    CursorCapeStore& operator=(const CursorCapeStore&) = delete;

    // Writes the cape on the store's queue, after the caller has gone on: the
    // images are shared, not copied. A save that has not started yet gives
    // way to the next one for the same language and style, so that quick
    // switches keep at most one set per cape waiting. Nothing is written when
    // this store wrote the same cursors (geometry and pixels) to a file that
    // still exists. Encodes each payload's `images` (not its snapshot's).
    void saveCape(const std::string& languageCode, const std::string& styleCode,
                  const CursorSet& cursors);
    // Waits until every save asked for so far has finished.
    void waitForSaves();
    // Where the cape of a language and style is kept; nothing without a capes folder.
    std::optional<std::filesystem::path> capeFile(const std::string& languageCode,
                                                  const std::string& styleCode) const;
    // How much of a cape's frames a load reads.
    enum class Frames {
        decoded,        // both image lists of every payload are the decoded frames
        headersChecked, // only the frames' PNG headers are read and checked; the
                        // payloads carry geometry and no images, for a caller that
                        // needs to know which cursors a cape holds and not their pixels
    };
    std::optional<CursorSet> loadCape(const std::string& languageCode, const std::string& styleCode,
                                      Frames frames = Frames::decoded);
    // The cape of a language and style from the bytes of its file, which the
    // log names: what loadCape does once it has read the file.
    std::optional<CursorSet> readCape(std::span<const std::uint8_t> bytes,
                                      const std::string& languageCode, const std::string& styleCode,
                                      Frames frames, const std::filesystem::path& file) const;
    // The style part of a cape's key. Each Caps Lock state keeps its own
    // capes, so that toggling it rewrites nothing; the unlocked state keeps
    // the plain style code, and with it the capes written before Caps Lock
    // was shown.
    static std::string capeStyleCode(const std::string& styleCode, bool capsLock);
    // Deletes every cape file, drops the saves waiting to start and forgets what was saved.
    void removeAllCapes();

    const std::optional<std::filesystem::path>& capesDirectory() const { return capesDirectory_; }

    // A code made safe for a file name: lower case, letters, digits and "._-",
    // each run of anything else one "-", no "-" at either end, "unknown" when empty.
    static std::string sanitizeComponent(const std::string& component);

  private:
    struct PendingSave {
        std::string language;
        std::string style;
        CursorSet cursors;
    };

    // On the queue: writes the save of that cape waiting to start, if there is one.
    void runPendingSave(const std::string& capeKey);
    void write(const PendingSave& save);
    // The "Cursors" dictionary of a save: cursors without an encodable image are left out.
    static PropertyList::Dictionary buildCapeDictionary(const CursorSet& cursors);
    // Logs why a cape is refused as a whole.
    static std::nullopt_t refuseOverLimits(const std::filesystem::path& file,
                                           const std::string& reason);
    static bool isCompatible(const PropertyList& root, const std::string& languageCode,
                             const std::string& styleCode);
    // One entry of "Cursors": nothing when it has no usable frame, a failure
    // when it breaks a limit. Adds its decoded pixels to totalPixels.
    Result<std::optional<CursorPayload>> readCursor(const std::string& identifier,
                                                    const PropertyList& value, Frames frames,
                                                    std::uint64_t& totalPixels) const;
    static std::optional<std::uint64_t> uintValue(const PropertyList* value);
    static std::optional<double> cgFloatValue(const PropertyList* value);

    std::optional<std::filesystem::path> capesDirectory_;
    std::map<std::string, std::uint64_t> lastSavedHashes_; // only touched on queue_
    std::mutex pendingMutex_;
    // Saves asked for and not started, by "language|style"; guarded by pendingMutex_.
    std::map<std::string, PendingSave> pendingSaves_;
    CapeLimits limits_;
    std::shared_ptr<SerialQueue> queue_;
};

} // namespace tolvane
