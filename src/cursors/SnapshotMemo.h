#pragma once

#include "cursors/CursorPayload.h"
#include "cursors/CursorSnapshot.h"

#include <compare>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace tolvane {

// What a snapshot shows: its pixels (by where they are, since images are
// immutable and shared) and its geometry. The aliases of one system cursor
// snapshot the same pixels, so they share it.
struct SnapshotIdentity {
    std::vector<const unsigned char*> pixels;
    double width = 0;
    double height = 0;
    double hotSpotX = 0;
    double hotSpotY = 0;
    std::size_t frameCount = 0;
    double frameDuration = 0;

    explicit SnapshotIdentity(const CursorSnapshot& snapshot);
    auto operator<=>(const SnapshotIdentity&) const = default;
};

// Results made from snapshots, each made once per identity and kept with the
// snapshot it came from (whose pixels must stay where the identity says).
template <typename Extra, typename Result> class SnapshotMemo {
  public:
    const Result& get(const CursorSnapshot& source, const Extra& extra,
                      const std::function<Result()>& make) {
        Key key{SnapshotIdentity(source), extra};
        auto found = entries_.find(key);
        if (found == entries_.end()) {
            found = entries_.emplace(std::move(key), Entry{source, make()}).first;
        }
        return found->second.result;
    }
    void clear() { entries_.clear(); }

  private:
    struct Key {
        SnapshotIdentity identity;
        Extra extra;
        auto operator<=>(const Key&) const = default;
    };
    struct Entry {
        CursorSnapshot source; // keeps the pixels of the key alive
        Result result;
    };
    std::map<Key, Entry> entries_;
};

} // namespace tolvane
