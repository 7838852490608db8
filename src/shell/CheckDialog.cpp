#include "CheckDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "Desktop.h"
#include "TextCodec.h"

namespace {

// Where the keys of a row's folder and item are kept (in its first cell).
constexpr int kFolderRole = Qt::UserRole;
constexpr int kItemRole = Qt::UserRole + 1;

QString Summary(std::size_t problems, std::size_t errors) {
    if (problems == 0) return QStringLiteral("No problems found: the website can be exported.");
    const std::size_t notes = problems - errors;
    return QStringLiteral("%1 %2 and %3 %4. Double-click a row to select what it names.")
        .arg(errors)
        .arg(errors == 1 ? QStringLiteral("error") : QStringLiteral("errors"))
        .arg(notes)
        .arg(notes == 1 ? QStringLiteral("note") : QStringLiteral("notes"));
}

}  // namespace

CCheckDialog::CCheckDialog(QWidget* parent, const std::vector<ExportProblem>& problems,
                           std::size_t errorCount, SelectFn select)
    : QDialog(parent), select(std::move(select)) {
    setObjectName(QStringLiteral("checkDialog"));
    setWindowTitle(QStringLiteral("Check website"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* summary = new QLabel(Summary(problems.size(), errorCount), this);
    summary->setObjectName(QStringLiteral("summary"));
    table = new QTableWidget(static_cast<int>(problems.size()), 5, this);
    table->setObjectName(QStringLiteral("problems"));
    table->setHorizontalHeaderLabels({QStringLiteral("Severity"), QStringLiteral("Kind"),
                                      QStringLiteral("Path"), QStringLiteral("Where"),
                                      QStringLiteral("Details")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < static_cast<int>(problems.size()); ++row) {
        const ExportProblem& problem = problems[static_cast<std::size_t>(row)];
        const auto cell = [&](int column, const QString& text) {
            auto* item = new QTableWidgetItem(text);
            item->setToolTip(text);
            table->setItem(row, column, item);
            return item;
        };
        QTableWidgetItem* severity =
            cell(kSeverityColumn, QString::fromLatin1(SeverityName(problem.severity)));
        severity->setData(kFolderRole, problem.folder.value);
        severity->setData(kItemRole, problem.item.value);
        cell(kKindColumn, QString::fromLatin1(ProblemKindName(problem.kind)));
        cell(kPathColumn, FromBytes(problem.path));
        cell(kWhereColumn, FromBytes(problem.where));
        cell(kDetailColumn, FromBytes(problem.detail));
    }
    table->resizeColumnsToContents();
    for (int column = 0; column < kDetailColumn; ++column)
        table->setColumnWidth(column, std::min(table->columnWidth(column), 320));
    table->setSortingEnabled(true);
    table->sortByColumn(kSeverityColumn, Qt::AscendingOrder);
    connect(table, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { OnActivated(row); });
    connect(table, &QTableWidget::cellActivated, this, [this](int row, int) { OnActivated(row); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(table);
    layout->addWidget(buttons);
    resize(900, 420);
}

void CCheckDialog::OnActivated(int row) {
    const QTableWidgetItem* first = table->item(row, kSeverityColumn);
    if (first == nullptr || !select) return;
    const CFolderKey folder{first->data(kFolderRole).toUInt()};
    const CItemKey item{first->data(kItemRole).toUInt()};
    if (folder) select(folder, item);
}
