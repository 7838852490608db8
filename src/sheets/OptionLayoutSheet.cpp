#include "OptionLayoutSheet.h"

#include "OptionLayoutAreaPage.h"
#include "OptionLayoutMainPage.h"
#include "OptionLayoutTablePage.h"

COptionLayoutSheet::COptionLayoutSheet(CLayoutOption& option, const QIcon& icon, QWidget* parent)
    : COptionSheet(tr("Layout Properties"), icon, parent) {
    const auto bar = [this, &option](int areaIndex, const char* title) {
        return new COptionLayoutAreaPage(option, areaIndex, tr(title), this);
    };
    AddPage(new COptionLayoutTablePage(option, this));
    AddPage(bar(0, QT_TR_NOOP("Header Bar")));
    AddPage(bar(1, QT_TR_NOOP("Top Navigator Bar")));
    AddPage(bar(3, QT_TR_NOOP("History Bar")));
    AddPage(bar(2, QT_TR_NOOP("Next Navigator Bar")));
    AddPage(new COptionLayoutMainPage(option, this));
    AddPage(bar(4, QT_TR_NOOP("Index Bar")));
    AddPage(bar(5, QT_TR_NOOP("Footer Bar")));
}
