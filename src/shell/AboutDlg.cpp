#include "AboutDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "ProgramInfo.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About  ! Pagelorn"));
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/pagelorn.svg")).pixmap(32, 32));
    auto* name =
        new QLabel(tr("! Pagelorn Version %1").arg(QString::fromUtf8(kProgramVersion)), this);
    name->setTextFormat(Qt::PlainText);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addSpacing(12);
    row->addWidget(name, 1);
    auto* column = new QVBoxLayout(this);
    column->addLayout(row);
    column->addWidget(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);
    // A fixed size fits the contents only; the title bar, which holds the title and the window
    // manager's buttons, would cut the title short.
    const int titleWidth = fontMetrics().horizontalAdvance(windowTitle()) * 3 / 2 + 160;
    name->setMinimumWidth(std::max(0, titleWidth - icon->sizeHint().width() - 12 -
                                          column->contentsMargins().left() -
                                          column->contentsMargins().right()));
}
