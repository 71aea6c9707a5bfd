#pragma once

#include "platform/Environment.h"
#include "platform/RunLoop.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

// Xlib's own names, without its macros (None, Bool, Status...) for every includer.
typedef struct _XDisplay Display;
typedef union _XEvent XEvent;

namespace tolvane {

// The program's connection to the X server. Its descriptor is a readable
// source of the main run loop; after every wake-up the connection hands
// everything Xlib has queued to the filters registered for it: core events by
// their type, an extension's events by the extension's event base (all XKB
// events share it), XInput 2 events by the extension's major opcode. X errors
// outside an X11ErrorTrap are logged, never fatal. A broken connection, this
// one's or any other of the process's, is logged and ends the process with
// lostConnectionStatus. Main thread only.
class X11Display {
  public:
    static constexpr int lostConnectionStatus = 1;

    using Filter = std::function<void(XEvent& event)>;
    using FilterID = std::uint64_t;

    // The display named by DISPLAY; none, with a log line, when it does not answer.
    static std::unique_ptr<X11Display> open(const std::shared_ptr<RunLoop>& loop,
                                            const Environment& environment);
    ~X11Display();
    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;

    Display* get() const { return display_; }
    // The root window of the default screen.
    unsigned long root() const;
    const std::shared_ptr<RunLoop>& loop() const { return loop_; }

    // Events of one type: a core event type or an extension's event base.
    FilterID addFilter(int eventType, Filter filter);
    // Generic events (XInput 2) of the extension with this major opcode; the
    // event's cookie data is there while the filter runs.
    FilterID addGenericEventFilter(int extensionOpcode, Filter filter);
    void removeFilter(FilterID filter);

    // Adds to this client's event mask on the root window, keeping what it had.
    void selectRootEvents(long mask) const;
    // Reads and dispatches everything there is without blocking; whether
    // there was anything.
    bool dispatchPending();

  private:
    X11Display(Display* display, std::shared_ptr<RunLoop> loop);
    void dispatch(XEvent& event);

    struct Registered {
        int key;
        bool generic;
        Filter filter;
    };

    Display* display_;
    std::shared_ptr<RunLoop> loop_;
    RunLoop::SourceID source_ = 0;
    std::map<FilterID, Registered> filters_;
    FilterID nextFilter_ = 1;
};

} // namespace tolvane
