#pragma once

#include <cstdint>
#include <string>
#include <systemd/sd-bus.h>
#include <vector>

namespace tolvane {

// Appends to an sd-bus message and keeps the first failure, so that a long
// nested value is written without a check after every call.
class BusMessageWriter {
  public:
    explicit BusMessageWriter(sd_bus_message* message) : message_(message) {}

    void open(char type, const char* contents) {
        step(sd_bus_message_open_container(message_, type, contents));
    }
    void close() { step(sd_bus_message_close_container(message_)); }
    void string(const std::string& value) {
        step(sd_bus_message_append_basic(message_, 's', value.c_str()));
    }
    void path(const char* value) { step(sd_bus_message_append_basic(message_, 'o', value)); }
    void int32(std::int32_t value) { step(sd_bus_message_append_basic(message_, 'i', &value)); }
    void uint32(std::uint32_t value) { step(sd_bus_message_append_basic(message_, 'u', &value)); }
    void boolean(bool value) {
        const int truth = value ? 1 : 0;
        step(sd_bus_message_append_basic(message_, 'b', &truth));
    }
    void bytes(const std::vector<std::uint8_t>& value) {
        step(sd_bus_message_append_array(message_, 'y', value.data(), value.size()));
    }
    // One entry of an a{sv} dictionary, its value written by `value`.
    template <typename Write>
    void entry(const std::string& name, const char* signature, Write value) {
        open('e', "sv");
        string(name);
        open('v', signature);
        value();
        close();
        close();
    }

    // Negative errno of the first failure, or 0.
    int result() const { return result_ < 0 ? result_ : 0; }

  private:
    void step(int result) {
        if (result_ >= 0) {
            result_ = result;
        }
    }

    sd_bus_message* message_;
    int result_ = 0;
};

} // namespace tolvane
