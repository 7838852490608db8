// "Import a folder" and "Import files" through the real window, and the worker that scans a
// folder while the window waits.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

#include "CommandIds.h"
#include "ImportJob.h"
#include "ShellTestUtil.h"

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace CommandId;
using namespace Qt::StringLiterals;
namespace fs = std::filesystem;

namespace {

QString Touch(const QTemporaryDir& dir, const QString& relative) {
    const QString path = dir.filePath(relative);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) qWarning("cannot write %s", qPrintable(path));
    file.write("content");
    return path;
}

QStringList Items(CFrameFixture& f, CFolderKey folder) {
    QStringList captions;
    for (const CSiteItem& item : f.Folder(folder).items)
        captions << QString::fromStdString(item.caption.Str()) + u':' + QString::number(item.id);
    return captions;
}

QStringList Children(CFrameFixture& f, CFolderKey folder) {
    QStringList labels;
    for (const auto& child : f.Model().Find(folder)->Children())
        labels << QString::fromStdString(std::string(child->Label()));
    return labels;
}

std::string Url(const QString& path) {
    return "file://" + QFile::encodeName(path).toStdString();
}

}  // namespace

class ImportCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void AFolderGoesIntoTheSelectedNode() {
        QTemporaryDir dir;
        const QString b = Touch(dir, u"photos/b.gif"_s);
        const QString a = Touch(dir, u"photos/a.jpg"_s);
        Touch(dir, u"photos/trip/day1.jpg"_s);
        Touch(dir, u"photos/.DS_Store"_s);
        QDir().mkpath(dir.filePath(u"photos/empty"_s));

        CFrameFixture f;
        f.Trigger(kNewItem);
        f.Trigger(kNewItem);
        f.Doc().SetModified(false);
        f.Focus(&f.List());

        f.desktop->fileNames = {dir.filePath(u"photos"_s)};
        QVERIFY(f.Trigger(kImportFolder));
        QCOMPARE(f.desktop->lastTitle, u"Please select import folder"_s);
        QCOMPARE(Items(f, f.Root()),
                 (QStringList{u"New Item:0"_s, u"New Item:1"_s, u"a:2"_s, u"b:3"_s}));
        // A new project captions by title, else by name without the extension, and leaves
        // junk out, counted in the status bar.
        QCOMPARE(f.frame.statusBar()->currentMessage(),
                 u"1 hidden or junk entry left out of the import"_s);
        QCOMPARE(f.Folder(f.Root()).items[2].url.Str(), Url(a));
        QCOMPARE(f.Folder(f.Root()).items[3].url.Str(), Url(b));
        QCOMPARE(Children(f, f.Root()), (QStringList{u"empty"_s, u"trip"_s}));
        QCOMPARE(f.ChildCount(f.Child(0)), 0u);
        QCOMPARE(Items(f, f.Child(0)), QStringList{});
        QCOMPARE(Items(f, f.Child(1)), QStringList{u"day1:0"_s});
        QVERIFY(f.Doc().IsModified());
        QVERIFY(f.desktop->messages.isEmpty());

        // The node is opened, selected, shown and focused.
        QCOMPARE(f.Tree().SelectedNode(), f.Root());
        QVERIFY(f.Tree().isExpanded(f.Tree().Model().IndexOf(f.Root())));
        QCOMPARE(QApplication::focusWidget(), &f.Tree());
        QCOMPARE(f.ListRows(), 6);
        QCOMPARE(f.ListText(5, 0), u"b"_s);
        QCOMPARE(f.ListText(5, 1), u"3"_s);

        // Into a sub-site: it opens with the new contents, after the ids it had.
        const CFolderKey trip = f.Child(1);
        f.ClickNode(trip);
        f.desktop->fileNames = {dir.filePath(u"photos/trip"_s)};
        QVERIFY(f.Trigger(kImportFolder));
        QCOMPARE(Items(f, trip), (QStringList{u"day1:0"_s, u"day1:1"_s}));
        QCOMPARE(f.Tree().SelectedNode(), trip);
        QCOMPARE(f.ListRows(), 2);

        // The path of a single file adds that file.
        f.desktop->fileNames = {a};
        QVERIFY(f.Trigger(kImportFolder));
        QCOMPARE(Items(f, trip).back(), u"a:2"_s);

        // An empty folder adds nothing and changes nothing.
        f.Doc().SetModified(false);
        f.desktop->fileNames = {dir.filePath(u"photos/empty"_s)};
        QVERIFY(f.Trigger(kImportFolder));
        QCOMPARE(Items(f, trip).size(), 3);
        QVERIFY(!f.Doc().IsModified());
        QCOMPARE(f.desktop->unexpected, 0);
    }

    // Site > Import Folder as Sub-site: a new sub-site named after the folder holds it all, and
    // one undo takes it back.
    void AFolderAsASubSite() {
        QTemporaryDir dir;
        Touch(dir, u"Holiday 2026/a.jpg"_s);
        Touch(dir, u"Holiday 2026/trip/day1.jpg"_s);
        CFrameFixture f;
        f.desktop->fileNames = {dir.filePath(u"Holiday 2026"_s)};
        QVERIFY(f.Trigger(kImportFolderAsSite));
        QCOMPARE(Children(f, f.Root()), (QStringList{u"Holiday 2026"_s}));
        const CFolderKey site = f.Model().Find(f.Root())->Child(0)->Key();
        QCOMPARE(Items(f, site), (QStringList{u"a:0"_s}));  // a new project captions by name
        QCOMPARE(Children(f, site), (QStringList{u"trip"_s}));
        QVERIFY(Items(f, f.Root()).isEmpty());
        QVERIFY(f.Trigger(kEditUndo));
        QVERIFY(Children(f, f.Root()).isEmpty());
    }

    void CancelledDialogsAddNothing() {
        CFrameFixture f;
        f.desktop->fileNames = {QString()};
        QVERIFY(f.Trigger(kImportFolder));
        f.desktop->fileLists = {QStringList()};
        QVERIFY(f.Trigger(kImportFiles));
        QCOMPARE(f.Model().ItemCount(), 0u);
        QCOMPARE(f.Model().FolderCount(), 1u);
        QVERIFY(!f.Doc().IsModified());
        QVERIFY(f.desktop->messages.isEmpty());
        QCOMPARE(f.desktop->unexpected, 0);
    }

    void LinksToFoldersAreNotFollowed() {
        QTemporaryDir dir;
        Touch(dir, u"site/page.htm"_s);
        const fs::path site = QFile::encodeName(dir.filePath(u"site"_s)).toStdString();
        std::error_code error;
        fs::create_directory_symlink(site, site / "loop", error);
        if (!error) fs::create_symlink(site / "page.htm", site / "page-link.htm", error);
        if (!error) fs::create_symlink(site / "nowhere", site / "broken", error);
        if (error) QSKIP("this system does not let the test make symbolic links");

        CFrameFixture f;
        f.desktop->fileNames = {dir.filePath(u"site"_s)};
        QVERIFY(f.Trigger(kImportFolder));
        QCOMPARE(Items(f, f.Root()), (QStringList{u"page-link:0"_s, u"page:1"_s}));
        QCOMPARE(f.ChildCount(), 0u);
        QCOMPARE(f.desktop->messages.size(), 1);
        QVERIFY2(f.desktop->messages[0].startsWith(u"2 entries were not imported"_s),
                 qPrintable(f.desktop->messages[0]));
        QVERIFY(f.desktop->messages[0].contains(
            QFile::decodeName(QByteArray::fromStdString((site / "loop").string()))));

        // A folder that cannot be read becomes an empty sub-site and is counted.
#ifdef Q_OS_UNIX
        if (::geteuid() == 0) QSKIP("permissions do not keep the superuser out");
#else
        QSKIP("folders are closed to their owner only on Unix");
#endif
        QDir().mkpath(dir.filePath(u"closed/locked"_s));
        Touch(dir, u"closed/locked/secret.txt"_s);
        QFile::setPermissions(dir.filePath(u"closed/locked"_s), QFileDevice::Permissions());
        f.desktop->fileNames = {dir.filePath(u"closed"_s)};
        QVERIFY(f.Trigger(kImportFolder));
        QFile::setPermissions(dir.filePath(u"closed/locked"_s), QFileDevice::ReadOwner |
                                                                    QFileDevice::WriteOwner |
                                                                    QFileDevice::ExeOwner);
        QCOMPARE(Children(f, f.Root()), QStringList{u"locked"_s});
        QCOMPARE(f.Folder(f.Child(0)).items.size(), 0u);
        QCOMPARE(f.desktop->messages.size(), 2);
        QVERIFY(f.desktop->messages[1].startsWith(u"1 entry was not imported"_s));
    }

    void FilesBecomeItemsInTheDialogsOrder() {
        QTemporaryDir dir;
        const QString first = Touch(dir, u"z.mp3"_s);
        const QString second = Touch(dir, u"a b.zip"_s);
        const QString gone = dir.filePath(u"gone.htm"_s);

        CFrameFixture f;
        f.Trigger(kNewFolder);
        const CFolderKey folder = f.Tree().SelectedNode();
        f.Trigger(kNewItem);
        f.Doc().SetModified(false);
        f.desktop->fileLists = {{first, gone, second}};
        QVERIFY(f.Trigger(kImportFiles));
        QVERIFY(f.desktop->lastFilter.startsWith(u"All Files (*);;Html Files (*.htm);;"_s));
        QVERIFY(f.desktop->lastFilter.endsWith(u";;Zip files (*.zip)"_s));
        QCOMPARE(Items(f, folder), (QStringList{u"New Item:0"_s, u"z:1"_s, u"a b:2"_s}));
        QCOMPARE(f.Folder(folder).items[2].url.Str(), Url(second));
        QVERIFY(f.Doc().IsModified());
        QCOMPARE(f.Tree().SelectedNode(), folder);
        QCOMPARE(f.ListRows(), 3);
        QCOMPARE(f.desktop->messages.size(), 1);
        QVERIFY(f.desktop->messages[0].contains(gone));
    }

    void CancelKeepsWhatWasFound() {
        QTemporaryDir dir;
        constexpr int kFiles = 400;
        for (int i = 0; i < kFiles; ++i) Touch(dir, u"many/%1.gif"_s.arg(i, 4, 10, QChar(u'0')));

        CFrameFixture f;
        CImportJob job(&f.frame);
        int reports = 0;
        bool keysReachedTheWindow = false;
        connect(&job, &CImportJob::Progressed, this, [&](qulonglong seen) {
            QVERIFY(job.Dialog());
            // The window takes no input meanwhile: New folder does not run, nor does closing.
            QTest::keyClick(&f.Tree(), Qt::Key_F, Qt::ControlModifier);
            f.frame.close();
            keysReachedTheWindow = keysReachedTheWindow || f.ChildCount() > 0;
            if (++reports == 2) {
                QVERIFY(seen > 1);
                job.Dialog()->findChild<QPushButton*>()->click();
            }
        });
        CImportScan scan = job.Run(QFile::encodeName(dir.filePath(u"many"_s)).toStdString());
        QVERIFY(scan.cancelled);
        QCOMPARE(reports, 2);
        QVERIFY(!keysReachedTheWindow);
        QVERIFY(f.frame.isVisible());
        const std::size_t found = scan.FileCount();
        QVERIFY(found > 0 && found < static_cast<std::size_t>(kFiles));
        QCOMPARE(scan.FileName(0), std::string_view("0000.gif"));

        // What was found is added, and the project is modified.
        f.Doc().SetModified(false);
        const CImportResult result = f.Doc().Import(f.Tree().SelectedNode(), std::move(scan));
        QVERIFY(result.cancelled);
        QCOMPARE(result.itemsAdded, found);
        QCOMPARE(f.Folder(f.Root()).items.size(), found);
        QCOMPARE(f.ListRows(), static_cast<int>(found));
        QVERIFY(f.Doc().IsModified());
    }
};

int RunImportCommandsTest(int argc, char** argv) {
    ImportCommandsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ImportCommandsTest.moc"
