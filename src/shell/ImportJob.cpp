#include "ImportJob.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QProgressDialog>
#include <exception>
#include <memory>
#include <utility>

#include "Desktop.h"
#include "ProgramInfo.h"

namespace {

constexpr int kPathWidth = 420;
constexpr int kLabelIntervalMs = 100;

bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::Close:
            return true;
        default:
            return false;
    }
}

}  // namespace

CImportJob::CImportJob(QWidget* parentWindow) : QObject(parentWindow), window(parentWindow) {}

CImportJob::~CImportJob() {
    Stop();
}

void CImportJob::Stop() {
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    cancelled = true;
    taken.notify_all();
    if (worker.joinable()) worker.join();
}

CImportScan CImportJob::Run(const std::filesystem::path& path, const ImportOptions& options) {
    CImportScan scan;
    if (worker.joinable()) return scan;

    const auto progress = std::make_unique<QProgressDialog>(window);
    dialog = progress.get();
    progress->setWindowTitle(QString::fromUtf8(kAppTitle));
    progress->setLabelText(tr("Importing..."));
    progress->setRange(0, 0);
    // Wide enough for the elided paths, so that the dialog does not change size as they go by.
    progress->setMinimumWidth(kPathWidth + 8 * progress->fontMetrics().averageCharWidth());
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(kDialogDelayMs);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    // Starts the delay; the value is never set again, since setting it on a shown modal dialog
    // would run the event loop from inside this one.
    progress->setValue(0);
    connect(dialog, &QProgressDialog::canceled, this, [this] { cancelled = true; });
    // Escape closes the dialog without its Cancel button; the scan must not go on unseen.
    connect(dialog, &QDialog::rejected, this, [this] { cancelled = true; });

    QEventLoop loop;
    connect(this, &CImportJob::Finished, &loop, &QEventLoop::quit);
    worker = std::thread([this, path, &scan, &options] {
        try {
            scan = ScanImportPath(
                path, [this](const ImportProgress& report) { return Report(report); }, options);
        } catch (const std::exception& error) {
            failure = error.what();
        }
        emit Finished();
    });
    // Until the dialog shows (and makes the window modal) nothing may reach the window either.
    qApp->installEventFilter(this);
    loop.exec();
    worker.join();
    qApp->removeEventFilter(this);
    dialog = nullptr;
    return scan;
}

bool CImportJob::Report(const ImportProgress& progress) {
    std::unique_lock lock(mutex);
    if (stopping) return false;
    pending = progress;
    reportPending = true;
    QMetaObject::invokeMethod(this, &CImportJob::TakeReport, Qt::QueuedConnection);
    taken.wait(lock, [this] { return !reportPending || stopping; });
    return !cancelled && !stopping;
}

void CImportJob::TakeReport() {
    ImportProgress report;
    {
        std::lock_guard lock(mutex);
        if (!reportPending) return;
        report = pending;
    }
    const QString path = QFile::decodeName(QByteArray::fromStdString(report.currentPath));
    // The worker waits for every report, so the label, whose layout is slow, changes only now
    // and then.
    if (dialog && (!labelShown.isValid() || labelShown.elapsed() >= kLabelIntervalMs)) {
        labelShown.start();
        const QFontMetrics metrics(dialog->font());
        dialog->setLabelText(tr("Importing... %1 files and folders\n%2")
                                 .arg(QString::number(report.entriesSeen),
                                      metrics.elidedText(path, Qt::ElideMiddle, kPathWidth)));
    }
    emit Progressed(report.entriesSeen, path);
    {
        std::lock_guard lock(mutex);
        reportPending = false;
    }
    taken.notify_all();
}

bool CImportJob::eventFilter(QObject* watched, QEvent* event) {
    if (!IsUserInput(event->type())) return false;
    const auto* widget = qobject_cast<const QWidget*>(watched);
    if (!widget || widget->window() != window) return false;
    // A refused close keeps the window; an accepted shortcut override keeps the key from
    // running a command.
    if (event->type() == QEvent::Close)
        event->ignore();
    else
        event->accept();
    return true;
}
