#include "OptionPageStylePage.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int kSketchWidth = 112;
constexpr int kSketchHeight = 84;

// A small sketch of a page of the style: a desktop table of cells for the classic style, a
// phone with a header, a breadcrumb and a grid of cards for the modern one.
QPixmap Sketch(PageStyle style, qreal ratio) {
    QPixmap pixmap(QSize(kSketchWidth, kSketchHeight) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor line(0x60, 0x60, 0x60);
    const QColor picture(0x4a, 0x86, 0xc0);
    if (style == PageStyle::Classic) {
        const QRectF page(2, 6, 108, 74);
        painter.setPen(line);
        painter.setBrush(Qt::white);
        painter.drawRect(page);
        painter.drawLine(QPointF(2, 16), QPointF(110, 16));
        painter.drawLine(QPointF(2, 24), QPointF(110, 24));
        painter.drawLine(QPointF(26, 24), QPointF(26, 80));
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column) {
                const QRectF cell(30 + column * 27, 28 + row * 17, 23, 14);
                painter.setPen(Qt::NoPen);
                painter.setBrush(picture);
                painter.drawRect(cell.adjusted(6, 2, -6, -2));
            }
        return pixmap;
    }
    const QRectF phone(38, 2, 40, 80);
    painter.setPen(line);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(phone, 6, 6);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xdd, 0xdd, 0xdd));
    painter.drawRect(QRectF(42, 9, 32, 5));
    painter.drawRect(QRectF(42, 17, 20, 3));
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 2; ++column) {
            const QRectF card(42 + column * 17, 24 + row * 18, 15, 16);
            painter.setBrush(QColor(0xf0, 0xf0, 0xf0));
            painter.drawRoundedRect(card, 2, 2);
            painter.setBrush(picture);
            painter.drawRect(card.adjusted(2, 2, -2, -6));
        }
    return pixmap;
}

QLabel* Explanation(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setIndent(20);
    return label;
}

}  // namespace

COptionPageStylePage::COptionPageStylePage(CPageSettings& pages, QWidget* parent)
    : COptionPage(tr("Style"), parent),
      pages(pages),
      classicRadio(new QRadioButton(tr("&Classic"), this)),
      modernRadio(new QRadioButton(tr("&Modern"), this)) {
    classicRadio->setObjectName(QStringLiteral("classicRadio"));
    modernRadio->setObjectName(QStringLiteral("modernRadio"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    const qreal ratio = devicePixelRatioF();
    const auto addChoice = [&](int row, QRadioButton* radio, PageStyle style,
                               const QString& explanation) {
        auto* sketch = new QLabel(this);
        sketch->setPixmap(Sketch(style, ratio));
        sketch->setObjectName(style == PageStyle::Classic ? QStringLiteral("classicSketch")
                                                          : QStringLiteral("modernSketch"));
        grid->addWidget(radio, row * 2, 0);
        grid->addWidget(Explanation(explanation, this), row * 2 + 1, 0);
        grid->addWidget(sketch, row * 2, 1, 2, 1, Qt::AlignTop);
    };
    addChoice(0, classicRadio, PageStyle::Classic,
              tr("The pages every Pagelorn website has always had: one table laid out for a "
                 "desktop screen, each picture linking to the picture itself."));
    addChoice(1, modernRadio, PageStyle::Modern,
              tr("Pages that read well on a phone: the items in a grid that fits the screen, one "
                 "stylesheet made from the layout properties, and a page for every picture, "
                 "video and sound with previous and next links."));
    grid->setColumnStretch(0, 1);
    layout->addLayout(grid);
    layout->addStretch();
}

void COptionPageStylePage::InitPage() {
    classicRadio->setChecked(pages.style == PageStyle::Classic);
    modernRadio->setChecked(pages.style == PageStyle::Modern);
    connect(classicRadio, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked) Store(pages.style, PageStyle::Classic);
    });
    connect(modernRadio, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked) Store(pages.style, PageStyle::Modern);
    });
}
