#pragma once

#include "OptionPagePublishPage.h"
#include "OptionSheet.h"
#include "PageOption.h"
#include "WebsiteSettings.h"

// "Website Properties": General, Background, Margins, Custom, Language, Header and Footer of
// the page properties, then Pictures and Style of the website settings (without the page
// settings, no Style page), and Publish when the publish settings are given. The objects must
// outlive the sheet.
//
//     COptionPageSheet sheet(option, pictures, pages, windowIcon(), this);
//     connect(&sheet, &COptionSheet::changed, ...);
//     sheet.exec();
class COptionPageSheet : public COptionSheet {
    Q_OBJECT
public:
    COptionPageSheet(CPageOption& option, CPictureSettings& pictures, const QIcon& icon = QIcon(),
                     QWidget* parent = nullptr, CPublishSettings* publish = nullptr,
                     PublishConnectionTester tester = {});
    COptionPageSheet(CPageOption& option, CPictureSettings& pictures, CPageSettings& pages,
                     const QIcon& icon = QIcon(), QWidget* parent = nullptr,
                     CPublishSettings* publish = nullptr, PublishConnectionTester tester = {});

private:
    void AddPages(CPageOption& option, CPictureSettings& pictures, CPageSettings* pages,
                  CPublishSettings* publish, PublishConnectionTester tester);
};
