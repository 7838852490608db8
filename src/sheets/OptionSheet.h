#pragma once

#include <QDialog>
#include <QIcon>
#include <vector>

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
