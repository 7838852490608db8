#include "AlignmentCombo.h"

#include "ModelText.h"

CAlignmentCombo::CAlignmentCombo(QWidget* parent) : QComboBox(parent) {
    addItems({QStringLiteral("Default"), QStringLiteral("Left"), QStringLiteral("Center"),
              QStringLiteral("Right")});
}

void CAlignmentCombo::SelectStored(std::string_view stored) {
    const QString prefix = TextFromBytes(stored);
    for (int i = 0; i < count(); ++i) {
        if (itemText(i).startsWith(prefix, Qt::CaseInsensitive)) {
            setCurrentIndex(i);
            return;
        }
    }
    setCurrentIndex(-1);
}

std::string CAlignmentCombo::StoredText() const {
    if (currentIndex() <= 0) return {};
    return BytesFromText(currentText());
}
