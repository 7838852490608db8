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
#include "SiteDocument.h"

namespace {

// The progress dialog. Neither Escape nor the title bar's close button can take it away while
// the work runs: both ask it to stop, as Cancel does, and the dialog goes when the worker is
// done.
class CExportProgressDlg final : public QDialog {
public:
    CExportProgressDlg(QWidget* parent, QString busyText, std::function<void()> onCancel)
        : QDialog(parent), busy(std::move(busyText)), cancelRequested(std::move(onCancel)) {
        setObjectName(QStringLiteral("exportProgress"));
        setWindowTitle(QString::fromUtf8(kAppTitle));
        setWindowModality(Qt::ApplicationModal);
        label = new QLabel(busy + u'\n', this);
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
        const std::size_t total =
            progress.pagesTotal + progress.filesTotal + progress.thumbnailsTotal;
        const std::size_t done = progress.pagesDone + progress.filesDone + progress.thumbnailsDone;
        if (total == 0) return;
        // The bar counts in thousandths so that any number of pages fits its int range.
        bar->setRange(0, 1000);
        bar->setValue(static_cast<int>(std::min<std::size_t>(done, total) * 1000 / total));
        // Two short lines: the dialog keeps the width it was shown with.
        QString counts = QStringLiteral(
                             "\nPages: %1 of %2 (%3 up to date)    "
                             "Files: %4 of %5 (%6 up to date)")
                             .arg(progress.pagesDone)
                             .arg(progress.pagesTotal)
                             .arg(progress.pagesUpToDate)
                             .arg(progress.filesDone)
                             .arg(progress.filesTotal)
                             .arg(progress.filesUpToDate);
        if (progress.thumbnailsTotal > 0)
            counts += QStringLiteral("\nThumbnails: %1 of %2 (%3 up to date)")
                          .arg(progress.thumbnailsDone)
                          .arg(progress.thumbnailsTotal)
                          .arg(progress.thumbnailsUpToDate);
        label->setText(busy + counts);
    }

    void reject() override {
        if (stopping) return;
        stopping = true;
        cancelButton->setEnabled(false);
        label->setText(QStringLiteral("Stopping..."));
        cancelRequested();
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        reject();
    }

private:
    QString busy;
    std::function<void()> cancelRequested;
    QLabel* label = nullptr;
    QProgressBar* bar = nullptr;
    QPushButton* cancelButton = nullptr;
    bool stopping = false;
};

// Runs `work` on a worker thread with a cancel flag and a place for progress reports, showing the
// progress dialog when it takes longer than `delay`, and returns when the work is over. An
// exception of the work is handed back on this thread.
void RunOnWorker(
    QWidget* parent, std::chrono::milliseconds delay, const QString& busyText,
    const std::function<void(std::atomic<bool>& cancel, ExportProgressFn progress)>& work) {
    std::atomic<bool> cancel{false};
    std::atomic<bool> finished{false};
    std::mutex progressMutex;
    ExportProgress latest;
    const ExportProgressFn progress = [&](const ExportProgress& report) {
        {
            const std::scoped_lock lock(progressMutex);
            latest = report;
        }
        return !cancel.load();
    };

    QEventLoop loop;
    std::exception_ptr failure;
    {
        std::jthread worker([&] {
            try {
                work(cancel, progress);
            } catch (...) {
                failure = std::current_exception();
            }
            finished.store(true);
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });

        // Short work is over before anyone would read a dialog. The window still paints
        // meanwhile; clicks and keys wait until it is over.
        if (delay.count() > 0) {
            QTimer timer;
            timer.setSingleShot(true);
            QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
            timer.start(delay);
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        }
        if (!finished.load()) {
            CExportProgressDlg dialog(parent, busyText, [&cancel] { cancel.store(true); });
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
                ExportProgress report;
                {
                    const std::scoped_lock lock(progressMutex);
                    report = latest;
                }
                dialog.Show(report);
            });
            poll.start(100);
            dialog.show();
            while (!finished.load()) loop.exec();
        }
    }
    if (failure) std::rethrow_exception(failure);
}

}  // namespace

ExportParameters ExportParametersOf(const CProjectSnapshot& project, std::filesystem::path folder) {
    return {.tree = project.tree,
            .pageOption = project.thePageOption,
            .layoutOption = project.theLayoutOption,
            .exportFolder = std::move(folder),
            .projectFile = project.projectFile,
            .clearExistingFolder = false,
            .progress = {},
            .cancel = nullptr,
            .full = false,
            .threads = 0,
            .pictures = project.settings.pictures,
            .pages = project.settings.pages};
}

ExportResult CExportRunner::Run(QWidget* parent, ExportParameters parameters) const {
    ExportResult result;
    try {
        RunOnWorker(parent, progressDelay, QStringLiteral("Exporting the website..."),
                    [&](std::atomic<bool>& cancel, ExportProgressFn progress) {
                        parameters.progress = std::move(progress);
                        // Also stops a long copy half-way.
                        parameters.cancel = &cancel;
                        result = exportFunction(parameters);
                    });
    } catch (const std::exception& error) {
        result = {};
        result.status = ExportStatus::FolderNotMade;
        result.exportFolder = parameters.exportFolder;
        result.message = std::string("The export failed: ") + error.what();
    }
    return result;
}

ExportPlan CExportRunner::Check(QWidget* parent, ExportParameters parameters) const {
    ExportPlan plan;
    try {
        RunOnWorker(parent, progressDelay, QStringLiteral("Checking the website..."),
                    [&](std::atomic<bool>& cancel, ExportProgressFn) {
                        parameters.cancel = &cancel;
                        plan = BuildExportPlan(parameters);
                    });
    } catch (const std::exception& error) {
        plan = {};
        plan.problems.push_back(ExportFolderProblem(
            parameters.exportFolder, std::string("The check failed: ") + error.what()));
    }
    return plan;
}
