// The window as a user meets it: big selections, what the form shows, where Tab and the focus go,
// the menus' keys and the titles and questions that name what they are about.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "AboutDlg.h"
#include "BrowserLauncher.h"
#include "CheckDialog.h"
#include "CommandIds.h"
#include "ShellTestUtil.h"

using namespace CommandId;
using namespace Qt::StringLiterals;

namespace {

// The root with one sub-site holding `count` items.
CFolderKey FolderOfItems(CFrameFixture& f, std::size_t count) {
    const CFolderKey folder = f.Doc().NewFolder(f.Root());
    std::vector<CSiteItem> items(count);
    for (std::size_t i = 0; i < count; ++i) items[i].caption = "Item " + std::to_string(i);
    f.Model().AddItems(folder, std::move(items));
    return folder;
}

std::vector<CSiteNodeRef> AllItems(CFrameFixture& f, CFolderKey folder) {
    std::vector<CSiteNodeRef> rows;
    for (const CSiteItem& item : f.Folder(folder).items) rows.push_back(CSiteNodeRef::Of(item.key));
    return rows;
}

// The object names of the widgets Tab (or Shift+Tab) visits from the widget, until it comes back.
QString TabStops(QWidget* start, bool back = false, int most = 12) {
    QStringList stops;
    start->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    for (int i = 0; i < most; ++i) {
        QTest::keyClick(QApplication::focusWidget(), back ? Qt::Key_Backtab : Qt::Key_Tab,
                        back ? Qt::ShiftModifier : Qt::NoModifier);
        QWidget* now = QApplication::focusWidget();
        stops << (now ? now->objectName() : u"(none)"_s);
        if (now == start) break;
    }
    return stops.join(u' ');
}

}  // namespace

class WindowUseTest : public QObject {
    Q_OBJECT

private slots:
    void RestoredSelectionOfManyRowsIsOneRange() {
        CFrameFixture f;
        const CFolderKey folder = FolderOfItems(f, 100000);
        const std::vector<CSiteNodeRef> rows = AllItems(f, folder);
        f.Doc().SelectRows(rows);
        f.Doc().DeleteRows(folder, rows);
        QCOMPARE(f.Folder(folder).items.size(), 0u);
        f.Doc().UndoStack().undo();
        QApplication::processEvents();
        QCOMPARE(f.Folder(folder).items.size(), 100000u);
        QCOMPARE(f.Doc().Selection().rows.size(), 100000u);
        const QItemSelection shown = f.List().selectionModel()->selection();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.front().top(), 0);
        QCOMPARE(shown.front().bottom(), 99999);
        QCOMPARE(f.List().SelectedRows().size(), 100000u);

        // Rows apart stay apart.
        f.Doc().SelectRows({rows[1], rows[2], rows[5]});
        QApplication::processEvents();
        QCOMPARE(f.List().selectionModel()->selection().size(), 2);
        QCOMPARE(f.List().SelectedRows(), (std::vector<int>{1, 2, 5}));
    }

    // Another program (a second window, pagelorn-cli set) wrote the settings file meanwhile.
    void SaveAsksWhenTheSettingsFileWasChanged() {
        using Answer = CDesktop::Answer;
        QTemporaryDir dir;
        const QString path = dir.filePath(u"shared.www"_s);
        const QString settingsPath = path + u".json"_s;
        CFrameFixture f;
        f.Doc().NewFolder(f.Root());
        f.desktop->fileNames = {path};
        QVERIFY(f.Trigger(kFileSaveAs));
        QCOMPARE(f.desktop->questions.size(), 0);
        const std::string theirs = "{\"pictures\": {\"box\": 640}, \"theirs\": 1}\n";
        std::ofstream(settingsPath.toStdString(), std::ios::binary) << theirs;
        const auto settingsOnDisk = [&] {
            std::ifstream in(settingsPath.toStdString(), std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), {});
        };

        f.Doc().NewFolder(f.Root());
        f.desktop->answers = {Answer::No};
        f.Trigger(kFileSave);
        QCOMPARE(f.desktop->questions.size(), 1);
        QVERIFY2(f.desktop->questions.front().contains(settingsPath) &&
                     f.desktop->questions.front().contains(u"changed by another program"_s),
                 qPrintable(f.desktop->questions.front()));
        QCOMPARE(f.desktop->confirmButtons.back(), u"Overwrite"_s);
        QCOMPARE(settingsOnDisk(), theirs);
        QVERIFY(f.Doc().IsModified());

        f.desktop->answers = {Answer::Yes};
        f.Trigger(kFileSave);
        QVERIFY(!f.Doc().IsModified());
        f.Doc().NewFolder(f.Root());
        f.Trigger(kFileSave);
        QCOMPARE(f.desktop->questions.size(), 2);
        QCOMPARE(f.desktop->unexpected, 0);
    }

    void EveryMenuEntryHasAKeyOfItsOwn() {
        CFrameFixture f;
        QTemporaryDir dir;
        // Four recent files, all shown.
        for (const char* name : {"a.www", "b&c.www", "d.www", "e.www"}) {
            f.desktop->fileNames = {dir.filePath(QString::fromUtf8(name))};
            QVERIFY(f.Trigger(kFileSaveAs));
        }
        QMenuBar* bar = f.frame.menuBar();
        QStringList wrong = MnemonicClashes(bar->actions());
        int entries = 0;
        for (const QAction* title : bar->actions()) {
            wrong << MnemonicClashes(title->menu()->actions());
            entries += static_cast<int>(title->menu()->actions().size());
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
        QVERIFY(entries > 25);
        QStringList recent;
        for (QAction* action : f.frame.FileMenu()->actions())
            if (action->text().startsWith(u'&') && action->text().at(1).isDigit())
                recent << action->text();
        QCOMPARE(recent.size(), 4);
        QCOMPARE(recent[0], u"&1 "_s + dir.filePath(u"e.www"_s));
        QCOMPARE(recent[2], u"&3 "_s + dir.filePath(u"b&&c.www"_s));
        QCOMPARE(f.frame.Action(kAppExit)->shortcut(), QKeySequence(u"Ctrl+Q"_s));
    }

    void DroppedOrPastedFolderIsInSight() {
        CFrameFixture f;
        const CFolderKey a = f.Doc().NewFolder(f.Root());
        const CFolderKey b = f.Doc().NewFolder(f.Root());
        f.Doc().NewFolder(b);
        CSiteTreeView& tree = f.Tree();
        const auto inSight = [&](CFolderKey folder) {
            const QModelIndex index = tree.Model().IndexOf(folder);
            for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
                if (!tree.isExpanded(up)) return false;
            return tree.SelectedNode() == folder &&
                   tree.viewport()->rect().contains(tree.visualRect(index));
        };
        f.ClickNode(a);
        tree.collapse(tree.Model().IndexOf(b));
        QVERIFY(tree.DropNode(a, b, false));
        QApplication::processEvents();
        QCOMPARE(f.Model().Find(a)->Parent()->Key(), b);
        QVERIFY(inSight(a));

        // Undone, it is back where it was; done again, it is in sight again.
        tree.collapse(tree.Model().IndexOf(b));
        f.Doc().UndoStack().undo();
        QApplication::processEvents();
        QCOMPARE(f.Model().Find(a)->Parent()->Key(), f.Root());
        QVERIFY(inSight(a));
        tree.collapse(tree.Model().IndexOf(b));
        f.Doc().UndoStack().redo();
        QApplication::processEvents();
        QVERIFY(inSight(a));
    }

    // The folder dialog took the activation, and the window manager gave it to another window.
    void FocusComesBackAfterImportFolder() {
        CFrameFixture f;
        QTemporaryDir source;
        QVERIFY(QDir().mkpath(source.filePath(u"Photos"_s)));
        std::ofstream(source.filePath(u"Photos/a.jpg"_s).toStdString()) << "x";
        const CFolderKey target = f.Doc().NewFolder(f.Root());
        f.ClickNode(target);
        f.Focus(&f.List());
        QWidget other;
        f.desktop->whileAsking = [&] {
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
        };
        f.desktop->fileNames = {source.path()};
        QVERIFY(f.Trigger(kImportFolder));
        QCOMPARE(f.ChildCount(target), 1u);
        QCOMPARE(f.Tree().SelectedNode(), target);
        for (int id : {kEditCut, kEditCopy, kDelete}) QVERIFY(f.frame.Action(id)->isEnabled());
        QTRY_VERIFY(f.frame.isActiveWindow());
        QCOMPARE(QApplication::focusWidget(), &f.Tree());
    }

    void CheckListFollowsTheProject() {
        CFrameFixture f;
        const CFolderKey folder = f.Doc().NewFolder(f.Root());
        const CItemKey gone =
            f.Model().AddItem(folder, "Gone", "file:///nonexistent/pagelorn/gone.doc").key;
        QVERIFY(f.Trigger(kCheckWebsite));
        QPointer<CCheckDialog> dialog = f.frame.findChild<CCheckDialog*>();
        QVERIFY(dialog && dialog->isVisible());
        QTableWidget* table = dialog->Table();
        QCOMPARE(table->rowCount(), 1);
        QVERIFY(!table->item(0, 0)->icon().isNull());
        QVERIFY(!dialog->IsRowGone(0));

        // The item is deleted: its row says so, and a double-click selects nothing.
        f.Doc().DeleteRows(folder, {CSiteNodeRef::Of(gone)});
        QVERIFY(dialog->IsRowGone(0));
        QCOMPARE(table->item(0, CCheckDialog::kPathColumn)->toolTip(),
                 u"Deleted from the website since the check."_s);
        QVERIFY2(dialog->Summary()->text().contains(u"deleted since"_s),
                 qPrintable(dialog->Summary()->text()));
        f.ClickNode(f.Root());
        emit table->cellDoubleClicked(0, 0);
        QCOMPARE(f.Tree().SelectedNode(), f.Root());
        // Undo brings it back, and the row with it.
        f.Doc().UndoStack().undo();
        QVERIFY(!dialog->IsRowGone(0));
        emit table->cellDoubleClicked(0, 0);
        QCOMPARE(f.Tree().SelectedNode(), folder);

        // Mended and checked again: the same dialog says there is nothing left.
        f.Model().SetText(gone, CSiteField::Url, "https://example.org/");
        dialog->CheckAgainButton()->click();
        QCOMPARE(f.frame.findChildren<CCheckDialog*>().size(), 1);
        QVERIFY(dialog);
        QCOMPARE(table->rowCount(), 0);
        QVERIFY(!table->isVisible());
        QVERIFY(dialog->Summary()->text().startsWith(u"No problems found"_s));
        dialog->close();
    }

    void TitleNamesTheProjectAndItsChanges() {
        QTemporaryDir dir;
        CFrameFixture f;
        QCOMPARE(f.frame.windowTitle(), u"! Pagelorn"_s);
        f.desktop->fileNames = {dir.filePath(u"site.www"_s)};
        QVERIFY(f.Trigger(kFileSaveAs));
        QCOMPARE(f.frame.windowTitle(), u"site.www[*] - ! Pagelorn"_s);
        QCOMPARE(f.frame.windowFilePath(), dir.filePath(u"site.www"_s));
        QVERIFY(!f.frame.isWindowModified());
        f.Doc().NewFolder(f.Root());
        QVERIFY(f.frame.isWindowModified());
        f.Doc().UndoStack().undo();
        QVERIFY(!f.frame.isWindowModified());
        // The save prompt names the file too.
        f.Doc().NewFolder(f.Root());
        f.desktop->answers = {CDesktop::Answer::No};
        QVERIFY(f.Trigger(kFileNew));
        QCOMPARE(f.desktop->questions,
                 QStringList{u"Do you want to save the changes to site.www?"_s});
        QCOMPARE(f.frame.windowTitle(), u"! Pagelorn"_s);
    }

    void BrowserThatCannotBeStartedIsReported() {
        CBrowserLauncher launcher;
        launcher.SetPatience(30000);
        QList<QString> failures;
        QList<QUrl> opened;
        connect(&launcher, &CBrowserLauncher::Failed, this,
                [&](const QUrl&, const QString& reason) { failures << reason; });
        connect(&launcher, &CBrowserLauncher::Opened, this,
                [&](const QUrl& url) { opened << url; });
        const QUrl page = QUrl::fromLocalFile(u"/tmp/preview/Index.htm"_s);
        // A launcher that finds no browser, as xdg-open does without one configured.
        launcher.SetLauncher(u"/bin/sh"_s,
                             {u"-c"_s, u"echo 'xdg-open: no method available' >&2; exit 3"_s});
        QVERIFY(launcher.Open(page));
        QTRY_COMPARE_WITH_TIMEOUT(failures.size(), 1, 10000);
        QVERIFY2(failures.front().contains(u"no method available"_s), qPrintable(failures.front()));
        launcher.SetLauncher(u"/bin/sh"_s, {u"-c"_s, u"exit 4"_s});
        QVERIFY(launcher.Open(page));
        QTRY_COMPARE_WITH_TIMEOUT(failures.size(), 2, 10000);
        QVERIFY2(failures.back().contains(u"status 4"_s), qPrintable(failures.back()));
        launcher.SetLauncher(u"/bin/true"_s);
        QVERIFY(launcher.Open(page));
        QTRY_COMPARE_WITH_TIMEOUT(opened.size(), 1, 10000);
        QCOMPARE(opened.front(), page);
        QCOMPARE(failures.size(), 2);
        // A launcher that is not there at all is known at once.
        launcher.SetLauncher(u"/nonexistent/xdg-open"_s);
        QVERIFY(launcher.Open(page));
        QTRY_COMPARE_WITH_TIMEOUT(failures.size(), 3, 10000);
    }

    void QuestionsAndStepsNameWhatTheyAreAbout() {
        CFrameFixture f;
        const CFolderKey holiday = FolderOfItems(f, 24);
        f.Model().RenameFolder(holiday, "Holiday");
        const std::vector<CSiteNodeRef> items = AllItems(f, holiday);
        QCOMPARE(f.Doc().DeleteQuestion({CSiteNodeRef::Of(holiday)}),
                 u"Delete the sub-site \"Holiday\" and its 24 items?\n\nUndo brings it back."_s);
        QCOMPARE(f.Doc().DeleteQuestion({items[0]}),
                 u"Delete the item \"Item 0\"?\n\nUndo brings it back."_s);
        QCOMPARE(f.Doc().DeleteQuestion({CSiteNodeRef::Of(holiday), items[0], items[1]}),
                 u"Delete 1 sub-site and 2 items? The sub-sites hold 24 items more.\n\n"
                 u"Undo brings them back."_s);

        // Undo names its step after what it did: one record by name, several by number.
        f.Doc().CopyRows(holiday, false, {items[0], items[1], items[2]});
        QVERIFY(f.Doc().Paste(f.Root()));
        QCOMPARE(f.Doc().UndoStack().undoText(), u"Paste 3 items"_s);
        f.ClickNode(holiday);
        QVERIFY(f.Trigger(kEditCopy));
        f.ClickNode(f.Root());
        QVERIFY(f.Trigger(kEditPaste));
        QCOMPARE(f.Doc().UndoStack().undoText(), u"Paste \"Holiday\""_s);
        QVERIFY(f.Doc().DeleteRows(holiday, {items[3], items[4]}));
        QCOMPARE(f.Doc().UndoStack().undoText(), u"Delete 2 items"_s);
    }

    void AboutBoxIsWideEnoughForItsTitle() {
        CAboutDlg about;
        about.show();
        QVERIFY(about.width() >= about.fontMetrics().horizontalAdvance(about.windowTitle()) + 120);
    }

    void DescriptionBoxShowsItsText() {
        CFrameFixture f;
        const CFolderKey folder = FolderOfItems(f, 1);
        f.Model().SetText(f.Folder(folder).items[0].key, CSiteField::Description, "Beach, 2024");
        f.Model().SetText(folder, CSiteField::Description, "Holidays");
        QPlainTextEdit* box = f.Form().DescriptionEdit();
        for (int pass = 0; pass < 2; ++pass) {
            f.ClickNode(folder);
            QVERIFY(box->isVisible());
            QVERIFY(box->viewport()->isVisible());
            QCOMPARE(box->toPlainText(), u"Holidays"_s);
            f.Focus(&f.List());
            f.SelectRows({0});
            QVERIFY(box->viewport()->isVisible());
            QCOMPARE(box->toPlainText(), u"Beach, 2024"_s);
            // A record shown again after the form was empty shows its text as well.
            f.SelectRows({});
            QVERIFY(!box->isVisible());
        }
    }

    void TabVisitsWhatIsShown() {
        CFrameFixture f;
        const CFolderKey folder = FolderOfItems(f, 2);
        f.ClickNode(folder);
        // The tree, the folder's fields, the list, the row's fields; hidden ones are passed over.
        QCOMPARE(TabStops(&f.Tree()), u"captionEdit descriptionEdit siteListView siteTreeView"_s);
        f.Focus(&f.List());
        f.SelectRows({1});
        QCOMPARE(TabStops(&f.List()),
                 u"captionEdit urlEdit browseButton descriptionEdit "
                 u"siteTreeView captionEdit descriptionEdit siteListView"_s);
        QCOMPARE(TabStops(&f.List(), true),
                 u"descriptionEdit captionEdit siteTreeView "
                 u"descriptionEdit browseButton urlEdit captionEdit "
                 u"siteListView"_s);
        // No row selected with the list focused: the form is empty and holds no stop.
        f.Focus(&f.List());
        f.SelectRows({});
        QCOMPARE(TabStops(&f.List()), u"siteTreeView captionEdit descriptionEdit siteListView"_s);
        f.SelectRows({0, 1});
        f.frame.UpdateActions();
        QVERIFY(f.frame.Action(kEditCopy)->isEnabled());
    }
};

int RunWindowUseTest(int argc, char** argv) {
    WindowUseTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WindowUseTest.moc"
