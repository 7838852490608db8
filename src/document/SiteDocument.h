#pragma once

#include <QObject>
#include <QString>
#include <QUndoStack>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "LayoutOption.h"
#include "PageOption.h"
#include "Project.h"
#include "ProjectFile.h"
#include "SiteImport.h"
#include "SiteSelection.h"
#include "SiteSort.h"
#include "SiteTree.h"
#include "WebsiteSettings.h"

// The open project of the window (a CProject: the website tree, thePageOption and
// theLayoutOption, the website settings, the file it was read from or saved to) and the history
// of its edits.
// Every change of the project goes through one of the commands below as one undo step; the
// views and sheets never change the records themselves. The views follow the tree's change
// notices (TreeChangeBegins / TreeChangeEnded) and the selection (SelectionChanged), which is kept
// here so that the views never call each other and undo can put back what each step showed.
//
// The project is modified while the history is away from its clean state (the last save or
// load) or once something outside the history changed it.
class CSiteDocument : public QObject, private CSiteTreeObserver {
    Q_OBJECT
public:
    explicit CSiteDocument(QObject* parent = nullptr);
    ~CSiteDocument() override;
    CSiteDocument(const CSiteDocument&) = delete;
    CSiteDocument& operator=(const CSiteDocument&) = delete;

    // --- the project -----------------------------------------------------------------------
    const CProject& Project() const { return project; }
    const CSiteTree& Tree() const { return project.Tree(); }
    const CPageOption& PageOption() const { return project.PageOption(); }
    const CLayoutOption& LayoutOption() const { return project.LayoutOption(); }
    const CWebsiteSettings& Settings() const { return project.Settings(); }
    // Full path of the project file; empty while the project is untitled.
    const QString& FilePath() const { return filePath; }
    QUndoStack& UndoStack() { return undoStack; }

    // The tree for building a project by program (tests, benchmarks). A change made through it
    // is no undo step: it empties the history, whose steps no longer fit, and marks the project
    // modified.
    CSiteTree& EditOutsideHistory() { return project.Tree(); }

    bool IsModified() const { return changedOutside || !undoStack.isClean(); }
    // False: the project as it stands counts as saved. True: it counts as changed until the next
    // save, whatever the history does.
    void SetModified(bool flag);
    // Counts every change of the project, undo and redo included.
    std::uint64_t Revision() const { return revision; }
    // The project changed since its export was last written whole (or was never exported).
    bool IsExportPending() const { return exportedRevision != revision; }

    // A copy of the whole project for a worker thread.
    std::shared_ptr<const CProject> Snapshot() const { return project.Snapshot(); }
    // An export of the project as it stood at that revision was written whole: it is no longer
    // pending unless the project changed since.
    void ExportWritten(std::uint64_t atRevision);

    // An empty project ("Index"), untitled, with default options and the settings of a new
    // project; the history is emptied.
    void NewProject();
    // Reads the project file and its settings file. A file read whole becomes the open project
    // under its path; a damaged tree is shown as far as it could be read, untitled and modified;
    // a file of which nothing can be used leaves the open project alone. The history is emptied
    // whenever the project is replaced.
    ProjectOpenResult Open(const QString& path);
    // Saves the project under `path` (CProject::SaveAs, which asks what `options` ask); once the
    // project file is written it is the project's file, and once both files are, the history's
    // current state is its clean state.
    ProjectSaveResult Save(const QString& path, const ProjectSaveOptions& options);

    // --- selection -------------------------------------------------------------------------
    const CSiteSelection& Selection() const { return selection; }
    // Keys that name nothing are left out; a folder that names nothing becomes the root.
    void Select(CSiteSelection picked);
    // The folder in the tree: the list shows its rows, none selected, and the form the folder.
    void SelectFolder(CFolderKey folder);
    // Rows of the shown folder in the list; the form follows the list.
    void SelectRows(std::vector<CSiteNodeRef> rows);
    // Which pane the form follows, as the focus moves between the tree and the list.
    void SetPane(CSiteSelection::Pane pane);

    // --- commands: each change is one undo step; false (or no key) when nothing changed ------
    CFolderKey NewFolder(CFolderKey parent);
    CItemKey NewItem(CFolderKey folder);
    // Sets a text of a folder or an item. A rename or paste stands alone as a step; keystrokes
    // of `typing` in one field of one record merge into one step until EndTyping.
    bool SetText(CSiteNodeRef record, CSiteField field, const std::string& text, bool typing);
    // The next keystroke starts a step of its own.
    void EndTyping() { ++typingSession; }
    // Deletes a folder with its sub-sites (never the root); the tree then selects its next
    // sibling, else its previous one, else its parent.
    bool DeleteFolder(CFolderKey folder);
    // Deletes rows of the folder's list; the list then selects the row where the first of them
    // was (or the new last row).
    bool DeleteRows(CFolderKey folder, const std::vector<CSiteNodeRef>& rows);
    // Pastes what was cut or copied into the folder, which becomes the selected one.
    bool Paste(CFolderKey target);
    // A sub-site dropped on a folder: a copy or a move (CSiteTree::Drop).
    bool Drop(CFolderKey source, CFolderKey target, bool copy);
    // Swaps a sub-site, or an item, with its neighbour.
    bool MoveFolder(CFolderKey folder, bool down);
    bool MoveItem(CItemKey item, bool down);
    // Puts the folder's items in order (Edit > Sort Items); false when they were in it.
    bool SortItems(CFolderKey folder, CSortOrder order, const CDateTakenFn& dateTaken = {});
    // What an import found, or the files of a list, go into the folder, which becomes the
    // selected one; one step for the whole import.
    CImportResult Import(CFolderKey folder, CImportScan scan);
    // The same into a new sub-site of the folder captioned `name` (AddImportedScanAsSite).
    CImportResult ImportAsSite(CFolderKey folder, const std::string& name, CImportScan scan);
    CImportResult ImportFiles(CFolderKey folder, const std::vector<std::string>& paths,
                              const ImportOptions& options = {});
    // The options as a property sheet left them; one step when they changed. The Website
    // Properties sheet also edits the settings of pictures, the page style and the publish
    // address.
    bool SetPageOption(const CPageOption& option);
    bool SetPageOption(const CPageOption& option, const CPictureSettings& pictures);
    bool SetPageOption(const CPageOption& option, const CPictureSettings& pictures,
                       const CPageSettings& pages);
    bool SetPageOption(const CPageOption& option, const CPictureSettings& pictures,
                       const CPageSettings& pages, const CPublishSettings& publish);
    bool SetLayoutOption(const CLayoutOption& option);

    // --- cut and copy (no undo steps) -------------------------------------------------------
    void Copy(CFolderKey folder);
    void Cut(CFolderKey folder);
    void CopyRows(CFolderKey source, bool cut, const std::vector<CSiteNodeRef>& rows);

    // The question Delete asks about these sub-sites and items: what is deleted, by name or by
    // number with what the sub-sites hold, and that Undo brings it back.
    QString DeleteQuestion(const std::vector<CSiteNodeRef>& records) const;

signals:
    // Every change of the tree, as CSiteTreeObserver tells it (the tree shows the state before
    // the change during ChangeBegins and the state after it during ChangeEnded).
    void TreeChangeBegins(const CSiteChange& change);
    void TreeChangeEnded(const CSiteChange& change);
    // The selection changed, or a step was done, undone or redone (the views then show the
    // selection again, whether or not it changed).
    void SelectionChanged();
    void ModifiedChanged(bool modified);
    // The cut/copy state changed.
    void ClipboardChanged();
    // The page or layout options, the settings of pictures or the publish address changed.
    void OptionsChanged();

private:
    friend class CTreeEditCommand;
    friend class CTextEditCommand;
    friend class COptionsCommand;

    // Runs a change of the tree while recording it; when it changed anything, the record becomes
    // a step whose selection afterwards is what `change` returns.
    bool RecordStep(const QString& text, const std::function<CSiteSelection(CSiteTree&)>& change);
    // For the commands: replays a record, sets a text or options, shows a step's selection.
    void Replay(CSiteEditRecord& record, bool forward);
    void ApplyText(CSiteNodeRef record, CSiteField field, const std::string& text);
    void ApplyOptions(const CPageOption& page, const CLayoutOption& layout,
                      const CPictureSettings& pictures, const CPageSettings& pages,
                      const CPublishSettings& publish);
    void ShowSelection(const CSiteSelection& picked);

    // Records that name nothing left out of a selection.
    CSiteSelection Checked(CSiteSelection picked) const;
    void NoteModified();
    void ProjectReplaced();

    // CSiteTreeObserver
    void ChangeBegins(const CSiteChange& change) override;
    void ChangeEnded(const CSiteChange& change) override;

    CProject project;
    QString filePath;  // the project's path as the window was given it
    CSiteSelection selection;
    std::uint64_t revision = 0;
    std::optional<std::uint64_t> exportedRevision;
    int typingSession = 0;
    // Changes of the tree made by this document's own steps, not from outside the history.
    int ownChanges = 0;
    bool changedOutside = false;
    bool lastModified = false;
    QUndoStack undoStack;
};
