#pragma once

#include <QSpinBox>

// An integer edit with its spin arrows. The arrows step within the spin's range; the edit takes
// any number of digits the field can store, also beyond that range (a top margin of 5000), unless
// the field has no room for such values. It shows the model's value but reports a value only
// when the user steps or types one, so a value that came from a project file stays in the model
// until the user edits it.
class CSpinEdit : public QSpinBox {
    Q_OBJECT
public:
    enum class Typed {
        AnyNumber,  // any non-negative number a 32-bit field stores
        InRange     // only what the arrows reach
    };

    CSpinEdit(int minimum, int maximum, QWidget* parent = nullptr, Typed typed = Typed::AnyNumber);

    // Shows a value from the model; reports nothing.
    void ShowValue(int value);

    // Takes text the user is still typing, as leaving the edit would.
    void CommitTyped();

    // Steps from the edit's value to a value within the arrows' range.
    void stepBy(int steps) override;

signals:
    void valueEdited(int value);

protected:
    StepEnabled stepEnabled() const override;

private:
    void FinishTyping();

    int arrowMinimum = 0;
    int arrowMaximum = 0;
    bool typed = false;
};
