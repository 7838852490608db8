#include "OptionPageLanguagePage.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>
#include <array>

#include "EncodingTable.h"

namespace {

// The names of the listed charsets as the list shows them; the table itself is the core's.
constexpr std::array kShownNames = {
    QT_TRANSLATE_NOOP("COptionPageLanguagePage", "<None>"),
    QT_TRANSLATE_NOOP("COptionPageLanguagePage", "Baltic"),
    QT_TRANSLATE_NOOP("COptionPageLanguagePage", "Central European"),
    QT_TRANSLATE_NOOP("COptionPageLanguagePage", "Central European (ISO)"),
    QT_TRANSLATE_NOOP("COptionPageLanguagePage", "Cyrillic"),
    QT_TRANSLATE_NOOP("COptionPageLanguagePage", "Cyrillic (KOI8-R)"),
    QT_TRANSLATE_NOOP("COptionPageLanguagePage", "Greek"),
    QT_TRANSLATE_NOOP("COptionPageLanguagePage", "Japanese (EUC)"),
    QT_TRANSLATE_NOOP("COptionPageLanguagePage", "Japanese (JIS)"),
    QT_TRANSLATE_NOOP("COptionPageLanguagePage", "Japanese (Shift-JIS)"),
    QT_TRANSLATE_NOOP("COptionPageLanguagePage", "Korean (Wansung)"),
    QT_TRANSLATE_NOOP("COptionPageLanguagePage", "Universal (UTF-8)"),
    QT_TRANSLATE_NOOP("COptionPageLanguagePage", "Simplified Chinese (GB2312)"),
    QT_TRANSLATE_NOOP("COptionPageLanguagePage", "Traditional Chinese (Big5)"),
    QT_TRANSLATE_NOOP("COptionPageLanguagePage", "Thai"),
    QT_TRANSLATE_NOOP("COptionPageLanguagePage", "Turkish"),
    QT_TRANSLATE_NOOP("COptionPageLanguagePage", "US/Western European"),
    QT_TRANSLATE_NOOP("COptionPageLanguagePage", "Universal Alphabet"),
    QT_TRANSLATE_NOOP("COptionPageLanguagePage", "Universal Alphabet (Big-Endian)"),
};

QString ShownName(std::string_view label) {
    for (const char* name : kShownNames)
        if (label == name) return COptionPageLanguagePage::tr(name);
    return QString::fromLatin1(label.data(), static_cast<qsizetype>(label.size()));
}

QGroupBox* EncodingBox(const QString& title, const QString& prompt, QComboBox* combo,
                       const QString& note, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(new QLabel(prompt, box));
    layout->addWidget(combo);
    auto* noteLabel = new QLabel(note, box);
    noteLabel->setWordWrap(true);
    layout->addWidget(noteLabel);
    return box;
}

// Fills the combo with the listed rows and selects the first one whose name is exactly `stored`.
void FillCombo(QComboBox* combo, std::string_view stored) {
    int selected = -1;
    for (const auto& entry : theEncodingTable) {
        if (!entry.listed) continue;
        combo->addItem(
            ShownName(entry.label),
            QByteArray(entry.charsetName.data(), static_cast<qsizetype>(entry.charsetName.size())));
        if (selected < 0 && entry.charsetName == stored) selected = combo->count() - 1;
    }
    // A combo selects its first item by itself; a name no listed row carries selects nothing.
    combo->setCurrentIndex(selected);
}

}  // namespace

COptionPageLanguagePage::COptionPageLanguagePage(CPageOption& option, QWidget* parent)
    : COptionPage(tr("Language"), parent),
      option(option),
      saveCombo(new QComboBox(this)),
      loadCombo(new QComboBox(this)) {
    saveCombo->setObjectName(QStringLiteral("saveCombo"));
    loadCombo->setObjectName(QStringLiteral("loadCombo"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(EncodingBox(
        tr("Save"), tr("HTML Encoding for saving the page:"), saveCombo,
        tr("Note: If you change the HTML encoding for saving the page some characters may not "
           "display properly. This can happen if the character is not available in the new "
           "encoding. You can use Universal (UTF-8) to avoid this problem."),
        this));
    layout->addWidget(EncodingBox(
        tr("Load"), tr("HTML Encoding for loading the page:"), loadCombo,
        tr("Note: If the text in the current page did not appear to load correctly, try "
           "specifying a different encoding."),
        this));
    layout->addStretch();
}

void COptionPageLanguagePage::InitPage() {
    FillCombo(saveCombo, option.saveEncoding.View());
    FillCombo(loadCombo, option.loadEncoding.View());
    const auto connectCombo = [this](QComboBox* combo, CTextField<255>& field) {
        connect(combo, &QComboBox::currentIndexChanged, this, [this, combo, &field](int index) {
            if (index < 0) return;
            Store(field, CTextField<255>(combo->itemData(index).toByteArray().toStdString()));
        });
    };
    connectCombo(saveCombo, option.saveEncoding);
    connectCombo(loadCombo, option.loadEncoding);
}
