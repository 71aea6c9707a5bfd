#pragma once

#include "platform/PreferenceDomain.h"
#include "platform/PropertyListDictionaryFile.h"

#include <map>
#include <set>
#include <string>

namespace tolvane {

// Another application's preference domain in the simulated session, stored
// where the home platform keeps it: <home>/Library/Preferences/<name>.plist.
// Changes stay in this process until synchronize() writes them to the file.
// Tests can make synchronizing fail and put keys under a managed profile.
class SimPreferenceDomain final : public PreferenceDomain {
  public:
    SimPreferenceDomain(std::string name, std::filesystem::path plistPath)
        : name_(std::move(name)), file_(std::move(plistPath)) {}

    const std::string& name() const override { return name_; }
    std::optional<PropertyList> copyValue(const std::string& key) override;
    void setValue(const std::string& key, std::optional<PropertyList> value) override;
    Result<void> synchronize() override;

    const std::filesystem::path& plistPath() const { return file_.path(); }
    // synchronize() fails from now on, keeping the changes pending (or works again).
    void setSynchronizeFails(bool fails) { synchronizeFails_ = fails; }
    // A managed key keeps its stored value: setting or removing it does nothing.
    void setManaged(const std::string& key, bool managed = true);
    std::size_t pendingChangeCount() const { return pending_.size(); }

  private:
    std::string name_;
    PropertyListDictionaryFile file_;
    std::map<std::string, std::optional<PropertyList>> pending_;
    std::set<std::string> managedKeys_;
    bool synchronizeFails_ = false;
};

} // namespace tolvane
