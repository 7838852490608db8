#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "ExportPlan.h"

class QTableWidget;

// The problems the check found, in a table that sorts by any column (severity, kind, path,
// where, details). Double-clicking a row that names a folder or an item asks for it to be
// selected. The dialog does not block the window, so the user can go and mend what it lists.
class CCheckDialog : public QDialog {
    Q_OBJECT
public:
    using SelectFn = std::function<void(CFolderKey folder, CItemKey item)>;

    CCheckDialog(QWidget* parent, const std::vector<ExportProblem>& problems,
                 std::size_t errorCount, SelectFn select);

    QTableWidget* Table() const { return table; }

    enum Column { kSeverityColumn, kKindColumn, kPathColumn, kWhereColumn, kDetailColumn };

private:
    void OnActivated(int row);

    QTableWidget* table = nullptr;
    SelectFn select;
};
