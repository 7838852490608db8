// The Options menu: the Website Properties and Layout Properties sheets. A sheet edits a copy of
// the document's options (Website Properties also of its settings of pictures and the publish
// address); whatever it leaves (after OK or Cancel alike) becomes the document's as one undo
// step.
#include <QAction>

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

void CMainFrame::OnWebsiteProperties() {
    FinishEditing();
    CPageOption option = document->PageOption();
    CPictureSettings pictures = document->Settings().pictures;
    CPublishSettings publish = document->Settings().publish;
    {
        COptionPageSheet sheet(
            option, pictures, windowIcon(), this, &publish,
            [this](const std::string& url) { return publishRunner.Test(this, url); });
        sheet.exec();
    }
    document->SetPageOption(option, pictures, publish);
    UpdateActions();
}

void CMainFrame::OnLayoutProperties() {
    FinishEditing();
    CLayoutOption option = document->LayoutOption();
    {
        COptionLayoutSheet sheet(option, windowIcon(), this);
        sheet.exec();
    }
    document->SetLayoutOption(option);
    UpdateActions();
}
