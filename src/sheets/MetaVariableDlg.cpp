#include "MetaVariableDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "Desktop.h"

namespace {

// The characters a name and a value can hold; the record still cuts what does not fit its bytes.
constexpr int kNameLimit = 254;
constexpr int kValueLimit = 512;

}  // namespace

CMetaVariableDlg::CMetaVariableDlg(const QString& caption, const QString& name,
                                   const QString& value, QWidget* parent)
    : QDialog(parent),
      nameEdit(new QLineEdit(name, this)),
      valueEdit(new QLineEdit(value, this)),
      name(name),
      value(value) {
    setWindowTitle(caption);
    nameEdit->setObjectName(QStringLiteral("nameEdit"));
    valueEdit->setObjectName(QStringLiteral("valueEdit"));
    nameEdit->setMaxLength(kNameLimit);
    valueEdit->setMaxLength(kValueLimit);

    auto* box = new QGroupBox(this);
    auto* fields = new QGridLayout(box);
    fields->addWidget(new QLabel(tr("Name:"), box), 0, 0);
    fields->addWidget(nameEdit, 0, 1);
    fields->addWidget(new QLabel(tr("Value:"), box), 1, 0);
    fields->addWidget(valueEdit, 1, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CMetaVariableDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CMetaVariableDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

QString CMetaVariableDlg::EmptyNameMessage() {
    return tr("Please input name of the variable.");
}

void CMetaVariableDlg::accept() {
    if (nameEdit->text().isEmpty()) {
        TheDesktop().Tell(this, EmptyNameMessage(), CDesktop::Severity::Warning);
        nameEdit->setFocus();
        return;
    }
    name = nameEdit->text();
    value = valueEdit->text();
    QDialog::accept();
}
