#include "OptionPageTextPage.h"

#include <QEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

COptionPageTextPage::COptionPageTextPage(const QString& title, std::string& text, QWidget* parent)
    : COptionPage(title, parent), text(text), edit(new QPlainTextEdit(this)) {
    edit->setObjectName(QStringLiteral("textEdit"));
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The text goes into the pages as it is typed: markup works, and "<" or "&" meant as text
    // must be written as markup too.
    auto* note = new QLabel(
        tr("HTML: this text is written into every page as it stands, so tags such as <b> and "
           "<a href=...> work; write &lt; and &amp; for a plain < and &."),
        this);
    note->setObjectName(QStringLiteral("htmlNote"));
    note->setTextFormat(Qt::PlainText);
    note->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(edit);
}

void COptionPageTextPage::InitPage() {
    crlfLineEnds = text.find("\r\n") != std::string::npos;
    QString shown = TextFromBytes(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    edit->setPlainText(shown);
    edit->document()->setModified(false);
    edit->installEventFilter(this);
    AddPendingEdit([this] { Commit(); });
}

bool COptionPageTextPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit && event->type() == QEvent::FocusOut) Commit();
    return COptionPage::eventFilter(watched, event);
}

void COptionPageTextPage::Commit() {
    if (!edit->document()->isModified()) return;
    edit->document()->setModified(false);
    QString typed = edit->toPlainText();
    if (crlfLineEnds) typed.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    Store(text, BytesFromText(typed));
}
