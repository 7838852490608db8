// The edit commands through the real window: routing and enabling by focus, cut, copy and paste
// of sub-sites and rows, moves, and drag and drop of sub-sites in the tree.
#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTest>
#include <QToolBar>

#include "CommandIds.h"
#include "ShellTestUtil.h"

using namespace CommandId;
using namespace Qt::StringLiterals;

namespace {

const int kTableCommands[] = {kNewFolder, kNewItem, kEditCut, kEditCopy,
                              kEditPaste, kDelete,  kMoveUp,  kMoveDown};

// Sub-sites with these captions under parent, in this order.
std::vector<CFolderKey> AddFolders(CFrameFixture& f, CFolderKey parent,
                                   std::initializer_list<const char*> captions) {
    std::vector<CFolderKey> made;
    for (const char* caption : captions) made.push_back(f.Model().AddFolder(parent, caption).key);
    return made;
}

void AddItems(CFrameFixture& f, CFolderKey folder, std::initializer_list<const char*> captions) {
    for (const char* caption : captions) f.Model().AddItem(folder, caption);
}

// The labels of the folder's children as the tree shows them.
QStringList Children(CFrameFixture& f, CFolderKey folder) {
    QStringList labels;
    for (const auto& child : f.Model().Find(folder)->Children())
        labels << f.TreeLabel(child->Key());
    return labels;
}

QStringList Items(CFrameFixture& f, CFolderKey folder) {
    QStringList captions;
    for (const CSiteItem& item : f.Folder(folder).items)
        captions << QString::fromStdString(item.caption.Str()) + u':' + QString::number(item.id);
    return captions;
}

// The commands of the table enabled right now, as the menu shows them (no refresh asked for).
QList<int> Enabled(CFrameFixture& f) {
    QList<int> enabled;
    for (int id : kTableCommands)
        if (f.frame.Action(id)->isEnabled()) enabled << id;
    return enabled;
}

struct CSite {
    CFolderKey a;
    CFolderKey b;
    CFolderKey c;
    CFolderKey a1;
};

// The root with sub-sites A, B, C (A holds A1, which holds an item) and items one, two, three,
// shown with the root selected and the tree focused.
CSite BuildSite(CFrameFixture& f) {
    const auto top = AddFolders(f, f.Root(), {"A", "B", "C"});
    CSite site{top[0], top[1], top[2], AddFolders(f, top[0], {"A1"})[0]};
    AddItems(f, f.Root(), {"one", "two", "three"});
    AddItems(f, site.a1, {"deep"});
    // The model changed behind the view's back: a restructure shows it.
    f.Doc().SetModified(false);
    f.Focus(&f.Tree());
    return site;
}

void Key(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(widget, key, modifiers);
    QApplication::processEvents();
}

// Drag events as the window system delivers them to the tree while a node is dragged.
void DragTo(CFrameFixture& f, CFolderKey node, Qt::KeyboardModifiers modifiers, bool drop) {
    CSiteTreeView& tree = f.Tree();
    const QModelIndex index = tree.Model().IndexOf(node);
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) tree.expand(up);
    tree.scrollTo(index);
    const QPoint at = tree.visualRect(index).center();
    QMimeData data;
    data.setData(QString::fromUtf8(CSiteTreeView::kNodeMimeType), QByteArray());
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(tree.viewport(), &enter);
    QDragMoveEvent move(at, actions, &data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(tree.viewport(), &move);
    if (tree.IsDragging()) {
        // The pointer shows what a drop would do.
        QVERIFY(move.isAccepted());
        QCOMPARE(move.dropAction(),
                 modifiers == Qt::ControlModifier ? Qt::CopyAction : Qt::MoveAction);
    }
    if (drop) {
        QDropEvent dropEvent(QPointF(at), actions, &data, Qt::NoButton, modifiers);
        QApplication::sendEvent(tree.viewport(), &dropEvent);
    }
}

// Everything about the tree that a refused drop or paste must leave alone.
QString Shape(const CSiteTree& tree) {
    QString shape;
    tree.ForEachDepthFirst([&](const CSiteNode& node, int depth) {
        shape += QString(depth, u' ') + QString::fromStdString(std::string(node.Label())) + u'#' +
                 QString::number(node.Folder().id) + u'/' +
                 QString::number(node.Folder().items.size()) + u'\n';
    });
    return shape;
}

}  // namespace

class EditCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void EnablingFollowsFocusSelectionAndClipboard() {
        CFrameFixture f;
        const CSite s = BuildSite(f);

        // Tree focus on the root: nothing to cut, copy, delete or move; nothing to paste yet.
        QCOMPARE(Enabled(f), (QList<int>{kNewFolder, kNewItem}));
        f.ClickNode(s.a);
        QCOMPARE(Enabled(f), (QList<int>{kNewFolder, kNewItem, kEditCut, kEditCopy, kDelete,
                                         kMoveUp, kMoveDown}));
        Key(&f.Tree(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.Model().Clipboard().folderNode, s.a);
        QVERIFY(!f.frame.Action(kEditPaste)->isEnabled());  // not onto the copied node itself
        f.ClickNode(s.b);
        QVERIFY(f.frame.Action(kEditPaste)->isEnabled());
        f.ClickNode(f.Root());
        QVERIFY(f.frame.Action(kEditPaste)->isEnabled());

        // A property edit box has the focus: every command of the table is off, and the
        // shortcuts reach the edit box instead.
        f.Focus(f.Form().CaptionEdit());
        QCOMPARE(Enabled(f), QList<int>{});
        const QString shape = Shape(f.Model());
        Key(f.Form().CaptionEdit(), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
        Key(f.Form().CaptionEdit(), Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(Shape(f.Model()), shape);
        f.frame.Action(kEditPaste)->trigger();
        QCOMPARE(Shape(f.Model()), shape);

        // List focus: rows A, B, C, one, two, three.
        f.Focus(&f.List());
        QCOMPARE(Enabled(f), QList<int>{kNewItem});
        f.SelectRows({0});
        QCOMPARE(Enabled(f),
                 (QList<int>{kNewItem, kEditCut, kEditCopy, kEditPaste, kDelete, kMoveDown}));
        f.SelectRows({4});
        QCOMPARE(Enabled(f),
                 (QList<int>{kNewItem, kEditCut, kEditCopy, kDelete, kMoveUp, kMoveDown}));
        f.SelectRows({5});
        QCOMPARE(Enabled(f), (QList<int>{kNewItem, kEditCut, kEditCopy, kDelete, kMoveUp}));
        f.SelectRows({1, 4});
        QCOMPARE(Enabled(f), (QList<int>{kNewItem, kEditCut, kEditCopy, kDelete}));

        // A single row that is both first and last may go down, and nothing changes.
        f.ClickNode(s.a1);
        f.Focus(&f.List());
        f.SelectRows({0});
        QCOMPARE(Enabled(f), (QList<int>{kNewItem, kEditCut, kEditCopy, kDelete, kMoveDown}));
        f.Doc().SetModified(false);
        QVERIFY(f.Trigger(kMoveDown));
        QCOMPARE(Items(f, s.a1), QStringList{u"deep:0"_s});
        QVERIFY(!f.Doc().IsModified());
    }

    void CommandsGoWhereTheFocusIs() {
        CFrameFixture f;
        const CSite s = BuildSite(f);

        // Tree: the keyboard moves the selected node, which stays selected.
        f.ClickNode(s.a);
        Key(&f.Tree(), Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(Children(f, f.Root()), (QStringList{u"B"_s, u"A"_s, u"C"_s}));
        QCOMPARE(f.Tree().SelectedNode(), s.a);
        QVERIFY(f.Doc().IsModified());
        QVERIFY(f.Trigger(kMoveUp));
        QCOMPARE(Children(f, f.Root()), (QStringList{u"A"_s, u"B"_s, u"C"_s}));
        QCOMPARE(f.Tree().SelectedNode(), s.a);
        QCOMPARE(f.Child(0, s.a), s.a1);  // a move keeps the records below it

        // The toolbar runs the command for the pane that has the focus, and does not take it.
        f.ClickNode(s.c);
        QWidget* button = f.frame.ToolBar()->widgetForAction(f.frame.Action(kMoveUp));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(Children(f, f.Root()), (QStringList{u"A"_s, u"C"_s, u"B"_s}));
        QCOMPARE(QApplication::focusWidget(), &f.Tree());

        // List: the same keys move rows.
        f.ClickNode(f.Root());
        f.Focus(&f.List());
        f.SelectRows({3});
        Key(&f.List(), Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(Items(f, f.Root()), (QStringList{u"two:0"_s, u"one:1"_s, u"three:2"_s}));
        QCOMPARE(f.List().SelectedRows(), std::vector<int>{4});
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(Items(f, f.Root()), (QStringList{u"one:0"_s, u"two:1"_s, u"three:2"_s}));
        QCOMPARE(f.List().SelectedRows(), std::vector<int>{3});
        f.SelectRows({1});
        Key(&f.List(), Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(Children(f, f.Root()), (QStringList{u"A"_s, u"B"_s, u"C"_s}));
        QCOMPARE(f.List().SelectedRows(), std::vector<int>{2});

        // Cut in the list takes rows, not the tree's node.
        f.SelectRows({0, 5});
        Key(&f.List(), Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier);
        const CSiteClipboard& clipboard = f.Model().Clipboard();
        QVERIFY(clipboard.holdsRows && clipboard.cut);
        QCOMPARE(clipboard.folderKeys, std::vector<CFolderKey>{s.a});
        QCOMPARE(clipboard.itemKeys, std::vector<CItemKey>{f.Folder(f.Root()).items[2].key});
    }

    void SubSitesCutCopiedAndPasted() {
        CFrameFixture f;
        const CSite s = BuildSite(f);
        const std::string longCaption(60, 'x');
        f.Model().RenameFolder(s.c, longCaption);

        // A copy pastes again and again, with new folder records below it in their order.
        AddFolders(f, s.a, {"Zeta"});
        f.ClickNode(s.a);
        QVERIFY(f.Trigger(kEditCopy));
        f.ClickNode(s.b);
        QVERIFY(f.Trigger(kEditPaste));
        QVERIFY(f.Trigger(kEditPaste));
        QCOMPARE(Children(f, s.b), (QStringList{u"A"_s, u"A"_s}));
        QCOMPARE(Children(f, f.Child(0, s.b)), (QStringList{u"A1"_s, u"Zeta"_s}));
        QCOMPARE(Items(f, f.Child(0, f.Child(1, s.b))), QStringList{u"deep:0"_s});
        QVERIFY(f.Folder(f.Child(0, s.b)).id != f.Folder(f.Child(1, s.b)).id);
        QVERIFY(f.Doc().IsModified());

        // The whole caption is the label of a copy.
        f.ClickNode(s.c);
        QVERIFY(f.Trigger(kEditCopy));
        f.ClickNode(s.b);
        QVERIFY(f.Trigger(kEditPaste));
        QCOMPARE(f.TreeLabel(f.Child(2, s.b)), QString::fromStdString(longCaption));

        // Into itself or below itself: nothing, and nothing said.
        f.ClickNode(s.a);
        QVERIFY(f.Trigger(kEditCut));
        f.ClickNode(s.a1);
        f.Doc().SetModified(false);
        const QString shape = Shape(f.Model());
        QVERIFY(f.Trigger(kEditPaste));
        QCOMPARE(Shape(f.Model()), shape);
        QVERIFY(!f.Doc().IsModified());
        QVERIFY(f.desktop->messages.isEmpty());
        QCOMPARE(f.desktop->beeps, 0);

        // A cut pastes once; the source goes.
        f.ClickNode(s.c);
        QVERIFY(f.Trigger(kEditPaste));
        QCOMPARE(f.ChildCount(), 2u);
        QCOMPARE(f.Child(0), s.b);
        QCOMPARE(Children(f, s.c), QStringList{u"A"_s});
        QVERIFY(f.Model().Clipboard().IsEmpty());
        QVERIFY(!f.frame.Action(kEditPaste)->isEnabled());

        // A copied node that is deleted leaves nothing to paste.
        f.ClickNode(f.Child(0, s.b));
        QVERIFY(f.Trigger(kEditCopy));
        f.desktop->answers = {CDesktop::Answer::Yes};
        QVERIFY(f.Trigger(kDelete));
        f.ClickNode(s.c);
        QVERIFY(!f.frame.Action(kEditPaste)->isEnabled());
    }

    void RowsCutAndPastedIntoASubSite() {
        CFrameFixture f;
        const CSite s = BuildSite(f);
        AddItems(f, s.b, {"b0"});
        f.Doc().SelectFolder(f.Root());

        // Two items cut get the next ids in B; both folders are renumbered.
        f.Focus(&f.List());
        f.SelectRows({3, 5});
        QVERIFY(f.Trigger(kEditCut));
        f.SelectRows({1});
        QVERIFY(f.frame.Action(kEditPaste)->isEnabled());
        Key(&f.List(), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.Tree().SelectedNode(), s.b);
        QCOMPARE(Items(f, s.b), (QStringList{u"b0:0"_s, u"one:1"_s, u"three:2"_s}));
        QCOMPARE(Items(f, f.Root()), QStringList{u"two:0"_s});
        QVERIFY(f.Model().Clipboard().IsEmpty());

        // Copied rows (a sub-site and an item) stay and paste twice.
        f.ClickNode(f.Root());
        f.Focus(&f.List());
        f.SelectRows({0, 3});
        QVERIFY(f.Trigger(kEditCopy));
        f.SelectRows({2});
        QVERIFY(f.Trigger(kEditPaste));
        f.ClickNode(f.Root());
        f.Focus(&f.List());
        f.SelectRows({2});
        QVERIFY(f.Trigger(kEditPaste));
        QCOMPARE(Children(f, s.c), (QStringList{u"A"_s, u"A"_s}));
        QCOMPARE(Items(f, s.c), (QStringList{u"two:0"_s, u"two:1"_s}));
        QCOMPARE(Items(f, f.Root()), QStringList{u"two:0"_s});
        QCOMPARE(Children(f, f.Root()), (QStringList{u"A"_s, u"B"_s, u"C"_s}));
    }

    void DragMovesAndCtrlDragCopies() {
        CFrameFixture f;
        const CSite s = BuildSite(f);
        AddFolders(f, s.c, {"Alpha", "Delta"});
        f.ClickNode(s.b);
        f.Doc().SetModified(false);

        // Ctrl held: a copy at its sorted place; the pointer's node is the drop target and is
        // painted as highlighted while the drag goes on.
        f.Tree().BeginNodeDrag(s.b);
        DragTo(f, s.c, Qt::ControlModifier, false);
        QCOMPARE(f.Tree().DropTarget(), s.c);
        const QRect cell = f.Tree().visualRect(f.Tree().Model().IndexOf(s.c));
        const QImage painted = f.Tree().viewport()->grab().toImage();
        QCOMPARE(painted.pixelColor(cell.right() - 2, cell.center().y()),
                 f.Tree().palette().color(QPalette::Highlight));
        DragTo(f, s.c, Qt::ControlModifier, true);
        QVERIFY(!f.Tree().IsDragging());
        QVERIFY(!f.Tree().DropTarget());
        QCOMPARE(Children(f, s.c), (QStringList{u"Alpha"_s, u"B"_s, u"Delta"_s}));
        QCOMPARE(Children(f, f.Root()), (QStringList{u"A"_s, u"B"_s, u"C"_s}));
        QVERIFY(f.Folder(f.Child(1, s.c)).id != f.Folder(s.b).id);
        QVERIFY(f.Doc().IsModified());

        // Copy A, then drag B away without Ctrl: it goes last, with its records; pasting
        // afterwards still copies A.
        f.ClickNode(s.a);
        QVERIFY(f.Trigger(kEditCopy));
        const std::int32_t idOfB = f.Folder(s.b).id;
        f.Tree().BeginNodeDrag(s.b);
        DragTo(f, s.c, Qt::ControlModifier | Qt::ShiftModifier, true);
        QCOMPARE(Children(f, s.c), (QStringList{u"Alpha"_s, u"B"_s, u"Delta"_s, u"B"_s}));
        QCOMPARE(f.Child(3, s.c), s.b);
        QCOMPARE(f.Folder(s.b).id, idOfB);
        QCOMPARE(Children(f, f.Root()), (QStringList{u"A"_s, u"C"_s}));
        f.ClickNode(f.Child(0, s.c));
        QVERIFY(f.Trigger(kEditPaste));
        QCOMPARE(Children(f, f.Root()), (QStringList{u"A"_s, u"C"_s}));
        QCOMPARE(Children(f, f.Child(0, s.c)), QStringList{u"A"_s});
        QCOMPARE(f.Model().Clipboard().folderNode, s.a);
        QCOMPARE(f.desktop->beeps, 0);
    }

    void RefusedAndCancelledDragsChangeNothing() {
        CFrameFixture f;
        const CSite s = BuildSite(f);
        f.Doc().SetModified(false);
        const QString shape = Shape(f.Model());

        // On itself, on its own sub-site, on its current parent: a beep each.
        const std::pair<CFolderKey, CFolderKey> refused[] = {
            {s.a, s.a}, {s.a, s.a1}, {s.a, f.Root()}, {f.Root(), s.b}};
        int beeps = 0;
        for (const auto& [source, target] : refused) {
            for (Qt::KeyboardModifiers keys : {Qt::NoModifier, Qt::ControlModifier}) {
                f.Tree().BeginNodeDrag(source);
                DragTo(f, target, keys, true);
                QCOMPARE(f.desktop->beeps, ++beeps);
                QCOMPARE(Shape(f.Model()), shape);
                QVERIFY(!f.Doc().IsModified());
            }
        }

        // Escape: the drag ends without a drop; the highlight goes and later drops do nothing.
        f.Tree().BeginNodeDrag(s.b);
        DragTo(f, s.c, Qt::NoModifier, false);
        QCOMPARE(f.Tree().DropTarget(), s.c);
        f.Tree().EndNodeDrag();
        QVERIFY(!f.Tree().DropTarget());
        DragTo(f, s.c, Qt::NoModifier, true);
        QCOMPARE(Shape(f.Model()), shape);
        QCOMPARE(f.desktop->beeps, beeps);
    }

    // A disabled Move key does nothing: with the root selected, Ctrl+Down moves neither the
    // current node nor, pressed again, a sub-site; the same in the list with two rows selected.
    void DisabledMoveKeysDoNothing() {
        CFrameFixture f;
        BuildSite(f);
        const QString shape = Shape(f.Model());
        for (int i = 0; i < 2; ++i) Key(&f.Tree(), Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(f.Tree().currentIndex(), f.Tree().Model().IndexOf(f.Root()));
        QCOMPARE(f.Tree().SelectedNode(), f.Root());

        f.Focus(&f.List());
        f.SelectRows({1, 4});
        const QModelIndex current = f.List().currentIndex();
        for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up})
            Key(&f.List(), key, Qt::ControlModifier);
        QCOMPARE(f.List().currentIndex(), current);
        QCOMPARE(f.List().SelectedRows(), (std::vector<int>{1, 4}));
        QCOMPARE(Shape(f.Model()), shape);
        QVERIFY(!f.Doc().IsModified());
    }

    // Leaving a menu with Escape, or any other way to the menu bar or the toolbar, leaves the
    // commands with the pane that had the focus last.
    void CommandsFollowThePaneFocusedLast() {
        CFrameFixture f;
        const CSite s = BuildSite(f);
        f.ClickNode(s.b);
        QMenuBar* bar = f.frame.menuBar();
        QAction* edit = bar->actions().at(1);
        bar->setActiveAction(edit);
        QTRY_VERIFY(edit->menu()->isVisible());
        QTest::keyClick(edit->menu(), Qt::Key_Escape);
        QTRY_VERIFY(!edit->menu()->isVisible());
        f.frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.frame));
        bar->setFocus(Qt::MenuBarFocusReason);
        QApplication::processEvents();
        QCOMPARE(Enabled(f), (QList<int>{kNewFolder, kNewItem, kEditCut, kEditCopy, kDelete,
                                         kMoveUp, kMoveDown}));
        f.frame.Action(kMoveUp)->trigger();
        QCOMPARE(Children(f, f.Root()), (QStringList{u"B"_s, u"A"_s, u"C"_s}));

        // The list keeps its commands too; the property form's edit boxes take them away.
        f.ClickNode(f.Root());
        f.Focus(&f.List());
        f.SelectRows({3});
        f.frame.ToolBar()->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
        QVERIFY(f.frame.Action(kDelete)->isEnabled());
        QVERIFY(!f.frame.Action(kNewFolder)->isEnabled());
        f.Focus(f.Form().CaptionEdit());
        bar->setFocus(Qt::MenuBarFocusReason);
        QApplication::processEvents();
        QCOMPARE(Enabled(f), QList<int>{});
    }
};

int RunEditCommandsTest(int argc, char** argv) {
    EditCommandsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "EditCommandsTest.moc"
