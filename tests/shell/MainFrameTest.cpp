// The main window as a whole: its menus, toolbar and panes, and what it shows at start.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <filesystem>

#include "AboutDlg.h"
#include "CommandIds.h"
#include "OptionPage.h"
#include "OptionSheet.h"
#include "ProgramInfo.h"
#include "ProjectFile.h"
#include "ShellTestUtil.h"

using namespace CommandId;
using namespace Qt::StringLiterals;

class MainFrameTest : public QObject {
    Q_OBJECT

private slots:
    void MenusInOrder() {
        CFrameFixture f;
        QStringList titles;
        for (const QAction* menu : f.frame.menuBar()->actions()) titles << menu->text();
        QCOMPARE(titles, (QStringList{u"&File"_s, u"&Edit"_s, u"&Site"_s, u"&View"_s, u"&Options"_s,
                                      u"&Help"_s}));
        auto menu = [&](int index) { return f.frame.menuBar()->actions().at(index)->menu(); };
        QCOMPARE(MenuTexts(*menu(0)),
                 (QStringList{u"&New\tCtrl+N"_s, u"&Open...\tCtrl+O"_s, u"&Close"_s, u"-"_s,
                              u"&Save\tCtrl+S"_s, u"Save &As..."_s, u"-"_s, u"E&xit\tCtrl+Q"_s}));
        QCOMPARE(
            MenuTexts(*menu(1)),
            (QStringList{
                u"&Undo\tCtrl+Z"_s, u"&Redo\tCtrl+Shift+Z"_s, u"-"_s, u"New &Folder\tCtrl+F"_s,
                u"New &Item\tCtrl+I"_s, u"-"_s, u"Cu&t\tCtrl+Shift+X"_s, u"&Copy\tCtrl+Shift+C"_s,
                u"&Paste\tCtrl+Shift+V"_s, u"&Delete\tDel"_s, u"-"_s, u"Mo&ve Up\tCtrl+Up Arrow"_s,
                u"Move Dow&n\tCtrl+Down Arrow"_s, u"S&ort Items"_s}));
        QCOMPARE(MenuTexts(*f.frame.SortMenu()),
                 (QStringList{u"by &Caption"_s, u"by &File Name"_s, u"by &Date Taken"_s}));
        QCOMPARE(MenuTexts(*menu(2)),
                 (QStringList{u"&Preview"_s, u"-"_s, u"Import F&older..."_s, u"Import &Files..."_s,
                              u"Import Folder as Sub-&site..."_s, u"&Check website..."_s,
                              u"&Export..."_s, u"P&ublish..."_s}));
        QCOMPARE(MenuTexts(*menu(3)), (QStringList{u"&Toolbar"_s, u"&Status Bar"_s}));
        QCOMPARE(MenuTexts(*menu(4)),
                 (QStringList{u"&Website Properties..."_s, u"&Layout Properties..."_s}));
        QCOMPARE(MenuTexts(*menu(5)),
                 (QStringList{u"&Contents"_s, u"-"_s, u"&About  ! Pagelorn..."_s}));
    }

    void ToolbarInOrderWithTexts() {
        CFrameFixture f;
        QList<int> ids;
        for (const QAction* action : f.frame.ToolBar()->actions())
            ids << (action->isSeparator() ? 0 : action->data().toInt());
        QCOMPARE(ids, (QList<int>{kFileNew,
                                  kFileOpen,
                                  kFileSave,
                                  0,
                                  kEditUndo,
                                  kEditRedo,
                                  0,
                                  kNewFolder,
                                  kNewItem,
                                  0,
                                  kEditCut,
                                  kEditCopy,
                                  kEditPaste,
                                  kDelete,
                                  0,
                                  kMoveUp,
                                  kMoveDown,
                                  0,
                                  kImportFolder,
                                  kImportFiles,
                                  kExport,
                                  kPreview,
                                  0,
                                  kHelpContents}));
        for (const QAction* action : f.frame.ToolBar()->actions()) {
            if (action->isSeparator()) continue;
            QVERIFY2(!action->icon().isNull(), qPrintable(action->text()));
            QVERIFY(!action->icon().pixmap(16, 16).isNull());
            QVERIFY(!action->toolTip().isEmpty());
            QVERIFY(!action->statusTip().isEmpty());
        }
        QCOMPARE(f.frame.Action(kDelete)->statusTip(), u"Delete folers or items"_s);
        QCOMPARE(f.frame.Action(kDelete)->toolTip(), u"Delete"_s);
        QCOMPARE(f.frame.Action(kHelpContents)->toolTip(), u"Contents of help "_s);
        QCOMPARE(f.frame.Action(kFileNew)->statusTip(), u"Create a new document"_s);
    }

    void AboutBoxShowsTheVersion() {
        const CAboutDlg about;
        QCOMPARE(about.windowTitle(), u"About  ! Pagelorn"_s);
        QStringList texts;
        for (const QLabel* label : about.findChildren<QLabel*>()) texts << label->text();
        QVERIFY2(texts.contains(u"! Pagelorn Version "_s + QString::fromUtf8(kProgramVersion)),
                 qPrintable(texts.join(u'|')));
    }

    void Shortcuts() {
        CFrameFixture f;
        const std::pair<int, QKeySequence> bound[] = {{kFileNew, QKeySequence(u"Ctrl+N"_s)},
                                                      {kFileOpen, QKeySequence(u"Ctrl+O"_s)},
                                                      {kFileSave, QKeySequence(u"Ctrl+S"_s)},
                                                      {kNewFolder, QKeySequence(u"Ctrl+F"_s)},
                                                      {kNewItem, QKeySequence(u"Ctrl+I"_s)},
                                                      {kEditCut, QKeySequence(u"Ctrl+Shift+X"_s)},
                                                      {kEditCopy, QKeySequence(u"Ctrl+Shift+C"_s)},
                                                      {kEditPaste, QKeySequence(u"Ctrl+Shift+V"_s)},
                                                      {kMoveUp, QKeySequence(u"Ctrl+Up"_s)},
                                                      {kMoveDown, QKeySequence(u"Ctrl+Down"_s)},
                                                      {kEditUndo, QKeySequence(u"Ctrl+Z"_s)},
                                                      {kAppExit, QKeySequence(u"Ctrl+Q"_s)},
                                                      {kNextPane, QKeySequence(u"F6"_s)},
                                                      {kPreviousPane, QKeySequence(u"Shift+F6"_s)}};
        for (const auto& [id, keys] : bound) QCOMPARE(f.frame.Action(id)->shortcut(), keys);
        QCOMPARE(f.frame.Action(kEditRedo)->shortcuts(),
                 (QList<QKeySequence>{QKeySequence(u"Ctrl+Shift+Z"_s), QKeySequence(u"Ctrl+Y"_s)}));
        // Delete reaches the tree and the list as a key; the edit boxes keep theirs.
        QVERIFY(f.frame.Action(kDelete)->shortcut().isEmpty());

        QTest::keyClick(&f.Tree(), Qt::Key_F, Qt::ControlModifier);
        QTest::keyClick(&f.Tree(), Qt::Key_I, Qt::ControlModifier);
        QCOMPARE(f.ChildCount(), 1u);
        QCOMPARE(f.Folder(f.Child(0)).items.size(), 1u);

        QTest::keyClick(&f.Tree(), Qt::Key_F6);
        QCOMPARE(QApplication::focusWidget(), &f.List());
        QTest::keyClick(&f.List(), Qt::Key_F6);
        QCOMPARE(QApplication::focusWidget(), f.Form().CaptionEdit());
        QTest::keyClick(f.Form().CaptionEdit(), Qt::Key_F6);
        QCOMPARE(QApplication::focusWidget(), &f.Tree());
        QTest::keyClick(&f.Tree(), Qt::Key_F6, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), f.Form().CaptionEdit());
    }

    void StartsWithAnEmptyProject() {
        CFrameFixture f;
        QCOMPARE(f.frame.windowTitle(), u"! Pagelorn"_s);
        QCOMPARE(f.frame.statusBar()->currentMessage(), u"Ready"_s);
        QCOMPARE(QApplication::focusWidget(), &f.Tree());
        QVERIFY(f.frame.PathName().isEmpty());
        QVERIFY(!f.Doc().IsModified());
        QCOMPARE(f.Tree().Model().rowCount({}), 1);
        QCOMPARE(f.TreeLabel(f.Root()), u"Index"_s);
        QCOMPARE(f.Tree().SelectedNode(), f.Root());
        QCOMPARE(f.ListRows(), 0);
        QCOMPARE(f.List().model()->headerData(0, Qt::Horizontal).toString(), u"Caption"_s);
        QCOMPARE(f.List().model()->headerData(1, Qt::Horizontal).toString(), u"ID"_s);
        QCOMPARE(f.List().model()->headerData(2, Qt::Horizontal).toString(), u"Url"_s);
        // The columns fill the list, the caption and the URL sharing what the number leaves.
        const int widths[] = {f.List().columnWidth(0), f.List().columnWidth(1),
                              f.List().columnWidth(2)};
        QCOMPARE(widths[0] + widths[1] + widths[2], f.List().viewport()->width());
        QVERIFY(widths[1] < widths[0] && widths[0] < widths[2]);
        QCOMPARE(f.Form().CurrentMode(), CSitePropertyView::Mode::Folder);
        QCOMPARE(f.Form().CaptionEdit()->text(), u"Index"_s);
        QVERIFY(!f.Form().UrlEdit()->isVisible());

        // A status text that ends leaves "Ready" behind.
        f.frame.statusBar()->showMessage(u"Create a new document"_s);
        QStatusTipEvent leave{QString()};
        QApplication::sendEvent(&f.frame, &leave);
        QCOMPARE(f.frame.statusBar()->currentMessage(), u"Ready"_s);

        for (int id : {kWebsiteProperties, kLayoutProperties})
            QVERIFY(f.frame.Action(id)->isEnabled());
    }

    // What a property sheet changed is one step of the project, kept after Cancel as after OK:
    // closing offers to save it, Preview exports again, and Undo takes it back. The last pages
    // of Website Properties ("Pictures", "Style") edit the website settings the same way.
    void PropertySheetIsOneUndoStep() {
        // The page changed: from the first (0 and up) or from the last (-1 and down).
        for (const auto& [id, pageIndex] : {std::pair{kWebsiteProperties, 0},
                                            {kLayoutProperties, 0},
                                            {kWebsiteProperties, -2},
                                            {kWebsiteProperties, -1}}) {
            CFrameFixture f;
            f.Doc().ExportWritten(f.Doc().Revision());
            const CPageOption page = f.Doc().PageOption();
            const CLayoutOption layout = f.Doc().LayoutOption();
            const CPictureSettings pictures = f.Doc().Settings().pictures;
            const CPageSettings pages = f.Doc().Settings().pages;
            const CPublishSettings publish = f.Doc().Settings().publish;
            const auto same = [&] {
                return f.Doc().PageOption() == page && f.Doc().LayoutOption() == layout &&
                       f.Doc().Settings().pictures == pictures &&
                       f.Doc().Settings().pages == pages && f.Doc().Settings().publish == publish;
            };
            bool changed = false;
            QTimer::singleShot(0, &f.frame, [&] {
                auto* sheet = qobject_cast<COptionSheet*>(QApplication::activeModalWidget());
                if (!sheet) return;
                const int index = pageIndex < 0 ? sheet->PageCount() + pageIndex : pageIndex;
                sheet->Tabs()->setCurrentIndex(index);
                for (CSpinEdit* spin : sheet->Page(index)->findChildren<CSpinEdit*>()) {
                    if (changed || !spin->isEnabled()) continue;
                    spin->stepBy(1);
                    changed = true;
                }
                for (QLineEdit* edit : sheet->Page(index)->findChildren<QLineEdit*>()) {
                    if (changed || !edit->isEnabled()) continue;
                    TypeText(edit, u"x"_s);
                    changed = true;
                }
                for (QRadioButton* radio : sheet->Page(index)->findChildren<QRadioButton*>()) {
                    if (changed || !radio->isEnabled() || radio->isChecked()) continue;
                    radio->click();
                    changed = true;
                }
                sheet->reject();
            });
            f.frame.Action(id)->trigger();
            QVERIFY(changed);
            QVERIFY(f.Doc().IsModified());
            QVERIFY(f.Doc().IsExportPending());
            QVERIFY(!same());
            QCOMPARE(f.frame.Action(kEditUndo)->toolTip(), id == kWebsiteProperties
                                                               ? u"Undo Website Properties"_s
                                                               : u"Undo Layout Properties"_s);
            QVERIFY(f.Trigger(kEditUndo));
            QVERIFY(same());
            QVERIFY(!f.Doc().IsModified());
        }
    }

    void PanesDivideTheWindow() {
        CFrameFixture f;
        const auto* main = qobject_cast<QSplitter*>(f.frame.centralWidget());
        QVERIFY(main);
        QCOMPARE(main->widget(0), &f.Tree());
        const auto* right = qobject_cast<QSplitter*>(main->widget(1));
        QVERIFY(right);
        QCOMPARE(right->widget(0), &f.List());
        QCOMPARE(right->widget(1), &f.Form());
        const int total = main->sizes().at(0) + main->sizes().at(1);
        QVERIFY(qAbs(main->sizes().at(0) - total / 3) <= 4);
        const int height = right->sizes().at(0) + right->sizes().at(1);
        QVERIFY(qAbs(right->sizes().at(0) - height / 2) <= 4);
    }

    void ViewMenuHidesTheBars() {
        CFrameFixture f;
        QAction* toolbar = f.frame.Action(kViewToolbar);
        QVERIFY(f.frame.ToolBar()->isVisible());
        QVERIFY(toolbar->isChecked());
        toolbar->trigger();
        QVERIFY(!f.frame.ToolBar()->isVisible());
        f.frame.Action(kViewStatusBar)->trigger();
        QVERIFY(!f.frame.statusBar()->isVisible());
        toolbar->trigger();
        QVERIFY(f.frame.ToolBar()->isVisible());

        // Hidden from the toolbar's own context menu, the View menu's mark follows.
        const std::unique_ptr<QMenu> context(f.frame.createPopupMenu());
        QAction* entry = nullptr;
        for (QAction* action : context->actions())
            if (action->text() == u"&Toolbar"_s) entry = action;
        QVERIFY(entry);
        entry->trigger();
        QVERIFY(!f.frame.ToolBar()->isVisible());
        QVERIFY(!toolbar->isChecked());
        f.frame.ToolBar()->show();
        QVERIFY(toolbar->isChecked());
    }

    void OpensAProjectFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"site.www"_s);
        {
            CSiteTree saved;
            saved.RenameFolder(saved.RootKey(), "Site");
            saved.NewItem(saved.AddFolder(saved.RootKey(), "Photos").key);
            CPageOption page;
            page.general.title = "Holiday";
            QVERIFY(
                SaveProject(std::filesystem::path(path.toStdString()), page, CLayoutOption(), saved)
                    .ok);
        }
        CFrameFixture f;
        QVERIFY(f.frame.OpenProject(path));
        QCOMPARE(f.frame.PathName(), path);
        QCOMPARE(f.Doc().PageOption().general.title.Str(), std::string("Holiday"));
        QCOMPARE(f.Tree().SelectedNode(), f.Root());
        QCOMPARE(f.Form().CaptionEdit()->text(), u"Site"_s);
        QCOMPARE(f.ListRows(), 1);
        QCOMPARE(f.ListText(0, 0), u"Photos"_s);
        QVERIFY(!f.Doc().IsModified());
        QVERIFY(f.desktop->messages.isEmpty());

        // A file that cannot be read leaves the open project as it was.
        QVERIFY(!f.frame.OpenProject(dir.filePath(u"gone.www"_s)));
        QCOMPARE(f.frame.PathName(), path);
        QCOMPARE(f.ListText(0, 0), u"Photos"_s);
        QCOMPARE(f.desktop->messages.size(), 1);
        QVERIFY(f.desktop->messages.front().contains(u"gone.www"_s));
    }
};

int RunMainFrameTest(int argc, char** argv) {
    MainFrameTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MainFrameTest.moc"
