// Undo and redo: every command taken back and done again byte for byte, the views following the
// document after each step, typing merged into one step, the modified flag following the saved
// state, and the Edit menu's Undo and Redo in the window.
#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <random>

#include "CommandIds.h"
#include "ModelText.h"
#include "ProjectFile.h"
#include "ShellTestUtil.h"

using namespace CommandId;
using namespace Qt::StringLiterals;

namespace {

std::vector<unsigned char> Bytes(const CSiteDocument& document) {
    return WriteProjectBytes(document.PageOption(), document.LayoutOption(), document.Tree());
}

std::vector<CFolderKey> Folders(const CSiteTree& tree) {
    std::vector<CFolderKey> keys;
    tree.ForEachDepthFirst([&](const CSiteNode& node, int) { keys.push_back(node.Key()); });
    return keys;
}

std::vector<CItemKey> Items(const CSiteTree& tree) {
    std::vector<CItemKey> keys;
    tree.ForEachDepthFirst([&](const CSiteNode& node, int) {
        for (const CSiteItem& item : node.Folder().items) keys.push_back(item.key);
    });
    return keys;
}

// What the views show agrees with the document: the tree view lists the open folders as the tree
// holds them and has the selected folder current, the list shows that folder's rows with the
// selected ones selected, and the form shows the record the selection shows.
void CheckViews(CFrameFixture& f) {
    const CSiteTree& tree = f.Doc().Tree();
    const CSiteSelection& selection = f.Doc().Selection();
    QCOMPARE(QString::fromStdString(tree.CheckInvariants()), QString());

    std::vector<CFolderKey> open;
    std::vector<const CSiteNode*> pending{tree.Root()};
    while (!pending.empty()) {
        const CSiteNode* node = pending.back();
        pending.pop_back();
        open.push_back(node->Key());
        if (!f.Tree().isExpanded(f.Tree().Model().IndexOf(node->Key()))) continue;
        for (std::size_t i = node->ChildCount(); i-- > 0;) pending.push_back(node->Child(i));
    }
    std::vector<CFolderKey> shown;
    for (QModelIndex index = f.Tree().model()->index(0, 0); index.isValid();
         index = f.Tree().indexBelow(index))
        shown.push_back(CSiteTreeModel::KeyOf(index));
    QVERIFY(shown == open);
    QCOMPARE(f.Tree().SelectedNode(), selection.folder);

    CSiteListView& list = f.List();
    QCOMPARE(list.Model().ShownNode(), selection.folder);
    QCOMPARE(f.ListRows(), RowCount(tree, selection.folder));
    for (int row = 0; row < f.ListRows(); ++row) {
        const CSiteNodeRef ref = RowAt(tree, selection.folder, row);
        const std::string_view caption = ref.kind == CSiteNodeRef::Folder
                                             ? tree.Find(ref.folder)->Label()
                                             : std::string_view(tree.Find(ref.item)->caption);
        QCOMPARE(f.ListText(row, 0), TextFromBytes(caption));
    }
    std::vector<int> selectedRows;
    for (const CSiteNodeRef ref : selection.rows)
        selectedRows.push_back(RowOf(tree, selection.folder, ref));
    std::sort(selectedRows.begin(), selectedRows.end());
    QVERIFY(list.SelectedRows() == selectedRows);

    const CSiteNodeRef record = selection.Shown();
    QCOMPARE(f.Form().CaptionEdit()->isVisible(), static_cast<bool>(record));
    if (record.kind == CSiteNodeRef::Folder) {
        QCOMPARE(f.Form().ShownFolder(), record.folder);
        QCOMPARE(f.Form().CaptionEdit()->text(), TextFromBytes(tree.Find(record.folder)->Label()));
    } else if (record.kind == CSiteNodeRef::Item) {
        QCOMPARE(f.Form().ShownItem(), record.item);
        QCOMPARE(f.Form().UrlEdit()->text(), TextFromBytes(tree.Find(record.item)->url));
    }
}

// Files for the imports: a folder with a file and a sub-folder, and two loose files.
QStringList MakeFiles(const QTemporaryDir& dir) {
    namespace fs = std::filesystem;
    const fs::path root(dir.path().toStdString());
    fs::create_directories(root / "in" / "sub");
    for (const char* name : {"in/a.htm", "in/sub/b.jpg", "c.zip", "d.mp3"})
        QFile(dir.filePath(QString::fromUtf8(name))).open(QIODevice::WriteOnly);
    return {dir.filePath(u"c.zip"_s), dir.filePath(u"d.mp3"_s), dir.filePath(u"gone.txt"_s)};
}

// One command of the document with random arguments, as the views and menus give them.
void RandomCommand(CSiteDocument& document, std::mt19937& random, const QTemporaryDir& dir,
                   const QStringList& files) {
    const CSiteTree& tree = document.Tree();
    const auto pick = [&random](const auto& keys) {
        return keys[std::uniform_int_distribution<std::size_t>(0, keys.size() - 1)(random)];
    };
    const auto chance = [&random](int percent) {
        return std::uniform_int_distribution<int>(0, 99)(random) < percent;
    };
    const std::vector<CFolderKey> folders = Folders(tree);
    const std::vector<CItemKey> items = Items(tree);
    const CFolderKey folder = pick(folders);
    const CFolderKey other = pick(folders);
    const CSiteNodeRef record =
        !items.empty() && chance(50) ? CSiteNodeRef::Of(pick(items)) : CSiteNodeRef::Of(folder);
    const std::string text = "t" + std::to_string(random() % 1000);
    // Big trees make slow tests: they are cut back more often.
    const int command = folders.size() + items.size() > 80 ? 3 : random() % 15;
    switch (command) {
        case 0:
            document.NewFolder(folder);
            break;
        case 1:
            document.NewItem(folder);
            break;
        case 2:
            document.SetText(record, chance(50) ? CSiteField::Caption : CSiteField::Description,
                             text, false);
            break;
        case 3:
            if (chance(50)) {
                document.DeleteFolder(folder);
            } else {
                std::vector<CSiteNodeRef> rows;
                for (int row = 0; row < RowCount(tree, folder); ++row)
                    if (chance(40)) rows.push_back(RowAt(tree, folder, row));
                document.DeleteRows(folder, rows);
            }
            break;
        case 4:
            // Keystrokes in one field make one step.
            for (int key = 1; key <= 3; ++key)
                document.SetText(
                    record,
                    record.kind == CSiteNodeRef::Item ? CSiteField::Url : CSiteField::Caption,
                    text.substr(0, static_cast<std::size_t>(key)), true);
            break;
        case 5:
        case 6:
            if (command == 5)
                document.Copy(other);
            else
                document.Cut(other);
            document.Paste(folder);
            break;
        case 7: {
            std::vector<CSiteNodeRef> rows;
            for (int row = 0; row < RowCount(tree, other); ++row)
                if (chance(40)) rows.push_back(RowAt(tree, other, row));
            document.CopyRows(other, chance(50), rows);
            document.Paste(folder);
            break;
        }
        case 8:
            if (tree.IsValidDrop(other, folder)) document.Drop(other, folder, chance(50));
            break;
        case 9:
            document.MoveFolder(folder, chance(50));
            break;
        case 10:
            if (!items.empty()) document.MoveItem(pick(items), chance(50));
            break;
        case 11: {
            std::vector<std::string> paths;
            for (const QString& file : files) paths.push_back(file.toStdString());
            document.ImportFiles(folder, paths);
            break;
        }
        case 12:
            document.Import(folder, ScanImportPath(dir.filePath(u"in"_s).toStdString()));
            break;
        case 13: {
            CPageOption page = document.PageOption();
            page.general.title = text;
            document.SetPageOption(page);
            break;
        }
        default: {
            CLayoutOption layout = document.LayoutOption();
            layout.mainCanvas.rows = static_cast<std::int32_t>(random() % 10);
            document.SetLayoutOption(layout);
            break;
        }
    }
}

// The user picks something else between the steps.
void RandomSelection(CSiteDocument& document, std::mt19937& random) {
    const CSiteTree& tree = document.Tree();
    const std::vector<CFolderKey> folders = Folders(tree);
    const CFolderKey folder = folders[random() % folders.size()];
    if (random() % 2 == 0 || RowCount(tree, folder) == 0) {
        document.SelectFolder(folder);
        return;
    }
    document.SelectFolder(folder);
    std::vector<CSiteNodeRef> rows;
    for (int row = 0; row < RowCount(tree, folder); ++row)
        if (random() % 3 == 0) rows.push_back(RowAt(tree, folder, row));
    document.SelectRows(rows);
}

}  // namespace

class UndoTest : public QObject {
    Q_OBJECT

private slots:
    // Random commands: each one undone gives the bytes and the selection before it and redone
    // the bytes after it, with the views following; then undo to the start gives the original
    // file and redo to the end the final one.
    void RandomEditsUndoAndRedoByteForByte() {
        QTemporaryDir dir;
        const QStringList files = MakeFiles(dir);
        CFrameFixture f;
        CSiteDocument& document = f.Doc();
        QUndoStack& history = document.UndoStack();
        const QAbstractItemModelTester treeTester(
            &f.Tree().Model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QAbstractItemModelTester listTester(
            &f.List().Model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        std::mt19937 random(14);
        std::vector<std::vector<unsigned char>> states{Bytes(document)};

        for (int step = 0; step < 250; ++step) {
            RandomSelection(document, random);
            const std::vector<unsigned char> before = Bytes(document);
            const CSiteSelection selected = document.Selection();
            const int count = history.count();
            document.EndTyping();
            RandomCommand(document, random, dir, files);
            CheckViews(f);
            if (history.count() == count) {
                QVERIFY2(Bytes(document) == before, qPrintable(QString::number(step)));
                continue;
            }
            QVERIFY(document.IsModified());
            const std::vector<unsigned char> after = Bytes(document);
            history.undo();
            QVERIFY2(Bytes(document) == before, qPrintable(history.redoText()));
            QVERIFY2(document.Selection() == selected, qPrintable(history.redoText()));
            CheckViews(f);
            history.redo();
            QVERIFY2(Bytes(document) == after, qPrintable(history.undoText()));
            CheckViews(f);
            states.push_back(after);
        }
        QVERIFY(states.size() > 100);

        for (std::size_t i = states.size() - 1; i > 0; --i) {
            history.undo();
            QVERIFY(Bytes(document) == states[i - 1]);
        }
        QVERIFY(!history.canUndo());
        QVERIFY(!document.IsModified());
        CheckViews(f);
        for (std::size_t i = 1; i < states.size(); ++i) {
            history.redo();
            QVERIFY(Bytes(document) == states[i]);
        }
        CheckViews(f);
    }

    // Keystrokes in a field of the form make one step, which Ctrl+Z in the edit box takes back;
    // typing the text back leaves no step. The project is unmodified exactly at the saved state.
    void TypingAndTheModifiedFlag() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"site.www"_s);
        CFrameFixture f;
        CSiteDocument& document = f.Doc();
        QUndoStack& history = document.UndoStack();
        QLineEdit* caption = f.Form().CaptionEdit();
        f.Focus(caption);
        QTest::keyClick(caption, Qt::Key_End);
        QTest::keyClicks(caption, u"abc"_s);
        QCOMPARE(history.count(), 1);
        QCOMPARE(f.frame.Action(kEditUndo)->text(),
                 u"&Undo Rename \"Index\" to \"Indexabc\"\tCtrl+Z"_s);
        QVERIFY(document.IsModified());
        for (int i = 0; i < 3; ++i) QTest::keyClick(caption, Qt::Key_Backspace);
        QCOMPARE(history.count(), 0);
        QVERIFY(!document.IsModified());

        QTest::keyClicks(caption, u"abc"_s);
        QTest::keyClick(caption, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.Folder(f.Root()).caption.Str(), std::string("Index"));
        QCOMPARE(caption->text(), u"Index"_s);
        QCOMPARE(f.TreeLabel(f.Root()), u"Index"_s);
        QVERIFY(!document.IsModified());
        QTest::keyClick(caption, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(caption->text(), u"Indexabc"_s);
        QCOMPARE(history.count(), 1);

        // Saved with a change of the description: clean. A keystroke after the save is a step of
        // its own; undoing it gives the saved file's bytes and an unmodified project.
        QPlainTextEdit* description = f.Form().DescriptionEdit();
        f.Focus(description);
        QTest::keyClicks(description, u"Summer"_s);
        f.desktop->fileNames = {path};
        QVERIFY(f.Trigger(kFileSave));
        QVERIFY(!document.IsModified());
        f.Focus(description);
        QTest::keyClicks(description, u"!"_s);
        QVERIFY(document.IsModified());
        QCOMPARE(history.count(), 3);
        f.Focus(&f.Tree());
        QTest::keyClick(&f.Tree(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!document.IsModified());
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray onDisk = saved.readAll();
        const std::vector<unsigned char> now = Bytes(document);
        QVERIFY(onDisk == QByteArray(reinterpret_cast<const char*>(now.data()),
                                     static_cast<qsizetype>(now.size())));
        QTest::keyClick(&f.Tree(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(document.IsModified());
        QTest::keyClick(&f.Tree(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(!document.IsModified());

        // Leaving the field ends the step: the next keystroke starts another.
        f.Focus(description);
        QTest::keyClicks(description, u"x"_s);
        f.Focus(&f.Tree());
        f.Focus(description);
        QTest::keyClicks(description, u"y"_s);
        QCOMPARE(history.count(), 4);
    }

    // Undo and Redo in the window: disabled with nothing to do, named after their step, showing
    // the selection of the step, and forgotten by New, Open and Close.
    void EditMenuUndoRedo() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"site.www"_s);
        CFrameFixture f;
        QAction* undo = f.frame.Action(kEditUndo);
        QAction* redo = f.frame.Action(kEditRedo);
        QVERIFY(!undo->isEnabled() && !redo->isEnabled());
        QCOMPARE(undo->text(), u"&Undo\tCtrl+Z"_s);
        QCOMPARE(redo->text(), u"&Redo\tCtrl+Shift+Z"_s);

        const CFolderKey holiday = f.Doc().NewFolder(f.Root());
        f.Doc().SetText(CSiteNodeRef::Of(holiday), CSiteField::Caption, "Holiday & Sea", false);
        f.Doc().NewItem(holiday);
        f.ClickNode(holiday);
        f.desktop->answers = {CDesktop::Answer::Yes};
        QVERIFY(f.Trigger(kDelete));
        f.ClickNode(f.Root());
        QVERIFY(undo->isEnabled());
        QCOMPARE(undo->text(), u"&Undo Delete \"Holiday && Sea\"\tCtrl+Z"_s);
        QCOMPARE(undo->toolTip(), u"Undo Delete \"Holiday & Sea\""_s);
        QVERIFY(f.Trigger(kEditUndo));
        QCOMPARE(f.Tree().SelectedNode(), holiday);
        QCOMPARE(f.ListRows(), 1);
        QCOMPARE(redo->toolTip(), u"Redo Delete \"Holiday & Sea\""_s);
        QTest::keyClick(&f.Tree(), Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(!f.Model().Find(holiday));
        QCOMPARE(f.Tree().SelectedNode(), f.Root());

        // Rows deleted in the list come back selected, and the form follows them.
        f.Doc().NewItem(f.Root());
        f.Doc().NewItem(f.Root());
        f.Focus(&f.List());
        f.SelectRows({0, 1});
        f.desktop->answers = {CDesktop::Answer::Yes};
        QVERIFY(f.Trigger(kDelete));
        QCOMPARE(f.ListRows(), 0);
        f.Doc().SelectFolder(f.Root());
        QVERIFY(f.Trigger(kEditUndo));
        QCOMPARE(f.List().SelectedRows(), (std::vector<int>{0, 1}));
        QVERIFY(!f.Form().CaptionEdit()->isVisible());

        // New (Close alike) and Open start with nothing to undo.
        f.desktop->answers = {CDesktop::Answer::Yes};
        f.desktop->fileNames = {path};
        QVERIFY(f.Trigger(kFileNew));
        QVERIFY(!undo->isEnabled() && !redo->isEnabled());
        f.Doc().NewFolder(f.Root());
        QVERIFY(f.frame.OpenProject(path));
        QVERIFY(!undo->isEnabled());
        QCOMPARE(undo->text(), u"&Undo\tCtrl+Z"_s);
        QCOMPARE(f.desktop->unexpected, 0);
    }

    // Edit > Sort Items puts the shown folder's items in order as one step.
    void SortItemsIsOneStep() {
        CFrameFixture f;
        for (int i = 0; i < 4; ++i) f.Doc().NewItem(f.Root());
        std::size_t row = 0;
        for (const char* caption : {"IMG_10.JPG", "b", "IMG_2.JPG", "A"})
            f.Doc().SetText(CSiteNodeRef::Of(f.Doc().Tree().Root()->Folder().items[row++].key),
                            CSiteField::Caption, caption, false);
        const auto captions = [&] {
            QStringList list;
            for (const CSiteItem& item : f.Doc().Tree().Root()->Folder().items)
                list << QString::fromStdString(item.caption.Str());
            return list;
        };
        f.ClickNode(f.Root());
        QVERIFY(f.frame.SortMenu()->isEnabled());
        QCOMPARE(f.frame.SortMenu()->title(), u"S&ort Items"_s);
        QVERIFY(f.Trigger(kSortByCaption));
        QCOMPARE(captions(), (QStringList{u"A"_s, u"b"_s, u"IMG_2.JPG"_s, u"IMG_10.JPG"_s}));
        QCOMPARE(f.frame.Action(kEditUndo)->toolTip(), u"Undo Sort Items"_s);
        QVERIFY(f.Trigger(kEditUndo));
        QCOMPARE(captions(), (QStringList{u"IMG_10.JPG"_s, u"b"_s, u"IMG_2.JPG"_s, u"A"_s}));
        QVERIFY(f.Trigger(kEditRedo));
        QCOMPARE(captions(), (QStringList{u"A"_s, u"b"_s, u"IMG_2.JPG"_s, u"IMG_10.JPG"_s}));
        // Sorted already: no step.
        const int steps = f.Doc().UndoStack().count();
        QVERIFY(f.Trigger(kSortByCaption));
        QCOMPARE(f.Doc().UndoStack().count(), steps);
    }
};

int RunUndoTest(int argc, char** argv) {
    UndoTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "UndoTest.moc"
