#pragma once

#include <QFont>
#include <QPushButton>
#include <QString>

#include "Desktop.h"
#include "LayoutOption.h"

// The "..." button that edits a font record through the font dialog.
class CFontButton : public QPushButton {
    Q_OBJECT
public:
    explicit CFontButton(QWidget* parent = nullptr);

    // Runs the font dialog on the record. OK with a face name updates face, bold, italic,
    // underline, strike-out, colour and size; Cancel or an empty face leaves the record alone.
    // Returns whether the record changed.
    bool PickFont(CFontOption& font);
};

// The font the dialog opens on: the record's face (the default sans-serif face when empty), its
// size and its four styles.
QFont FontFromOption(const CFontOption& font);

// Takes a choice of the font dialog into the record; `dotsPerInch` converts a size given in
// pixels. Bold means exactly the bold weight (700). A face or size equal to what the dialog was
// opened on (FontFromOption) is no choice: the record keeps its own, so an empty face stays
// empty. Returns whether the record changed.
bool ApplyFontChoice(CFontOption& font, const CFontChoice& choice, int dotsPerInch);

// "(Default)" or the face name, followed by " B", " I", " U" and " S" for the styles set.
QString DescribeFont(const CFontOption& font);
