#include "OptionPagePicturesPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// The short line under a setting that says what it does.
QLabel* Explanation(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setIndent(20);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.9);
    label->setFont(font);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

}  // namespace

COptionPagePicturesPage::COptionPagePicturesPage(CPictureSettings& pictures, QWidget* parent)
    : COptionPage(tr("Pictures"), parent),
      pictures(pictures),
      thumbnailsCheck(new QCheckBox(tr("Make thumbnail files"), this)),
      boxSpin(new CSpinEdit(kMinThumbnailBox, kMaxThumbnailBox, this, CSpinEdit::Typed::InRange)),
      densitySpin(new CSpinEdit(kMinDensity, kMaxDensity, this, CSpinEdit::Typed::InRange)),
      qualitySpin(new CSpinEdit(kMinQuality, kMaxQuality, this, CSpinEdit::Typed::InRange)),
      modernTypesCheck(new QCheckBox(tr("Show PNG and WebP files as pictures"), this)) {
    thumbnailsCheck->setObjectName(QStringLiteral("thumbnailsCheck"));
    boxSpin->setObjectName(QStringLiteral("boxSpin"));
    densitySpin->setObjectName(QStringLiteral("densitySpin"));
    qualitySpin->setObjectName(QStringLiteral("qualitySpin"));
    modernTypesCheck->setObjectName(QStringLiteral("modernTypesCheck"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(thumbnailsCheck);
    layout->addWidget(Explanation(tr("Pages show a small copy of each picture (in the "
                                     "folder thumb) instead of the whole file, so "
                                     "they load quickly; a click opens the picture."),
                                  this));
    auto* numbers = new QGridLayout;
    const auto addNumber = [&](int row, const QString& name, CSpinEdit* spin, const QString& unit,
                               const QString& explanation) {
        auto* label = new QLabel(name, this);
        label->setBuddy(spin);
        auto* unitLabel = new QLabel(unit, this);
        auto* line = Explanation(explanation, this);
        numbers->addWidget(label, row * 2, 0);
        numbers->addWidget(spin, row * 2, 1);
        numbers->addWidget(unitLabel, row * 2, 2);
        numbers->addWidget(line, row * 2 + 1, 0, 1, 4);
        return QList<QWidget*>{label, spin, unitLabel, line};
    };
    addNumber(0, tr("&Box:"), boxSpin, tr("pixels"),
              tr("The longest side of a picture on the page."));
    thumbnailOnly << addNumber(1, tr("&Density:"), densitySpin, tr("x"),
                               tr("Pixels in a thumbnail file for each pixel on the "
                                  "page; 2 keeps pictures sharp on fine screens."));
    thumbnailOnly << addNumber(2, tr("&Quality:"), qualitySpin, tr("%"),
                               tr("JPEG quality of the thumbnail files: higher is "
                                  "sharper and larger."));
    numbers->setColumnStretch(3, 1);
    layout->addLayout(numbers);
    layout->addWidget(modernTypesCheck);
    layout->addWidget(Explanation(tr("PNG and WebP files are copied into the folder "
                                     "image and shown in the box; otherwise they go "
                                     "into others and are linked by their caption."),
                                  this));
    layout->addStretch();
}

void COptionPagePicturesPage::EnableThumbnailSettings(bool enabled) {
    for (QWidget* widget : thumbnailOnly) widget->setEnabled(enabled);
}

void COptionPagePicturesPage::InitPage() {
    thumbnailsCheck->setChecked(pictures.thumbnails);
    modernTypesCheck->setChecked(pictures.modernTypes);
    boxSpin->ShowValue(pictures.box);
    densitySpin->ShowValue(pictures.density);
    qualitySpin->ShowValue(pictures.quality);
    EnableThumbnailSettings(pictures.thumbnails);
    BindSpin(boxSpin, pictures.box);
    BindSpin(densitySpin, pictures.density);
    BindSpin(qualitySpin, pictures.quality);
    connect(thumbnailsCheck, &QCheckBox::clicked, this, [this](bool checked) {
        Store(pictures.thumbnails, checked);
        EnableThumbnailSettings(checked);
    });
    connect(modernTypesCheck, &QCheckBox::clicked, this,
            [this](bool checked) { Store(pictures.modernTypes, checked); });
}
