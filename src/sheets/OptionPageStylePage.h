#pragma once

#include "OptionPage.h"
#include "WebsiteSettings.h"

class QRadioButton;

// "Style": how the exported pages look. Classic pages are the ones every project always had;
// modern pages read well on a phone and give every picture a page of its own. Each choice has a
// line saying what it is and a small picture of such a page.
class COptionPageStylePage : public COptionPage {
    Q_OBJECT
public:
    explicit COptionPageStylePage(CPageSettings& pages, QWidget* parent = nullptr);

protected:
    void InitPage() override;

private:
    CPageSettings& pages;
    QRadioButton* classicRadio;
    QRadioButton* modernRadio;
};
