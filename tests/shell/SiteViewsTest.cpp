// The site tree and the site list driven through the real window: building, renaming, deleting,
// moving, cut and paste of rows, and what the panes show meanwhile.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "CommandIds.h"
#include "ShellTestUtil.h"

using namespace CommandId;
using namespace Qt::StringLiterals;

namespace {

// The root with sub-sites "A" and "B" and items "one", "two", "three", built with the commands.
void BuildFiveRows(CFrameFixture& f) {
    f.Trigger(kNewFolder);
    f.ClickNode(f.Root());
    f.Trigger(kNewFolder);
    f.ClickNode(f.Root());
    f.Model().RenameFolder(f.Child(0), "A");
    f.Model().RenameFolder(f.Child(1), "B");
    for (const char* caption : {"one", "two", "three"}) {
        f.Trigger(kNewItem);
        const CItemKey item = f.Folder(f.Root()).items.back().key;
        f.Model().SetText(item, CSiteField::Caption, caption);
        f.Model().SetText(item, CSiteField::Url, std::string("file:///srv/") + caption + ".htm");
    }
    f.Doc().SelectFolder(f.Root());
}

QStringList Captions(const CSiteFolder& folder) {
    QStringList captions;
    for (const CSiteItem& item : folder.items)
        captions << QString::fromStdString(item.caption.Str()) + u':' + QString::number(item.id);
    return captions;
}

}  // namespace

class SiteViewsTest : public QObject {
    Q_OBJECT

private slots:
    void NewFoldersAndItems() {
        CFrameFixture f;
        QVERIFY(f.Trigger(kNewFolder));
        const CFolderKey first = f.Tree().SelectedNode();
        QVERIFY(first && f.Model().Find(first)->Parent()->Key() == f.Root());
        QCOMPARE(f.TreeLabel(first), u"New SubSite"_s);
        QVERIFY(f.Doc().IsModified());
        f.ClickNode(f.Root());
        QVERIFY(f.Trigger(kNewFolder));
        QCOMPARE(f.ChildCount(), 2u);
        QCOMPARE(f.Tree().SelectedNode(), f.Child(1));
        QCOMPARE(f.TreeLabel(f.Child(1)), u"New SubSite"_s);
        QVERIFY(f.Folder(f.Child(0)).id != f.Folder(f.Child(1)).id);

        // Items go into the selected node, the new one selected alone in the list.
        for (int i = 0; i < 4; ++i) QVERIFY(f.Trigger(kNewItem));
        const CSiteFolder& folder = f.Folder(f.Child(1));
        QCOMPARE(folder.items.size(), 4u);
        QCOMPARE(folder.items[3].id, 3);
        QCOMPARE(folder.items[3].caption.Str(), std::string("New Item"));
        QCOMPARE(f.List().SelectedRows(), std::vector<int>{3});
        QCOMPARE(f.ListText(3, 0), u"New Item"_s);
        QCOMPARE(f.ListText(3, 1), u"3"_s);
        QCOMPARE(f.Form().CurrentMode(), CSitePropertyView::Mode::Item);
        QCOMPARE(f.Form().ShownItem(), folder.items[3].key);

        // New item stays available with the list focused; New folder does not.
        f.Focus(&f.List());
        f.frame.UpdateActions();
        QVERIFY(!f.frame.Action(kNewFolder)->isEnabled());
        QVERIFY(f.Trigger(kNewItem));
        QCOMPARE(f.Folder(f.Child(1)).items.size(), 5u);
        QCOMPARE(f.List().SelectedRows(), std::vector<int>{4});

        // With the focus in the form neither is.
        f.Focus(f.Form().CaptionEdit());
        f.frame.UpdateActions();
        QVERIFY(!f.frame.Action(kNewFolder)->isEnabled());
        QVERIFY(!f.frame.Action(kNewItem)->isEnabled());
        QVERIFY(!f.frame.Action(kDelete)->isEnabled());
    }

    void FiveRowsInOrder() {
        CFrameFixture f;
        BuildFiveRows(f);
        QCOMPARE(f.ListRows(), 5);
        const QStringList captions{u"A"_s, u"B"_s, u"one"_s, u"two"_s, u"three"_s};
        const QStringList ids{QString(), QString(), u"0"_s, u"1"_s, u"2"_s};
        for (int row = 0; row < 5; ++row) {
            QCOMPARE(f.ListText(row, 0), captions[row]);
            QCOMPARE(f.ListText(row, 1), ids[row]);
        }
        QCOMPARE(f.ListText(0, 2), QString());
        QCOMPARE(f.ListText(3, 2), u"file:///srv/two.htm"_s);

        // Two rows selected hide the form; one again shows it.
        f.Focus(&f.List());
        f.SelectRows({1, 3});
        QVERIFY(!f.Form().CaptionEdit()->isVisible());
        QCOMPARE(f.List().GetSelectionPosition(), 3);
        QVERIFY(!f.List().IsFolderRowSelected());
        f.SelectRows({3});
        QVERIFY(f.Form().CaptionEdit()->isVisible());
        QCOMPARE(f.Form().CaptionEdit()->text(), u"two"_s);
        QCOMPARE(f.List().GetSelectionPosition(), 2);
        f.SelectRows({0});
        QCOMPARE(f.List().GetSelectionPosition(), 1);
        QVERIFY(f.List().IsFolderRowSelected());
        QCOMPARE(f.Form().CurrentMode(), CSitePropertyView::Mode::Folder);
        QCOMPARE(f.Form().CaptionEdit()->text(), u"A"_s);
        f.SelectRows({4});
        QCOMPARE(f.List().GetSelectionPosition(), 0);
    }

    void RenamingInTreeAndListMarksModified() {
        CFrameFixture f;
        BuildFiveRows(f);
        f.Doc().SetModified(false);

        RenameInPlace(f.Tree(), f.Tree().Model().IndexOf(f.Root()), u"Home"_s);
        QCOMPARE(f.Folder(f.Root()).caption.Str(), std::string("Home"));
        QCOMPARE(f.TreeLabel(f.Root()), u"Home"_s);
        QCOMPARE(f.Form().CaptionEdit()->text(), u"Home"_s);
        QVERIFY(f.Doc().IsModified());

        // A rename that changes nothing leaves the bytes and the project alone.
        f.Model().RenameFolder(f.Child(0), "Caf\xe9");
        f.Doc().SetModified(false);
        RenameInPlace(f.Tree(), f.Tree().Model().IndexOf(f.Child(0)), u"Caf\u00e9"_s);
        QCOMPARE(f.Folder(f.Child(0)).caption.Str(), std::string("Caf\xe9"));
        QVERIFY(!f.Doc().IsModified());

        f.ClickNode(f.Root());
        RenameInPlace(f.List(), f.List().model()->index(1, 0), u"Beta"_s);
        QCOMPARE(f.Folder(f.Child(1)).caption.Str(), std::string("Beta"));
        QCOMPARE(f.TreeLabel(f.Child(1)), u"Beta"_s);
        QVERIFY(f.Doc().IsModified());

        f.Doc().SetModified(false);
        RenameInPlace(f.List(), f.List().model()->index(3, 0), u"Second"_s);
        QCOMPARE(f.Folder(f.Root()).items[1].caption, std::string("Second"));
        QCOMPARE(f.Form().CaptionEdit()->text(), u"Second"_s);
        QVERIFY(f.Doc().IsModified());
    }

    // F2 renames the current row's caption from any of its cells; a click on one of several
    // selected rows makes it the only selected row, and a rename needs a click of its own.
    void RenamingFromAnyCellAndOutOfASelection() {
        CFrameFixture f;
        BuildFiveRows(f);
        CSiteListView& list = f.List();
        f.Focus(&list);
        list.setCurrentIndex(list.model()->index(3, CSiteListModel::kUrlColumn));
        QTest::keyClick(&list, Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        QCOMPARE(editor->text(), u"two"_s);
        editor->selectAll();
        TypeText(editor, u"Second"_s);
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
        QCOMPARE(f.Folder(f.Root()).items[1].caption.Str(), std::string("Second"));

        const auto renaming = [&list] {
            const QWidget* focus = QApplication::focusWidget();
            return focus && list.viewport()->isAncestorOf(focus);
        };
        f.SelectRows({2, 4});
        const QPoint at = list.visualRect(list.model()->index(4, 0)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(list.SelectedRows(), std::vector<int>{4});
        QTest::qWait(QApplication::doubleClickInterval() * 2);
        QVERIFY(!renaming());
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        QTRY_VERIFY(renaming());
    }

    void DeletingTreeNodes() {
        CFrameFixture f;
        BuildFiveRows(f);
        const CFolderKey a = f.Child(0);
        f.ClickNode(a);
        f.Trigger(kNewFolder);  // a child of A goes with it
        f.ClickNode(a);
        f.Doc().SetModified(false);

        // The root is never deleted, and nobody is asked.
        f.ClickNode(f.Root());
        f.Focus(&f.Tree());
        QTest::keyClick(&f.Tree(), Qt::Key_Delete);
        QVERIFY(f.desktop->questions.isEmpty());
        QVERIFY(!f.Trigger(kDelete));

        f.ClickNode(a);
        f.desktop->answers = {CDesktop::Answer::No};
        QTest::keyClick(&f.Tree(), Qt::Key_Delete);
        // The question names what goes, with what it holds, and that Undo brings it back.
        QCOMPARE(f.desktop->questions,
                 QStringList{u"Delete the sub-site \"A\" and its 1 sub-site?\n\n"
                             u"Undo brings it back."_s});
        QCOMPARE(f.ChildCount(), 2u);
        QVERIFY(!f.Doc().IsModified());

        f.desktop->answers = {CDesktop::Answer::Yes};
        QVERIFY(f.Trigger(kDelete));
        QCOMPARE(f.ChildCount(), 1u);
        QCOMPARE(f.Folder(f.Child(0)).caption.Str(), std::string("B"));
        QCOMPARE(f.Tree().SelectedNode(), f.Child(0));
        QCOMPARE(f.Model().FolderCount(), 2u);
        QVERIFY(f.Doc().IsModified());
        QCOMPARE(f.desktop->unexpected, 0);
    }

    void DeletingListRows() {
        CFrameFixture f;
        BuildFiveRows(f);
        f.Trigger(kNewItem);
        f.Trigger(kNewItem);  // items 0..4: one two three New New
        f.Doc().SelectFolder(f.Root());
        f.Doc().SetModified(false);
        f.Focus(&f.List());

        // Items 1 and 2 of five: three left, renumbered, in their old order.
        f.SelectRows({3, 4});
        f.desktop->answers = {CDesktop::Answer::Yes};
        QTest::keyClick(&f.List(), Qt::Key_Delete);
        QCOMPARE(f.desktop->questions.back(), u"Delete 2 items?\n\nUndo brings them back."_s);
        QCOMPARE(Captions(f.Folder(f.Root())),
                 (QStringList{u"one:0"_s, u"New Item:1"_s, u"New Item:2"_s}));
        QCOMPARE(f.ListText(3, 1), u"1"_s);
        QCOMPARE(f.List().SelectedRows(), std::vector<int>{3});
        QVERIFY(f.Doc().IsModified());

        // The last row deleted: the new last row is selected.
        f.SelectRows({4});
        f.desktop->answers = {CDesktop::Answer::Yes};
        QVERIFY(f.Trigger(kDelete));
        QCOMPARE(f.desktop->questions.back(),
                 u"Delete the item \"New Item\"?\n\nUndo brings it back."_s);
        QCOMPARE(f.ListRows(), 4);
        QCOMPARE(f.List().SelectedRows(), std::vector<int>{3});

        // A sub-site row goes with its node.
        f.SelectRows({0});
        f.desktop->answers = {CDesktop::Answer::No};
        QTest::keyClick(&f.List(), Qt::Key_Delete);
        QCOMPARE(f.ChildCount(), 2u);
        f.desktop->answers = {CDesktop::Answer::Yes};
        QTest::keyClick(&f.List(), Qt::Key_Delete);
        QCOMPARE(f.ChildCount(), 1u);
        QCOMPARE(f.TreeLabel(f.Child(0)), u"B"_s);

        // Everything deleted: the form is hidden.
        f.SelectRows({0, 1, 2});
        f.desktop->answers = {CDesktop::Answer::Yes};
        QTest::keyClick(&f.List(), Qt::Key_Delete);
        QCOMPARE(f.ListRows(), 0);
        QCOMPARE(f.ChildCount(), 0u);
        QVERIFY(!f.Form().CaptionEdit()->isVisible());
        // The hidden form holds no deleted record.
        QVERIFY(!f.Form().ShownItem());
        QVERIFY(!f.Form().ShownFolder() || f.Model().Find(f.Form().ShownFolder()));
        QCOMPARE(f.desktop->unexpected, 0);
    }

    void DoubleClickingRows() {
        CFrameFixture f;
        BuildFiveRows(f);
        f.Model().SetText(f.Folder(f.Root()).items[0].key, CSiteField::Url,
                          "  file:///srv/my notes#1.txt ");
        f.Model().SetText(f.Folder(f.Root()).items[1].key, CSiteField::Url, "   ");
        f.Focus(&f.List());
        auto doubleClick = [&](int row) {
            const QModelIndex index = f.List().model()->index(row, 0);
            const QPoint at = f.List().visualRect(index).center();
            // The window system delivers a click before the double-click.
            QTest::mousePress(f.List().viewport(), Qt::LeftButton, {}, at);
            QTest::mouseRelease(f.List().viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(f.List().viewport(), Qt::LeftButton, {}, at);
        };
        doubleClick(3);  // a blank URL opens nothing
        QVERIFY(f.desktop->openedUrls.isEmpty());
        doubleClick(2);
        QCOMPARE(f.desktop->openedUrls.size(), 1);
        QCOMPARE(f.desktop->openedUrls.front().toLocalFile(), u"/srv/my notes#1.txt"_s);

        doubleClick(1);
        QCOMPARE(f.Tree().SelectedNode(), f.Child(1));
        QCOMPARE(f.ListRows(), 0);
    }

    void MovingRows() {
        CFrameFixture f;
        BuildFiveRows(f);
        f.Focus(&f.List());
        f.Doc().SetModified(false);

        f.SelectRows({2});
        f.List().MoveSelectedRow(false);  // the first item does not go up
        QCOMPARE(Captions(f.Folder(f.Root())), (QStringList{u"one:0"_s, u"two:1"_s, u"three:2"_s}));
        QVERIFY(!f.Doc().IsModified());
        f.SelectRows({4});
        f.List().MoveSelectedRow(true);  // nor the last down
        QVERIFY(!f.Doc().IsModified());

        f.SelectRows({2});
        f.List().MoveSelectedRow(true);
        QCOMPARE(Captions(f.Folder(f.Root())), (QStringList{u"two:0"_s, u"one:1"_s, u"three:2"_s}));
        QCOMPARE(f.List().SelectedRows(), std::vector<int>{3});
        QCOMPARE(f.ListText(3, 0), u"one"_s);
        QCOMPARE(f.ListText(3, 1), u"1"_s);
        QVERIFY(f.Doc().IsModified());
        f.List().MoveSelectedRow(false);
        QCOMPARE(Captions(f.Folder(f.Root())), (QStringList{u"one:0"_s, u"two:1"_s, u"three:2"_s}));
        QCOMPARE(f.List().SelectedRows(), std::vector<int>{2});

        // A sub-site row moves its node among its siblings.
        f.SelectRows({0});
        f.List().MoveSelectedRow(true);
        QCOMPARE(f.TreeLabel(f.Child(0)), u"B"_s);
        QCOMPARE(f.ListText(0, 0), u"B"_s);
        QCOMPARE(f.List().SelectedRows(), std::vector<int>{1});
        f.List().MoveSelectedRow(true);  // no sub-site below: nothing
        QCOMPARE(f.TreeLabel(f.Child(1)), u"A"_s);
        QCOMPARE(f.List().SelectedRows(), std::vector<int>{1});
    }

    void CutRowsPastedIntoASubSite() {
        CFrameFixture f;
        BuildFiveRows(f);
        const CFolderKey b = f.Child(1);
        f.ClickNode(b);
        f.Trigger(kNewItem);  // B holds item 0
        f.ClickNode(f.Root());
        f.Focus(&f.List());

        f.SelectRows({2, 4});
        f.List().CopyRows(true);
        f.SelectRows({1});
        f.List().PasteIntoSelectedFolder();
        QCOMPARE(f.Tree().SelectedNode(), b);
        QCOMPARE(Captions(f.Folder(b)), (QStringList{u"New Item:0"_s, u"one:1"_s, u"three:2"_s}));
        QCOMPARE(Captions(f.Folder(f.Root())), QStringList{u"two:0"_s});
        QVERIFY(f.Model().Clipboard().IsEmpty());
        QCOMPARE(f.ListRows(), 3);
        QCOMPARE(f.ListText(2, 1), u"2"_s);
    }

    void PasteNeedsASubSiteRow() {
        CFrameFixture f;
        BuildFiveRows(f);
        const std::int32_t idOfB = f.Folder(f.Child(1)).id;
        while (f.Folder(f.Root()).items.size() <= static_cast<std::size_t>(idOfB))
            QVERIFY(f.Trigger(kNewItem));
        f.Focus(&f.List());
        f.SelectRows({0});
        f.List().CopyRows(false);
        f.SelectRows({2 + idOfB});  // the item whose id is B's folder id
        f.List().PasteIntoSelectedFolder();
        QCOMPARE(f.ChildCount(f.Child(1)), 0u);
        QCOMPARE(f.Tree().SelectedNode(), f.Root());
    }

    void TreeCopyPasteAndMoves() {
        CFrameFixture f;
        BuildFiveRows(f);
        const CFolderKey a = f.Child(0);
        const CFolderKey b = f.Child(1);
        f.ClickNode(a);
        QVERIFY(f.Trigger(kEditCopy));
        f.ClickNode(b);
        f.Trigger(kEditPaste);
        QVERIFY(f.Trigger(kEditPaste));  // a copy pastes again and again
        QCOMPARE(f.ChildCount(b), 2u);
        QCOMPARE(f.TreeLabel(f.Child(0, b)), u"A"_s);
        QVERIFY(f.Folder(f.Child(0, b)).id != f.Folder(a).id);
        QCOMPARE(f.Tree().SelectedNode(), b);
        QVERIFY(f.Tree().isExpanded(f.Tree().Model().IndexOf(b)));
        QCOMPARE(f.ListRows(), 2);

        // Into itself or below itself: nothing.
        f.ClickNode(b);
        QVERIFY(f.Trigger(kEditCut));
        f.ClickNode(f.Child(0, b));
        f.Trigger(kEditPaste);
        QCOMPARE(f.ChildCount(), 2u);
        QCOMPARE(f.ChildCount(b), 2u);

        // The selected node moves and stays selected; open nodes stay open.
        f.ClickNode(b);
        f.Trigger(kMoveUp);
        QCOMPARE(f.Child(0), b);
        QCOMPARE(f.Tree().SelectedNode(), b);
        QVERIFY(f.Tree().isExpanded(f.Tree().Model().IndexOf(b)));
        f.Trigger(kMoveUp);
        QCOMPARE(f.Child(0), b);
        f.Trigger(kMoveDown);
        QCOMPARE(f.Child(1), b);
        QCOMPARE(f.ListRows(), 2);
    }

    void TenThousandItemsAreShown() {
        CFrameFixture f;
        f.Trigger(kNewFolder);
        const CFolderKey big = f.Tree().SelectedNode();
        f.ClickNode(f.Root());
        for (int i = 0; i < 10000; ++i) f.Model().AddItem(big, "photo " + std::to_string(i));
        f.ClickNode(big);
        QCOMPARE(f.ListRows(), 10000);
        QCOMPARE(f.ListText(9999, 1), u"9999"_s);
    }
};

int RunSiteViewsTest(int argc, char** argv) {
    SiteViewsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SiteViewsTest.moc"
