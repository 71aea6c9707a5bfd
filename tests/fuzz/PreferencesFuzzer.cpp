// The input is the bytes of the application's defaults file, read setting by
// setting and value by value as each type of reading does.
#include "app/CursorPreferences.h"
#include "fuzz/FuzzHome.h"
#include "platform/PropertyListSerialization.h"

#include <cstdlib>
#include <functional>

using namespace tolvane;

namespace {

// The defaults file held in memory and read afresh at every access with the
// file store's own reader. A write (a style moved from an older key) goes
// back as the file store writes it: binary, and never over unreadable bytes.
class DefaultsInMemory final : public DefaultsStore {
  public:
    explicit DefaultsInMemory(std::span<const std::uint8_t> bytes)
        : bytes_(bytes.begin(), bytes.end()) {}

    Result<PropertyList::Dictionary> dictionaryRepresentation() const override {
        return PropertyListSerialization::parseDictionary(bytes_);
    }
    Result<void> setObject(const std::string& key, const PropertyList& value) override {
        return update(
            [&](PropertyList::Dictionary& stored) { stored.insert_or_assign(key, value); });
    }
    Result<void> removeObject(const std::string& key) override {
        return update([&](PropertyList::Dictionary& stored) { stored.erase(key); });
    }

  private:
    Result<void> update(const std::function<void(PropertyList::Dictionary&)>& change) {
        auto stored = dictionaryRepresentation();
        if (!stored) {
            return stored.failure();
        }
        change(stored.value());
        auto written = PropertyListSerialization::serialize(PropertyList(std::move(stored).value()),
                                                            PropertyListFormat::binary);
        if (!written) {
            return written.failure();
        }
        bytes_ = std::move(written).value();
        return Result<void>::success();
    }

    std::vector<std::uint8_t> bytes_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    (void)fuzzing::FuzzHome::shared(); // for its silent log
    DefaultsInMemory defaults(fuzzing::bytes(data, size));

    const CursorPreferences preferences(defaults, false);
    (void)preferences.style();
    (void)preferences.isLeftHanded();
    const auto sourceID = preferences.primaryInputSourceID();
    const auto delay = preferences.primaryInputSourceReturnDelaySeconds();
    if ((sourceID && (sourceID->empty() || *sourceID != trimmedWhitespace(*sourceID))) ||
        delay < 0 || delay > CursorPreferences::maximumReturnDelaySeconds) {
        std::abort();
    }
    const auto stored = defaults.dictionaryRepresentation();
    for (const auto& [key, value] : stored ? stored.value() : PropertyList::Dictionary{}) {
        (void)DefaultsStore::stringReading(value);
        (void)DefaultsStore::booleanReading(value);
        (void)DefaultsStore::integerReading(value);
    }
    return 0;
}
