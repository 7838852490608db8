#include "ExportRunner.h"

#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

#include "Desktop.h"

namespace {

// The progress dialog. Neither Escape nor the title bar's close button can take it away while
// the export runs: both ask the export to stop, as Cancel does, and the dialog goes when the
// worker is done.
class CExportProgressDlg final : public QDialog {
public:
    CExportProgressDlg(QWidget* parent, std::function<void()> onCancel)
        : QDialog(parent), cancelRequested(std::move(onCancel)) {
        setObjectName(QStringLiteral("exportProgress"));
        setWindowTitle(QString::fromUtf8(kAppTitle));
        setWindowModality(Qt::ApplicationModal);
        label = new QLabel(QStringLiteral("Exporting the website...\n"), this);
        bar = new QProgressBar(this);
        bar->setRange(0, 0);
        cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
        cancelButton->setObjectName(QStringLiteral("cancelButton"));
        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(cancelButton);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(label);
        layout->addWidget(bar);
        layout->addLayout(buttons);
        setMinimumWidth(420);
        connect(cancelButton, &QPushButton::clicked, this, &CExportProgressDlg::reject);
    }

    void Show(const ExportProgress& progress) {
        if (stopping) return;
        const std::size_t total = progress.pagesTotal + progress.filesTotal;
        const std::size_t done = progress.pagesDone + progress.filesDone;
        if (total > 0) {
            // The bar counts in thousandths so that any number of pages fits its int range.
            bar->setRange(0, 1000);
            bar->setValue(static_cast<int>(std::min<std::size_t>(done, total) * 1000 / total));
        }
        // Two short lines: the dialog keeps the width it was shown with.
        label->setText(
            QStringLiteral("Exporting the website...\nPages: %1 of %2    Files: %3 of %4")
                .arg(progress.pagesDone)
                .arg(progress.pagesTotal)
                .arg(progress.filesDone)
                .arg(progress.filesTotal));
    }

    void reject() override {
        if (stopping) return;
        stopping = true;
        cancelButton->setEnabled(false);
        label->setText(QStringLiteral("Stopping the export..."));
        cancelRequested();
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        reject();
    }

private:
    std::function<void()> cancelRequested;
    QLabel* label = nullptr;
    QProgressBar* bar = nullptr;
    QPushButton* cancelButton = nullptr;
    bool stopping = false;
};

}  // namespace

ExportResult CExportRunner::Run(QWidget* parent, ExportParameters parameters) const {
    std::atomic<bool> cancel{false};
    std::atomic<bool> finished{false};
    std::mutex progressMutex;
    ExportProgress latest;
    parameters.progress = [&](const ExportProgress& progress) {
        {
            const std::scoped_lock lock(progressMutex);
            latest = progress;
        }
        return !cancel.load();
    };
    // Also stops a long copy half-way.
    parameters.cancel = &cancel;

    QEventLoop loop;
    ExportResult result;
    std::exception_ptr failure;
    {
        std::jthread worker([&] {
            try {
                result = exportFunction(parameters);
            } catch (...) {
                failure = std::current_exception();
            }
            finished.store(true);
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });

        // A short export is over before anyone would read a dialog. The window still paints
        // meanwhile; clicks and keys wait until it is over.
        if (progressDelay.count() > 0) {
            QTimer delay;
            delay.setSingleShot(true);
            QObject::connect(&delay, &QTimer::timeout, &loop, &QEventLoop::quit);
            delay.start(progressDelay);
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        }
        if (!finished.load()) {
            CExportProgressDlg dialog(parent, [&cancel] { cancel.store(true); });
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
                ExportProgress progress;
                {
                    const std::scoped_lock lock(progressMutex);
                    progress = latest;
                }
                dialog.Show(progress);
            });
            poll.start(100);
            dialog.show();
            while (!finished.load()) loop.exec();
        }
    }
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& error) {
            result = {};
            result.status = ExportStatus::FolderNotMade;
            result.exportFolder = parameters.exportFolder;
            result.message = std::string("The export failed: ") + error.what();
        }
    }
    return result;
}
