#include "AlignmentCombo.h"

#include <array>

#include "ModelText.h"

namespace {

// The model stores the English name whatever language the list is shown in.
constexpr std::array<const char*, 4> kAlignments = {
    QT_TRANSLATE_NOOP("CAlignmentCombo", "Default"), QT_TRANSLATE_NOOP("CAlignmentCombo", "Left"),
    QT_TRANSLATE_NOOP("CAlignmentCombo", "Center"), QT_TRANSLATE_NOOP("CAlignmentCombo", "Right")};

}  // namespace

CAlignmentCombo::CAlignmentCombo(QWidget* parent) : QComboBox(parent) {
    for (const char* alignment : kAlignments)
        addItem(tr(alignment), QString::fromLatin1(alignment));
}

void CAlignmentCombo::SelectStored(std::string_view stored) {
    const QString prefix = TextFromBytes(stored);
    for (int i = 0; i < count(); ++i) {
        if (itemData(i).toString().startsWith(prefix, Qt::CaseInsensitive)) {
            setCurrentIndex(i);
            return;
        }
    }
    setCurrentIndex(-1);
}

std::string CAlignmentCombo::StoredText() const {
    if (currentIndex() <= 0) return {};
    return BytesFromText(currentData().toString());
}
