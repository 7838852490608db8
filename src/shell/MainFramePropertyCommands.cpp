// The Options menu: the Website Properties and Layout Properties sheets, which edit
// thePageOption and theLayoutOption in place.
#include <QAction>

#include "AppOptions.h"
#include "CommandIds.h"
#include "MainFrame.h"
#include "OptionLayoutSheet.h"
#include "OptionPageSheet.h"

void CMainFrame::ConnectPropertyCommands() {
    using namespace CommandId;
    connect(Action(kWebsiteProperties), &QAction::triggered, this,
            &CMainFrame::OnWebsiteProperties);
    connect(Action(kLayoutProperties), &QAction::triggered, this, &CMainFrame::OnLayoutProperties);
}

void CMainFrame::UpdatePropertyActions() {
    using namespace CommandId;
    Action(kWebsiteProperties)->setEnabled(true);
    Action(kLayoutProperties)->setEnabled(true);
}

// A property change is a change of the project: closing must offer to save it and Preview must
// export again.
void CMainFrame::OnWebsiteProperties() {
    COptionPageSheet sheet(thePageOption, windowIcon(), this);
    connect(&sheet, &COptionSheet::changed, this, [this] { tree->SetModified(true); });
    sheet.exec();
    UpdateActions();
}

void CMainFrame::OnLayoutProperties() {
    COptionLayoutSheet sheet(theLayoutOption, windowIcon(), this);
    connect(&sheet, &COptionSheet::changed, this, [this] { tree->SetModified(true); });
    sheet.exec();
    UpdateActions();
}
