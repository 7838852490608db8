#pragma once

#include <QAbstractItemView>
#include <QString>
#include <QStringList>
#include <memory>

#include "FakeDesktop.h"
#include "MainFrame.h"
#include "SiteListView.h"
#include "SitePropertyView.h"
#include "SiteTreeView.h"

class QAction;
class QMenu;

// Each test class runs from ShellTestMain.cpp.
int RunControlsTest(int argc, char** argv);
int RunMainFrameTest(int argc, char** argv);
int RunSiteViewsTest(int argc, char** argv);
int RunPropertyViewTest(int argc, char** argv);
int RunEditCommandsTest(int argc, char** argv);
int RunImportCommandsTest(int argc, char** argv);
int RunFileCommandsTest(int argc, char** argv);
int RunExportCommandsTest(int argc, char** argv);
int RunUndoTest(int argc, char** argv);
int RunWindowUseTest(int argc, char** argv);
int RunPublishCommandsTest(int argc, char** argv);
int RunTranslationTest(int argc, char** argv);

// The real main window, shown and active, with the focus in the tree and a fake desktop.
struct CFrameFixture {
    CFakeDesktopScope desktop;
    CMainFrame frame;

    CFrameFixture();
    CSiteTreeView& Tree() const { return *frame.GetTreeView(); }
    CSiteListView& List() const { return *frame.GetListView(); }
    CSitePropertyView& Form() const { return *frame.GetPropertyView(); }
    CSiteDocument& Doc() { return frame.Document(); }
    // The tree, for building a project around a test (no undo steps).
    CSiteTree& Model() { return Doc().EditOutsideHistory(); }
    CFolderKey Root() { return Model().RootKey(); }
    const CSiteFolder& Folder(CFolderKey key) { return Model().Find(key)->Folder(); }
    // A sub-site of the folder (of the root when none is given) and their number.
    CFolderKey Child(std::size_t index, CFolderKey parent = {}) {
        return Model().Find(parent ? parent : Root())->Child(index)->Key();
    }
    std::size_t ChildCount(CFolderKey parent = {}) {
        return Model().Find(parent ? parent : Root())->ChildCount();
    }

    // Runs a command as the menu would, after the window has settled its enabling.
    bool Trigger(int commandId);
    // Gives the keyboard focus to a pane and lets the window react.
    void Focus(QWidget* widget);
    // Makes the folder the selected one by clicking it in the tree.
    void ClickNode(CFolderKey folder);
    // Selects exactly these list rows, as Ctrl+clicks do.
    void SelectRows(std::initializer_list<int> rows);
    QString ListText(int row, int column) const;
    int ListRows() const;
    QString TreeLabel(CFolderKey folder) const;
};

// Types the text into the widget key by key, as a keyboard would, whatever its characters.
void TypeText(QWidget* widget, const QString& text);
// Renames the index in place: starts the editor, types the text, presses Enter.
void RenameInPlace(QAbstractItemView& view, const QModelIndex& index, const QString& text);
// The texts of a menu's visible entries, "-" for a separator.
QStringList MenuTexts(const QMenu& menu);
// The key of a menu text ("E&xit" -> 'X'); several or none give the number of them as a negative
// value instead.
int Mnemonic(const QString& text);
// What is wrong with the keys of these entries: a missing key, two keys, one key used twice.
QStringList MnemonicClashes(const QList<QAction*>& entries);
