#include "capes/CursorCapeStore.h"

#include "cursors/Fnv1a.h"
#include "log/AppLog.h"
#include "platform/AsciiCase.h"
#include "platform/FileIO.h"
#include "platform/PropertyListSerialization.h"

#include <cerrno>
#include <cmath>
#include <limits>
#include <system_error>
#include <xxhash.h>

namespace tolvane {
namespace {

constexpr std::int64_t payloadVersion = 5;
constexpr std::string_view allowedCharacters = "abcdefghijklmnopqrstuvwxyz0123456789._-";
// Root, "Cursors", a cursor, "Representations": anything deeper is not a cape.
constexpr int maxCapeDepth = 8;

std::string capeIdentifier(const std::string& language, const std::string& style) {
    return "com.tolvane." + language + "." + style;
}

// What a save writes, as one digest: every cursor's geometry and the pixels
// of its images, so that an unchanged set is found without encoding it.
std::uint64_t contentHash(const CursorCapeStore::CursorSet& cursors) {
    XXH3_state_t* state = XXH3_createState();
    if (state == nullptr) {
        return 0; // never equal to a saved digest of a real set, so the cape is written
    }
    XXH3_64bits_reset(state);
    const auto add = [&](const auto& value) { XXH3_64bits_update(state, &value, sizeof value); };
    for (const auto& [identifier, payload] : cursors) {
        XXH3_64bits_update(state, identifier.data(), identifier.size() + 1);
        const CursorSnapshot& snapshot = payload.snapshot;
        add(snapshot.size.width);
        add(snapshot.size.height);
        add(snapshot.hotSpot.x);
        add(snapshot.hotSpot.y);
        add(snapshot.frameCount);
        add(snapshot.frameDuration);
        add(payload.images.size());
        for (const Image& image : payload.images) {
            const int width = image.width();
            add(width);
            add(image.height());
            for (int row = 0; row < image.height(); ++row) {
                XXH3_64bits_update(state, image.bytes() + row * image.bytesPerRow(),
                                   static_cast<std::size_t>(width) * 4);
            }
        }
    }
    const std::uint64_t hash = XXH3_64bits_digest(state);
    XXH3_freeState(state);
    return hash;
}

bool fileExists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

} // namespace

CursorCapeStore& CursorCapeStore::shared(const UserFolders& folders) {
    static CursorCapeStore* store = new CursorCapeStore(folders); // never released
    return *store;
}

CursorCapeStore::CursorCapeStore(const UserFolders& folders, CapeLimits limits,
                                 std::shared_ptr<SerialQueue> queue)
    : limits_(limits),
      queue_(queue ? std::move(queue) : std::make_shared<SerialQueue>("com.tolvane.cape.store")) {
    auto applicationFiles = folders.applicationFilesDirectory();
    if (!applicationFiles) {
        AppLog::error("CursorCapeStore init failed: Application Support directory unavailable");
        return;
    }
    const std::filesystem::path directory = *applicationFiles / "capes";
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error || !std::filesystem::is_directory(directory)) {
        if (!error) {
            error = std::make_error_code(std::errc::not_a_directory);
        }
        AppLog::error("CursorCapeStore init failed: unable to create directory " +
                      directory.string() + " error=" + error.message());
        return;
    }
    capesDirectory_ = directory;
    AppLog::info("CursorCapeStore directory ready: " + directory.string());
}

CursorCapeStore::~CursorCapeStore() {
    waitForSaves();
}

std::string CursorCapeStore::capeStyleCode(const std::string& styleCode, bool capsLock) {
    return capsLock ? styleCode + "-capslock" : styleCode;
}

std::string CursorCapeStore::sanitizeComponent(const std::string& component) {
    // Every byte of a multi-byte character is outside the allowed set, and a
    // run of those becomes one "-", so bytes serve as well as characters here.
    std::string result;
    bool lastWasDash = false;
    for (char byte : component) {
        char lowered = (byte >= 'A' && byte <= 'Z') ? static_cast<char>(byte - 'A' + 'a') : byte;
        if (allowedCharacters.find(lowered) != std::string_view::npos) {
            result += lowered;
            lastWasDash = false;
        } else {
            if (!lastWasDash) {
                result += '-';
            }
            lastWasDash = true;
        }
    }
    const auto first = result.find_first_not_of('-');
    if (first == std::string::npos) {
        return "unknown";
    }
    return result.substr(first, result.find_last_not_of('-') - first + 1);
}

PropertyList::Dictionary CursorCapeStore::buildCapeDictionary(const CursorSet& cursors) {
    PropertyList::Dictionary dictionary;
    for (const auto& [identifier, payload] : cursors) {
        PropertyList::Array frames;
        for (const Image& image : payload.images) {
            if (auto png = Png::encode(image)) {
                frames.emplace_back(std::move(*png));
            }
        }
        if (frames.empty()) {
            continue;
        }
        const CursorSnapshot& snapshot = payload.snapshot;
        const std::size_t frameCount =
            snapshot.frameCount > 0 ? snapshot.frameCount : frames.size();
        dictionary.emplace(identifier, PropertyList::Dictionary{
                                           {"FrameCount", static_cast<std::int64_t>(frameCount)},
                                           {"FrameDuration", snapshot.frameDuration},
                                           {"HotSpotX", snapshot.hotSpot.x},
                                           {"HotSpotY", snapshot.hotSpot.y},
                                           {"PointsWide", snapshot.size.width},
                                           {"PointsHigh", snapshot.size.height},
                                           {"Representations", std::move(frames)},
                                       });
    }
    return dictionary;
}

std::optional<std::filesystem::path> CursorCapeStore::capeFile(const std::string& languageCode,
                                                               const std::string& styleCode) const {
    if (!capesDirectory_) {
        return std::nullopt;
    }
    return *capesDirectory_ / (capeIdentifier(sanitizeComponent(lowercasedASCII(languageCode)),
                                              sanitizeComponent(lowercasedASCII(styleCode))) +
                               ".cape");
}

void CursorCapeStore::saveCape(const std::string& languageCode, const std::string& styleCode,
                               const CursorSet& cursors) {
    if (cursors.empty()) {
        AppLog::warn("CursorCapeStore save skipped: empty cursors payload");
        return;
    }
    if (!capesDirectory_) {
        AppLog::error("CursorCapeStore save failed: capes directory unavailable");
        return;
    }
    PendingSave save{sanitizeComponent(lowercasedASCII(languageCode)),
                     sanitizeComponent(lowercasedASCII(styleCode)), cursors};
    std::string capeKey = save.language + "|" + save.style;
    bool scheduled = false;
    {
        std::lock_guard lock(pendingMutex_);
        scheduled = !pendingSaves_.insert_or_assign(capeKey, std::move(save)).second;
    }
    if (!scheduled) {
        queue_->async([this, capeKey = std::move(capeKey)] { runPendingSave(capeKey); });
    }
}

void CursorCapeStore::waitForSaves() {
    queue_->drain();
}

void CursorCapeStore::runPendingSave(const std::string& capeKey) {
    std::optional<PendingSave> save;
    {
        std::lock_guard lock(pendingMutex_);
        if (auto entry = pendingSaves_.find(capeKey); entry != pendingSaves_.end()) {
            save = std::move(entry->second);
            pendingSaves_.erase(entry);
        }
    }
    if (save) {
        write(*save);
    }
}

void CursorCapeStore::write(const PendingSave& save) {
    const std::string identifier = capeIdentifier(save.language, save.style);
    const std::filesystem::path file = *capesDirectory_ / (identifier + ".cape");
    const std::string hashKey = save.language + "|" + save.style;
    const std::uint64_t hash = contentHash(save.cursors);
    auto previous = lastSavedHashes_.find(hashKey);
    if (previous != lastSavedHashes_.end() && previous->second == hash && fileExists(file)) {
        AppLog::debug("CursorCapeStore save skipped: unchanged cape " + identifier);
        return;
    }
    PropertyList::Dictionary cursorDictionary = buildCapeDictionary(save.cursors);
    if (cursorDictionary.empty()) {
        AppLog::warn("CursorCapeStore save skipped: no serializable cursor frames");
        return;
    }
    const std::size_t cursorCount = cursorDictionary.size();
    const PropertyList root(PropertyList::Dictionary{
        {"MinimumVersion", 2.0},
        {"Version", 2.0},
        {"Cursors", std::move(cursorDictionary)},
        {"Author", "Tolvane"},
        {"Cloud", false},
        {"HiDPI", true},
        {"Identifier", identifier},
        {"CapeName", "Tolvane " + uppercasedASCII(save.language) + " " + save.style},
        {"CapeVersion", 1.0},
        {"TolvanePayloadVersion", payloadVersion},
        {"TolvaneLanguageCode", save.language},
        {"TolvaneStyleCode", save.style},
    });
    auto bytes = PropertyListSerialization::serialize(root, PropertyListFormat::binary);
    if (!bytes) {
        AppLog::error("CursorCapeStore save failed: property list serialization error");
        return;
    }
    auto written = atomicWrite(file, *bytes);
    if (!written) {
        AppLog::error("CursorCapeStore save failed: path=" + file.string() +
                      " error=" + written.error());
        return;
    }
    lastSavedHashes_[hashKey] = hash;
    AppLog::info("CursorCapeStore saved " + file.string() +
                 " cursors=" + std::to_string(cursorCount) +
                 " bytes=" + std::to_string(bytes->size()) + " hash=" + hexDigest(hash));
}

std::optional<CursorCapeStore::CursorSet> CursorCapeStore::loadCape(const std::string& languageCode,
                                                                    const std::string& styleCode,
                                                                    Frames frames) {
    const auto file = capeFile(languageCode, styleCode);
    if (!file) {
        AppLog::error("CursorCapeStore load failed: capes directory unavailable");
        return std::nullopt;
    }
    if (!fileExists(*file)) {
        AppLog::info("CursorCapeStore load skipped: cape missing " + file->filename().string());
        return std::nullopt;
    }
    auto bytes = readFileContents(*file, limits_.maxFileBytes);
    if (!bytes) {
        if (bytes.failure().systemError == EFBIG) {
            return refuseOverLimits(*file, bytes.error());
        }
        AppLog::error("CursorCapeStore load failed: unreadable file " + file->string());
        return std::nullopt;
    }
    return readCape(*bytes, languageCode, styleCode, frames, *file);
}

std::optional<CursorCapeStore::CursorSet>
CursorCapeStore::readCape(std::span<const std::uint8_t> bytes, const std::string& languageCode,
                          const std::string& styleCode, Frames frames,
                          const std::filesystem::path& file) const {
    PropertyListLimits plistLimits;
    plistLimits.maxBytes = limits_.maxFileBytes;
    plistLimits.maxDepth = maxCapeDepth;
    auto root = PropertyListSerialization::parse(bytes, plistLimits);
    const PropertyList::Dictionary* rootDictionary = root ? root->dictionaryValue() : nullptr;
    const PropertyList* cursorsValue = root ? root->find("Cursors") : nullptr;
    const PropertyList::Dictionary* cursors =
        cursorsValue ? cursorsValue->dictionaryValue() : nullptr;
    if (!rootDictionary || rootDictionary->empty() || !cursors) {
        AppLog::error("CursorCapeStore load failed: malformed plist " + file.string());
        return std::nullopt;
    }
    if (!isCompatible(*root, sanitizeComponent(lowercasedASCII(languageCode)),
                      sanitizeComponent(lowercasedASCII(styleCode)))) {
        AppLog::warn("CursorCapeStore load skipped: incompatible metadata " +
                     file.filename().string());
        return std::nullopt;
    }
    if (cursors->size() > limits_.maxCursors) {
        return refuseOverLimits(file, std::to_string(cursors->size()) + " cursors");
    }

    CursorSet result;
    std::uint64_t totalPixels = 0;
    for (const auto& [identifier, value] : *cursors) {
        auto payload = readCursor(identifier, value, frames, totalPixels);
        if (!payload) {
            return refuseOverLimits(file, payload.error());
        }
        if (*payload) {
            result.emplace(identifier, std::move(*payload.value()));
        }
    }

    if (result.empty()) {
        AppLog::warn("CursorCapeStore load result empty: " + file.string());
        return std::nullopt;
    }
    AppLog::info("CursorCapeStore loaded " + file.string() + " cursors=" +
                 std::to_string(result.size()) + " bytes=" + std::to_string(bytes.size()));
    return result;
}

std::nullopt_t CursorCapeStore::refuseOverLimits(const std::filesystem::path& file,
                                                 const std::string& reason) {
    AppLog::error("CursorCapeStore load failed: cape exceeds limits " + file.string() +
                  " reason=" + reason);
    return std::nullopt;
}

Result<std::optional<CursorPayload>> CursorCapeStore::readCursor(const std::string& identifier,
                                                                 const PropertyList& value,
                                                                 Frames frames,
                                                                 std::uint64_t& totalPixels) const {
    const PropertyList::Dictionary* entry = value.dictionaryValue();
    const PropertyList* representations = value.find("Representations");
    if (!entry || entry->empty() || !representations || !representations->arrayValue() ||
        representations->arrayValue()->empty()) {
        return std::optional<CursorPayload>();
    }
    if (representations->arrayValue()->size() > limits_.maxFramesPerCursor) {
        return Failure{std::to_string(representations->arrayValue()->size()) + " frames for " +
                       identifier};
    }
    // The limits judge what the file claims, the frame count and the header
    // of every frame, in both ways of loading, so that a cape over a limit is
    // refused whether or not its pixels are decoded.
    const auto claimedFrameCount = uintValue(value.find("FrameCount"));
    if (claimedFrameCount && *claimedFrameCount > limits_.maxFramesPerCursor) {
        return Failure{"frame count " + std::to_string(*claimedFrameCount) + " for " + identifier};
    }
    std::vector<Image> images;
    std::optional<CursorSize> firstFrameSize;
    std::size_t usableFrames = 0;
    for (const PropertyList& element : *representations->arrayValue()) {
        const PropertyList::Data* data = element.dataValue();
        if (!data) {
            continue;
        }
        const Png::Header header = Png::readHeader(*data, limits_.frame);
        if (header.tooLarge) {
            return Failure{"frame of " + identifier + ": " + header.failure};
        }
        if (!header.failure.empty()) {
            continue;
        }
        totalPixels += std::uint64_t{header.width} * header.height;
        if (totalPixels > limits_.maxTotalPixels) {
            return Failure{"more than " + std::to_string(limits_.maxTotalPixels) + " pixels"};
        }
        if (frames == Frames::decoded) {
            // Only decoding finds the damage behind a sound header.
            auto decoded = Png::decode(*data, limits_.frame);
            if (!decoded.image) {
                continue;
            }
            images.push_back(std::move(*decoded.image));
        }
        if (!firstFrameSize) {
            firstFrameSize =
                CursorSize{static_cast<double>(header.width), static_cast<double>(header.height)};
        }
        ++usableFrames;
    }
    if (usableFrames == 0) {
        return std::optional<CursorPayload>();
    }
    const auto frameCount = claimedFrameCount.value_or(usableFrames);
    CursorSnapshot snapshot;
    snapshot.size = {cgFloatValue(value.find("PointsWide")).value_or(firstFrameSize->width),
                     cgFloatValue(value.find("PointsHigh")).value_or(firstFrameSize->height)};
    snapshot.hotSpot = {cgFloatValue(value.find("HotSpotX")).value_or(0),
                        cgFloatValue(value.find("HotSpotY")).value_or(0)};
    snapshot.frameCount = static_cast<std::size_t>(frameCount);
    snapshot.frameDuration = cgFloatValue(value.find("FrameDuration")).value_or(0);
    snapshot.images = images;
    return std::optional<CursorPayload>(CursorPayload{std::move(snapshot), std::move(images)});
}

void CursorCapeStore::removeAllCapes() {
    {
        std::lock_guard lock(pendingMutex_);
        pendingSaves_.clear();
    }
    queue_->sync([&] {
        if (!capesDirectory_) {
            return;
        }
        std::error_code error;
        std::filesystem::directory_iterator entries(*capesDirectory_, error);
        if (error) {
            return;
        }
        std::size_t removed = 0;
        for (const auto& entry : entries) {
            if (entry.path().extension() == ".cape") {
                std::error_code ignored;
                std::filesystem::remove(entry.path(), ignored);
                ++removed;
            }
        }
        lastSavedHashes_.clear();
        AppLog::info("CursorCapeStore removed " + std::to_string(removed) + " cached cape files");
    });
}

bool CursorCapeStore::isCompatible(const PropertyList& root, const std::string& languageCode,
                                   const std::string& styleCode) {
    if (uintValue(root.find("TolvanePayloadVersion")) !=
        static_cast<std::uint64_t>(payloadVersion)) {
        return false;
    }
    const std::string* language = root.find("TolvaneLanguageCode")
                                      ? root.find("TolvaneLanguageCode")->stringValue()
                                      : nullptr;
    if (!language || lowercasedASCII(*language) != languageCode) {
        return false;
    }
    const std::string* style =
        root.find("TolvaneStyleCode") ? root.find("TolvaneStyleCode")->stringValue() : nullptr;
    return style && lowercasedASCII(*style) == styleCode;
}

std::optional<std::uint64_t> CursorCapeStore::uintValue(const PropertyList* value) {
    if (!value) {
        return std::nullopt;
    }
    if (auto integer = value->integerValue()) {
        return *integer < 0 ? 0 : static_cast<std::uint64_t>(*integer);
    }
    if (auto real = value->realValue()) {
        if (!std::isfinite(*real)) {
            return std::nullopt;
        }
        if (*real <= 0) {
            return 0;
        }
        // Saturates instead of overflowing; the frame limit refuses it anyway.
        if (*real >= 18446744073709551615.0) {
            return std::numeric_limits<std::uint64_t>::max();
        }
        return static_cast<std::uint64_t>(*real);
    }
    return std::nullopt;
}

std::optional<double> CursorCapeStore::cgFloatValue(const PropertyList* value) {
    if (!value) {
        return std::nullopt;
    }
    if (auto real = value->realValue()) {
        // Not-a-number and infinities are no usable size or position.
        return std::isfinite(*real) ? std::optional<double>(*real) : std::nullopt;
    }
    if (auto integer = value->integerValue()) {
        return static_cast<double>(*integer);
    }
    return std::nullopt;
}

} // namespace tolvane
