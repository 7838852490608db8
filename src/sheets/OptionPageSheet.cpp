#include "OptionPageSheet.h"

#include "OptionPageBKGDPage.h"
#include "OptionPageCustomPage.h"
#include "OptionPageGeneralPage.h"
#include "OptionPageLanguagePage.h"
#include "OptionPageMarginsPage.h"
#include "OptionPagePicturesPage.h"
#include "OptionPageStylePage.h"
#include "OptionPageTextPage.h"

COptionPageSheet::COptionPageSheet(CPageOption& option, CPictureSettings& pictures,
                                   const QIcon& icon, QWidget* parent, CPublishSettings* publish,
                                   PublishConnectionTester tester)
    : COptionSheet(tr("Website Properties"), icon, parent) {
    AddPages(option, pictures, nullptr, publish, std::move(tester));
}

COptionPageSheet::COptionPageSheet(CPageOption& option, CPictureSettings& pictures,
                                   CPageSettings& pages, const QIcon& icon, QWidget* parent,
                                   CPublishSettings* publish, PublishConnectionTester tester)
    : COptionSheet(tr("Website Properties"), icon, parent) {
    AddPages(option, pictures, &pages, publish, std::move(tester));
}

void COptionPageSheet::AddPages(CPageOption& option, CPictureSettings& pictures,
                                CPageSettings* pages, CPublishSettings* publish,
                                PublishConnectionTester tester) {
    AddPage(new COptionPageGeneralPage(option, this));
    AddPage(new COptionPageBKGDPage(option, this));
    AddPage(new COptionPageMarginsPage(option, this));
    AddPage(new COptionPageCustomPage(option, this));
    AddPage(new COptionPageLanguagePage(option, this));
    AddPage(new COptionPageHeaderPage(option, this));
    AddPage(new COptionPageFooterPage(option, this));
    // Last, so that the pages of the page properties keep their places.
    AddPage(new COptionPagePicturesPage(pictures, this));
    if (pages != nullptr) AddPage(new COptionPageStylePage(*pages, this));
    if (publish != nullptr) AddPage(new COptionPagePublishPage(*publish, std::move(tester), this));
}
