#pragma once

#include <string>

#include "OptionPage.h"
#include "PageOption.h"

class QPlainTextEdit;

// A page holding one multi-line text of unbounded length, written into every exported page.
class COptionPageTextPage : public COptionPage {
    Q_OBJECT
public:
    COptionPageTextPage(const QString& title, std::string& text, QWidget* parent);

    QPlainTextEdit* Edit() const { return edit; }

protected:
    void InitPage() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Commit();

    std::string& text;
    QPlainTextEdit* edit;
    // Text read from a project made on Windows keeps its CR LF line ends when edited.
    bool crlfLineEnds = false;
};

// "Header": the text before the page's table.
class COptionPageHeaderPage : public COptionPageTextPage {
    Q_OBJECT
public:
    explicit COptionPageHeaderPage(CPageOption& option, QWidget* parent = nullptr)
        : COptionPageTextPage(tr("Header"), option.header, parent) {}
};

// "Footer": the text after the page's table.
class COptionPageFooterPage : public COptionPageTextPage {
    Q_OBJECT
public:
    explicit COptionPageFooterPage(CPageOption& option, QWidget* parent = nullptr)
        : COptionPageTextPage(tr("Footer"), option.footer, parent) {}
};
