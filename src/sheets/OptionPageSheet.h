#pragma once

#include <QDialog>
#include <QIcon>
#include <vector>

#include "PageOption.h"

class COptionPage;
class QTabWidget;

// A property sheet: pages on tabs with OK and Cancel. The pages write into the model at once, so
// OK, Cancel, Escape and the close box all end the sheet and keep every change; text still being
// typed is stored as the sheet closes.
class COptionSheet : public QDialog {
    Q_OBJECT
public:
    QTabWidget* Tabs() const { return tabs; }
    int PageCount() const { return static_cast<int>(pages.size()); }
    COptionPage* Page(int index) const { return pages.at(static_cast<std::size_t>(index)); }

    void done(int result) override;

signals:
    // The sheet wrote a change into the model.
    void changed();

protected:
    COptionSheet(const QString& caption, const QIcon& icon, QWidget* parent);
    void AddPage(COptionPage* page);

private:
    QTabWidget* tabs;
    std::vector<COptionPage*> pages;
};

// "Website Properties": General, Background, Margins, Custom, Language, Header and Footer of
// the page properties.
//
//     COptionPageSheet sheet(thePageOption, windowIcon(), this);
//     connect(&sheet, &COptionSheet::changed, ...);
//     sheet.exec();
class COptionPageSheet : public COptionSheet {
    Q_OBJECT
public:
    explicit COptionPageSheet(CPageOption& option, const QIcon& icon = QIcon(),
                              QWidget* parent = nullptr);
};
