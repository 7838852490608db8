#include "FontButton.h"

#include <cmath>

#include "ColorButton.h"
#include "ModelText.h"

CFontButton::CFontButton(QWidget* parent) : QPushButton(QStringLiteral("..."), parent) {
    setMaximumWidth(fontMetrics().horizontalAdvance(text()) + 24);
}

bool CFontButton::PickFont(CFontOption& font) {
    const auto choice =
        TheDesktop().GetFont(this, FontFromOption(font), ColorRefToQColor(font.color));
    if (!choice) return false;
    return ApplyFontChoice(font, *choice, logicalDpiY());
}

QFont FontFromOption(const CFontOption& font) {
    QFont result;
    result.setStyleHint(QFont::SansSerif);
    if (!font.faceName.Empty()) result.setFamily(TextFromBytes(font.faceName.View()));
    if (font.pointSize > 0) result.setPointSizeF(font.pointSize / 10.0);
    result.setWeight(font.bold != 0 ? QFont::Bold : QFont::Normal);
    result.setItalic(font.italic != 0);
    result.setUnderline(font.underline != 0);
    result.setStrikeOut(font.strikeOut != 0);
    return result;
}

bool ApplyFontChoice(CFontOption& font, const CFontChoice& choice, int dotsPerInch) {
    const QString family = choice.font.family();
    if (family.isEmpty()) return false;
    // The dialog opened on the record; a face or size it only showed because the record left it
    // to the default is no choice of the user's, and the record keeps leaving it open.
    const QFont shown = FontFromOption(font);
    CFontOption chosen = font;
    if (family != shown.family()) chosen.faceName = BytesFromText(family);
    chosen.bold = choice.font.weight() == QFont::Bold ? 1 : 0;
    chosen.italic = choice.font.italic() ? 1 : 0;
    chosen.underline = choice.font.underline() ? 1 : 0;
    chosen.strikeOut = choice.font.strikeOut() ? 1 : 0;
    chosen.color = QColorToColorRef(choice.color);
    std::int32_t tenths = 0;
    if (choice.font.pointSizeF() > 0)
        tenths = static_cast<std::int32_t>(std::lround(choice.font.pointSizeF() * 10));
    else if (choice.font.pixelSize() > 0 && dotsPerInch > 0)
        tenths =
            static_cast<std::int32_t>(std::lround(choice.font.pixelSize() * 720.0 / dotsPerInch));
    if (tenths > 0 && tenths != std::lround(shown.pointSizeF() * 10)) chosen.pointSize = tenths;
    if (chosen == font) return false;
    font = chosen;
    return true;
}

QString DescribeFont(const CFontOption& font) {
    QString text =
        font.faceName.Empty() ? CFontButton::tr("(Default)") : TextFromBytes(font.faceName.View());
    const std::pair<bool, QString> styles[] = {
        {font.bold != 0, CFontButton::tr("B", "bold")},
        {font.italic != 0, CFontButton::tr("I", "italic")},
        {font.underline != 0, CFontButton::tr("U", "underline")},
        {font.strikeOut != 0, CFontButton::tr("S", "strike-out")}};
    for (const auto& [set, letter] : styles)
        if (set) text += u' ' + letter;
    return text;
}
