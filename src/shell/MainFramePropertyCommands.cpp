// The Options menu: the Website Properties and Layout Properties sheets, which edit
// thePageOption and theLayoutOption in place.
#include <QAction>

#include "CommandIds.h"
#include "MainFrame.h"

void CMainFrame::ConnectPropertyCommands() {
    using namespace CommandId;
    connect(Action(kWebsiteProperties), &QAction::triggered, this,
            &CMainFrame::OnWebsiteProperties);
    connect(Action(kLayoutProperties), &QAction::triggered, this, &CMainFrame::OnLayoutProperties);
}

// The sheets are not part of the window yet: both commands stay disabled, and their handlers
// have nothing to show.
void CMainFrame::UpdatePropertyActions() {
    using namespace CommandId;
    Action(kWebsiteProperties)->setEnabled(false);
    Action(kLayoutProperties)->setEnabled(false);
}

void CMainFrame::OnWebsiteProperties() {}

void CMainFrame::OnLayoutProperties() {}
