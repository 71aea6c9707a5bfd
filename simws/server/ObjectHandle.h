#pragma once

#include "runtime/WindowServerInterface.h"

#include <utility>

namespace tolvane {

// Owns one reference to a window-server object (image, array or other).
class ObjectHandle {
  public:
    ObjectHandle() = default;
    static ObjectHandle adopt(TVWSObjectRef object) { return ObjectHandle(object); }
    static ObjectHandle retain(TVWSObjectRef object) { return ObjectHandle(TVWSRetain(object)); }

    ObjectHandle(const ObjectHandle& other) : object_(TVWSRetain(other.object_)) {}
    ObjectHandle(ObjectHandle&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ObjectHandle& operator=(ObjectHandle other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~ObjectHandle() { TVWSRelease(object_); }

    TVWSObjectRef get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    // Gives the reference to the caller, who releases it.
    TVWSObjectRef handOver() { return std::exchange(object_, nullptr); }

  private:
    explicit ObjectHandle(TVWSObjectRef object) : object_(object) {}
    TVWSObjectRef object_ = nullptr;
};

} // namespace tolvane
