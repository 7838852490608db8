#pragma once

#include "LayoutOption.h"
#include "OptionSheet.h"

// "Layout Properties": the table, the six bars and the main canvas of the page frame. The
// option object must outlive the sheet.
//
//     COptionLayoutSheet sheet(theLayoutOption, windowIcon(), this);
//     connect(&sheet, &COptionSheet::changed, ...);
//     sheet.exec();
class COptionLayoutSheet : public COptionSheet {
    Q_OBJECT
public:
    explicit COptionLayoutSheet(CLayoutOption& option, const QIcon& icon = QIcon(),
                                QWidget* parent = nullptr);
};
