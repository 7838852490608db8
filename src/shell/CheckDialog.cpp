#include "CheckDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ModelText.h"

namespace {

// Where the keys of a row's folder and item are kept (in its first cell), and whether the row
// names anything at all.
constexpr int kFolderRole = Qt::UserRole;
constexpr int kItemRole = Qt::UserRole + 1;
constexpr int kSeverityRole = Qt::UserRole + 2;
// The widest a column other than the last starts out.
constexpr int kWidestColumn = 320;
// The narrowest the list is made to fit beside the main window.
constexpr int kNarrowest = 420;
// The size the dialog starts with when it has problems to list.
constexpr int kListWidth = 900;
constexpr int kListHeight = 420;

// The check's names of severities and kinds, as the list shows them.
constexpr const char* kShownNames[] = {
    QT_TRANSLATE_NOOP("CCheckDialog", "error"),
    QT_TRANSLATE_NOOP("CCheckDialog", "note"),
    QT_TRANSLATE_NOOP("CCheckDialog", "missing file"),
    QT_TRANSLATE_NOOP("CCheckDialog", "ambiguous file"),
    QT_TRANSLATE_NOOP("CCheckDialog", "unreadable file"),
    QT_TRANSLATE_NOOP("CCheckDialog", "not a file"),
    QT_TRANSLATE_NOOP("CCheckDialog", "export folder"),
    QT_TRANSLATE_NOOP("CCheckDialog", "page renamed"),
    QT_TRANSLATE_NOOP("CCheckDialog", "copy renamed"),
    QT_TRANSLATE_NOOP("CCheckDialog", "unsafe characters"),
    QT_TRANSLATE_NOOP("CCheckDialog", "active markup"),
    QT_TRANSLATE_NOOP("CCheckDialog", "hidden folder"),
    QT_TRANSLATE_NOOP("CCheckDialog", "plain ftp"),
    QT_TRANSLATE_NOOP("CCheckDialog", "unreadable picture"),
    QT_TRANSLATE_NOOP("CCheckDialog", "kept"),
    QT_TRANSLATE_NOOP("CCheckDialog", "low contrast"),
    QT_TRANSLATE_NOOP("CCheckDialog", "no caption"),
    QT_TRANSLATE_NOOP("CCheckDialog", "charset"),
};

QString ShownName(std::string_view name) {
    for (const char* shown : kShownNames)
        if (name == shown) return CCheckDialog::tr(shown);
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

QString SummaryText(std::size_t problems, std::size_t errors) {
    if (problems == 0) return CCheckDialog::tr("No problems found: the website can be exported.");
    const std::size_t notes = problems - errors;
    const QString errorText =
        errors == 1 ? CCheckDialog::tr("1 error") : CCheckDialog::tr("%1 errors").arg(errors);
    const QString noteText =
        notes == 1 ? CCheckDialog::tr("1 note") : CCheckDialog::tr("%1 notes").arg(notes);
    return CCheckDialog::tr("%1 and %2. Double-click a row to select what it names.")
        .arg(errorText, noteText);
}

}  // namespace

CCheckDialog::CCheckDialog(QWidget* parent, SelectFn select, ExistsFn exists,
                           std::function<void()> checkAgain)
    : QDialog(parent), select(std::move(select)), exists(std::move(exists)) {
    setObjectName(QStringLiteral("checkDialog"));
    setWindowTitle(tr("Check website"));
    setAttribute(Qt::WA_DeleteOnClose);

    summary = new QLabel(this);
    summary->setObjectName(QStringLiteral("summary"));
    summary->setWordWrap(true);
    table = new QTableWidget(0, 5, this);
    table->setObjectName(QStringLiteral("problems"));
    table->setHorizontalHeaderLabels(
        {tr("Severity"), tr("Kind"), tr("Path"), tr("Where"), tr("Details")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setWordWrap(false);
    table->setTextElideMode(Qt::ElideMiddle);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->horizontalHeader()->setHighlightSections(false);
    connect(table, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { OnActivated(row); });
    connect(table, &QTableWidget::cellActivated, this, [this](int row, int) { OnActivated(row); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    checkAgainButton = buttons->addButton(tr("Check &Again"), QDialogButtonBox::ActionRole);
    checkAgainButton->setObjectName(QStringLiteral("checkAgainButton"));
    connect(checkAgainButton, &QPushButton::clicked, this, [checkAgain = std::move(checkAgain)] {
        if (checkAgain) checkAgain();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(table, 1);
    layout->addStretch(0);
    layout->addWidget(buttons);
    resize(kListWidth, kListHeight);
}

void CCheckDialog::SetProblems(const std::vector<ExportProblem>& problems, std::size_t errorCount) {
    table->setSortingEnabled(false);
    table->clearContents();
    table->setRowCount(static_cast<int>(problems.size()));
    const QIcon errorIcon = style()->standardIcon(QStyle::SP_MessageBoxCritical);
    const QIcon noteIcon = style()->standardIcon(QStyle::SP_MessageBoxInformation);
    for (int row = 0; row < static_cast<int>(problems.size()); ++row) {
        const ExportProblem& problem = problems[static_cast<std::size_t>(row)];
        const auto cell = [&](int column, const QString& text) {
            auto* item = new QTableWidgetItem(text);
            item->setToolTip(text);
            table->setItem(row, column, item);
            return item;
        };
        QTableWidgetItem* severity =
            cell(kSeverityColumn, ShownName(SeverityName(problem.severity)));
        severity->setIcon(problem.severity == ProblemSeverity::Error ? errorIcon : noteIcon);
        severity->setData(kSeverityRole, static_cast<int>(problem.severity));
        severity->setData(kFolderRole, problem.folder.value);
        severity->setData(kItemRole, problem.item.value);
        cell(kKindColumn, ShownName(ProblemKindName(problem.kind)));
        cell(kPathColumn, TextFromBytes(problem.path));
        cell(kWhereColumn, TextFromBytes(problem.where));
        cell(kDetailColumn, TextFromBytes(problem.detail));
    }
    summaryText = SummaryText(problems.size(), errorCount);
    // Nothing to list: the sentence alone says so, in a small dialog, instead of an empty table.
    table->setVisible(!problems.empty());
    if (problems.empty()) {
        layout()->activate();
        resize(std::max(kNarrowest, sizeHint().width()), sizeHint().height());
    } else if (height() < kListHeight) {
        resize(std::max(width(), kListWidth), kListHeight);
    }
    // Sorted before the columns are fitted, so that each header's width has room for the sort
    // arrow beside its title.
    table->setSortingEnabled(true);
    table->sortByColumn(kSeverityColumn, Qt::AscendingOrder);
    table->resizeColumnsToContents();
    for (int column = 0; column < kDetailColumn; ++column)
        table->setColumnWidth(column, std::min(table->columnWidth(column), kWidestColumn));
    FollowProject();
}

bool CCheckDialog::IsRowGone(int row) const {
    const QTableWidgetItem* first = table->item(row, kSeverityColumn);
    if (first == nullptr || !exists) return false;
    const CFolderKey folder{first->data(kFolderRole).toUInt()};
    const CItemKey item{first->data(kItemRole).toUInt()};
    return folder && !exists(folder, item);
}

QBrush CCheckDialog::SeverityBrush(ProblemSeverity severity) const {
    // Red for errors and blue for notes, dark on a light list and light on a dark one, so that
    // either stays readable (contrast 4.5:1 or more) in both kinds of theme.
    const bool darkList = palette().color(QPalette::Base).lightness() < 128;
    if (severity == ProblemSeverity::Error)
        return QColor(darkList ? QRgb(0xf2b8b5) : QRgb(0xb3261e));
    return QColor(darkList ? QRgb(0xa8c7fa) : QRgb(0x0b57d0));
}

void CCheckDialog::FollowProject() {
    const QBrush goneText = palette().brush(QPalette::Disabled, QPalette::Text);
    const QString goneNote = tr("Deleted from the website since the check.");
    int gone = 0;
    for (int row = 0; row < table->rowCount(); ++row) {
        const bool isGone = IsRowGone(row);
        gone += isGone ? 1 : 0;
        for (int column = 0; column < table->columnCount(); ++column) {
            QTableWidgetItem* item = table->item(row, column);
            if (item == nullptr) continue;
            item->setForeground(
                isGone ? goneText
                : column == kSeverityColumn
                    ? SeverityBrush(static_cast<ProblemSeverity>(item->data(kSeverityRole).toInt()))
                    : QBrush());
            item->setToolTip(isGone ? goneNote : item->text());
        }
    }
    summary->setText(gone == 0
                         ? summaryText
                         : summaryText + u' ' +
                               (gone == 1 ? tr("1 row names what was deleted since.")
                                          : tr("%1 rows name what was deleted since.").arg(gone)));
}

void CCheckDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Beside the main window rather than over it, so both can be seen, narrower when the screen
    // has less room there; over it only when neither side has room for a useful list.
    if (placed || parentWidget() == nullptr) return;
    placed = true;
    const QWidget* main = parentWidget()->window();
    const QScreen* screen = main->screen();
    if (screen == nullptr) return;
    const QRect room = screen->availableGeometry();
    const QRect beside = main->frameGeometry();
    const int frameWidth = frameGeometry().width() - width();
    const int rightRoom = room.right() - beside.right();
    const int leftRoom = beside.left() - room.left();
    const int outer = std::min(frameGeometry().width(), std::max(rightRoom, leftRoom));
    if (outer < kNarrowest + frameWidth) return;
    resize(outer - frameWidth, height());
    const int top = std::clamp(beside.top(), room.top(),
                               std::max(room.top(), room.bottom() - frameGeometry().height()));
    move(rightRoom >= leftRoom ? beside.right() + 1 : beside.left() - outer, top);
}

void CCheckDialog::OnActivated(int row) {
    const QTableWidgetItem* first = table->item(row, kSeverityColumn);
    if (first == nullptr || !select) return;
    if (IsRowGone(row)) {
        QApplication::beep();
        return;
    }
    const CFolderKey folder{first->data(kFolderRole).toUInt()};
    const CItemKey item{first->data(kItemRole).toUInt()};
    if (folder) select(folder, item);
}
