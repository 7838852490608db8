// The project commands of the window: New, Open, Save, Save As, close, the save prompt and the
// recent-file list, driven through the real frame with the desktop's dialogs answered by a script.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "CommandIds.h"
#include "ProjectFile.h"
#include "RecentFileList.h"
#include "ShellTestUtil.h"
#include "SiteTreeView.h"

using namespace CommandId;
using namespace Qt::StringLiterals;
using Answer = CDesktop::Answer;

namespace {

std::filesystem::path FsPath(const QString& path) {
    return std::filesystem::path(path.toStdString());
}

// A project file whose root holds sub-sites with these captions.
void WriteProject(const QString& path, const QStringList& captions) {
    CSiteTree tree;
    for (const QString& caption : captions) tree.AddFolder(tree.RootKey(), caption.toStdString());
    QVERIFY(SaveProject(FsPath(path), CPageOption(), CLayoutOption(), tree).ok);
}

QStringList SubSites(CFrameFixture& f) {
    QStringList captions;
    for (const auto& child : f.Model().Find(f.Root())->Children())
        captions << QString::fromStdString(std::string(child->Label()));
    return captions;
}

QStringList Slots(const CRecentFileList& list) {
    QStringList files;
    for (int slot = 1; slot <= CRecentFileList::kSlotCount; ++slot) files << list.File(slot);
    return files;
}

QSettings RecentSettings() {
    return QSettings(u"Pagelorn"_s, u"Pagelorn"_s);
}

void StoreRecentFiles(const QStringList& files) {
    QSettings settings = RecentSettings();
    settings.remove(u"RecentFileList"_s);
    for (int i = 0; i < files.size(); ++i)
        settings.setValue(u"RecentFileList/RecentFile%1"_s.arg(i + 1), files.at(i));
}

QStringList StoredRecentFiles() {
    QSettings settings = RecentSettings();
    QStringList files;
    for (int slot = 1; slot <= 4; ++slot)
        files << settings.value(u"RecentFileList/RecentFile%1"_s.arg(slot)).toString();
    return files;
}

// The File menu's recent-file entries, as shown.
QList<QAction*> RecentEntries(CMainFrame& frame) {
    QList<QAction*> entries;
    bool inside = false;
    for (QAction* action : frame.FileMenu()->actions()) {
        if (action == frame.Action(kFileSaveAs)) {
            inside = true;
            continue;
        }
        if (inside && action->isVisible() && !action->isSeparator()) entries << action;
    }
    entries.removeAll(frame.Action(kAppExit));
    return entries;
}

// The paths the entries show, behind their numbers ("&1 ", "&2 " ...), which are their keys.
QStringList RecentTexts(CMainFrame& frame) {
    QStringList texts;
    for (const QAction* action : RecentEntries(frame)) {
        const QString number = u"&%1 "_s.arg(texts.size() + 1);
        texts << (action->text().startsWith(number) ? action->text().mid(number.size())
                                                    : action->text());
    }
    return texts;
}

// A change of the project, as the user makes it.
void Change(CFrameFixture& f, const char* caption) {
    f.Doc().SelectFolder(f.Root());
    f.Focus(&f.Tree());
    f.Trigger(kNewFolder);
    f.Model().RenameFolder(f.Tree().SelectedNode(), caption);
    f.Doc().SetModified(true);
}

}  // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { StoreRecentFiles({}); }

    void RecentFileListKeepsTheDescribedOrder() {
        CRecentFileList list;
        QVERIFY(list.IsEmpty());
        for (const char* path : {"/p/a.www", "/p/b.www", "/p/c.www", "/p/d.www"})
            QVERIFY(list.AddRecentFile(QString::fromUtf8(path)));
        QCOMPARE(Slots(list),
                 (QStringList{u"/p/d.www"_s, u"/p/c.www"_s, u"/p/b.www"_s, u"/p/a.www"_s}));

        QVERIFY(!list.AddRecentFile(u"/p/d.www"_s));
        QVERIFY(list.AddRecentFile(u"/p/c.www"_s));  // slot 2 changes place with slot 1
        QCOMPARE(Slots(list),
                 (QStringList{u"/p/c.www"_s, u"/p/d.www"_s, u"/p/b.www"_s, u"/p/a.www"_s}));
        QVERIFY(list.AddRecentFile(u"/p/a.www"_s));  // slot 4 to the top, the rest one down
        QCOMPARE(Slots(list),
                 (QStringList{u"/p/a.www"_s, u"/p/c.www"_s, u"/p/d.www"_s, u"/p/b.www"_s}));
        QVERIFY(list.AddRecentFile(u"/p/A.www"_s));  // letter case counts: a new path
        QCOMPARE(Slots(list),
                 (QStringList{u"/p/A.www"_s, u"/p/a.www"_s, u"/p/c.www"_s, u"/p/d.www"_s}));
        QCOMPARE(list.SlotOf(u"/p/b.www"_s), 0);

        list.RemoveRecentFile(2);
        QCOMPARE(Slots(list),
                 (QStringList{u"/p/A.www"_s, u"/p/c.www"_s, u"/p/d.www"_s, QString()}));
        list.RemoveRecentFile(1);
        QCOMPARE(Slots(list), (QStringList{u"/p/c.www"_s, u"/p/d.www"_s, QString(), QString()}));
        list.RemoveRecentFile(2);
        list.RemoveRecentFile(1);
        QVERIFY(list.IsEmpty());
    }

    // No length limit: a long path comes back as it went.
    void RecentFilesRoundTripThroughSettings() {
        QTemporaryDir dir;
        QSettings settings(dir.filePath(u"recent.ini"_s), QSettings::IniFormat);
        CRecentFileList list;
        list.AddRecentFile(u"/p/first.www"_s);
        list.AddRecentFile(u"/"_s + QString(300, u'x') + u".www"_s);
        list.SaveRecentFiles(settings);
        CRecentFileList read;
        read.LoadRecentFiles(settings);
        QCOMPARE(Slots(read), Slots(list));
    }

    void SaveAsSaveAndOpen() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"site.www"_s);
        {
            CFrameFixture f;
            Change(f, "Photos");
            f.desktop->fileNames = {path};
            QVERIFY(f.Trigger(kFileSaveAs));
            QVERIFY(QFile::exists(path));
            QCOMPARE(f.frame.PathName(), path);
            QVERIFY(!f.Doc().IsModified());
            QCOMPARE(Slots(f.frame.RecentFiles()).front(), path);
            QCOMPARE(MenuTexts(*f.frame.FileMenu()),
                     (QStringList{u"&New\tCtrl+N"_s, u"&Open...\tCtrl+O"_s, u"&Close"_s, u"-"_s,
                                  u"&Save\tCtrl+S"_s, u"Save &As..."_s, u"-"_s, u"&1 "_s + path,
                                  u"-"_s, u"E&xit\tCtrl+Q"_s}));

            // Save writes to the project's file without asking.
            Change(f, "Music");
            QVERIFY(f.Trigger(kFileSave));
            QVERIFY(!f.Doc().IsModified());
            QCOMPARE(f.desktop->unexpected, 0);

            QVERIFY(f.Trigger(kFileNew));
            QVERIFY(f.frame.PathName().isEmpty());
            QVERIFY(SubSites(f).isEmpty());
            QVERIFY(f.desktop->questions.isEmpty());

            f.desktop->fileNames = {path};
            QVERIFY(f.Trigger(kFileOpen));
            QCOMPARE(f.frame.PathName(), path);
            QCOMPARE(SubSites(f), (QStringList{u"Photos"_s, u"Music"_s}));
            QVERIFY(f.desktop->messages.isEmpty());
            QVERIFY(f.frame.close());
        }
        QCOMPARE(StoredRecentFiles(), (QStringList{path, QString(), QString(), QString()}));
    }

    // A project named relative to the current folder (pagelorn proj/b.www) is kept and
    // remembered by its absolute path, which still holds when the program starts elsewhere.
    void RelativePathsBecomeAbsolute() {
        QTemporaryDir dir;
        const QString path = QDir::cleanPath(dir.filePath(u"b.www"_s));
        const QString relative = QDir::current().relativeFilePath(path);
        QVERIFY(QFileInfo(relative).isRelative());
        {
            CFrameFixture f;
            Change(f, "Photos");
            f.desktop->fileNames = {relative};
            QVERIFY(f.Trigger(kFileSaveAs));
            QCOMPARE(f.frame.PathName(), path);
            QCOMPARE(Slots(f.frame.RecentFiles()).front(), path);
        }
        StoreRecentFiles({});
        CFrameFixture f;
        f.frame.OpenAndRemember(relative);
        QCOMPARE(f.frame.PathName(), path);
        QCOMPARE(Slots(f.frame.RecentFiles()).front(), path);
        QVERIFY(f.frame.close());
        QCOMPARE(StoredRecentFiles(), (QStringList{path, QString(), QString(), QString()}));
    }

    // The toolbar takes no focus, so a caption still being typed in the tree must be taken
    // into the file by Save itself.
    void SaveTakesACaptionStillBeingTyped() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"typed.www"_s);
        CFrameFixture f;
        f.desktop->fileNames = {path};
        QVERIFY(f.Trigger(kFileSaveAs));

        CSiteTreeView& view = f.Tree();
        view.setFocus();
        const QModelIndex root = view.Model().IndexOf(f.Model().RootKey());
        view.setCurrentIndex(root);
        view.edit(root);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->selectAll();
        TypeText(editor, u"Home"_s);
        QVERIFY(f.Trigger(kFileSave));

        CPageOption page;
        CLayoutOption layout;
        CSiteTree saved;
        QVERIFY(LoadProject(std::filesystem::path(path.toStdString()), page, layout, saved)
                    .IsComplete());
        QCOMPARE(std::string(saved.Root()->Label()), std::string("Home"));
        QVERIFY(!f.Doc().IsModified());
    }

    // Another program (pagelorn-cli import, a second window) saved over the file meanwhile.
    void SaveWarnsWhenTheFileWasChangedByAnotherProgram() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"shared.www"_s);
        CFrameFixture f;
        Change(f, "Mine");
        f.desktop->fileNames = {path};
        QVERIFY(f.Trigger(kFileSaveAs));
        WriteProject(path, {u"Theirs"_s});
        const auto onDisk = [&] {
            CPageOption page;
            CLayoutOption layout;
            CSiteTree tree;
            LoadProject(FsPath(path), page, layout, tree);
            QStringList captions;
            for (const auto& child : tree.Root()->Children())
                captions << QString::fromStdString(std::string(child->Label()));
            return captions;
        };

        Change(f, "More");
        f.desktop->answers = {Answer::No};
        f.Trigger(kFileSave);
        QCOMPARE(f.desktop->questions.size(), 1);
        QVERIFY2(f.desktop->questions.front().contains(u"changed by another program"_s),
                 qPrintable(f.desktop->questions.front()));
        QCOMPARE(onDisk(), QStringList{u"Theirs"_s});
        QVERIFY(f.Doc().IsModified());

        f.desktop->answers = {Answer::Yes};
        f.Trigger(kFileSave);
        QCOMPARE(onDisk(), (QStringList{u"Mine"_s, u"More"_s}));
        QVERIFY(!f.Doc().IsModified());
        // The file is as this window left it: the next save asks nothing.
        Change(f, "Again");
        f.Trigger(kFileSave);
        QCOMPARE(f.desktop->questions.size(), 2);
        QCOMPARE(f.desktop->unexpected, 0);

        // While pagelorn-cli import holds the file, Save waits a moment, then says so.
        const int held = ::open(FsPath(path).c_str(), O_RDONLY | O_CLOEXEC);
        QCOMPARE(::flock(held, LOCK_EX), 0);
        Change(f, "Later");
        f.Trigger(kFileSave);
        ::close(held);
        QCOMPARE(f.desktop->messages.size(), 1);
        QVERIFY2(f.desktop->messages.front().contains(u"being changed by another program"_s),
                 qPrintable(f.desktop->messages.front()));
        QVERIFY(f.Doc().IsModified());
        QCOMPARE(onDisk(), (QStringList{u"Mine"_s, u"More"_s, u"Again"_s}));
    }

    // The website settings file goes with the project: Save As writes a new project's settings
    // beside it; a damaged one is reported at Open and replaced only when the user agrees.
    void WebsiteSettingsFileGoesWithTheProject() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"site.www"_s);
        QFile json(path + u".json"_s);
        CFrameFixture f;
        QVERIFY(f.Doc().Settings() == CWebsiteSettings::ForNewProject());
        f.desktop->fileNames = {path};
        QVERIFY(f.Trigger(kFileSaveAs));
        QVERIFY(json.exists());

        QVERIFY(json.open(QIODevice::WriteOnly | QIODevice::Truncate));
        json.write("{ \"pictures\": ");
        json.close();
        QVERIFY(f.frame.OpenProject(path));
        QCOMPARE(f.desktop->messages.size(), 1);
        QVERIFY2(f.desktop->messages.front().contains(json.fileName()),
                 qPrintable(f.desktop->messages.front()));
        QVERIFY(f.Doc().Settings().pictures == CPictureSettings{});
        const auto content = [&json] {
            json.open(QIODevice::ReadOnly);
            const QByteArray bytes = json.readAll();
            json.close();
            return bytes;
        };

        f.Doc().SetModified(true);
        f.desktop->answers = {Answer::Cancel};
        f.Trigger(kFileSave);
        QVERIFY(f.Doc().IsModified());
        f.desktop->answers = {Answer::No};
        f.Trigger(kFileSave);
        QVERIFY(!f.Doc().IsModified());
        QCOMPARE(content(), QByteArray("{ \"pictures\": "));
        f.desktop->answers = {Answer::Yes};
        f.Trigger(kFileSave);
        QCOMPARE(f.desktop->questions.size(), 3);
        CWebsiteSettings reread;
        QCOMPARE(ParseWebsiteSettings(content().toStdString(), "json", reread).status,
                 SettingsLoadStatus::Read);
        f.Trigger(kFileSave);
        QCOMPARE(f.desktop->questions.size(), 3);
        QCOMPARE(f.desktop->messages.size(), 1);
    }

    void SavePromptAnswers() {
        QTemporaryDir dir;
        const QString saved = dir.filePath(u"kept.www"_s);
        CFrameFixture f;

        // Cancel stops New; nothing is asked of the file dialogs.
        Change(f, "Work");
        f.desktop->answers = {Answer::Cancel};
        f.Trigger(kFileNew);
        QCOMPARE(f.desktop->questions,
                 QStringList{u"Do you want to save the changes to the new project?"_s});
        // The prompt is a warning: the real box shows the exclamation mark and the title.
        QCOMPARE(f.desktop->questionIcons, QList<CDesktop::Icon>{CDesktop::Icon::Warning});
        {
            std::unique_ptr<CDesktop> fake = InstallDesktop(nullptr);
            const auto restore = qScopeGuard([&fake] { InstallDesktop(std::move(fake)); });
            QMessageBox::Icon icon = QMessageBox::NoIcon;
            QString title;
            QTimer::singleShot(0, &f.frame, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box) return;
                icon = box->icon();
                title = box->windowTitle();
                box->done(QMessageBox::No);
            });
            QCOMPARE(TheDesktop().Ask(&f.frame, f.desktop->questions.front(), false,
                                      CDesktop::Icon::Warning),
                     Answer::No);
            QCOMPARE(icon, QMessageBox::Warning);
            QCOMPARE(title, u"! Pagelorn"_s);
        }
        QCOMPARE(SubSites(f), QStringList{u"Work"_s});
        QVERIFY(f.Doc().IsModified());

        // Yes on an untitled project asks for a name; cancelling that stops Close as well.
        f.desktop->answers = {Answer::Yes};
        f.desktop->fileNames = {QString()};
        f.Trigger(kFileClose);
        QCOMPARE(SubSites(f), QStringList{u"Work"_s});
        QCOMPARE(f.desktop->unexpected, 0);

        // Yes with a name saves, then the new project comes.
        f.desktop->answers = {Answer::Yes};
        f.desktop->fileNames = {saved};
        f.Trigger(kFileNew);
        QVERIFY(QFile::exists(saved));
        QVERIFY(SubSites(f).isEmpty());

        // No drops the changes.
        Change(f, "Draft");
        f.desktop->answers = {Answer::No};
        f.Trigger(kFileNew);
        QVERIFY(SubSites(f).isEmpty());
        QVERIFY(!f.Doc().IsModified());

        // Open: Cancel keeps the project and shows no file dialog.
        Change(f, "Draft");
        f.desktop->answers = {Answer::Cancel};
        f.Trigger(kFileOpen);
        QCOMPARE(SubSites(f), QStringList{u"Draft"_s});
        QCOMPARE(f.desktop->unexpected, 0);

        // Closing the window: Cancel keeps it open, No lets it go.
        f.desktop->answers = {Answer::Cancel};
        QVERIFY(!f.frame.close());
        QVERIFY(f.frame.isVisible());
        f.desktop->answers = {Answer::Yes};
        f.desktop->fileNames = {QString()};
        QVERIFY(!f.frame.close());
        f.desktop->answers = {Answer::No};
        QVERIFY(f.frame.close());
        QCOMPARE(f.desktop->unexpected, 0);
    }

    void FailedSaveKeepsTheProjectModified() {
        QTemporaryDir dir;
        const QString nowhere = dir.filePath(u"missing/folder/site.www"_s);
        CFrameFixture f;
        Change(f, "Work");
        f.desktop->fileNames = {nowhere};
        f.Trigger(kFileSaveAs);
        QCOMPARE(f.desktop->messages.size(), 1);
        QVERIFY2(f.desktop->messages.front().contains(u"site.www"_s),
                 qPrintable(f.desktop->messages.front()));
        QVERIFY(f.Doc().IsModified());
        QVERIFY(f.frame.PathName().isEmpty());
        QVERIFY(f.frame.RecentFiles().IsEmpty());

        // The prompt's Yes with a failing save stops the close: nothing is lost.
        f.desktop->answers = {Answer::Yes};
        f.desktop->fileNames = {nowhere};
        QVERIFY(!f.frame.close());
        QCOMPARE(SubSites(f), QStringList{u"Work"_s});
    }

    void LoadProblemsAreReported() {
        QTemporaryDir dir;
        const QString good = dir.filePath(u"good.www"_s);
        WriteProject(good, {u"Kept"_s});
        const QString damaged = dir.filePath(u"damaged.www"_s);
        WriteProject(damaged, {u"One"_s, u"Two"_s, u"Three"_s});
        const auto size = std::filesystem::file_size(FsPath(damaged));
        std::filesystem::resize_file(FsPath(damaged), size - 6);
        const QString newer = dir.filePath(u"newer.www"_s);
        {
            std::ofstream out(FsPath(newer), std::ios::binary);
            const char version2[] = {2, 0, 0, 0, 1, 2, 3};
            out.write(version2, sizeof version2);
        }

        CFrameFixture f;
        QVERIFY(f.frame.OpenProject(good));

        // Nothing of these files can be used: the open project stays as it was.
        QVERIFY(!f.frame.OpenProject(newer));
        QCOMPARE(f.desktop->messages, QStringList{u"Unkown version!"_s});
        QVERIFY(!f.frame.OpenProject(dir.filePath(u"gone.www"_s)));
        QCOMPARE(f.desktop->messages.size(), 2);
        QVERIFY(f.desktop->messages.back().contains(u"gone.www"_s));
        QCOMPARE(f.frame.PathName(), good);
        QCOMPARE(SubSites(f), QStringList{u"Kept"_s});

        // A damaged tree: what was read is shown, untitled, and counts as unsaved.
        QVERIFY(!f.frame.OpenProject(damaged));
        QCOMPARE(f.desktop->messages.size(), 3);
        QVERIFY2(f.desktop->messages.back().contains(u"damaged.www"_s),
                 qPrintable(f.desktop->messages.back()));
        QCOMPARE(SubSites(f), (QStringList{u"One"_s, u"Two"_s}));
        QVERIFY(f.frame.PathName().isEmpty());
        QVERIFY(f.Doc().IsModified());
        QVERIFY(f.frame.RecentFiles().IsEmpty());
    }

    void RecentFileCommands() {
        QTemporaryDir dir;
        QStringList files;
        for (const char* name : {"a.www", "b.www", "c.www", "d.www"}) {
            files << dir.filePath(QString::fromUtf8(name));
            WriteProject(files.back(), {QString::fromUtf8(name)});
        }
        StoreRecentFiles(files);
        CFrameFixture f;
        QCOMPARE(RecentTexts(f.frame), files);

        // Slot 1: it opens and nothing moves.
        RecentEntries(f.frame).at(0)->trigger();
        QCOMPARE(f.frame.PathName(), files[0]);
        QCOMPARE(RecentTexts(f.frame), files);

        // Slot 4 goes to the top; the other three move down.
        RecentEntries(f.frame).at(3)->trigger();
        QCOMPARE(SubSites(f), QStringList{u"d.www"_s});
        const QStringList moved{files[3], files[0], files[1], files[2]};
        QCOMPARE(RecentTexts(f.frame), moved);

        // A file that has gone: a message, and its entry leaves the list; the project stays.
        QVERIFY(QFile::remove(files[1]));
        RecentEntries(f.frame).at(2)->trigger();
        QCOMPARE(f.desktop->messages.size(), 1);
        QCOMPARE(RecentTexts(f.frame), (QStringList{files[3], files[0], files[2]}));
        QCOMPARE(f.frame.PathName(), files[3]);

        QVERIFY(f.frame.close());
        QCOMPARE(StoredRecentFiles(), (QStringList{files[3], files[0], files[2], QString()}));
    }

    // The entry chosen is the file opened, even when the save prompt's Save As moved the list.
    void RecentOpenAfterSaveAsOpensTheChosenFile() {
        QTemporaryDir dir;
        const QString a = dir.filePath(u"a.www"_s);
        const QString b = dir.filePath(u"b.www"_s);
        WriteProject(a, {u"A"_s});
        WriteProject(b, {u"B"_s});
        StoreRecentFiles({a, b});
        CFrameFixture f;
        Change(f, "Unsaved");
        const QString saved = dir.filePath(u"new & saved.www"_s);
        f.desktop->answers = {Answer::Yes};
        f.desktop->fileNames = {saved};
        RecentEntries(f.frame).at(1)->trigger();
        QCOMPARE(f.frame.PathName(), b);
        QCOMPARE(SubSites(f), QStringList{u"B"_s});
        QCOMPARE(Slots(f.frame.RecentFiles()), (QStringList{b, saved, a, QString()}));
        // The entry shows the path exactly; "&" is no mnemonic.
        QCOMPARE(RecentEntries(f.frame).at(1)->text(),
                 u"&2 "_s + QString(saved).replace(u"&"_s, u"&&"_s));
    }
};

int RunFileCommandsTest(int argc, char** argv) {
    FileCommandsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "FileCommandsTest.moc"
