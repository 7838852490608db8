#pragma once

#include <QBrush>
#include <QDialog>
#include <functional>
#include <vector>

#include "ExportPlan.h"

class QLabel;
class QPushButton;
class QTableWidget;

// The problems the check found, in a table that sorts by any column (severity, kind, path,
// where, details), each row with its severity's icon and colour. Double-clicking a row that names a
// folder or an item asks for it to be selected. The dialog does not block the window, so the user
// can go and mend what it lists: it follows the project (rows whose folder or item was deleted
// since are greyed and say so) and checks again on "Check Again".
class CCheckDialog : public QDialog {
    Q_OBJECT
public:
    using SelectFn = std::function<void(CFolderKey folder, CItemKey item)>;
    // Whether the folder (and the item, when one is given) is still in the project.
    using ExistsFn = std::function<bool(CFolderKey folder, CItemKey item)>;

    CCheckDialog(QWidget* parent, SelectFn select, ExistsFn exists,
                 std::function<void()> checkAgain);

    // Shows what a check found, in place of what was shown.
    void SetProblems(const std::vector<ExportProblem>& problems, std::size_t errorCount);
    // Greys the rows whose folder or item is gone from the project, and shows again those that
    // came back (an undo).
    void FollowProject();

    QTableWidget* Table() const { return table; }
    QLabel* Summary() const { return summary; }
    QPushButton* CheckAgainButton() const { return checkAgainButton; }
    // Whether the row names a folder or item that is no longer in the project.
    bool IsRowGone(int row) const;
    // The colour the severity column shows a severity in, for this dialog's palette.
    QBrush SeverityBrush(ProblemSeverity severity) const;

    enum Column { kSeverityColumn, kKindColumn, kPathColumn, kWhereColumn, kDetailColumn };

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnActivated(int row);

    QLabel* summary = nullptr;
    QTableWidget* table = nullptr;
    QPushButton* checkAgainButton = nullptr;
    QString summaryText;
    SelectFn select;
    ExistsFn exists;
    bool placed = false;
};
