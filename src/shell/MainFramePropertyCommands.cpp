// The Options menu: the Website Properties and Layout Properties sheets. A sheet edits a copy of
// the document's options (Website Properties also of its settings of pictures and the publish
// address); whatever it leaves (after OK or Cancel alike) becomes the document's as one undo
// step.
#include <QAction>
#include <QApplication>
#include <QPointer>

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
    const QPointer<QWidget> focused = QApplication::focusWidget();
    CPageOption option = document->PageOption();
    CPictureSettings pictures = document->Settings().pictures;
    CPageSettings pages = document->Settings().pages;
    CPublishSettings publish = document->Settings().publish;
    {
        COptionPageSheet sheet(option, pictures, pages, windowIcon(), this, &publish,
                               PublishConnectionTester{[this](const std::string& url) {
                                                           return publishRunner.Test(this, url);
                                                       },
                                                       &CPublishRunner::KnownFingerprint});
        sheet.exec();
    }
    document->SetPageOption(option, pictures, pages, publish);
    UpdateActions();
    ReturnFocus(focused);
}

void CMainFrame::OnLayoutProperties() {
    FinishEditing();
    const QPointer<QWidget> focused = QApplication::focusWidget();
    CLayoutOption option = document->LayoutOption();
    {
        COptionLayoutSheet sheet(option, windowIcon(), this);
        sheet.exec();
    }
    document->SetLayoutOption(option);
    ReturnFocus(focused);
}
