#include "SitePropertyView.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <limits>

#include "ColorLabel.h"
#include "Desktop.h"
#include "PictureCtrl.h"
#include "SiteListView.h"
#include "TextCodec.h"

namespace {

const QString kBrowseFilter = QStringLiteral(
    "Html Files (*.htm);;Html Files (*.html);;Gif Files (*.gif);;JPG Files (*.jpg);;"
    "JPEG Files (*.jpeg);;MP3 Files (*.mp3);;Zip files (*.zip);;All Files (*)");
const QString kFilePrefix = QStringLiteral("file://");

}  // namespace

bool IsPreviewablePicture(const QString& path) {
    // Projects made on Windows separate names with "\".
    const qsizetype nameStart = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) + 1;
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < nameStart) return false;
    const QString extension = path.mid(dot + 1).toUpper();
    return extension == u"GIF" || extension == u"JPG" || extension == u"JPEG";
}

CSitePropertyView::CSitePropertyView(CSiteTree& siteTree, QWidget* parent)
    : QScrollArea(parent),
      tree(siteTree),
      form(new QWidget),
      captionLabel(new CColorLabel(QStringLiteral("Caption:"), form)),
      descriptionLabel(new CColorLabel(QStringLiteral("Description:"), form)),
      urlLabel(new CColorLabel(QStringLiteral("URL:"), form)),
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

    form->setMinimumSize(510, 155);
    form->setBackgroundRole(QPalette::Base);
    form->setAutoFillBackground(true);
    setWidget(form);
    setWidgetResizable(true);
    for (QWidget* control : form->findChildren<QWidget*>()) control->hide();

    connect(captionEdit, &QLineEdit::textEdited, this,
            [this](const QString& text) { OnCaptionEdited(text); });
    connect(descriptionEdit, &QPlainTextEdit::textChanged, this,
            [this] { OnDescriptionChanged(); });
    connect(urlEdit, &QLineEdit::textEdited, this,
            [this](const QString& text) { OnUrlEdited(text); });
    connect(browseButton, &QPushButton::clicked, this, [this] { OnBrowse(); });
}

CSitePropertyView::~CSitePropertyView() = default;

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
    preview->hide();
    filling = true;
    const CSiteNode* shownFolder = mode == Mode::Folder ? tree.Find(folder) : nullptr;
    const CSiteItem* shownItem = mode == Mode::Item ? tree.Find(item) : nullptr;
    if (shownFolder) {
        captionEdit->setText(FromBytes(shownFolder->Folder().caption));
        descriptionEdit->setPlainText(FromBytes(shownFolder->Folder().description));
        urlEdit->clear();
        urlLabel->hide();
        urlEdit->hide();
        browseButton->hide();
    } else if (shownItem) {
        captionEdit->setText(FromBytes(shownItem->caption));
        descriptionEdit->setPlainText(FromBytes(shownItem->description));
        urlEdit->setText(FromBytes(shownItem->url));
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
    const QString url = FromBytes(shown->url);
    if (!url.startsWith(kFilePrefix, Qt::CaseInsensitive)) return;
    // The path keeps its letter case: file names differ by case on most file systems.
    const QString path = url.mid(kFilePrefix.size());
    if (!IsPreviewablePicture(path)) return;
    preview->Clear();
    if (!preview->LoadFromFile(path)) return;
    if (QSize size; preview->GetImageSize(size))
        preview->setGeometry(QRect(kPreviewRect.topLeft(), FitIntoSquare(size, kPreviewSide)));
    preview->show();
}

void CSitePropertyView::RecordTextChanged() {
    if (listView) listView->RefreshSelectedRow();
}

bool CSitePropertyView::Store(CSiteField field, const QString& text) {
    const CSiteNode* shownFolder = mode == Mode::Folder ? tree.Find(folder) : nullptr;
    const CSiteItem* shownItem = mode == Mode::Item ? tree.Find(item) : nullptr;
    if (!shownFolder && !shownItem) return false;
    const CSiteText& current =
        shownFolder ? (field == CSiteField::Caption ? shownFolder->Folder().caption
                                                    : shownFolder->Folder().description)
                    : (field == CSiteField::Caption       ? shownItem->caption
                       : field == CSiteField::Description ? shownItem->description
                                                          : shownItem->url);
    std::string bytes(current);
    if (!AssignEdited(bytes, text)) return false;
    const CSiteStatus status =
        shownFolder ? tree.SetText(folder, field, bytes) : tree.SetText(item, field, bytes);
    return status == CSiteStatus::Done;
}

void CSitePropertyView::OnCaptionEdited(const QString& text) {
    if (!filling && Store(CSiteField::Caption, text)) RecordTextChanged();
}

void CSitePropertyView::OnDescriptionChanged() {
    if (filling) return;
    if (Store(CSiteField::Description, descriptionEdit->toPlainText()) && listView)
        listView->SetModified(true);
}

void CSitePropertyView::OnUrlEdited(const QString& text) {
    if (filling || mode != Mode::Item) return;
    if (Store(CSiteField::Url, text)) RecordTextChanged();
}

void CSitePropertyView::OnBrowse() {
    const QString path = TheDesktop().OpenFileName(this, kBrowseFilter);
    if (path.isEmpty()) return;
    urlEdit->setText(kFilePrefix + QDir::toNativeSeparators(path));
    OnUrlEdited(urlEdit->text());
}
