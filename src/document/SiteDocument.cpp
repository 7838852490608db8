#include "SiteDocument.h"

#include <QTimer>
#include <algorithm>
#include <chrono>

#include "SiteEditCommands.h"

namespace fs = std::filesystem;

namespace {

fs::path PathOf(const QString& path) {
    return fs::path(path.toStdU16String());
}

// Marks the tree's change notices that arrive meanwhile as the document's own.
class COwnChanges {
public:
    explicit COwnChanges(int& counter) : count(counter) { ++count; }
    ~COwnChanges() { --count; }
    COwnChanges(const COwnChanges&) = delete;
    COwnChanges& operator=(const COwnChanges&) = delete;

private:
    int& count;
};

const CSiteText* TextOf(const CSiteTree& tree, CSiteNodeRef record, CSiteField field) {
    if (record.kind == CSiteNodeRef::Folder) {
        const CSiteNode* node = tree.Find(record.folder);
        if (!node) return nullptr;
        switch (field) {
            case CSiteField::Caption:
                return &node->Folder().caption;
            case CSiteField::Description:
                return &node->Folder().description;
            case CSiteField::Url:
                return nullptr;
        }
    }
    if (record.kind == CSiteNodeRef::Item) {
        const CSiteItem* item = tree.Find(record.item);
        if (!item) return nullptr;
        switch (field) {
            case CSiteField::Caption:
                return &item->caption;
            case CSiteField::Description:
                return &item->description;
            case CSiteField::Url:
                return &item->url;
        }
    }
    return nullptr;
}

std::string_view CaptionOf(const CSiteTree& tree, CSiteNodeRef record) {
    const CSiteText* caption = TextOf(tree, record, CSiteField::Caption);
    return caption ? std::string_view(*caption) : std::string_view();
}

// The sub-sites and items below a folder, all the way down.
struct CContents {
    std::size_t folders = 0;
    std::size_t items = 0;
};
void AddContents(const CSiteNode& node, CContents& contents) {
    contents.items += node.Folder().items.size();
    for (std::size_t i = 0; i < node.ChildCount(); ++i) {
        ++contents.folders;
        AddContents(*node.Child(i), contents);
    }
}

// "1 sub-site", "3 items", "2 sub-sites and 3 items"; "" for none of either.
QString CountText(std::size_t folders, std::size_t items) {
    const QString folderText = folders == 1 ? CSiteDocument::tr("1 sub-site")
                                            : CSiteDocument::tr("%1 sub-sites").arg(folders);
    const QString itemText =
        items == 1 ? CSiteDocument::tr("1 item") : CSiteDocument::tr("%1 items").arg(items);
    if (folders > 0 && items > 0) return CSiteDocument::tr("%1 and %2").arg(folderText, itemText);
    if (folders > 0) return folderText;
    if (items > 0) return itemText;
    return {};
}

}  // namespace

CSiteDocument::CSiteDocument(QObject* parent) : QObject(parent) {
    project.Tree().AddObserver(this);
    selection.folder = project.Tree().RootKey();
    connect(&undoStack, &QUndoStack::cleanChanged, this, [this] { NoteModified(); });
}

CSiteDocument::~CSiteDocument() {
    project.Tree().RemoveObserver(this);
}

// --- project state -----------------------------------------------------------------------------

void CSiteDocument::NoteModified() {
    const bool modified = IsModified();
    if (modified == lastModified) return;
    lastModified = modified;
    emit ModifiedChanged(modified);
}

void CSiteDocument::SetModified(bool flag) {
    changedOutside = flag;
    if (flag)
        exportedRevision.reset();
    else
        undoStack.setClean();
    NoteModified();
}

void CSiteDocument::ExportWritten(std::uint64_t atRevision) {
    if (atRevision == revision) exportedRevision = revision;
}

void CSiteDocument::ProjectReplaced() {
    selection = CSiteSelection::OfFolder(project.Tree().RootKey());
    emit OptionsChanged();
    emit ClipboardChanged();
    emit SelectionChanged();
    NoteModified();
}

void CSiteDocument::NewProject() {
    // The steps name records of the project that goes.
    undoStack.clear();
    {
        const COwnChanges own(ownChanges);
        project.New();
    }
    filePath.clear();
    changedOutside = false;
    ++revision;
    ProjectReplaced();
}

ProjectOpenResult CSiteDocument::Open(const QString& path) {
    ProjectOpenResult result;
    {
        const COwnChanges own(ownChanges);
        // Waits as briefly for another program as a save does.
        CProjectLock::Options waitBriefly;
        waitBriefly.wait = std::chrono::milliseconds(1000);
        result = project.Open(PathOf(path), waitBriefly);
    }
    if (!result.replaced) return result;
    // The steps name records of the project that went.
    undoStack.clear();
    // A project not read whole goes on untitled, as a change not yet saved anywhere.
    const bool whole = result.load.IsComplete();
    filePath = whole ? path : QString();
    changedOutside = !whole;
    ++revision;
    ProjectReplaced();
    return result;
}

ProjectSaveResult CSiteDocument::Save(const QString& path, const ProjectSaveOptions& options) {
    const ProjectSaveResult result = project.SaveAs(PathOf(path), options);
    if (!result.projectWritten) return result;
    filePath = path;
    // Settings that are not where the project file says they are: still a change to save.
    changedOutside = result.status == ProjectSaveStatus::SettingsFailed;
    if (!changedOutside) undoStack.setClean();
    NoteModified();
    return result;
}

QString CSiteDocument::DeleteQuestion(const std::vector<CSiteNodeRef>& records) const {
    std::size_t folders = 0;
    std::size_t items = 0;
    CContents inside;
    for (const CSiteNodeRef record : records) {
        if (record.kind == CSiteNodeRef::Folder) {
            if (const CSiteNode* node = project.Tree().Find(record.folder)) {
                ++folders;
                AddContents(*node, inside);
            }
        } else if (record.kind == CSiteNodeRef::Item && project.Tree().Find(record.item)) {
            ++items;
        }
    }
    QString question;
    if (folders + items == 1) {
        const QString caption = QuotedCaption(CaptionOf(project.Tree(), records.front()));
        const QString held = CountText(inside.folders, inside.items);
        question = items == 1       ? tr("Delete the item %1?").arg(caption)
                   : held.isEmpty() ? tr("Delete the sub-site %1?").arg(caption)
                                    : tr("Delete the sub-site %1 and its %2?").arg(caption, held);
    } else {
        question = tr("Delete %1?").arg(CountText(folders, items));
        if (const QString held = CountText(inside.folders, inside.items); !held.isEmpty())
            question += u' ' + tr("The sub-sites hold %1 more.").arg(held);
    }
    return question + QStringLiteral("\n\n") +
           (folders + items == 1 ? tr("Undo brings it back.") : tr("Undo brings them back."));
}

// --- selection ---------------------------------------------------------------------------------

CSiteSelection CSiteDocument::Checked(CSiteSelection picked) const {
    if (!project.Tree().Find(picked.folder)) picked.folder = project.Tree().RootKey();
    std::erase_if(picked.rows,
                  [&](CSiteNodeRef row) { return RowOf(project.Tree(), picked.folder, row) < 0; });
    return picked;
}

void CSiteDocument::Select(CSiteSelection picked) {
    picked = Checked(std::move(picked));
    if (picked == selection) return;
    selection = std::move(picked);
    emit SelectionChanged();
}

void CSiteDocument::SelectFolder(CFolderKey folder) {
    Select(CSiteSelection::OfFolder(folder));
}

void CSiteDocument::SelectRows(std::vector<CSiteNodeRef> rows) {
    Select(CSiteSelection::OfRows(selection.folder, std::move(rows)));
}

void CSiteDocument::SetPane(CSiteSelection::Pane pane) {
    CSiteSelection picked = selection;
    picked.pane = pane;
    Select(std::move(picked));
}

void CSiteDocument::ShowSelection(const CSiteSelection& picked) {
    selection = Checked(picked);
    emit SelectionChanged();
}

// --- the tree's notices ------------------------------------------------------------------------

void CSiteDocument::ChangeBegins(const CSiteChange& change) {
    emit TreeChangeBegins(change);
}

void CSiteDocument::ChangeEnded(const CSiteChange& change) {
    ++revision;
    emit TreeChangeEnded(change);
    if (ownChanges > 0) return;
    // A change from outside the history: the steps no longer fit the project.Tree().
    undoStack.clear();
    changedOutside = true;
    if (change.kind == CSiteChange::Kind::Reset) {
        ProjectReplaced();
        return;
    }
    NoteModified();
    if (CSiteSelection checked = Checked(selection); !(checked == selection)) {
        selection = std::move(checked);
        emit SelectionChanged();
    }
    // Deleted records leave the cut/copy state.
    if (change.kind == CSiteChange::Kind::FolderRemoved ||
        change.kind == CSiteChange::Kind::ItemsRemoved)
        emit ClipboardChanged();
}

// --- steps -------------------------------------------------------------------------------------

bool CSiteDocument::RecordStep(const QString& text,
                               const std::function<CSiteSelection(CSiteTree&)>& change) {
    const CSiteSelection before = selection;
    CSiteEditRecord record;
    CSiteSelection after;
    {
        const COwnChanges own(ownChanges);
        project.Tree().RecordInto(&record);
        struct StopRecording {
            CSiteTree& tree;
            ~StopRecording() { tree.RecordInto(nullptr); }
        } stop{project.Tree()};
        after = change(project.Tree());
    }
    if (record.Empty()) return false;
    ShowSelection(after);
    undoStack.push(new CTreeEditCommand(*this, text, std::move(record), before, selection));
    emit ClipboardChanged();
    return true;
}

void CSiteDocument::Replay(CSiteEditRecord& record, bool forward) {
    CSiteStatus status;
    {
        const COwnChanges own(ownChanges);
        status = forward ? project.Tree().Redo(record) : project.Tree().Undo(record);
    }
    emit ClipboardChanged();
    if (status == CSiteStatus::Done) return;
    // Only a fault lets a step not fit the tree; the history is dropped (not from inside the
    // stack's own undo or redo) and the project is kept as it is now, to be saved.
    qWarning("an undo step did not fit the project: %s", std::string(Describe(status)).c_str());
    changedOutside = true;
    QTimer::singleShot(0, this, [this] {
        undoStack.clear();
        NoteModified();
    });
}

void CSiteDocument::ApplyText(CSiteNodeRef record, CSiteField field, const std::string& text) {
    const COwnChanges own(ownChanges);
    if (record.kind == CSiteNodeRef::Folder)
        project.Tree().SetText(record.folder, field, text);
    else if (record.kind == CSiteNodeRef::Item)
        project.Tree().SetText(record.item, field, text);
}

void CSiteDocument::ApplyOptions(const CPageOption& page, const CLayoutOption& layout,
                                 const CPictureSettings& pictures, const CPageSettings& pages,
                                 const CPublishSettings& publish) {
    project.PageOption() = page;
    project.LayoutOption() = layout;
    project.Settings().pictures = pictures;
    project.Settings().pages = pages;
    project.Settings().publish = publish;
    ++revision;
    emit OptionsChanged();
}

CFolderKey CSiteDocument::NewFolder(CFolderKey parent) {
    CFolderKey made;
    RecordStep(tr("New Folder"), [&](CSiteTree& t) {
        made = t.NewFolder(parent).key;
        return made ? CSiteSelection::OfFolder(made) : selection;
    });
    return made;
}

CItemKey CSiteDocument::NewItem(CFolderKey folder) {
    CItemKey made;
    RecordStep(tr("New Item"), [&](CSiteTree& t) {
        made = t.NewItem(folder).key;
        if (!made) return selection;
        return CSiteSelection::OfRows(folder, {CSiteNodeRef::Of(made)});
    });
    return made;
}

bool CSiteDocument::SetText(CSiteNodeRef record, CSiteField field, const std::string& text,
                            bool typing) {
    const CSiteText* current = TextOf(project.Tree(), record, field);
    if (!current || *current == text) return false;
    std::string old(*current);
    std::string caption(CaptionOf(project.Tree(), record));
    ApplyText(record, field, text);
    undoStack.push(new CTextEditCommand(*this, record, field, std::move(old), text,
                                        std::move(caption), typing ? typingSession : -1,
                                        selection));
    return true;
}

bool CSiteDocument::DeleteFolder(CFolderKey folder) {
    const CSiteNode* node = project.Tree().Find(folder);
    if (!node || !node->Parent()) return false;
    const CSiteNode* next = node->NextSibling();
    if (!next) next = node->PreviousSibling();
    if (!next) next = node->Parent();
    const CFolderKey nextKey = next->Key();
    return RecordStep(tr("Delete %1").arg(QuotedCaption(node->Label())), [&](CSiteTree& t) {
        if (t.DeleteFolder(folder) != CSiteStatus::Done) return selection;
        return CSiteSelection::OfFolder(nextKey);
    });
}

bool CSiteDocument::DeleteRows(CFolderKey folder, const std::vector<CSiteNodeRef>& rows) {
    std::vector<CFolderKey> folders;
    std::vector<CItemKey> items;
    int first = -1;
    for (const CSiteNodeRef row : rows) {
        const int at = RowOf(project.Tree(), folder, row);
        if (at < 0) return false;
        if (first < 0 || at < first) first = at;
        if (row.kind == CSiteNodeRef::Folder) folders.push_back(row.folder);
        if (row.kind == CSiteNodeRef::Item) items.push_back(row.item);
    }
    if (first < 0) return false;
    const QString text =
        rows.size() == 1
            ? tr("Delete %1").arg(QuotedCaption(CaptionOf(project.Tree(), rows.front())))
            : tr("Delete %1").arg(CountText(folders.size(), items.size()));
    return RecordStep(text, [&](CSiteTree& t) {
        if (t.DeleteRows(folder, folders, items) != CSiteStatus::Done) return selection;
        CSiteSelection after = CSiteSelection::OfRows(folder, {});
        if (const int remaining = RowCount(t, folder); remaining > 0)
            after.rows.push_back(RowAt(t, folder, std::min(first, remaining - 1)));
        return after;
    });
}

bool CSiteDocument::Paste(CFolderKey target) {
    if (!project.Tree().CanPaste(target)) return false;
    const CSiteClipboard& held = project.Tree().Clipboard();
    const CSiteNode* heldFolder = project.Tree().Find(held.folderNode);
    const QString what =
        heldFolder ? QuotedCaption(heldFolder->Label())
        : held.folderKeys.size() + held.itemKeys.size() == 1
            ? QuotedCaption(CaptionOf(
                  project.Tree(), held.itemKeys.empty() ? CSiteNodeRef::Of(held.folderKeys.front())
                                                        : CSiteNodeRef::Of(held.itemKeys.front())))
            : CountText(held.folderKeys.size(), held.itemKeys.size());
    return RecordStep(tr("Paste %1").arg(what).trimmed(), [&](CSiteTree& t) {
        if (t.Paste(target) != CSiteStatus::Done) return selection;
        return CSiteSelection::OfFolder(target);
    });
}

bool CSiteDocument::Drop(CFolderKey source, CFolderKey target, bool copy) {
    const CSiteNode* node = project.Tree().Find(source);
    if (!node) return false;
    const QString text = (copy ? tr("Copy %1") : tr("Move %1")).arg(QuotedCaption(node->Label()));
    return RecordStep(text, [&](CSiteTree& t) {
        t.Drop(source, target, copy);
        return selection;
    });
}

bool CSiteDocument::MoveFolder(CFolderKey folder, bool down) {
    const CSiteNode* node = project.Tree().Find(folder);
    if (!node) return false;
    const QString text =
        (down ? tr("Move Down %1") : tr("Move Up %1")).arg(QuotedCaption(node->Label()));
    return RecordStep(text, [&](CSiteTree& t) {
        if (down)
            t.MoveDown(folder);
        else
            t.MoveUp(folder);
        return selection;
    });
}

bool CSiteDocument::MoveItem(CItemKey item, bool down) {
    const CSiteItem* found = project.Tree().Find(item);
    if (!found) return false;
    const QString text =
        (down ? tr("Move Down %1") : tr("Move Up %1")).arg(QuotedCaption(found->caption));
    return RecordStep(text, [&](CSiteTree& t) {
        t.MoveItem(item, down);
        return selection;
    });
}

bool CSiteDocument::SortItems(CFolderKey folder, CSortOrder order, const CDateTakenFn& dateTaken) {
    const CSiteNode* node = project.Tree().Find(folder);
    if (!node) return false;
    const std::vector<CItemKey> sorted = SortedItems(node->Folder(), order, dateTaken);
    return RecordStep(tr("Sort Items"), [&](CSiteTree& t) {
        ReorderItems(t, folder, sorted);
        return selection;
    });
}

CImportResult CSiteDocument::ImportAsSite(CFolderKey folder, const std::string& name,
                                          CImportScan scan) {
    CImportResult result;
    result.status = CSiteStatus::NoSuchFolder;
    RecordStep(tr("Import Folder as Sub-site"), [&](CSiteTree& t) {
        result = AddImportedScanAsSite(t, folder, name, std::move(scan));
        return CSiteSelection::OfFolder(folder);
    });
    return result;
}

CImportResult CSiteDocument::Import(CFolderKey folder, CImportScan scan) {
    CImportResult result;
    result.status = CSiteStatus::NoSuchFolder;
    RecordStep(tr("Import Folder"), [&](CSiteTree& t) {
        result = AddImportedScan(t, folder, std::move(scan));
        return CSiteSelection::OfFolder(folder);
    });
    return result;
}

CImportResult CSiteDocument::ImportFiles(CFolderKey folder, const std::vector<std::string>& paths,
                                         const ImportOptions& options) {
    CImportResult result;
    result.status = CSiteStatus::NoSuchFolder;
    RecordStep(tr("Import Files"), [&](CSiteTree& t) {
        result = ::ImportFiles(t, folder, paths, options);
        return CSiteSelection::OfFolder(folder);
    });
    return result;
}

bool CSiteDocument::SetPageOption(const CPageOption& option) {
    return SetPageOption(option, project.Settings().pictures);
}

bool CSiteDocument::SetPageOption(const CPageOption& option, const CPictureSettings& pictures) {
    return SetPageOption(option, pictures, project.Settings().pages, project.Settings().publish);
}

bool CSiteDocument::SetPageOption(const CPageOption& option, const CPictureSettings& pictures,
                                  const CPageSettings& pages) {
    return SetPageOption(option, pictures, pages, project.Settings().publish);
}

bool CSiteDocument::SetPageOption(const CPageOption& option, const CPictureSettings& pictures,
                                  const CPageSettings& pages, const CPublishSettings& publish) {
    if (option == project.PageOption() && pictures == project.Settings().pictures &&
        pages == project.Settings().pages && publish == project.Settings().publish)
        return false;
    undoStack.push(new COptionsCommand(
        *this, tr("Website Properties"),
        {project.PageOption(), project.LayoutOption(), project.Settings().pictures,
         project.Settings().pages, project.Settings().publish},
        {option, project.LayoutOption(), pictures, pages, publish}));
    return true;
}

bool CSiteDocument::SetLayoutOption(const CLayoutOption& option) {
    if (option == project.LayoutOption()) return false;
    undoStack.push(new COptionsCommand(
        *this, tr("Layout Properties"),
        {project.PageOption(), project.LayoutOption(), project.Settings().pictures,
         project.Settings().pages, project.Settings().publish},
        {project.PageOption(), option, project.Settings().pictures, project.Settings().pages,
         project.Settings().publish}));
    return true;
}

// --- cut and copy ------------------------------------------------------------------------------

void CSiteDocument::Copy(CFolderKey folder) {
    if (project.Tree().Copy(folder) == CSiteStatus::Done) emit ClipboardChanged();
}

void CSiteDocument::Cut(CFolderKey folder) {
    if (project.Tree().Cut(folder) == CSiteStatus::Done) emit ClipboardChanged();
}

void CSiteDocument::CopyRows(CFolderKey source, bool cut, const std::vector<CSiteNodeRef>& rows) {
    std::vector<CFolderKey> folders;
    std::vector<CItemKey> items;
    for (const CSiteNodeRef row : rows) {
        if (row.kind == CSiteNodeRef::Folder) folders.push_back(row.folder);
        if (row.kind == CSiteNodeRef::Item) items.push_back(row.item);
    }
    if (project.Tree().CopyRows(source, cut, std::move(folders), std::move(items)) ==
        CSiteStatus::Done)
        emit ClipboardChanged();
}
