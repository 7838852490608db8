// Site > Publish... and the Publish page of Website Properties, with a server in memory: the
// password asked for and kept only in the keyring, the progress dialog, the questions.
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <map>

#include "CommandIds.h"
#include "FakeTransport.h"
#include "OptionPagePublishPage.h"
#include "OptionPageSheet.h"
#include "ProjectFile.h"
#include "PublishProgressDlg.h"
#include "ShellTestUtil.h"

using namespace CommandId;
using namespace Qt::StringLiterals;

namespace {

constexpr const char* kPassword = "s3cret-Pa55word";

// Every file under a folder with its bytes, by its path under the folder; hidden files (the
// export's own records) are never published and left out.
std::map<std::string, std::string> FilesUnder(const QString& folder) {
    std::map<std::string, std::string> files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            files[QDir(folder).relativeFilePath(path).toStdString()] = file.readAll().toStdString();
    }
    return files;
}

}  // namespace

class PublishCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void PublishPageKeepsAddressAndUserTogetherAndTestsTheConnection() {
        CPageOption option;
        CPictureSettings pictures;
        CPublishSettings publish{"ftps://old@example.org/www"};
        std::string tested;
        COptionPageSheet sheet(
            option, pictures, QIcon(), nullptr, &publish,
            PublishConnectionTester{
                [&](const std::string& url) {
                    tested = url;
                    return PublishConnectionTest{true, u"Connected."_s, u"SHA256:abc"_s};
                },
                [](const std::string& url) {
                    return url.starts_with("ftps://") ? u"SHA256:known"_s : QString();
                }});
        QCOMPARE(sheet.Tabs()->tabText(sheet.PageCount() - 1), u"Publish"_s);
        sheet.Tabs()->setCurrentIndex(sheet.PageCount() - 1);
        sheet.show();
        auto* address = sheet.findChild<QLineEdit*>(u"publishAddressEdit"_s);
        auto* user = sheet.findChild<QLineEdit*>(u"publishUserEdit"_s);
        QVERIFY(address && user);
        QCOMPARE(address->text(), u"ftps://example.org/www"_s);
        QCOMPARE(user->text(), u"old"_s);
        auto* fingerprint = sheet.findChild<QLabel*>(u"fingerprintLabel"_s);
        QCOMPARE(fingerprint->text(), u"Certificate: SHA256:known"_s);

        address->setText(u"sftp://example.org:2222/~/public_html"_s);
        address->setModified(true);
        user->setText(u"ann smith"_s);
        user->setModified(true);
        sheet.findChild<QPushButton*>(u"testConnectionButton"_s)->click();
        QCOMPARE(tested, std::string("sftp://ann%20smith@example.org:2222/~/public_html"));
        QCOMPARE(publish.url, tested);
        QCOMPARE(fingerprint->text(), u"Host key: SHA256:abc"_s);
        QCOMPARE(sheet.findChild<QLabel*>(u"connectionResultLabel"_s)->text(), u"Connected."_s);

        user->clear();
        user->setModified(true);
        sheet.accept();
        QCOMPARE(publish.url, std::string("sftp://example.org:2222/~/public_html"));
    }

    void ProgressDialogShowsFilesBytesSpeedAndTimeLeft() {
        CPublishProgressDlg dialog;
        PublishProgress progress;
        progress.filesDone = 3;
        progress.filesTotal = 10;
        progress.bytesDone = 1000000;
        progress.bytesTotal = 4000000;
        QTest::qWait(600);
        dialog.Show(progress);
        QCOMPARE(dialog.findChild<QLabel*>(u"filesLabel"_s)->text(), u"Files: 3 of 10"_s);
        QCOMPARE(dialog.findChild<QLabel*>(u"bytesLabel"_s)->text(), u"Sent: 1.0 MB of 4.0 MB"_s);
        QVERIFY(dialog.findChild<QLabel*>(u"speedLabel"_s)->text().endsWith(u"/s"_s));
        QVERIFY(dialog.findChild<QLabel*>(u"timeLabel"_s)->text().startsWith(u"Time left: "_s));
        QCOMPARE(CPublishProgressDlg::Duration(3725), u"1:02:05"_s);
        QCOMPARE(CPublishProgressDlg::Duration(65), u"1:05"_s);

        bool cancelled = false;
        connect(&dialog, &CPublishProgressDlg::Cancelled, this, [&] { cancelled = true; });
        dialog.findChild<QPushButton*>(u"cancelButton"_s)->click();
        QVERIFY(cancelled);
        QVERIFY(dialog.CancelRequested());
    }

    void PublishAsksForThePasswordAndKeepsItOnlyInTheKeyring() {
        QTemporaryDir dir;
        const QString out = dir.filePath(u"out"_s);
        CSiteTree tree;
        tree.NewItem(tree.AddFolder(tree.RootKey(), "Photos").key);
        CPageOption page;
        page.general.location = out.toStdString();
        const QString project = dir.filePath(u"site.www"_s);
        QVERIFY(SaveProject(project.toStdString(), page, CLayoutOption(), tree).ok);

        CFrameFixture f;
        QVERIFY(f.frame.OpenProject(project));
        auto server = std::make_shared<publishtest::FakeServer>();
        server->files["theirs.txt"] = "someone else's";
        server->files[".pagelorn-publish.json"] = CPublishManifest().ToJson();
        std::map<QString, QString> keyring;
        int asked = 0;
        CPublishRunner& runner = f.frame.PublishRunner();
        runner.SetTransportMaker([&](const CurlTransportOptions& options) {
            server->openResult = options.password == kPassword
                                     ? TransportResult{}
                                     : TransportResult{TransportFailure::Login, "denied", {}};
            if (options.acceptedFingerprint != "SHA256:new")
                server->openResult = {TransportFailure::Certificate, "self-signed", "SHA256:new"};
            return publishtest::FakeFactory(server);
        });
        runner.SetPasswordAsker([&](QWidget*, const QString&) {
            ++asked;
            return std::optional<PasswordAnswer>(
                PasswordAnswer{QString::fromLatin1(kPassword), true});
        });
        runner.SetKeyring(
            {[&](const QString& key) { return keyring[key]; },
             [&](const QString& key, const QString& password) { keyring[key] = password; }});

        QVERIFY(f.Trigger(kPublish));
        QCOMPARE(f.desktop->messages.size(), 1);  // no address yet

        CPublishSettings publish{"ftps://ann@127.0.0.1/www"};
        f.Doc().SetPageOption(f.Doc().PageOption(), f.Doc().Settings().pictures,
                              f.Doc().Settings().pages, publish);
        f.desktop->answers = {CDesktop::Answer::Yes};  // trust the certificate
        QVERIFY(f.Trigger(kPublish));
        QCOMPARE(asked, 1);
        QVERIFY(f.desktop->questions.last().contains(u"SHA256:new"_s));
        auto published = server->files;
        published.erase(".pagelorn-publish.json");
        QCOMPARE(published["theirs.txt"], std::string("someone else's"));
        published.erase("theirs.txt");
        QCOMPARE(published, FilesUnder(out));
        QVERIFY(f.frame.statusBar()->currentMessage().contains(u"files uploaded"_s));
        QCOMPARE(keyring[u"ftps://ann@127.0.0.1"_s], QString::fromLatin1(kPassword));

        // The project, its settings and the program's own settings never hold the password.
        QVERIFY(f.Trigger(kFileSave));
        QSettings().sync();
        QStringList written{project, project + u".json"_s, QSettings().fileName()};
        for (const QString& path : written) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) continue;
            QVERIFY2(!file.readAll().contains(kPassword), qPrintable(path));
        }
        QFile settingsFile(project + u".json"_s);
        QVERIFY(settingsFile.open(QIODevice::ReadOnly));
        QVERIFY(settingsFile.readAll().contains("ftps://ann@127.0.0.1/www"));
    }
};

int RunPublishCommandsTest(int argc, char** argv) {
    PublishCommandsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PublishCommandsTest.moc"
