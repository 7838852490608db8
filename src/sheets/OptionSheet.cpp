#include "OptionSheet.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "OptionPage.h"

COptionSheet::COptionSheet(const QString& caption, const QIcon& icon, QWidget* parent)
    : QDialog(parent), tabs(new QTabWidget(this)) {
    setWindowTitle(caption);
    if (!icon.isNull()) setWindowIcon(icon);
    tabs->setObjectName(QStringLiteral("tabs"));
    // Every tab title stays in sight, as on a property sheet.
    tabs->setUsesScrollButtons(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
}

void COptionSheet::AddPage(COptionPage* page) {
    tabs->addTab(page, page->Title());
    pages.push_back(page);
    connect(page, &COptionPage::changed, this, &COptionSheet::changed);
}

void COptionSheet::done(int result) {
    // Every way of closing comes here; an edit that still has the focus has not stored its text.
    for (auto* page : pages) page->CommitEdits();
    QDialog::done(result);
}
