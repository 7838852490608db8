#include "PublishProgressDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString Bytes(std::uint64_t bytes) {
    return QString::fromStdString(FormatBytes(bytes));
}

}  // namespace

CPublishProgressDlg::CPublishProgressDlg(QWidget* parent)
    : QDialog(parent),
      filesLabel(new QLabel(this)),
      bytesLabel(new QLabel(this)),
      speedLabel(new QLabel(this)),
      timeLabel(new QLabel(this)),
      bar(new QProgressBar(this)),
      cancelButton(new QPushButton(tr("Cancel"), this)) {
    setWindowTitle(tr("Publishing"));
    setModal(true);
    filesLabel->setObjectName(QStringLiteral("filesLabel"));
    bytesLabel->setObjectName(QStringLiteral("bytesLabel"));
    speedLabel->setObjectName(QStringLiteral("speedLabel"));
    timeLabel->setObjectName(QStringLiteral("timeLabel"));
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    bar->setRange(0, 1000);
    auto* layout = new QVBoxLayout(this);
    for (QLabel* label : {filesLabel, bytesLabel, speedLabel, timeLabel}) layout->addWidget(label);
    layout->addWidget(bar);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(cancelButton, QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(cancelButton, &QPushButton::clicked, this, &CPublishProgressDlg::reject);
    filesLabel->setText(tr("Connecting..."));
    clock.start();
    setMinimumWidth(360);
}

QString CPublishProgressDlg::Duration(qint64 seconds) {
    const qint64 hours = seconds / 3600;
    const qint64 minutes = seconds / 60 % 60;
    const qint64 rest = seconds % 60;
    if (hours > 0)
        return QStringLiteral("%1:%2:%3")
            .arg(hours)
            .arg(minutes, 2, 10, QLatin1Char('0'))
            .arg(rest, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(minutes).arg(rest, 2, 10, QLatin1Char('0'));
}

void CPublishProgressDlg::Show(const PublishProgress& progress) {
    filesLabel->setText(tr("Files: %1 of %2").arg(progress.filesDone).arg(progress.filesTotal));
    bytesLabel->setText(
        tr("Sent: %1 of %2").arg(Bytes(progress.bytesDone), Bytes(progress.bytesTotal)));
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    const double speed = seconds > 0.5 ? static_cast<double>(progress.bytesDone) / seconds : 0.0;
    speedLabel->setText(speed > 0 ? tr("Speed: %1/s").arg(Bytes(static_cast<std::uint64_t>(speed)))
                                  : tr("Speed: -"));
    const std::uint64_t left =
        progress.bytesTotal - std::min(progress.bytesDone, progress.bytesTotal);
    timeLabel->setText(
        speed > 0 ? tr("Time left: %1")
                        .arg(Duration(static_cast<qint64>(static_cast<double>(left) / speed + 0.5)))
                  : tr("Time left: -"));
    const double part =
        progress.bytesTotal > 0
            ? static_cast<double>(progress.bytesDone) / static_cast<double>(progress.bytesTotal)
        : progress.filesTotal > 0
            ? static_cast<double>(progress.filesDone) / static_cast<double>(progress.filesTotal)
            : 0.0;
    bar->setValue(static_cast<int>(part * 1000.0));
}

void CPublishProgressDlg::Finished() {
    finished = true;
    QDialog::accept();
}

void CPublishProgressDlg::reject() {
    // The dialog stays until the publish has stopped, so that nobody edits the project meanwhile.
    if (finished) {
        QDialog::reject();
        return;
    }
    if (cancelRequested) return;
    cancelRequested = true;
    cancelButton->setEnabled(false);
    timeLabel->setText(tr("Stopping once the files under way are whole..."));
    emit Cancelled();
}
