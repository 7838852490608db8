#include "SpinEdit.h"

#include <QLineEdit>
#include <QSignalBlocker>

CSpinEdit::CSpinEdit(int minimum, int maximum, QWidget* parent) : QSpinBox(parent) {
    setRange(minimum, maximum);
    setKeyboardTracking(false);
    setGroupSeparatorShown(false);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { typed = true; });
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
    QSpinBox::stepBy(steps);
    typed = false;
    emit valueEdited(value());
}

void CSpinEdit::FinishTyping() {
    if (!typed) return;
    typed = false;
    emit valueEdited(value());
}
