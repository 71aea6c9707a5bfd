// The status item and its menu.
#include "app/TolvaneTrayApp.h"

namespace tolvane {

void TolvaneTrayApp::setupTrayMenu() {
    statusItem_ = context_.statusBar.statusItem(StatusBar::variableLength);
    if (StatusItem::Button* button = statusItem_->button()) {
        button->setTitle("TV");
    }
}

} // namespace tolvane
