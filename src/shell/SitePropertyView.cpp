#include "SitePropertyView.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtConcurrent/QtConcurrentRun>
#include <cmath>
#include <limits>

#include "ColorLabel.h"
#include "Desktop.h"
#include "ModelText.h"
#include "PictureCtrl.h"
#include "ThumbnailFile.h"

namespace {

const QString kFilePrefix = QStringLiteral("file://");

// The form scrolls so that every control of either layout can be reached, with a margin.
constexpr int kFormMargin = 10;
QSize FormSize() {
    const QRect all = CSitePropertyView::kCaptionLabelRect | CSitePropertyView::kSecondLabelRect |
                      CSitePropertyView::kThirdLabelRect | CSitePropertyView::kCaptionEditRect |
                      CSitePropertyView::kUrlEditRect | CSitePropertyView::kItemDescriptionRect |
                      CSitePropertyView::kBrowseButtonRect |
                      CSitePropertyView::kFolderDescriptionRect | CSitePropertyView::kPreviewRect;
    return {all.right() + 1 + kFormMargin, all.bottom() + 1 + kFormMargin};
}

bool IsUndoOrRedo(const QKeyEvent& key) {
    return key.matches(QKeySequence::Undo) || key.matches(QKeySequence::Redo) ||
           key.keyCombination() == QKeyCombination(Qt::CTRL | Qt::Key_Y) ||
           key.keyCombination() == QKeyCombination(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
}

// Reads a picture for the preview at the size it is shown at on a screen of that pixel ratio.
CSitePropertyView::PreviewPicture ReadPreview(const QString& path, qreal pixelRatio) {
    CSitePropertyView::PreviewPicture result;
    const int side = static_cast<int>(std::ceil(CSitePropertyView::kPreviewSide * pixelRatio));
    const std::optional<PicturePixels> pixels =
        ReadPicturePixels(QFile::encodeName(path).toStdString(), side);
    if (!pixels || pixels->width <= 0 || pixels->height <= 0) return result;
    result.whole = QSize(pixels->naturalWidth, pixels->naturalHeight);
    const QImage decoded(pixels->rgba.data(), pixels->width, pixels->height, pixels->width * 4,
                         QImage::Format_RGBA8888);
    // Drawn 1:1 on the screen at the size the form fits the picture to.
    const QSize fitted = FitIntoSquare(result.whole, CSitePropertyView::kPreviewSide);
    const QSize device(static_cast<int>(std::lround(fitted.width() * pixelRatio)),
                       static_cast<int>(std::lround(fitted.height() * pixelRatio)));
    result.shown = decoded.size() == device
                       ? decoded.copy()
                       : decoded.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    result.shown.setDevicePixelRatio(pixelRatio);
    return result;
}

}  // namespace

bool IsPreviewablePicture(const QString& path, bool modernTypes) {
    // Projects made on Windows separate names with "\".
    const qsizetype nameStart = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) + 1;
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < nameStart) return false;
    const QString extension = path.mid(dot + 1).toUpper();
    if (modernTypes && (extension == u"PNG" || extension == u"WEBP")) return true;
    return extension == u"GIF" || extension == u"JPG" || extension == u"JPEG";
}

CSitePropertyView::CSitePropertyView(CSiteDocument& siteDocument, QWidget* parent)
    : QScrollArea(parent),
      document(siteDocument),
      tree(siteDocument.Tree()),
      form(new QWidget),
      captionLabel(new CColorLabel(tr("Caption:"), form)),
      descriptionLabel(new CColorLabel(tr("Description:"), form)),
      urlLabel(new CColorLabel(tr("URL:"), form)),
      preview(new CPictureCtrl(form)),
      captionEdit(new QLineEdit(form)),
      descriptionEdit(new QPlainTextEdit(form)),
      urlEdit(new QLineEdit(form)),
      browseButton(new QPushButton(QStringLiteral("..."), form)) {
    setObjectName(QStringLiteral("sitePropertyView"));
    captionEdit->setObjectName(QStringLiteral("captionEdit"));
    descriptionEdit->setObjectName(QStringLiteral("descriptionEdit"));
    urlEdit->setObjectName(QStringLiteral("urlEdit"));
    browseButton->setObjectName(QStringLiteral("browseButton"));
    preview->setObjectName(QStringLiteral("preview"));

    const QColor window = QApplication::palette().color(QPalette::Base);
    for (CColorLabel* label : {captionLabel, descriptionLabel, urlLabel}) label->SetBkColor(window);
    // A line edit keeps 32767 characters unless told otherwise; a longer caption or URL from a
    // file would be cut at the first keystroke.
    captionEdit->setMaxLength(std::numeric_limits<int>::max());
    urlEdit->setMaxLength(std::numeric_limits<int>::max());
    descriptionEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    descriptionEdit->setTabChangesFocus(true);

    form->setMinimumSize(FormSize());
    form->setBackgroundRole(QPalette::Base);
    form->setAutoFillBackground(true);
    setWidget(form);
    setWidgetResizable(true);
    // The controls themselves, not their parts: a text box whose viewport is hidden shows
    // nothing of what it holds.
    for (QWidget* control : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        control->hide();
    // The scroll area is no stop of its own: Tab goes from the list to the form's first field
    // (or on to the tree while the form shows nothing), then through the fields in the order
    // they stand in; hidden ones are passed over.
    setFocusPolicy(Qt::NoFocus);
    QWidget::setTabOrder(captionEdit, urlEdit);
    QWidget::setTabOrder(urlEdit, browseButton);
    QWidget::setTabOrder(browseButton, descriptionEdit);

    connect(captionEdit, &QLineEdit::textEdited, this,
            [this](const QString& text) { OnCaptionEdited(text); });
    connect(descriptionEdit, &QPlainTextEdit::textChanged, this,
            [this] { OnDescriptionChanged(); });
    connect(urlEdit, &QLineEdit::textEdited, this,
            [this](const QString& text) { OnUrlEdited(text); });
    connect(browseButton, &QPushButton::clicked, this, [this] { OnBrowse(); });
    connect(&previewWatcher, &QFutureWatcher<PreviewPicture>::finished, this,
            [this] { PreviewRead(); });
    // Undo and Redo in an edit box take back whole steps of the project, as everywhere else in
    // the window, not the edit box's own keystrokes.
    for (QWidget* edit : std::initializer_list<QWidget*>{captionEdit, descriptionEdit, urlEdit})
        edit->installEventFilter(this);

    connect(&document, &CSiteDocument::SelectionChanged, this, [this] { ShowSelection(); });
    connect(&document, &CSiteDocument::TreeChangeEnded, this,
            [this](const CSiteChange& change) { Follow(change); });
    // Whether PNG and WebP files are pictures is a setting of the website.
    connect(&document, &CSiteDocument::OptionsChanged, this, [this] {
        if (mode != Mode::Item) return;
        ForgetPreview();
        preview->hide();
        ShowPreview();
    });
    ShowSelection();
}

CSitePropertyView::~CSitePropertyView() = default;

bool CSitePropertyView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride &&
        IsUndoOrRedo(*static_cast<QKeyEvent*>(event))) {
        // Not taken: the key goes on to the window's Undo or Redo.
        event->ignore();
        return true;
    }
    if (event->type() == QEvent::FocusOut) document.EndTyping();
    return QScrollArea::eventFilter(watched, event);
}

CSiteNodeRef CSitePropertyView::Shown() const {
    if (mode == Mode::Folder && folder) return CSiteNodeRef::Of(folder);
    if (mode == Mode::Item && item) return CSiteNodeRef::Of(item);
    return {};
}

void CSitePropertyView::ShowSelection() {
    const CSiteNodeRef target = document.Selection().Shown();
    if (!target) {
        HideAll();
        return;
    }
    // The record shown already keeps its form as it is, with the cursor where the user left it.
    if (target == Shown() && captionEdit->isVisible()) return;
    document.EndTyping();
    if (target.kind == CSiteNodeRef::Folder)
        DisplayFolder(target.folder);
    else
        DisplayItem(target.item);
}

void CSitePropertyView::Follow(const CSiteChange& change) {
    using Kind = CSiteChange::Kind;
    const CSiteNodeRef shown = Shown();
    if (!shown) return;
    // Keys of another project name other records.
    if (change.kind == Kind::Reset) {
        ClearForm();
        return;
    }
    const bool present = shown.kind == CSiteNodeRef::Folder ? tree.Find(folder) != nullptr
                                                            : tree.Find(item) != nullptr;
    if (!present) {
        ClearForm();
        return;
    }
    if (change.kind != Kind::TextChanged) return;
    const bool mine = change.item ? change.item == item : change.folder == folder && !item;
    if (!mine) return;
    // Only what differs from the edit box is set, so typing keeps its cursor.
    const CSiteText* text = nullptr;
    if (shown.kind == CSiteNodeRef::Folder) {
        const CSiteFolder& record = tree.Find(folder)->Folder();
        text = change.field == CSiteField::Caption ? &record.caption : &record.description;
    } else {
        const CSiteItem& record = *tree.Find(item);
        text = change.field == CSiteField::Caption       ? &record.caption
               : change.field == CSiteField::Description ? &record.description
                                                         : &record.url;
    }
    const QString shownText = TextFromBytes(*text);
    filling = true;
    switch (change.field) {
        case CSiteField::Caption:
            if (captionEdit->text() != shownText) captionEdit->setText(shownText);
            break;
        case CSiteField::Description:
            if (descriptionEdit->toPlainText() != shownText)
                descriptionEdit->setPlainText(shownText);
            break;
        case CSiteField::Url:
            if (urlEdit->text() != shownText) urlEdit->setText(shownText);
            break;
    }
    filling = false;
}

void CSitePropertyView::DisplayFolder(CFolderKey shown) {
    if (mode != Mode::Folder) layoutPending = true;
    mode = Mode::Folder;
    item = {};
    folder = shown;
    Refresh();
}

void CSitePropertyView::DisplayItem(CItemKey shown) {
    if (mode != Mode::Item) layoutPending = true;
    mode = Mode::Item;
    folder = {};
    item = shown;
    Refresh();
    ShowPreview();
}

void CSitePropertyView::HideAll() {
    ForgetPreview();
    for (QWidget* control :
         std::initializer_list<QWidget*>{captionLabel, descriptionLabel, urlLabel, preview,
                                         captionEdit, descriptionEdit, urlEdit, browseButton})
        control->hide();
}

void CSitePropertyView::ClearForm() {
    mode = Mode::None;
    item = {};
    folder = {};
    HideAll();
}

void CSitePropertyView::Refresh() {
    ForgetPreview();
    preview->hide();
    filling = true;
    const CSiteNode* shownFolder = mode == Mode::Folder ? tree.Find(folder) : nullptr;
    const CSiteItem* shownItem = mode == Mode::Item ? tree.Find(item) : nullptr;
    if (shownFolder) {
        captionEdit->setText(TextFromBytes(shownFolder->Folder().caption));
        descriptionEdit->setPlainText(TextFromBytes(shownFolder->Folder().description));
        urlEdit->clear();
        urlLabel->hide();
        urlEdit->hide();
        browseButton->hide();
    } else if (shownItem) {
        captionEdit->setText(TextFromBytes(shownItem->caption));
        descriptionEdit->setPlainText(TextFromBytes(shownItem->description));
        urlEdit->setText(TextFromBytes(shownItem->url));
        urlLabel->show();
        urlEdit->show();
        browseButton->show();
    }
    filling = false;
    captionEdit->setCursorPosition(0);
    urlEdit->setCursorPosition(0);
    captionLabel->show();
    captionEdit->show();
    descriptionLabel->show();
    descriptionEdit->show();
    if (layoutPending) {
        Layout();
        layoutPending = false;
    }
}

void CSitePropertyView::Layout() {
    captionLabel->setGeometry(kCaptionLabelRect);
    captionEdit->setGeometry(kCaptionEditRect);
    if (mode == Mode::Item) {
        urlLabel->setGeometry(kSecondLabelRect);
        urlEdit->setGeometry(kUrlEditRect);
        descriptionLabel->setGeometry(kThirdLabelRect);
        descriptionEdit->setGeometry(kItemDescriptionRect);
        browseButton->setGeometry(kBrowseButtonRect);
    } else {
        descriptionLabel->setGeometry(kSecondLabelRect);
        descriptionEdit->setGeometry(kFolderDescriptionRect);
    }
    preview->setGeometry(kPreviewRect);
}

void CSitePropertyView::ShowPreview() {
    const CSiteItem* shown = tree.Find(item);
    if (!shown) return;
    const QString url = TextFromBytes(shown->url);
    if (!url.startsWith(kFilePrefix, Qt::CaseInsensitive)) return;
    // The path keeps its letter case: file names differ by case on most file systems.
    const QString path = url.mid(kFilePrefix.size());
    if (!IsPreviewablePicture(path, document.Settings().pictures.modernTypes)) return;
    // A file that cannot be opened shows nothing; FIFOs and devices are no pictures.
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable()) return;
    preview->Clear();
    preview->show();
    // Read on a thread of Qt's pool; the watcher stays with the last request, and a result that
    // arrives for an earlier one is dropped.
    previewWatched = ++previewRequest;
    const qreal pixelRatio = devicePixelRatioF();
    previewWatcher.setFuture(
        QtConcurrent::run([path, pixelRatio] { return ReadPreview(path, pixelRatio); }));
}

void CSitePropertyView::PreviewRead() {
    if (previewWatched != previewRequest || mode != Mode::Item ||
        !previewWatcher.future().isValid())
        return;
    PreviewPicture read = previewWatcher.result();
    // A file that holds no picture leaves the preview empty where it is.
    if (read.shown.isNull()) return;
    const QSize fitted = FitIntoSquare(read.whole, kPreviewSide);
    preview->SetPicture(std::move(read.shown), read.whole);
    preview->setGeometry(QRect(kPreviewRect.topLeft(), fitted));
}

void CSitePropertyView::Store(CSiteField field, const QString& text) {
    const CSiteNodeRef shown = Shown();
    const CSiteNode* shownFolder = shown.kind == CSiteNodeRef::Folder ? tree.Find(folder) : nullptr;
    const CSiteItem* shownItem = shown.kind == CSiteNodeRef::Item ? tree.Find(item) : nullptr;
    if (!shownFolder && !shownItem) return;
    const CSiteText& current =
        shownFolder ? (field == CSiteField::Caption ? shownFolder->Folder().caption
                                                    : shownFolder->Folder().description)
                    : (field == CSiteField::Caption       ? shownItem->caption
                       : field == CSiteField::Description ? shownItem->description
                                                          : shownItem->url);
    std::string bytes(current);
    if (!AssignEdited(bytes, text)) return;
    document.SetText(shown, field, bytes, true);
}

void CSitePropertyView::OnCaptionEdited(const QString& text) {
    if (!filling) Store(CSiteField::Caption, text);
}

void CSitePropertyView::OnDescriptionChanged() {
    if (!filling) Store(CSiteField::Description, descriptionEdit->toPlainText());
}

void CSitePropertyView::OnUrlEdited(const QString& text) {
    if (!filling && mode == Mode::Item) Store(CSiteField::Url, text);
}

void CSitePropertyView::OnBrowse() {
    const QString path = TheDesktop().OpenFileName(
        this, tr("Html Files (*.htm);;Html Files (*.html);;Gif Files (*.gif);;JPG Files (*.jpg);;"
                 "JPEG Files (*.jpeg);;MP3 Files (*.mp3);;Zip files (*.zip);;All Files (*)"));
    if (path.isEmpty()) return;
    // A chosen file is a step of its own, not part of what was typed before or after.
    document.EndTyping();
    urlEdit->setText(kFilePrefix + QDir::toNativeSeparators(path));
    OnUrlEdited(urlEdit->text());
    document.EndTyping();
}
