#include "platform/x11/ZenityDialogs.h"

#include "log/AppLog.h"
#include "platform/PipedProcess.h"

#include <sstream>
#include <unistd.h>

namespace tolvane {

namespace {

// How often the loop looks again for a child that has closed its output but
// not yet ended.
constexpr double exitPollInterval = 0.05;

// The entry dialog's label takes mnemonics ("_") and backslash escapes.
std::string entryLabel(const std::string& text) {
    std::string escaped;
    for (char character : text) {
        if (character == '_' || character == '\\') {
            escaped += character;
        }
        escaped += character;
    }
    return escaped;
}

std::string messageKind(const Alert& alert) {
    if (alert.buttonTitles.size() >= 2) {
        return "--question";
    }
    switch (alert.style) {
    case AlertStyle::informational:
        return "--info";
    case AlertStyle::warning:
        return "--warning";
    case AlertStyle::critical:
        return "--error";
    }
    return "--info";
}

std::string firstLine(const std::string& output) {
    return output.substr(0, output.find('\n'));
}

} // namespace

ZenityDialogs::ZenityDialogs(std::shared_ptr<RunLoop> loop, Environment environment)
    : loop_(std::move(loop)), environment_(std::move(environment)) {}

std::vector<std::string> ZenityDialogs::arguments(const Alert& alert) {
    std::vector<std::string> arguments;
    if (alert.accessoryTextField) {
        arguments = {"--entry", "--title=" + alert.messageText,
                     "--text=" + entryLabel(alert.informativeText),
                     "--entry-text=" + alert.accessoryTextField->stringValue};
    } else {
        const std::string& text =
            alert.informativeText.empty() ? alert.messageText : alert.informativeText;
        arguments = {messageKind(alert), "--no-markup", "--title=" + alert.messageText,
                     "--text=" + text};
    }
    const auto& buttons = alert.buttonTitles;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const char* option = i == 0   ? "--ok-label="
                             : i == 1 ? "--cancel-label="
                                      : "--extra-button=";
        arguments.push_back(option + buttons[i]);
    }
    return arguments;
}

ModalResponse ZenityDialogs::response(Alert& alert, int status, const std::string& output) {
    if (status == 0) {
        if (alert.accessoryTextField) {
            alert.accessoryTextField->stringValue = firstLine(output);
        }
        return Alert::firstButtonReturn;
    }
    if (status == 1 && alert.buttonTitles.size() >= 2) {
        return Alert::secondButtonReturn;
    }
    if (status == escapeStatus) {
        const std::string label = firstLine(output);
        for (std::size_t i = 2; i < alert.buttonTitles.size(); ++i) {
            if (alert.buttonTitles[i] == label) {
                return Alert::firstButtonReturn + static_cast<ModalResponse>(i);
            }
        }
        return 0; // Escape or the window closed
    }
    AppLog::warn("Dialog program failed with status " + std::to_string(status) +
                 ", alert unanswered: " + alert.messageText);
    return 0;
}

std::optional<std::filesystem::path> ZenityDialogs::program() const {
    std::istringstream folders(environment_.value("PATH").value_or("/usr/bin:/bin"));
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::filesystem::path candidate =
            std::filesystem::path(folder.empty() ? "." : folder) / "zenity";
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error) &&
            access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::nullopt;
}

ModalResponse ZenityDialogs::run(Alert& alert, const std::function<bool()>& abandoned) {
    const ModalResponse cancel = alert.responseOfButton("Cancel").value_or(0);
    const auto zenity = program();
    if (!zenity) {
        if (!missingProgramReported_) {
            AppLog::warn("No dialog program: zenity is not on PATH, so alerts are not shown "
                         "and are answered Cancel");
            missingProgramReported_ = true;
        }
        return cancel;
    }
    EnvironmentMap environment = environment_.values();
    environment["ZENITY_ESC"] = std::to_string(escapeStatus);
    auto started = PipedProcess::start({*zenity, arguments(alert), environment});
    if (!started) {
        AppLog::warn("Dialog program could not be started, alert answered Cancel: " +
                     started.error());
        return cancel;
    }
    PipedProcess& child = *started.value();
    bool outputEnded = false;
    RunLoop::SourceID source = 0;
    source = loop_->addReadableSource(child.outputDescriptor(), [&] {
        if (outputEnded || !child.readOutput()) {
            return false;
        }
        outputEnded = true;
        loop_->removeReadableSource(source);
        return true;
    });
    std::optional<int> status;
    while (!(outputEnded && (status = child.exitStatus())) && !abandoned()) {
        loop_->runUntil(loop_->now() + exitPollInterval);
    }
    if (!outputEnded) {
        loop_->removeReadableSource(source);
    }
    if (!status) {
        child.kill();
        AppLog::info("Dialog closed unanswered at termination: " + alert.messageText);
        return 0;
    }
    return response(alert, *status, child.output());
}

} // namespace tolvane
