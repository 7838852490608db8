#pragma once

#include <QSpinBox>

// An integer edit with its spin arrows, kept within its range. It shows the model's value
// clamped to the range but reports a value only when the user steps or types one, so a value
// outside the range that came from a project file stays in the model until the user edits it.
class CSpinEdit : public QSpinBox {
    Q_OBJECT
public:
    CSpinEdit(int minimum, int maximum, QWidget* parent = nullptr);

    // Shows a value from the model; reports nothing.
    void ShowValue(int value);

    // Takes text the user is still typing, as leaving the edit would.
    void CommitTyped();

    void stepBy(int steps) override;

signals:
    void valueEdited(int value);

private:
    void FinishTyping();

    bool typed = false;
};
