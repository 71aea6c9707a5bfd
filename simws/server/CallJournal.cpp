#include "server/CallJournal.h"

#include <cstdio>

namespace tolvane {

void CallArguments::label(std::string_view label) {
    if (!text_.empty()) {
        text_ += ' ';
    }
    text_ += label;
    text_ += '=';
}

CallArguments& CallArguments::name(std::string_view label, const char* value) {
    this->label(label);
    text_ += value != nullptr ? value : "(null)";
    return *this;
}

CallArguments& CallArguments::number(std::string_view label, long long value) {
    this->label(label);
    text_ += std::to_string(value);
    return *this;
}

CallArguments& CallArguments::real(std::string_view label, double value) {
    this->label(label);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    text_ += buffer;
    return *this;
}

void CallJournal::record(std::string_view symbol, const std::string& arguments) {
    auto found = counts_.find(symbol);
    if (found == counts_.end()) {
        counts_.emplace(std::string(symbol), 1);
    } else {
        ++found->second;
    }
    std::string line(symbol);
    if (!arguments.empty()) {
        line += ' ';
        line += arguments;
    }
    lines_.push_back(std::move(line));
    if (lines_.size() > maxLines) {
        lines_.pop_front();
    }
}

unsigned CallJournal::count(std::string_view symbol) const {
    auto found = counts_.find(symbol);
    return found == counts_.end() ? 0 : found->second;
}

std::string CallJournal::text() const {
    std::string text;
    for (const std::string& line : lines_) {
        text += line;
        text += '\n';
    }
    return text;
}

void CallJournal::clear() {
    counts_.clear();
    lines_.clear();
}

} // namespace tolvane
