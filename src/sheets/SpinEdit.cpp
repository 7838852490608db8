#include "SpinEdit.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>
#include <limits>

CSpinEdit::CSpinEdit(int minimum, int maximum, QWidget* parent, Typed typed)
    : QSpinBox(parent), arrowMinimum(minimum), arrowMaximum(maximum) {
    // The edit takes digits only, so what is typed is never below 0.
    if (typed == Typed::AnyNumber)
        setRange(std::min(minimum, 0), std::numeric_limits<int>::max());
    else
        setRange(minimum, maximum);
    setKeyboardTracking(false);
    setGroupSeparatorShown(false);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { this->typed = true; });
    connect(this, &QAbstractSpinBox::editingFinished, this, &CSpinEdit::FinishTyping);
}

void CSpinEdit::ShowValue(int value) {
    const QSignalBlocker blocker(this);
    setValue(value);
    typed = false;
}

void CSpinEdit::CommitTyped() {
    if (!typed) return;
    interpretText();
    FinishTyping();
}

void CSpinEdit::stepBy(int steps) {
    interpretText();
    const long long target =
        std::clamp(static_cast<long long>(value()) + steps, static_cast<long long>(arrowMinimum),
                   static_cast<long long>(arrowMaximum));
    setValue(static_cast<int>(target));
    selectAll();
    typed = false;
    emit valueEdited(value());
}

QAbstractSpinBox::StepEnabled CSpinEdit::stepEnabled() const {
    if (isReadOnly()) return StepNone;
    StepEnabled steps = StepNone;
    if (value() < arrowMaximum) steps |= StepUpEnabled;
    if (value() > arrowMinimum) steps |= StepDownEnabled;
    return steps;
}

void CSpinEdit::FinishTyping() {
    if (!typed) return;
    typed = false;
    emit valueEdited(value());
}
