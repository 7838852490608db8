// Export website, Preview and Help from the window: the deletion warning, the browser call, the
// progress dialog's Cancel, the reports, and where the files are found and put.
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "CheckDialog.h"
#include "CommandIds.h"
#include "ExportLocation.h"
#include "FolderHandle.h"
#include "ModelText.h"
#include "ProgramPaths.h"
#include "ProjectFile.h"
#include "ShellTestUtil.h"
#include "WebsiteExporter.h"

using namespace CommandId;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Answer = CDesktop::Answer;

namespace {

std::filesystem::path FsPath(const QString& path) {
    return std::filesystem::path(path.toStdString());
}

// A project file: the root with the given items' URLs, and sub-sites "A", "B" and "C" with one
// item each.
QString WriteSite(const QTemporaryDir& dir, const QString& location, const QStringList& urls = {}) {
    CSiteTree tree;
    for (const QString& url : urls) tree.AddItem(tree.RootKey(), "Item", url.toStdString());
    for (const char* caption : {"A", "B", "C"}) {
        tree.NewItem(tree.AddFolder(tree.RootKey(), caption).key);
    }
    CPageOption page;
    page.general.location = location.toStdString();
    const QString path = dir.filePath(u"site.www"_s);
    if (!SaveProject(FsPath(path), page, CLayoutOption(), tree).ok) qWarning("could not save");
    return path;
}

void Touch(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) qWarning("could not write %s", qPrintable(path));
}

void SetLocation(CFrameFixture& f, const std::string& location) {
    CPageOption page = f.Doc().PageOption();
    page.general.location = location;
    f.Doc().SetPageOption(page);
}

}  // namespace

class ExportCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void ExportAndPreviewWithTheWarningAnsweredBothWays() {
        QTemporaryDir dir;
        const QString out = dir.filePath(u"out"_s);
        CFrameFixture f;
        QVERIFY(f.frame.OpenProject(WriteSite(dir, out)));

        QVERIFY(f.Trigger(kExport));
        QVERIFY(f.desktop->questions.isEmpty());
        QVERIFY(f.desktop->messages.isEmpty());
        for (const char* page : {"Index.htm", "Index_A.htm", "Index_C.htm"})
            QVERIFY2(QFile::exists(out + u'/' + QString::fromUtf8(page)), page);
        QVERIFY(!f.Doc().IsExportPending());

        // A folder holding only this website's export is brought up to date without a word.
        f.Doc().SetModified(true);
        f.Trigger(kExport);
        QVERIFY(f.desktop->questions.isEmpty());

        // A file the export did not make: the question names it, and No leaves it.
        Touch(out + u"/mine.txt"_s);
        f.desktop->answers = {Answer::No};
        f.Trigger(kExport);
        QCOMPARE(f.desktop->questions.size(), 1);
        QVERIFY2(f.desktop->questions.front().contains(u"deletes 1 file or folder"_s) &&
                     f.desktop->questions.front().contains(u"\nmine.txt"_s) &&
                     f.desktop->questions.front().contains(out),
                 qPrintable(f.desktop->questions.front()));
        QCOMPARE(f.desktop->confirmButtons.back(), u"Delete and Export"_s);
        QVERIFY(QFile::exists(out + u"/mine.txt"_s));
        f.desktop->answers = {Answer::Yes};
        f.Trigger(kExport);
        QVERIFY(!QFile::exists(out + u"/mine.txt"_s));

        // Preview writes into a folder of its own, asks nothing and leaves the export alone.
        Touch(out + u"/mine.txt"_s);
        f.Doc().SetModified(true);
        QVERIFY(f.Trigger(kPreview));
        QCOMPARE(f.desktop->openedUrls.size(), 1);
        const QString previewPage = f.desktop->openedUrls.front().toLocalFile();
        QVERIFY2(previewPage.endsWith(u"/site/Index.htm"_s) && !previewPage.startsWith(dir.path()),
                 qPrintable(previewPage));
        QVERIFY(QFile::exists(previewPage));
        QVERIFY(QFile::exists(out + u"/mine.txt"_s));
        QCOMPARE(f.desktop->questions.size(), 2);
        QVERIFY(f.Doc().IsExportPending());
        // Written again each time, so pages deleted meanwhile come back.
        QFile::remove(previewPage);
        QVERIFY(f.Trigger(kPreview));
        QVERIFY(QFile::exists(previewPage));
        QVERIFY(f.desktop->messages.isEmpty());
    }

    void PreviewOfAnUntitledProjectAndAFailingBrowser() {
        QTemporaryDir dir;
        CFrameFixture f;
        SetLocation(f, dir.filePath(u"web"_s).toStdString());
        f.desktop->openSucceeds = false;
        f.Trigger(kPreview);
        QCOMPARE(f.desktop->openedUrls.size(), 1);
        QVERIFY(f.desktop->openedUrls.front().toLocalFile().endsWith(u"/Untitled/Index.htm"_s));
        QVERIFY(!QFile::exists(dir.filePath(u"web"_s)));
        QCOMPARE(f.desktop->messages.size(), 1);
        QVERIFY(f.desktop->messages.front().contains(u"Index.htm"_s));
    }

    void RefusalsAndFailuresAreShown() {
        QTemporaryDir dir;
        CFrameFixture f;
        // The root of the file system is never cleared, and nobody is asked about it.
        SetLocation(f, "/");
        f.Trigger(kExport);
        QVERIFY(f.desktop->questions.isEmpty());
        QCOMPARE(f.desktop->messages.size(), 1);
        QVERIFY(f.Doc().IsExportPending());

        // Missing linked files: the export completes and lists the first ten of twelve.
        QStringList urls;
        for (int i = 0; i < 12; ++i) urls << u"file://%1/missing%2.txt"_s.arg(dir.path()).arg(i);
        QVERIFY(f.frame.OpenProject(WriteSite(dir, dir.filePath(u"out"_s), urls)));
        f.desktop->messages.clear();
        f.Trigger(kExport);
        QVERIFY(!f.Doc().IsExportPending());
        QCOMPARE(f.desktop->messages.size(), 1);
        const QString report = f.desktop->messages.front();
        QVERIFY2(report.contains(u"missing9.txt"_s), qPrintable(report));
        QVERIFY(!report.contains(u"missing11.txt"_s));
        QVERIFY(report.contains(u"and 2 more"_s));
    }

    void ASecondExportIntoTheSameFolderIsShown() {
        QTemporaryDir dir;
        const QString out = dir.filePath(u"out"_s);
        QVERIFY(QDir().mkpath(out));
        CFrameFixture f;
        QVERIFY(f.frame.OpenProject(WriteSite(dir, out)));
        std::error_code error;
        const CFolderHandle other = CFolderHandle::Open(FsPath(out), error);
        QVERIFY(other.Lock(0ms, error));
        f.Trigger(kExport);
        QCOMPARE(f.desktop->messages, QStringList{u"another export is writing into %1"_s.arg(out)});
        QVERIFY(f.Doc().IsExportPending());
        QVERIFY(!QFile::exists(out + u"/Index.htm"_s));
    }

    void RelativeLocationBelongsToTheProjectFolder() {
        QTemporaryDir dir;
        CFrameFixture f;
        QVERIFY(f.frame.OpenProject(WriteSite(dir, u"site-out"_s)));
        f.Trigger(kExport);
        QVERIFY(QFile::exists(dir.filePath(u"site-out/Index.htm"_s)));
    }

    void CancelInTheProgressDialogStopsTheExport() {
        QTemporaryDir dir;
        const QString out = dir.filePath(u"out"_s);
        CFrameFixture f;
        QVERIFY(f.frame.OpenProject(WriteSite(dir, out)));
        f.frame.ExportRunner().SetProgressDelay(0ms);
        // Holds the export after its first page until the dialog's Cancel reaches it.
        const CSiteTree* exported = nullptr;
        // Cancel is pressed only once the first page is written: pressed while the export is
        // still planning (a slow, busy machine), it would rightly stop before any page.
        std::atomic<bool> firstPageWritten{false};
        f.frame.ExportRunner().SetExportFunction([&](const ExportParameters& parameters) {
            exported = &parameters.tree;
            ExportParameters gated = parameters;
            // One thread: the pages after the first wait for the gate.
            gated.threads = 1;
            gated.progress = [&parameters, &firstPageWritten](const ExportProgress& progress) {
                firstPageWritten = true;
                const QDeadlineTimer deadline(10s);
                while (parameters.progress(progress)) {
                    if (deadline.hasExpired()) return true;
                    std::this_thread::sleep_for(1ms);
                }
                return false;
            };
            return ExportWebsite(gated);
        });

        bool cancelled = false;
        bool closeRefused = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, &f.frame, [&] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (window->objectName() != u"exportProgress"_s || !window->isVisible()) continue;
                QVERIFY(window->isModal());
                // The export reads the project until it is over: the window stays.
                closeRefused = !f.frame.close();
                auto* cancel = window->findChild<QPushButton*>(u"cancelButton"_s);
                if (!cancel || !cancel->isEnabled() || !firstPageWritten) continue;
                cancel->click();
                cancelled = true;
                poll.stop();
            }
        });
        poll.start(10);
        f.Trigger(kExport);
        poll.stop();

        QVERIFY(cancelled);
        QVERIFY(closeRefused);
        // The export read a copy of the project, not the project the window edits.
        QVERIFY(exported && exported != &f.Doc().Tree());
        QVERIFY(f.frame.isVisible());
        QVERIFY(f.Doc().IsExportPending());
        QVERIFY(QFile::exists(out + u"/Index.htm"_s));
        QVERIFY(!QFile::exists(out + u"/Index_C.htm"_s));
        QCOMPARE(f.desktop->messages.size(), 1);
        QVERIFY2(f.desktop->messages.front().contains(u"stopped"_s),
                 qPrintable(f.desktop->messages.front()));
        // The window is usable again and the next export runs whole.
        f.frame.ExportRunner().SetExportFunction(
            [](const ExportParameters& parameters) { return ExportWebsite(parameters); });
        f.desktop->answers = {Answer::Yes};
        f.Trigger(kExport);
        QVERIFY(QFile::exists(out + u"/Index_C.htm"_s));
        QVERIFY(!f.Doc().IsExportPending());
    }

    void LocationFollowsTheRuleOfTheCommandLine() {
        // A Windows path names no folder here: refused with the message pagelorn-cli gives.
        CFrameFixture f;
        SetLocation(f, "C:\\Web");
        f.Trigger(kExport);
        QCOMPARE(f.desktop->messages,
                 QStringList{TextFromBytes(ResolveExportLocation("C:\\Web", {}).problem)});
        QVERIFY(f.Doc().IsExportPending());
    }

    void CheckListsProblemsAndSelectsWhatTheyName() {
        QTemporaryDir dir;
        const QString missing = dir.filePath(u"gone.doc"_s);
        CFrameFixture f;
        QVERIFY(f.frame.OpenProject(WriteSite(dir, dir.filePath(u"out"_s))));
        // An item of "B" links to a file that is not there, and "C" is named twice.
        const CFolderKey b = f.Child(1);
        const CItemKey gone = f.Model().AddItem(b, "Gone", "file://" + missing.toStdString()).key;
        f.Model().AddFolder(f.Root(), "C");

        QVERIFY(f.Trigger(kCheckWebsite));
        auto* dialog = f.frame.findChild<CCheckDialog*>();
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(!QFile::exists(dir.filePath(u"out"_s)));  // the check writes nothing
        QTableWidget* table = dialog->Table();
        QCOMPARE(table->rowCount(), 2);
        // Each title fits beside the sort arrow.
        for (int column = 0; column < CCheckDialog::kDetailColumn; ++column)
            QVERIFY(table->columnWidth(column) >=
                    table->horizontalHeader()->sectionSizeHint(column));
        // Sorted by severity, the error first.
        QCOMPARE(table->item(0, CCheckDialog::kSeverityColumn)->text(), u"error"_s);
        QCOMPARE(table->item(0, CCheckDialog::kKindColumn)->text(), u"missing file"_s);
        QCOMPARE(table->item(0, CCheckDialog::kPathColumn)->text(), missing);
        QCOMPARE(table->item(0, CCheckDialog::kWhereColumn)->text(), u"Index > B, item \"Gone\""_s);
        QCOMPARE(table->item(1, CCheckDialog::kKindColumn)->text(), u"page renamed"_s);
        // Each severity has a colour of its own.
        const QBrush errorColour = table->item(0, CCheckDialog::kSeverityColumn)->foreground();
        QCOMPARE(errorColour, dialog->SeverityBrush(ProblemSeverity::Error));
        QCOMPARE(table->item(1, CCheckDialog::kSeverityColumn)->foreground(),
                 dialog->SeverityBrush(ProblemSeverity::Note));
        QVERIFY(errorColour != dialog->SeverityBrush(ProblemSeverity::Note));
        table->sortByColumn(CCheckDialog::kKindColumn, Qt::DescendingOrder);
        QCOMPARE(table->item(0, CCheckDialog::kKindColumn)->text(), u"page renamed"_s);

        // A double-click selects the folder, and the item in the list.
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        const QRect cell = table->visualRect(table->model()->index(1, 0));
        // The window system delivers a click before the double-click.
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(f.Tree().SelectedNode(), b);
        QCOMPARE(f.List().SelectedRows(),
                 std::vector<int>{f.List().Model().RowOfItem(f.Model().Find(gone)->id)});
        dialog->close();
    }

    void HelpOpensTheUserGuide() {
        // Installed as PREFIX/bin/pagelorn and PREFIX/share/pagelorn/help/index.html; nothing
        // beside the program counts.
        QTemporaryDir dir;
        const QString program = dir.filePath(u"bin"_s);
        QVERIFY(QDir().mkpath(program + u"/help"_s));
        Touch(program + u"/help/index.html"_s);
        QCOMPARE(FindUserGuide(program), QString());
        const QString guide = dir.filePath(u"share/pagelorn/help/index.html"_s);
        QCOMPARE(UserGuidePath(program), guide);
        QVERIFY(QDir().mkpath(dir.filePath(u"share/pagelorn/help"_s)));
        Touch(guide);
        QCOMPARE(FindUserGuide(program), guide);

        // The tests run with no guide of their own.
        const QString own = UserGuidePath(QCoreApplication::applicationDirPath());
        if (QFile::exists(own)) QSKIP("the test program has a user guide");
        CFrameFixture f;
        QVERIFY(f.Trigger(kHelpContents));
        QVERIFY(f.desktop->openedUrls.isEmpty());
        QCOMPARE(f.desktop->messages.size(), 1);
        QVERIFY2(f.desktop->messages.front().contains(own),
                 qPrintable(f.desktop->messages.front()));
    }
};

int RunExportCommandsTest(int argc, char** argv) {
    ExportCommandsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ExportCommandsTest.moc"
