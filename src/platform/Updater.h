#pragma once

namespace tolvane {

// The application's software updates. An updater is started when it is made;
// from then on it can look for a newer version of the application and tell
// the user about one. Every call is made on the main thread and returns at
// once: what an updater finds it reports itself, through the user interface
// and its own records, and its failures are its own.
class Updater {
  public:
    virtual ~Updater() = default;

    // Whether the user wants the application to look for updates by itself.
    virtual bool automaticallyChecksForUpdates() const = 0;
    // Looks for a newer version without bothering the user unless there is one.
    virtual void checkForUpdatesInBackground() = 0;
    // The user asked: looks for a newer version and tells the user what came
    // of it: a newer version, none, or a failed check.
    virtual void checkForUpdates() = 0;
};

} // namespace tolvane
