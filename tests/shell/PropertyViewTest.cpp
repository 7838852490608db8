// The property form: typing into the record, the tree and list following, "...", and the
// picture preview.
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "CommandIds.h"
#include "PictureCtrl.h"
#include "ShellTestUtil.h"

using namespace CommandId;
using namespace Qt::StringLiterals;

namespace {

// An item of the root whose URL names the file, selected in the list.
CItemKey ShowItemWithUrl(CFrameFixture& f, const QString& url) {
    f.ClickNode(f.Root());
    f.Trigger(kNewItem);
    const CItemKey item = f.Folder(f.Root()).items.back().key;
    f.Model().SetText(item, CSiteField::Url, url.toStdString());
    f.Focus(&f.List());
    f.SelectRows({});
    f.SelectRows({f.List().Model().RowOfItem(f.Model().Find(item)->id)});
    return item;
}

QString Picture(const QTemporaryDir& dir, const QString& name, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    const QString path = dir.filePath(name);
    image.save(path);
    return path;
}

// Whether PNG and WebP files are pictures in the open project.
void SetModernTypes(CFrameFixture& f, bool on) {
    CPictureSettings pictures = f.Doc().Settings().pictures;
    pictures.modernTypes = on;
    f.Doc().SetPageOption(f.Doc().PageOption(), pictures);
}

}  // namespace

class PropertyViewTest : public QObject {
    Q_OBJECT

private slots:
    void FolderAndItemForms() {
        CFrameFixture f;
        CSitePropertyView& form = f.Form();
        QCOMPARE(form.CaptionEdit()->geometry(), CSitePropertyView::kCaptionEditRect);
        QCOMPARE(form.DescriptionEdit()->geometry(), CSitePropertyView::kFolderDescriptionRect);
        QVERIFY(!form.UrlEdit()->isVisible());
        QVERIFY(!form.BrowseButton()->isVisible());

        ShowItemWithUrl(f, u"https://example.org/"_s);
        QCOMPARE(form.CurrentMode(), CSitePropertyView::Mode::Item);
        QVERIFY(form.UrlEdit()->isVisible());
        QVERIFY(form.BrowseButton()->isVisible());
        QCOMPARE(form.UrlEdit()->text(), u"https://example.org/"_s);
        QCOMPARE(form.UrlEdit()->geometry(), CSitePropertyView::kUrlEditRect);
        QCOMPARE(form.DescriptionEdit()->geometry(), CSitePropertyView::kItemDescriptionRect);
        QCOMPARE(form.BrowseButton()->geometry(), CSitePropertyView::kBrowseButtonRect);

        f.ClickNode(f.Root());
        QCOMPARE(form.CurrentMode(), CSitePropertyView::Mode::Folder);
        QVERIFY(!form.UrlEdit()->isVisible());
        QCOMPARE(form.DescriptionEdit()->geometry(), CSitePropertyView::kFolderDescriptionRect);
    }

    // However narrow or low the pane, the form scrolls to every control of either layout.
    void NarrowFormScrollsToEveryControl() {
        CSiteDocument document;
        document.NewItem(document.Tree().RootKey());
        CSitePropertyView form(document);
        form.resize(300, 150);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (const auto mode : {CSitePropertyView::Mode::Item, CSitePropertyView::Mode::Folder}) {
            if (mode == CSitePropertyView::Mode::Folder)
                document.SelectFolder(document.Tree().RootKey());
            QCOMPARE(form.CurrentMode(), mode);
            QApplication::processEvents();
            // The form scrolls far enough to show the right and bottom edge of every control.
            for (QWidget* control : form.widget()->findChildren<QWidget*>()) {
                if (!control->isVisible() || control->parentWidget() != form.widget()) continue;
                const QPoint corner = control->geometry().bottomRight();
                form.ensureVisible(corner.x(), corner.y(), 1, 1);
                QVERIFY(form.viewport()->rect().contains(
                    control->mapTo(form.viewport(), control->rect().bottomRight())));
            }
        }
    }

    void TypingGoesIntoTheRecordAndTheLabelsFollow() {
        CFrameFixture f;
        f.Trigger(kNewFolder);
        const CFolderKey sub = f.Tree().SelectedNode();
        f.ClickNode(f.Root());
        f.Doc().SetModified(false);

        // The selected node's own caption: the tree label follows each keystroke.
        QTest::keyClick(f.Form().CaptionEdit(), Qt::Key_End);
        QTest::keyClicks(f.Form().CaptionEdit(), u"!"_s);
        QCOMPARE(f.Folder(f.Root()).caption.Str(), std::string("Index!"));
        QCOMPARE(f.TreeLabel(f.Root()), u"Index!"_s);
        QVERIFY(f.Doc().IsModified());

        // A sub-site row: its node in the tree and its row follow.
        f.Focus(&f.List());
        f.SelectRows({0});
        f.Form().CaptionEdit()->selectAll();
        TypeText(f.Form().CaptionEdit(), u"Fot\u00f6s"_s);
        QCOMPARE(f.Folder(sub).caption.Str(), std::string("Fot\xc3\xb6s"));
        QCOMPARE(f.TreeLabel(sub), u"Fot\u00f6s"_s);
        QCOMPARE(f.ListText(0, 0), u"Fot\u00f6s"_s);

        // The description only marks the project modified.
        f.Doc().SetModified(false);
        QTest::keyClicks(f.Form().DescriptionEdit(), u"Summer"_s);
        QCOMPARE(f.Folder(sub).description.Str(), std::string("Summer"));
        QVERIFY(f.Doc().IsModified());
        QCOMPARE(f.ListText(0, 0), u"Fot\u00f6s"_s);

        // An item's caption and URL follow into its row.
        const CItemKey item = ShowItemWithUrl(f, QString());
        const int row = f.List().Model().RowOfItem(f.Model().Find(item)->id);
        f.Form().CaptionEdit()->selectAll();
        QTest::keyClicks(f.Form().CaptionEdit(), u"Beach"_s);
        QTest::keyClicks(f.Form().UrlEdit(), u"beach.htm"_s);
        QCOMPARE(f.Model().Find(item)->caption.Str(), std::string("Beach"));
        QCOMPARE(f.Model().Find(item)->url.Str(), std::string("beach.htm"));
        QCOMPARE(f.ListText(row, 0), u"Beach"_s);
        QCOMPARE(f.ListText(row, 2), u"beach.htm"_s);
    }

    void UntouchedFieldsKeepTheirBytes() {
        CFrameFixture f;
        f.Model().RenameFolder(f.Root(), "Caf\xe9");
        f.Model().SetText(f.Root(), CSiteField::Description, "Cr\xe8me");
        f.Doc().SetModified(false);
        f.Doc().SelectFolder(f.Root());
        QCOMPARE(f.Form().CaptionEdit()->text(), u"Caf\u00e9"_s);
        QCOMPARE(f.Form().DescriptionEdit()->toPlainText(), u"Cr\u00e8me"_s);
        QVERIFY(!f.Doc().IsModified());

        QTest::keyClicks(f.Form().DescriptionEdit(), u"!"_s);
        QCOMPARE(f.Folder(f.Root()).caption.Str(), std::string("Caf\xe9"));
        QCOMPARE(f.Folder(f.Root()).description.Str(), std::string("!Cr\xc3\xa8me"));

        // A caption longer than a line edit usually holds survives a keystroke.
        f.Model().RenameFolder(f.Root(), std::string(40000, 'x'));
        f.Doc().SelectFolder(f.Root());
        QTest::keyClick(f.Form().CaptionEdit(), Qt::Key_End);
        QTest::keyClicks(f.Form().CaptionEdit(), u"y"_s);
        QCOMPARE(f.Folder(f.Root()).caption.Str(), std::string(40000, 'x') + 'y');
    }

    void BrowseWritesAFileUrl() {
        CFrameFixture f;
        const CItemKey item = ShowItemWithUrl(f, QString());
        const int row = f.List().Model().RowOfItem(f.Model().Find(item)->id);
        f.Doc().SetModified(false);

        f.desktop->fileNames = {QString()};  // cancelled
        QTest::mouseClick(f.Form().BrowseButton(), Qt::LeftButton);
        QCOMPARE(f.Model().Find(item)->url.Str(), std::string());
        QVERIFY(!f.Doc().IsModified());

        f.desktop->fileNames = {u"/home/ann/My Pictures/sea.jpg"_s};
        QTest::mouseClick(f.Form().BrowseButton(), Qt::LeftButton);
        QCOMPARE(f.Model().Find(item)->url.Str(),
                 std::string("file:///home/ann/My Pictures/sea.jpg"));
        QCOMPARE(f.Form().UrlEdit()->text(), u"file:///home/ann/My Pictures/sea.jpg"_s);
        QCOMPARE(f.ListText(row, 2), u"file:///home/ann/My Pictures/sea.jpg"_s);
        QVERIFY(f.Doc().IsModified());
        QCOMPARE(f.desktop->unexpected, 0);
    }

    void PreviewFitsThePicture_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("shown");
        QTest::newRow("400 x 200") << u"Holiday Photo.JPG"_s << QSize(400, 200) << QSize(135, 67);
        QTest::newRow("100 x 80") << u"Holiday Photo.JPG"_s << QSize(100, 80) << QSize(100, 80);
        QTest::newRow("300 x 300") << u"Holiday Photo.JPG"_s << QSize(300, 300) << QSize(135, 135);
        QTest::newRow("PNG 200 x 400") << u"plan.png"_s << QSize(200, 400) << QSize(67, 135);
    }

    // The picture is read on another thread; the preview takes its size once it is there.
    void PreviewFitsThePicture() {
        QFETCH(QString, name);
        QFETCH(QSize, picture);
        QFETCH(QSize, shown);
        QTemporaryDir dir;
        const QString path = Picture(dir, name, picture);
        CFrameFixture f;
        ShowItemWithUrl(f, u"file://"_s + path);
        CPictureCtrl* preview = f.Form().Preview();
        QVERIFY(preview->isVisible());
        QSize size;
        QTRY_VERIFY(preview->GetImageSize(size));
        QCOMPARE(size, picture);
        QCOMPARE(preview->geometry(), QRect(QPoint(10, 10), shown));
    }

    void NoPreview() {
        QTemporaryDir dir;
        const QString jpeg = Picture(dir, u"a.jpg"_s, {50, 40});
        const QString png = Picture(dir, u"b.png"_s, {20, 20});
        QFile text(dir.filePath(u"c.gif"_s));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a picture");
        text.close();

        CFrameFixture f;
        CPictureCtrl* preview = f.Form().Preview();
        ShowItemWithUrl(f, u"http://example.org/logo.gif"_s);
        QVERIFY(!preview->isVisible());
        // PNG files are pictures only where the website's settings say so.
        SetModernTypes(f, false);
        ShowItemWithUrl(f, u"file://"_s + png);
        QVERIFY(!preview->isVisible());
        SetModernTypes(f, true);
        ShowItemWithUrl(f, u"file://"_s + png);
        QTRY_COMPARE(preview->size(), QSize(20, 20));
        // The shown item follows a change of the setting, and its undo.
        SetModernTypes(f, false);
        QVERIFY(!preview->isVisible());
        SetModernTypes(f, true);
        QVERIFY(preview->isVisible());
        QTRY_COMPARE(preview->size(), QSize(20, 20));
        ShowItemWithUrl(f, u"file://"_s + dir.filePath(u"missing.jpg"_s));
        QVERIFY(!preview->isVisible());

        // A picture file that holds no picture: an empty preview where the form puts it.
        ShowItemWithUrl(f, u"file://"_s + text.fileName());
        QVERIFY(preview->isVisible());
        QTRY_VERIFY(!f.Form().PreviewPending());
        QCoreApplication::processEvents();
        QCOMPARE(preview->geometry(), CSitePropertyView::kPreviewRect);
        QSize size;
        QVERIFY(!preview->GetImageSize(size));

        // A picture still being read when another record is shown is never shown.
        ShowItemWithUrl(f, u"file://"_s + jpeg);
        f.ClickNode(f.Root());
        QTRY_VERIFY(!f.Form().PreviewPending());
        QCoreApplication::processEvents();
        QVERIFY(!preview->isVisible());
        QVERIFY(!preview->GetImageSize(size));

        // Editing the URL by hand does not load it; showing the item again does.
        const CItemKey item = ShowItemWithUrl(f, QString());
        QTest::keyClicks(f.Form().UrlEdit(), u"file://"_s + jpeg);
        QVERIFY(!preview->isVisible());
        QCOMPARE(f.Model().Find(item)->url.Str(), (u"file://"_s + jpeg).toStdString());
        f.SelectRows({0});
        f.SelectRows({f.List().Model().RowOfItem(f.Model().Find(item)->id)});
        QVERIFY(preview->isVisible());
        QTRY_COMPARE(preview->size(), QSize(50, 40));

        // A sub-site shows no preview.
        f.ClickNode(f.Root());
        QVERIFY(!preview->isVisible());
    }
};

int RunPropertyViewTest(int argc, char** argv) {
    PropertyViewTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PropertyViewTest.moc"
