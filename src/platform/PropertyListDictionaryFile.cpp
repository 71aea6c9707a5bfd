#include "platform/PropertyListDictionaryFile.h"

#include "platform/PropertyListSerialization.h"

namespace tolvane {

Result<PropertyList::Dictionary> PropertyListDictionaryFile::read() const {
    auto stored = PropertyListSerialization::readDictionaryFile(path_);
    if (!stored && stored.failure().isFileNotFound()) {
        return PropertyList::Dictionary{};
    }
    return stored;
}

Result<void>
PropertyListDictionaryFile::update(const std::function<bool(PropertyList::Dictionary&)>& change) {
    auto dictionary = read();
    if (!dictionary) {
        return Failure{"not overwriting unreadable " + path_.string() + " (" + dictionary.error() +
                           ")",
                       dictionary.failure().systemError};
    }
    if (!change(dictionary.value())) {
        return Result<void>::success();
    }
    return PropertyListSerialization::writeFileCreatingFolder(
        PropertyList(std::move(dictionary).value()), path_, PropertyListFormat::binary);
}

} // namespace tolvane
