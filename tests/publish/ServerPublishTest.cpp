#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <random>

#include "CliProcess.h"
#include "FileDigest.h"
#include "KnownServers.h"
#include "LayoutOption.h"
#include "PageOption.h"
#include "ProjectFile.h"
#include "PublishManifest.h"
#include "SiteTree.h"
#include "TestServers.h"

namespace {

namespace fs = std::filesystem;
using publishtest::FilesUnder;
using publishtest::ReadFile;

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937_64 random(seed);
    std::string bytes(size + 8, '\0');
    for (std::size_t i = 0; i < size; i += 8) {
        const std::uint64_t value = random();
        std::memcpy(bytes.data() + i, &value, 8);
    }
    bytes.resize(size);
    return bytes;
}

// pagelorn-cli publishing a small website to a server of the test's own.
class PublishToServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("pagelorn-publish-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "server");
        fs::create_directories(dir / "target");
        fs::create_directories(dir / "home/.ssh");
        if (const char* home = std::getenv("HOME")) savedHome = home;
        setenv("HOME", (dir / "home").c_str(), 1);
        unsetenv("SSH_AUTH_SOCK");
        unsetenv("PAGELORN_PASSWORD");
        unsetenv("XDG_CONFIG_HOME");

        page.general.location = "web";
        Write("files/photo.jpg", RandomBytes(300000, 1));
        Write("files/report.doc", "the report");
        Write("files/song.mp3", RandomBytes(20000, 2));
        tree.AddItem(tree.RootKey(), "Report", "file://" + (dir / "files/report.doc").string());
        const CFolderKey photos = tree.AddFolder(tree.RootKey(), "Photos").key;
        photo = tree.AddItem(photos, "Photo", "file://" + (dir / "files/photo.jpg").string()).key;
        song = tree.AddItem(photos, "Song", "file://" + (dir / "files/song.mp3").string()).key;
        Save();
    }
    void TearDown() override {
        if (!savedHome.empty()) setenv("HOME", savedHome.c_str(), 1);
        fs::remove_all(dir);
    }

    void Write(const std::string& relative, const std::string& bytes) {
        fs::create_directories((dir / relative).parent_path());
        std::ofstream(dir / relative, std::ios::binary) << bytes;
    }
    void Save() { ASSERT_TRUE(SaveProject(dir / "site.www", page, layout, tree)); }

    CliRun Publish(std::vector<std::string> extra = {}) {
        std::vector<std::string> arguments{"publish", (dir / "site.www").string(), "--to", url};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        clitest::CliProcess cli(arguments, dir / "out.txt", dir / "err.txt");
        CliRun run;
        run.exitCode = cli.Finish();
        run.out = ReadFile(dir / "out.txt");
        run.err = ReadFile(dir / "err.txt");
        return run;
    }

    // The website the export made: its files but the export's own hidden records, which are
    // never published.
    std::map<std::string, std::string> Exported() const {
        auto files = FilesUnder(dir / "web");
        std::erase_if(files, [](const auto& file) {
            return file.first.starts_with('.') || file.first.find("/.") != std::string::npos;
        });
        return files;
    }

    std::map<std::string, std::string> Published() const {
        auto files = FilesUnder(dir / "target");
        files.erase(kPublishManifestName);
        return files;
    }

    fs::path dir;
    std::string savedHome;
    std::string url;
    CPageOption page;
    CLayoutOption layout;
    CSiteTree tree;
    CItemKey photo;
    CItemKey song;
};

TEST_F(PublishToServerTest, WithoutTheTransferModuleNothingIsPublished) {
    setenv("PAGELORN_TRANSFER_MODULE", (dir / "missing.so").c_str(), 1);
    url = "sftp://someone@127.0.0.1:9/target";
    const CliRun run = Publish();
    unsetenv("PAGELORN_TRANSFER_MODULE");
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_NE(run.err.find("the publish module " + (dir / "missing.so").string() +
                           " could not be loaded"),
              std::string::npos)
        << run.err;
}

class SftpPublishTest : public PublishToServerTest {
protected:
    void SetUp() override {
        PublishToServerTest::SetUp();
        if (const std::string problem = server.Start(dir / "server"); !problem.empty())
            GTEST_SKIP() << "no SFTP server for the test: " << problem;
        fs::copy_file(dir / "server/user_key", dir / "home/.ssh/id_ed25519");
        std::ofstream(dir / "home/.ssh/known_hosts") << server.KnownHostsLine();
        url = "sftp://" + publishtest::CurrentUser() +
              "@127.0.0.1:" + std::to_string(server.Port()) + (dir / "target").string();
    }
    void TearDown() override {
        server.Kill();
        PublishToServerTest::TearDown();
    }

    // Adds six items of 16 MB each, so that a publish takes a while.
    void AddBigFiles() {
        for (int i = 0; i < 6; ++i) {
            const std::string name = "files/big" + std::to_string(i) + ".bin";
            Write(name, RandomBytes(16u << 20, 10 + i));
            tree.AddItem(tree.RootKey(), "Big " + std::to_string(i),
                         "file://" + (dir / name).string());
        }
        Save();
    }
    // Adds `count` items of 20 KB each in a folder of their own.
    CFolderKey AddSmallFiles(int count) {
        const CFolderKey folder = tree.AddFolder(tree.RootKey(), "Small").key;
        for (int i = 0; i < count; ++i) {
            const std::string name = "files/small" + std::to_string(i) + ".bin";
            Write(name, RandomBytes(20480, 100 + i));
            tree.AddItem(folder, "Small " + std::to_string(i), "file://" + (dir / name).string());
        }
        Save();
        return folder;
    }
    // Every file the manifest there lists is there, whole, as the manifest describes it.
    void ExpectTheManifestTrue() const {
        CPublishManifest manifest;
        ASSERT_TRUE(
            ParsePublishManifest(ReadFile(dir / "target" / kPublishManifestName), manifest).ok);
        const auto files = FilesUnder(dir / "target");
        for (const auto& [path, entry] : manifest.files) {
            SCOPED_TRACE(path);
            ASSERT_TRUE(files.contains(path));
            EXPECT_EQ(BytesSha256(files.at(path)), entry.sha256);
        }
    }
    // Waits until a file is on its way to the server.
    bool Sending() const {
        return clitest::WaitFor([&] {
            std::error_code error;
            for (const auto& entry : fs::recursive_directory_iterator(dir / "target", error))
                if (entry.path().filename().string().ends_with(".pagelorn-upload") &&
                    entry.path().filename().string().find(kPublishManifestName) ==
                        std::string::npos &&
                    entry.is_regular_file(error) && entry.file_size(error) > 0)
                    return true;
            return false;
        });
    }
    // Every file under its real name on the server is the export's, whole.
    void ExpectOnlyWholeFiles() const {
        const auto exported = Exported();
        for (const auto& [path, bytes] : FilesUnder(dir / "target")) {
            if (fs::path(path).filename().string().starts_with(".")) continue;
            SCOPED_TRACE(path);
            ASSERT_TRUE(exported.contains(path));
            EXPECT_TRUE(exported.at(path) == bytes) << "not whole under its real name";
        }
    }

    publishtest::SshServer server;
};

TEST_F(SftpPublishTest, SendsTheExportThenOnlyWhatChangedAndLeavesOtherFilesAlone) {
    const CliRun first = Publish();
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(Published(), Exported());
    EXPECT_NE(first.err.find("Publishing: 100 %"), std::string::npos) << first.err;

    Write("target/theirs.txt", "someone else's");
    Write("target/image/THEIRS.JPG", "someone else's picture");
    const CliRun second = Publish();
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(second.out.rfind("0 files uploaded (0 bytes), 0 deleted, ", 0), 0u) << second.out;

    ASSERT_EQ(tree.SetText(song, CSiteField::Caption, "Song of the bay"), CSiteStatus::Done);
    Save();
    const CliRun planned = Publish({"--dry-run"});
    ASSERT_EQ(planned.exitCode, 0) << planned.err;
    EXPECT_EQ(planned.out.rfind("upload\tIndex_Photos.htm\t", 0), 0u) << planned.out;
    EXPECT_NE(planned.out.find("would upload 1 file ("), std::string::npos) << planned.out;
    const CliRun changed = Publish();
    ASSERT_EQ(changed.exitCode, 0) << changed.err;
    EXPECT_EQ(changed.out.rfind("1 file uploaded", 0), 0u) << changed.out;

    ASSERT_EQ(tree.DeleteItem(photo), CSiteStatus::Done);
    Save();
    const CliRun removed = Publish();
    ASSERT_EQ(removed.exitCode, 0) << removed.err;
    EXPECT_NE(removed.out.find(", 1 deleted, "), std::string::npos) << removed.out;
    auto published = Published();
    EXPECT_EQ(published["theirs.txt"], "someone else's");
    EXPECT_EQ(published["image/THEIRS.JPG"], "someone else's picture");
    published.erase("theirs.txt");
    published.erase("image/THEIRS.JPG");
    EXPECT_EQ(published, Exported());

    // The export a publish brings up to date is the one the settings describe.
    Write("site.www.json", R"({"pagelorn": 1, "pages": {"style": "modern"}})");
    const CliRun modern = Publish();
    ASSERT_EQ(modern.exitCode, 0) << modern.err;
    EXPECT_EQ(Published()["Index.htm"].rfind("<!DOCTYPE html>", 0), 0u);
}

// Publish brings the export up to date as Export writes it: in the project's page style.
TEST_F(SftpPublishTest, TheExportItBringsUpToDateHasTheProjectsPageStyle) {
    Write("site.www.json", R"({"pagelorn": 1, "pages": {"style": "modern"}})");
    const CliRun run = Publish();
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Exported()["Index.htm"].rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_EQ(Published(), Exported());
}

TEST_F(SftpPublishTest, AWrongKeyOrPasswordChangesNothing) {
    publishtest::RunProgram({"/usr/bin/ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f",
                             (dir / "other_key").string()},
                            dir / "keygen.log");
    fs::copy_file(dir / "other_key", dir / "home/.ssh/id_ed25519",
                  fs::copy_options::overwrite_existing);
    const CliRun wrongKey = Publish();
    EXPECT_EQ(wrongKey.exitCode, 2) << wrongKey.err;
    EXPECT_NE(wrongKey.err.find("refused the login"), std::string::npos) << wrongKey.err;

    fs::remove(dir / "home/.ssh/id_ed25519");
    setenv("PAGELORN_PASSWORD", "not the password", 1);
    const CliRun wrongPassword = Publish();
    unsetenv("PAGELORN_PASSWORD");
    EXPECT_EQ(wrongPassword.exitCode, 2) << wrongPassword.err;
    EXPECT_TRUE(FilesUnder(dir / "target").empty());
}

TEST_F(SftpPublishTest, AnUnknownHostKeyIsRefusedUntilAccepted) {
    fs::remove(dir / "home/.ssh/known_hosts");
    const std::string fingerprint = server.Fingerprint();
    ASSERT_FALSE(fingerprint.empty());
    const CliRun unknown = Publish();
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("--accept-host-key " + fingerprint), std::string::npos)
        << unknown.err;
    EXPECT_TRUE(FilesUnder(dir / "target").empty());

    const CliRun otherKey =
        Publish({"--accept-host-key", "SHA256:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"});
    EXPECT_EQ(otherKey.exitCode, 2);
    EXPECT_TRUE(FilesUnder(dir / "target").empty());

    const CliRun accepted = Publish({"--accept-host-key", fingerprint});
    ASSERT_EQ(accepted.exitCode, 0) << accepted.err;
    EXPECT_EQ(Published(), Exported());
    EXPECT_EQ(ReadFile(dir / "home/.ssh/known_hosts"), server.KnownHostsLine());
    EXPECT_EQ(Publish().exitCode, 0);

    // A key that differs from the known one is refused with a warning.
    const std::string known = server.KnownHostsLine();
    std::ofstream(dir / "home/.ssh/known_hosts")
        << known.substr(0, known.find(' ')) << " ssh-ed25519 "
        << "AAAAC3NzaC1lZDI1NTE5AAAAIBbR8bmcoXKbRMV2hGMdJExYZ7DzOBoOS4Q7bDdr2cg1\n";
    const CliRun changed = Publish({"--accept-host-key", fingerprint});
    EXPECT_EQ(changed.exitCode, 2);
    EXPECT_NE(changed.err.find("WARNING"), std::string::npos) << changed.err;
}

TEST_F(SftpPublishTest, AFolderWithoutManifestIsRefusedUnlessAgreed) {
    // The export folder itself holding someone else's files is never cleared to publish.
    Write("web/notes.txt", "mine");
    const CliRun notOurs = Publish();
    EXPECT_EQ(notOurs.exitCode, 2);
    EXPECT_NE(notOurs.err.find("holds files but no export"), std::string::npos) << notOurs.err;
    EXPECT_EQ(ReadFile(dir / "web/notes.txt"), "mine");
    fs::remove(dir / "web/notes.txt");

    Write("target/index.html", "their site");
    const CliRun refused = Publish();
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("--into-nonempty"), std::string::npos) << refused.err;
    EXPECT_EQ(FilesUnder(dir / "target").size(), 1u);

    const CliRun agreed = Publish({"--into-nonempty"});
    ASSERT_EQ(agreed.exitCode, 0) << agreed.err;
    EXPECT_EQ(ReadFile(dir / "target/index.html"), "their site");
}

TEST_F(SftpPublishTest, AServerKilledHalfWayLeavesOnlyWholeFilesAndTheNextPublishFinishes) {
    AddBigFiles();
    clitest::CliProcess cli({"publish", (dir / "site.www").string(), "--to", url}, dir / "out.txt",
                            dir / "err.txt");
    ASSERT_TRUE(Sending()) << ReadFile(dir / "err.txt");
    // The server and its sessions end at once, as in a crash.
    server.Kill();
    EXPECT_NE(cli.Finish(), 0);
    ExpectOnlyWholeFiles();

    ASSERT_EQ(server.Start(dir / "server"), "");
    const CliRun next = Publish();
    ASSERT_EQ(next.exitCode, 0) << next.err;
    EXPECT_EQ(Published(), Exported());
}

TEST_F(SftpPublishTest, CtrlCStopsWithWholeFilesAndSaysWhatWasDone) {
    AddBigFiles();
    clitest::CliProcess cli({"publish", (dir / "site.www").string(), "--to", url}, dir / "out.txt",
                            dir / "err.txt");
    ASSERT_TRUE(Sending()) << ReadFile(dir / "err.txt");
    cli.Signal(SIGINT);
    const int exitCode = cli.Finish();
    const std::string err = ReadFile(dir / "err.txt");
    EXPECT_EQ(exitCode, 130) << err;
    EXPECT_NE(err.find("interrupted: "), std::string::npos) << err;
    EXPECT_NE(err.find("publishing again finishes the work"), std::string::npos) << err;
    ExpectOnlyWholeFiles();
    const CliRun next = Publish();
    ASSERT_EQ(next.exitCode, 0) << next.err;
    EXPECT_EQ(Published(), Exported());
}

// Many files on the way at once on each connection: one the server refuses is listed and the
// others arrive.
TEST_F(SftpPublishTest, AFileTheServerRefusesIsListedAndTheOthersOfItsBatchArrive) {
    ASSERT_EQ(Publish().exitCode, 0);
    AddSmallFiles(150);
    const CliRun dryRun = Publish({"--dry-run"});
    const std::size_t line = dryRun.out.find("upload\t");
    ASSERT_NE(line, std::string::npos) << dryRun.out;
    const std::string refused =
        dryRun.out.substr(line + 7, dryRun.out.find('\t', line + 7) - line - 7);
    // A folder where its temporary file would go: the server cannot open it, even for root.
    const fs::path blocker = dir / "target" / fs::path(refused).parent_path() /
                             ("." + fs::path(refused).filename().string() + ".pagelorn-upload");
    fs::create_directories(blocker);

    const std::size_t would = dryRun.out.find("would upload ");
    ASSERT_NE(would, std::string::npos) << dryRun.out;
    const int planned = std::atoi(dryRun.out.c_str() + would + 13);
    ASSERT_GT(planned, 150);

    const CliRun run = Publish();
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find(refused + ": "), std::string::npos) << run.err;
    EXPECT_EQ(run.out.rfind(std::to_string(planned - 1) + " files uploaded", 0), 0u) << run.out;
    auto published = Published();
    EXPECT_FALSE(published.contains(refused));
    published[refused] = Exported().at(refused);
    EXPECT_EQ(published, Exported());
    ExpectTheManifestTrue();

    fs::remove(blocker);
    const CliRun next = Publish();
    ASSERT_EQ(next.exitCode, 0) << next.err;
    EXPECT_EQ(next.out.rfind("1 file uploaded", 0), 0u) << next.out;
    EXPECT_EQ(Published(), Exported());
}

// Deletions go many at once too: one the server refuses is listed, the others go, and what is
// not ours stays.
TEST_F(SftpPublishTest, ManyDeletionsGoTogetherAndOneRefusedIsListed) {
    const CFolderKey small = AddSmallFiles(150);
    ASSERT_EQ(Publish().exitCode, 0);
    const auto published = Published();
    Write("target/theirs.txt", "someone else's");
    ASSERT_EQ(tree.DeleteFolder(small), CSiteStatus::Done);
    Save();
    const CliRun dryRun = Publish({"--dry-run"});
    const std::size_t line = dryRun.out.find("delete\t");
    ASSERT_NE(line, std::string::npos) << dryRun.out;
    const std::string kept = dryRun.out.substr(line + 7, dryRun.out.find('\n', line) - line - 7);
    // A folder with a file in it where the file was: the server cannot delete it.
    fs::remove(dir / "target" / kept);
    Write("target/" + kept + "/inside", "x");

    const CliRun run = Publish();
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find(kept + ": "), std::string::npos) << run.err;
    std::size_t gone = 0;
    for (const auto& [path, bytes] : published) gone += !Exported().contains(path);
    ASSERT_GT(gone, 150u);
    EXPECT_NE(run.out.find(", " + std::to_string(gone - 1) + " deleted, "), std::string::npos)
        << run.out;
    auto after = Published();
    EXPECT_EQ(after["theirs.txt"], "someone else's");
    EXPECT_EQ(after[kept + "/inside"], "x");
    after.erase("theirs.txt");
    after.erase(kept + "/inside");
    EXPECT_EQ(after, Exported());
}

// Uploads go through an SFTP channel of their own: a server that allows one channel a
// connection gets them one after the other.
TEST_F(SftpPublishTest, AServerAllowingOneChannelAConnectionIsPublishedToAllTheSame) {
    server.Kill();
    ASSERT_EQ(server.Start(dir / "server", "MaxSessions 1\n"), "");
    const CliRun first = Publish();
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(Published(), Exported());
    ASSERT_EQ(tree.DeleteItem(photo), CSiteStatus::Done);
    Save();
    const CliRun removed = Publish();
    ASSERT_EQ(removed.exitCode, 0) << removed.err;
    EXPECT_NE(removed.out.find(", 1 deleted, "), std::string::npos) << removed.out;
    EXPECT_EQ(Published(), Exported());
    ExpectTheManifestTrue();
}

TEST_F(SftpPublishTest, StoppedWithManyFilesOnTheWayOnlyWholeFilesAreThereAndListed) {
    AddBigFiles();
    AddSmallFiles(400);
    for (const int signal : {0, SIGINT}) {
        SCOPED_TRACE(signal);
        // What the last one left half sent must not be taken for this one sending.
        std::error_code error;
        for (const auto& entry : fs::recursive_directory_iterator(dir / "target", error))
            if (entry.path().filename().string().ends_with(".pagelorn-upload"))
                fs::remove(entry.path(), error);
        clitest::CliProcess cli({"publish", (dir / "site.www").string(), "--to", url},
                                dir / "out.txt", dir / "err.txt");
        ASSERT_TRUE(Sending()) << ReadFile(dir / "err.txt");
        if (signal == 0) {
            server.Kill();
        } else {
            cli.Signal(signal);
        }
        EXPECT_NE(cli.Finish(), 0);
        ExpectOnlyWholeFiles();
        ExpectTheManifestTrue();
        if (signal == 0) {
            ASSERT_EQ(server.Start(dir / "server"), "");
        }
    }
    const CliRun next = Publish();
    ASSERT_EQ(next.exitCode, 0) << next.err;
    EXPECT_EQ(Published(), Exported());
    ExpectTheManifestTrue();
}

class FtpsPublishTest : public PublishToServerTest {
protected:
    void SetUp() override {
        PublishToServerTest::SetUp();
        if (const std::string problem = server.Start(dir / "server", dir / "target");
            !problem.empty())
            GTEST_SKIP() << "no FTPS server for the test: " << problem;
        url = "ftps://anonymous@127.0.0.1:" + std::to_string(server.Port()) + "/";
    }
    void TearDown() override {
        server.Kill();
        PublishToServerTest::TearDown();
    }

    // The certificate's fingerprint, as the publish shows it.
    std::string Fingerprint() const {
        const std::string pem = ReadFile(dir / "server/cert.pem");
        const std::size_t begin = pem.find('\n') + 1;
        const std::optional<std::string> der =
            Base64Decode(pem.substr(begin, pem.find("-----END") - begin));
        return der ? Sha256Fingerprint(*der) : "";
    }

    publishtest::FtpsServer server;
};

TEST_F(FtpsPublishTest, ASelfSignedCertificateIsAcceptedByItsFingerprintThenOnlyChangesGo) {
    const std::string fingerprint = Fingerprint();
    const CliRun refused = Publish();
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("--accept-host-key " + fingerprint), std::string::npos)
        << refused.err;
    EXPECT_TRUE(FilesUnder(dir / "target").empty());

    const CliRun first = Publish({"--accept-host-key", fingerprint});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(Published(), Exported());

    Write("target/theirs.txt", "someone else's");
    const CliRun second = Publish({"--accept-host-key", fingerprint});
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(second.out.rfind("0 files uploaded (0 bytes), 0 deleted, ", 0), 0u) << second.out;

    ASSERT_EQ(tree.SetText(song, CSiteField::Caption, "Song of the bay"), CSiteStatus::Done);
    ASSERT_EQ(tree.DeleteItem(photo), CSiteStatus::Done);
    Save();
    const CliRun changed = Publish({"--accept-host-key", fingerprint});
    ASSERT_EQ(changed.exitCode, 0) << changed.err;
    EXPECT_EQ(changed.out.rfind("1 file uploaded (", 0), 0u) << changed.out;
    EXPECT_NE(changed.out.find(", 1 deleted, "), std::string::npos) << changed.out;
    auto published = Published();
    EXPECT_EQ(published["theirs.txt"], "someone else's");
    published.erase("theirs.txt");
    EXPECT_EQ(published, Exported());
}

TEST_F(FtpsPublishTest, AWrongPasswordChangesNothingAndAnAcceptedCertificateIsKept) {
    server.Kill();
    ASSERT_EQ(server.Start(dir / "server", dir / "target", "right password"), "");
    url = "ftps://anonymous@127.0.0.1:" + std::to_string(server.Port()) + "/";
    const std::string name = "[127.0.0.1]:" + std::to_string(server.Port());
    const fs::path kept = dir / "home/.config/pagelorn/known_certificates";
    const std::string fingerprint = Fingerprint();

    setenv("PAGELORN_PASSWORD", "wrong password", 1);
    const CliRun wrong = Publish({"--accept-host-key", fingerprint});
    EXPECT_EQ(wrong.exitCode, 2) << wrong.err;
    EXPECT_NE(wrong.err.find("refused the login"), std::string::npos) << wrong.err;
    EXPECT_TRUE(FilesUnder(dir / "target").empty());
    EXPECT_EQ(KnownCertificate(kept, name), fingerprint);

    setenv("PAGELORN_PASSWORD", "right password", 1);
    const CliRun right = Publish();
    ASSERT_EQ(right.exitCode, 0) << right.err;
    EXPECT_EQ(Published(), Exported());

    ASSERT_TRUE(RememberCertificate(kept, name, "SHA256:another"));
    Save();
    const CliRun changed = Publish();
    unsetenv("PAGELORN_PASSWORD");
    EXPECT_EQ(changed.exitCode, 2) << changed.err;
    EXPECT_NE(changed.err.find("differs from the one accepted for it before"), std::string::npos)
        << changed.err;
}

}  // namespace
