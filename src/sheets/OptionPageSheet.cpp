#include "OptionPageSheet.h"

#include "OptionPageBKGDPage.h"
#include "OptionPageCustomPage.h"
#include "OptionPageGeneralPage.h"
#include "OptionPageLanguagePage.h"
#include "OptionPageMarginsPage.h"
#include "OptionPagePicturesPage.h"
#include "OptionPageTextPage.h"

COptionPageSheet::COptionPageSheet(CPageOption& option, CPictureSettings& pictures,
                                   const QIcon& icon, QWidget* parent, CPublishSettings* publish,
                                   PublishConnectionTester tester)
    : COptionSheet(QStringLiteral("Website Properties"), icon, parent) {
    AddPage(new COptionPageGeneralPage(option, this));
    AddPage(new COptionPageBKGDPage(option, this));
    AddPage(new COptionPageMarginsPage(option, this));
    AddPage(new COptionPageCustomPage(option, this));
    AddPage(new COptionPageLanguagePage(option, this));
    AddPage(new COptionPageHeaderPage(option, this));
    AddPage(new COptionPageFooterPage(option, this));
    // Last, so that the pages of the page properties keep their places.
    AddPage(new COptionPagePicturesPage(pictures, this));
    if (publish != nullptr) AddPage(new COptionPagePublishPage(*publish, std::move(tester), this));
}
