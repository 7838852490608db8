#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

#include "SiteImport.h"

class QProgressDialog;
class QWidget;

// Scans what "Import a folder" brings in on a worker thread. Meanwhile the window stays painted
// but takes no input, so the tree cannot change under the scan, and a progress dialog with
// Cancel appears once the scan takes longer than a moment. One job runs one scan.
class CImportJob : public QObject {
    Q_OBJECT
public:
    explicit CImportJob(QWidget* window);
    // Stops a worker that is still running and waits for it.
    ~CImportJob() override;
    CImportJob(const CImportJob&) = delete;
    CImportJob& operator=(const CImportJob&) = delete;

    // Scans the folder (or the single file) and returns what was found, once the worker has
    // finished or was cancelled; a cancelled scan holds what was found until then.
    // The options say how files are captioned, ordered and picked (ScanImportPath).
    CImportScan Run(const std::filesystem::path& path, const ImportOptions& options = {});

    // Why the last scan stopped short, when it failed; empty otherwise.
    const std::string& Failure() const { return failure; }

    // The progress dialog while Run is running; its Cancel stops the scan.
    QProgressDialog* Dialog() const { return dialog; }

    // How long a scan runs before the progress dialog shows.
    static constexpr int kDialogDelayMs = 500;

signals:
    // On the window's thread whenever the worker reports; the worker goes on only after every
    // receiver has run, so a Cancel given here stops the scan before it looks further.
    void Progressed(qulonglong entriesSeen, const QString& currentPath);
    // From the worker thread when the scan is over.
    void Finished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Worker thread: hands the report to the window's thread and waits for it to be taken.
    bool Report(const ImportProgress& progress);
    // Window's thread.
    void TakeReport();
    void Stop();

    QWidget* window;
    QProgressDialog* dialog = nullptr;  // lives while Run runs
    QElapsedTimer labelShown;
    std::thread worker;
    std::atomic<bool> cancelled{false};
    std::string failure;  // written by the worker, read after it is joined

    std::mutex mutex;
    std::condition_variable taken;
    // Guarded by mutex.
    bool reportPending = false;
    bool stopping = false;
    ImportProgress pending;
};
