#pragma once

#include "OptionPagePublishPage.h"
#include "OptionSheet.h"
#include "PageOption.h"
#include "WebsiteSettings.h"

// "Website Properties": General, Background, Margins, Custom, Language, Header and Footer of
// the page properties, then Pictures of the website settings, and Publish when the publish
// settings are given. The objects must outlive the sheet.
//
//     COptionPageSheet sheet(option, pictures, windowIcon(), this);
//     connect(&sheet, &COptionSheet::changed, ...);
//     sheet.exec();
class COptionPageSheet : public COptionSheet {
    Q_OBJECT
public:
    COptionPageSheet(CPageOption& option, CPictureSettings& pictures, const QIcon& icon = QIcon(),
                     QWidget* parent = nullptr, CPublishSettings* publish = nullptr,
                     PublishConnectionTester tester = {});
};
