// Site > "Publish...": the export brought up to date, then what changed put on the web host at
// the address of the Publish page, with a progress dialog; what failed is told at the end.
#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QStatusBar>
#include <filesystem>
#include <system_error>

#include "CommandIds.h"
#include "Desktop.h"
#include "ExportLocation.h"
#include "MainFrame.h"
#include "ModelText.h"

namespace {

QString Text(const std::string& text) {
    return TextFromBytes(text);
}

QString FailureList(const PublishResult& result) {
    QString list;
    constexpr int kShown = 20;
    int shown = 0;
    for (const PublishFailure& failure : result.failures) {
        if (++shown > kShown) {
            list += CMainFrame::tr("\n... and %1 more").arg(result.failures.size() - kShown);
            break;
        }
        list +=
            QStringLiteral("\n") + Text(failure.path) + QStringLiteral(": ") + Text(failure.reason);
    }
    return list;
}

}  // namespace

void CMainFrame::ConnectPublishCommand() {
    connect(Action(CommandId::kPublish), &QAction::triggered, this, &CMainFrame::OnPublish);
}

void CMainFrame::OnPublish() {
    if (exporting) return;
    const std::string url = document->Settings().publish.url;
    if (url.empty()) {
        TheDesktop().Tell(this,
                          tr("This website has no publish address yet. Enter it on the Publish "
                             "page of Options > Website Properties."),
                          CDesktop::Severity::Information);
        return;
    }
    const PublishAddressParse parsed = ParsePublishAddress(url);
    if (!parsed.address) {
        TheDesktop().Tell(
            this,
            tr("The publish address %1 cannot be used: %2.").arg(Text(url), Text(parsed.problem)),
            CDesktop::Severity::Critical);
        return;
    }
    const PublishAddress& address = *parsed.address;
    if (address.protocol == PublishProtocol::Ftp &&
        !TheDesktop().Confirm(this, tr("%1 uses plain FTP, which sends your password and every "
                                       "file over the network in clear. Publish all the same?")
                                        .arg(Text(address.ToString()))))
        return;
    if (!ExportSite(false)) return;

    const CProject& project = document->Project();
    const ExportLocation location =
        ResolveExportLocation(project.PageOption().general.location.View(), project.Path());
    std::error_code error;
    std::filesystem::path folder = std::filesystem::weakly_canonical(location.folder, error);
    if (error) folder = location.folder;

    const QPointer<QWidget> focused = QApplication::focusWidget();
    if (focused) focused->clearFocus();
    exporting = true;
    const std::optional<PublishResult> published = publishRunner.Publish(this, address, folder);
    exporting = false;
    if (focused) focused->setFocus(Qt::OtherFocusReason);
    if (!published) return;
    const PublishResult& result = *published;
    const QString where = Text(address.ToString());
    const QString summary = Text(PublishSummary(result));
    switch (result.status) {
        case PublishStatus::NotConnected:
            TheDesktop().Tell(
                this,
                tr("Nothing was published to %1: %2").arg(where, Text(result.connection.message)),
                CDesktop::Severity::Critical);
            return;
        case PublishStatus::NotEmpty:
        case PublishStatus::BadManifest:
        case PublishStatus::NoExport:
            TheDesktop().Tell(
                this, tr("Nothing was published to %1: %2.").arg(where, Text(result.message)),
                CDesktop::Severity::Critical);
            return;
        case PublishStatus::Stopped:
            TheDesktop().Tell(this,
                              tr("Publishing was stopped: %1. Every file sent is whole; publish "
                                 "again to finish.")
                                  .arg(summary),
                              CDesktop::Severity::Information);
            return;
        case PublishStatus::Interrupted:
            TheDesktop().Tell(this,
                              tr("The connection to %1 broke: %2\n\n%3. Every file sent is whole; "
                                 "publish again to finish.")
                                  .arg(where, Text(result.connection.message), summary),
                              CDesktop::Severity::Warning);
            return;
        case PublishStatus::Completed:
            break;
    }
    statusBar()->showMessage(tr("Published to %1: %2").arg(where, summary), 10000);
    if (!result.failures.empty()) {
        QString text =
            tr("%1. These files could not be published:").arg(summary) + FailureList(result);
        if (result.deletionsPostponed)
            text +=
                tr("\n\nNothing was deleted on the server, since an old page may still link "
                   "to what would be deleted.");
        TheDesktop().Tell(this, text, CDesktop::Severity::Warning);
    }
}
