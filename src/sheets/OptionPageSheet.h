#pragma once

#include "OptionSheet.h"
#include "PageOption.h"
#include "WebsiteSettings.h"

// "Website Properties": General, Background, Margins, Custom, Language, Header and Footer of
// the page properties, then Pictures and Style of the website settings (without the page
// settings, no Style page). The objects must outlive the sheet.
//
//     COptionPageSheet sheet(option, pictures, pages, windowIcon(), this);
//     connect(&sheet, &COptionSheet::changed, ...);
//     sheet.exec();
class COptionPageSheet : public COptionSheet {
    Q_OBJECT
public:
    COptionPageSheet(CPageOption& option, CPictureSettings& pictures, const QIcon& icon = QIcon(),
                     QWidget* parent = nullptr);
    COptionPageSheet(CPageOption& option, CPictureSettings& pictures, CPageSettings& pages,
                     const QIcon& icon = QIcon(), QWidget* parent = nullptr);
};
