#include "ExportRunner.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

#include "Desktop.h"
#include "ProgramInfo.h"
#include "WebsitePublisher.h"

namespace {

// The progress dialog. Neither Escape nor the title bar's close button can take it away while
// the work runs: both ask it to stop, as Cancel does, and the dialog goes when the worker is
// done.
class CExportProgressDlg final : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(CExportProgressDlg)

public:
    CExportProgressDlg(QWidget* parent, QString busyText, std::function<void()> onCancel)
        : QDialog(parent), busy(std::move(busyText)), cancelRequested(std::move(onCancel)) {
        setObjectName(QStringLiteral("exportProgress"));
        setWindowTitle(QString::fromUtf8(kAppTitle));
        setWindowModality(Qt::ApplicationModal);
        label =
            new QLabel(busy + u'\n' + tr("Reading the website and the files it links to."), this);
        label->setWordWrap(true);
        bar = new QProgressBar(this);
        bar->setRange(0, 1000);
        bar->setValue(0);
        cancelButton = new QPushButton(tr("Cancel"), this);
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
        // Until the plan is made nothing is counted: the bar stands at its start.
        if (total == 0) {
            label->setText(busy + u'\n' + tr("Reading the website and the files it links to."));
            return;
        }
        if (!counting.isValid()) counting.start();
        // The bar counts in thousandths so that any number of pages fits its int range.
        bar->setValue(static_cast<int>(std::min<std::size_t>(done, total) * 1000 / total));
        const QLocale locale;
        const auto line = [&](const QString& text, std::size_t partDone, std::size_t partTotal,
                              std::size_t upToDate) {
            QString sentence = text.arg(locale.toString(qulonglong(partDone)),
                                        locale.toString(qulonglong(partTotal)));
            if (upToDate > 0)
                sentence +=
                    u' ' +
                    tr("(%1 of them were up to date.)").arg(locale.toString(qulonglong(upToDate)));
            return sentence;
        };
        QStringList lines{busy};
        lines << line(tr("Pages: %1 of %2 done."), progress.pagesDone, progress.pagesTotal,
                      progress.pagesUpToDate);
        if (progress.filesTotal > 0) {
            lines << line(tr("Copies of linked files: %1 of %2 done."), progress.filesDone,
                          progress.filesTotal, progress.filesUpToDate);
            if (progress.bytesTotal > 0) lines << CopiedBytes(progress);
        }
        if (progress.thumbnailsTotal > 0)
            lines << line(tr("Thumbnails: %1 of %2 done."), progress.thumbnailsDone,
                          progress.thumbnailsTotal, progress.thumbnailsUpToDate);
        // What is left, once enough is done to say: from the pace so far.
        const qint64 elapsed = counting.elapsed();
        if (done > 0 && done < total && elapsed > 2000) {
            const qint64 left = elapsed * qint64(total - done) / qint64(done) / 1000;
            lines << (left < 60 ? tr("About %1 seconds left.").arg(std::max<qint64>(left, 1))
                                : tr("About %1 minutes left.").arg((left + 30) / 60));
        }
        label->setText(lines.join(u'\n'));
    }

    // "Copied 12.5 MB of 400 MB, about 2 minutes left for the copies.": the time from the pace of
    // the bytes so far, as copies of large files take longer than pages.
    QString CopiedBytes(const ExportProgress& progress) const {
        // Sizes as the publish dialog and pagelorn-cli write them ("12.5 MB").
        const QString done = QString::fromStdString(FormatBytes(progress.bytesDone));
        const QString total = QString::fromStdString(FormatBytes(progress.bytesTotal));
        if (progress.bytesDone == 0) return tr("Copied %1 of %2.").arg(done, total);
        const qint64 elapsed = counting.elapsed();
        if (progress.bytesDone >= progress.bytesTotal || elapsed < 2000)
            return tr("Copied %1 of %2.").arg(done, total);
        const double perByte = double(elapsed) / double(progress.bytesDone);
        const qint64 left =
            qint64(perByte * double(progress.bytesTotal - progress.bytesDone) / 1000.0);
        return left < 60 ? tr("Copied %1 of %2, about %3 seconds left for the copies.")
                               .arg(done, total)
                               .arg(std::max<qint64>(left, 1))
                         : tr("Copied %1 of %2, about %3 minutes left for the copies.")
                               .arg(done, total)
                               .arg((left + 30) / 60);
    }

    void reject() override {
        if (stopping) return;
        stopping = true;
        cancelButton->setEnabled(false);
        label->setText(tr("Stopping once the pages and files under way are written..."));
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
    QElapsedTimer counting;  // since the first counts came
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

ExportResult CExportRunner::Run(QWidget* parent, ExportParameters parameters) const {
    ExportResult result;
    try {
        RunOnWorker(parent, progressDelay,
                    QCoreApplication::translate("CExportRunner", "Exporting the website..."),
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
        result.message = QCoreApplication::translate("CExportRunner", "The export failed: %1")
                             .arg(QString::fromLocal8Bit(error.what()))
                             .toStdString();
    }
    return result;
}

ExportPlan CExportRunner::Check(QWidget* parent, ExportParameters parameters) const {
    ExportPlan plan;
    try {
        RunOnWorker(parent, progressDelay,
                    QCoreApplication::translate("CExportRunner", "Checking the website..."),
                    [&](std::atomic<bool>& cancel, ExportProgressFn) {
                        parameters.cancel = &cancel;
                        plan = BuildExportPlan(parameters);
                    });
    } catch (const std::exception& error) {
        plan = {};
        plan.problems.push_back(
            ExportFolderProblem(parameters.exportFolder,
                                QCoreApplication::translate("CExportRunner", "The check failed: %1")
                                    .arg(QString::fromLocal8Bit(error.what()))
                                    .toStdString()));
    }
    return plan;
}

CExportRunner::Preparation CExportRunner::Prepare(QWidget* parent, ExportParameters parameters,
                                                  bool plan, std::size_t named) const {
    Preparation prepared;
    try {
        RunOnWorker(parent, progressDelay,
                    QCoreApplication::translate("CExportRunner", "Exporting the website..."),
                    [&](std::atomic<bool>& cancel, ExportProgressFn) {
                        parameters.cancel = &cancel;
                        prepared.check = CheckExportFolder(parameters);
                        if (!prepared.check.folder.empty())
                            parameters.exportFolder = prepared.check.folder;
                        if (plan && prepared.check.state == ExportFolderState::NotEmpty &&
                            !IsUnchangedExport(parameters, prepared.check)) {
                            // Without the notes only the check shows, as the export plans.
                            prepared.plan = BuildExportPlan(parameters, &prepared.check, false);
                            if (!prepared.plan->stopped)
                                prepared.unplanned = FindUnplannedEntries(*prepared.plan, named);
                        }
                        prepared.stopped =
                            cancel.load() || (prepared.plan && prepared.plan->stopped);
                    });
    } catch (const std::exception& error) {
        // Nothing may be deleted unasked: what could not be worked out stops the export.
        prepared.plan.reset();
        prepared.failure = QCoreApplication::translate("CExportRunner", "The export failed: %1")
                               .arg(QString::fromLocal8Bit(error.what()));
    }
    return prepared;
}
