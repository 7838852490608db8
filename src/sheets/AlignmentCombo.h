#pragma once

#include <QComboBox>
#include <string>
#include <string_view>

// A drop-down list of "Default", "Left", "Center" and "Right". "Default" stands for the empty
// alignment text of the model.
class CAlignmentCombo : public QComboBox {
    Q_OBJECT
public:
    explicit CAlignmentCombo(QWidget* parent = nullptr);

    // Selects the first item that begins with the stored text, ignoring case; the empty text
    // selects "Default". A text no item begins with leaves the list without a selection.
    void SelectStored(std::string_view stored);

    // The text the model stores for the selected item: "" for "Default".
    std::string StoredText() const;
};
