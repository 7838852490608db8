#include "OptionLayoutSheet.h"

#include "OptionLayoutAreaPage.h"
#include "OptionLayoutMainPage.h"
#include "OptionLayoutTablePage.h"

COptionLayoutSheet::COptionLayoutSheet(CLayoutOption& option, const QIcon& icon, QWidget* parent)
    : COptionSheet(QStringLiteral("Layout Properties"), icon, parent) {
    const auto bar = [this, &option](int areaIndex, const char* title) {
        return new COptionLayoutAreaPage(option, areaIndex, QLatin1String(title), this);
    };
    AddPage(new COptionLayoutTablePage(option, this));
    AddPage(bar(0, "Header Bar"));
    AddPage(bar(1, "Top Navigator Bar"));
    AddPage(bar(3, "History Bar"));
    AddPage(bar(2, "Next Navigator Bar"));
    AddPage(new COptionLayoutMainPage(option, this));
    AddPage(bar(4, "Index Bar"));
    AddPage(bar(5, "Footer Bar"));
}
