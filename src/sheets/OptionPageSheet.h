#pragma once

#include "OptionSheet.h"
#include "PageOption.h"

// "Website Properties": General, Background, Margins, Custom, Language, Header and Footer of
// the page properties. The option object must outlive the sheet.
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
