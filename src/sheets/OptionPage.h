#pragma once

#include <QLineEdit>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <type_traits>
#include <vector>

#include "AlignmentCombo.h"
#include "BrowseButton.h"
#include "ColorButton.h"
#include "FontButton.h"
#include "LayoutOption.h"
#include "ModelText.h"
#include "SpinEdit.h"
#include "TextField.h"

class QLabel;

// A page of a property sheet. It builds its controls when constructed and reads the model the
// first time it is shown, so a page the user never opens neither reads nor writes the model.
// From then on every control writes into the model at once; changed() follows every write that
// altered the model.
class COptionPage : public QWidget {
    Q_OBJECT
public:
    COptionPage(const QString& title, QWidget* parent);

    const QString& Title() const { return title; }
    bool IsInitialised() const { return initialised; }

    // Stores what the user is still typing into an edit, as leaving the edit would.
    void CommitEdits();

signals:
    void changed();

protected:
    // Fills the controls from the model and connects their handlers.
    virtual void InitPage() = 0;

    void showEvent(QShowEvent* event) override;

    // Each binding shows the field in its control and writes the control's changes into it.
    template <std::size_t N>
    void BindText(QLineEdit* edit, CTextField<N>& field);
    template <std::size_t N>
    void BindBrowse(CBrowseButton* button, QLineEdit* edit, CTextField<N>& field);
    void BindSpin(CSpinEdit* spin, std::int32_t& field);
    void BindColor(CColorButton* swatch, COLORREF& field);
    void BindFont(CFontButton* button, QLabel* description, CColorButton* colorSwatch,
                  CFontOption& font);
    template <std::size_t N>
    void BindAlignment(CAlignmentCombo* combo, CTextField<N>& field);

    template <typename T>
    void Store(T& field, const std::type_identity_t<T>& value) {
        if (field == value) return;
        field = value;
        emit changed();
    }
    template <std::size_t N>
    void StoreText(CTextField<N>& field, const QString& text) {
        Store(field, CTextField<N>(BytesFromText(text)));
    }

    // Registers what CommitEdits runs for an edit that keeps typed text until it loses the focus.
    void AddPendingEdit(std::function<void()> commit) { pendingEdits.push_back(std::move(commit)); }

private:
    QString title;
    bool initialised = false;
    std::vector<std::function<void()>> pendingEdits;
};

template <std::size_t N>
void COptionPage::BindText(QLineEdit* edit, CTextField<N>& field) {
    edit->setText(TextFromBytes(field.View()));
    edit->setModified(false);
    // Only text the user changed is stored: untouched text keeps the bytes the model holds.
    auto commit = [this, edit, &field] {
        if (!edit->isModified()) return;
        edit->setModified(false);
        StoreText(field, edit->text());
    };
    connect(edit, &QLineEdit::editingFinished, this, commit);
    AddPendingEdit(commit);
}

template <std::size_t N>
void COptionPage::BindBrowse(CBrowseButton* button, QLineEdit* edit, CTextField<N>& field) {
    connect(button, &QPushButton::clicked, this, [this, button, edit, &field] {
        const QString path = button->Browse();
        if (path.isEmpty()) return;
        StoreText(field, path);
        edit->setText(path);
        edit->setModified(false);
    });
}

template <std::size_t N>
void COptionPage::BindAlignment(CAlignmentCombo* combo, CTextField<N>& field) {
    combo->SelectStored(field.View());
    connect(combo, &QComboBox::currentIndexChanged, this, [this, combo, &field](int index) {
        if (index < 0) return;
        Store(field, CTextField<N>(combo->StoredText()));
    });
}
