#include "SiteListView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <algorithm>

#include "Desktop.h"
#include "ModelText.h"

CSiteListView::CSiteListView(CSiteDocument& siteDocument, QWidget* parent)
    : QTreeView(parent), document(siteDocument), listModel(siteDocument) {
    setObjectName(QStringLiteral("siteListView"));
    setModel(&listModel);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setSortingEnabled(false);
    setDragEnabled(false);
    setIconSize(QSize(16, 16));
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    // The columns fill the list: the URL takes what the caption and the number leave, so no
    // blank stub of a header is left at the right; long texts lose their middle, and show whole
    // as a tooltip.
    header()->setStretchLastSection(true);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header()->setMinimumSectionSize(40);
    setTextElideMode(Qt::ElideMiddle);
    setColumnWidth(CSiteListModel::kCaptionColumn, 200);
    setColumnWidth(CSiteListModel::kIdColumn, 60);
    setColumnWidth(CSiteListModel::kUrlColumn, 300);

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (showing) return;
        std::vector<CSiteNodeRef> rows;
        for (int row : SelectedRows()) rows.push_back(listModel.RowRef(row));
        // The list shows this selection already, with the anchor of a Shift+click where the
        // user left it.
        reporting = true;
        document.SelectRows(std::move(rows));
        reporting = false;
    });
    connect(header(), &QHeaderView::sectionResized, this, [this](int section, int, int) {
        if (section == CSiteListModel::kCaptionColumn && header()->underMouse())
            captionSized = true;
    });
    connect(this, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { OnDoubleClicked(index); });
    connect(&document, &CSiteDocument::SelectionChanged, this, [this] { ShowSelection(); });
    ShowSelection();
}

void CSiteListView::ShowSelection() {
    if (reporting) return;
    const CSiteSelection& selection = document.Selection();
    std::vector<int> wanted;
    int last = -1;
    for (const CSiteNodeRef ref : selection.rows)
        if (const int row = RowOf(document.Tree(), selection.folder, ref); row >= 0) {
            wanted.push_back(row);
            last = row;
        }
    std::sort(wanted.begin(), wanted.end());
    // The view is left as it is (its scroll position too) while it shows these rows already.
    if (listModel.ShownNode() == selection.folder && SelectedRows() == wanted) return;
    showing = true;
    listModel.ShowNode(selection.folder);
    // Rows next to each other make one range: a view asks its selection about every row it
    // paints, and a range per row made that quadratic (undoing the delete of 100,000 rows froze
    // the window for minutes).
    QItemSelection rows;
    for (std::size_t first = 0; first < wanted.size();) {
        std::size_t end = first + 1;
        while (end < wanted.size() && wanted[end] == wanted[end - 1] + 1) ++end;
        rows.append(QItemSelectionRange(
            listModel.index(wanted[first], 0),
            listModel.index(wanted[end - 1], CSiteListModel::kColumnCount - 1)));
        first = end;
    }
    if (last >= 0) {
        // The last row picked is the current one, as after a click.
        selectionModel()->setCurrentIndex(listModel.index(last, 0), QItemSelectionModel::NoUpdate);
        scrollTo(listModel.index(last, 0), QAbstractItemView::EnsureVisible);
    }
    selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect);
    showing = false;
}

void CSiteListView::SelectRow(int row) {
    const CSiteNodeRef ref = listModel.RowRef(row);
    if (ref) document.SelectRows({ref});
}

std::vector<int> CSiteListView::SelectedRows() const {
    std::vector<int> rows;
    // Rows are selected whole, so the ranges give them; selectedRows() would ask every range
    // about every row.
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row) rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

int CSiteListView::GetSelectionPosition() const {
    const std::vector<CSiteNodeRef>& rows = document.Selection().rows;
    if (rows.size() != 1) return 3;
    const int row = listModel.RowOf(rows.front());
    if (row == 0) return 1;
    return row == listModel.rowCount({}) - 1 ? 0 : 2;
}

bool CSiteListView::IsFolderRowSelected() const {
    const std::vector<CSiteNodeRef>& rows = document.Selection().rows;
    return rows.size() == 1 && rows.front().kind == CSiteNodeRef::Folder;
}

void CSiteListView::DeleteSelectedRows() {
    const std::vector<CSiteNodeRef> rows = document.Selection().rows;
    if (rows.empty()) return;
    if (TheDesktop().Ask(this, document.DeleteQuestion(rows), false) != CDesktop::Answer::Yes)
        return;
    document.DeleteRows(listModel.ShownNode(), rows);
}

void CSiteListView::CopyRows(bool cut) {
    if (const CFolderKey source = listModel.ShownNode())
        document.CopyRows(source, cut, document.Selection().rows);
}

CFolderKey CSiteListView::PasteIntoSelectedFolder() {
    const std::vector<CSiteNodeRef>& rows = document.Selection().rows;
    // Only a sub-site row names a folder to paste into; it becomes the selected folder even when
    // nothing can be pasted there.
    if (rows.empty() || rows.front().kind != CSiteNodeRef::Folder) return {};
    const CFolderKey target = rows.front().folder;
    if (!document.Paste(target)) document.SelectFolder(target);
    return target;
}

void CSiteListView::MoveSelectedRow(bool down) {
    const std::vector<CSiteNodeRef>& rows = document.Selection().rows;
    if (rows.empty()) return;
    // The row keeps its selection as it moves.
    const CSiteNodeRef ref = rows.front();
    if (ref.kind == CSiteNodeRef::Folder)
        document.MoveFolder(ref.folder, down);
    else if (ref.kind == CSiteNodeRef::Item)
        document.MoveItem(ref.item, down);
}

void CSiteListView::OnDoubleClicked(const QModelIndex& index) {
    const CSiteNodeRef ref = listModel.RowRef(index.row());
    if (ref.kind == CSiteNodeRef::Folder) {
        document.SelectFolder(ref.folder);
        emit FolderOpened(ref.folder);
    } else if (ref.kind == CSiteNodeRef::Item) {
        const QString url = TextFromBytes(document.Tree().Find(ref.item)->url).trimmed();
        if (!url.isEmpty()) TheDesktop().OpenUrl(UrlForOpening(url));
    }
}

bool CSiteListView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (!index.isValid()) return QTreeView::edit(index, trigger, event);
    // A click on one of several selected rows picks that row alone; the next click renames it.
    if (trigger == SelectedClicked && document.Selection().rows.size() > 1) {
        SelectRow(index.row());
        return false;
    }
    // Only the caption can be renamed, whichever cell of the row is current.
    return QTreeView::edit(index.siblingAtColumn(CSiteListModel::kCaptionColumn), trigger, event);
}

void CSiteListView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier &&
        state() != QAbstractItemView::EditingState) {
        DeleteSelectedRows();
        event->accept();
        return;
    }
    // Ctrl+Up and Ctrl+Down belong to Move up and Move down: while those are disabled the keys
    // do nothing, instead of moving the current row without selecting it.
    if ((event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) &&
        event->modifiers() == Qt::ControlModifier) {
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void CSiteListView::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    // The caption shares the width with the URL until the user sets its width himself.
    if (!captionSized) {
        const int share =
            std::max(120, (viewport()->width() - columnWidth(CSiteListModel::kIdColumn)) * 2 / 5);
        setColumnWidth(CSiteListModel::kCaptionColumn, share);
    }
}

void CSiteListView::focusInEvent(QFocusEvent* event) {
    QTreeView::focusInEvent(event);
    document.SetPane(CSiteSelection::Pane::List);
}
