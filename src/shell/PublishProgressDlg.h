#pragma once

#include <QDialog>
#include <QElapsedTimer>

#include "WebsitePublisher.h"

class QLabel;
class QProgressBar;
class QPushButton;

// The progress of a publish: files and bytes sent, the speed, the time left, and Cancel. Cancel
// (or Escape, or the close box) asks the publish to stop; the dialog closes when it has.
class CPublishProgressDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPublishProgressDlg(QWidget* parent = nullptr);

    void Show(const PublishProgress& progress);
    // The publish is over: the dialog closes.
    void Finished();
    bool CancelRequested() const { return cancelRequested; }

    // "1:05", "2:03:10"
    static QString Duration(qint64 seconds);

signals:
    void Cancelled();

public slots:
    void reject() override;

private:
    QLabel* filesLabel;
    QLabel* bytesLabel;
    QLabel* speedLabel;
    QLabel* timeLabel;
    QProgressBar* bar;
    QPushButton* cancelButton;
    QElapsedTimer clock;
    bool cancelRequested = false;
    bool finished = false;
};
