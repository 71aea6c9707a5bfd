#pragma once

#include "platform/Geometry.h"

#include <string>

namespace tolvane {

// An editable one-line text field.
struct TextField {
    std::string stringValue;
    std::string placeholderString;
    Rect frame;
};

} // namespace tolvane
