#pragma once

#include <QTabWidget>
#include <QTest>

#include "OptionPage.h"
#include "OptionSheet.h"

// Shows the sheet with the tab at `index` open, which makes that page read the model.
template <typename Page>
Page* OpenPage(COptionSheet& sheet, int index) {
    if (!sheet.isVisible()) {
        sheet.show();
        sheet.activateWindow();
        if (!QTest::qWaitForWindowActive(&sheet)) qWarning("sheet window not active");
    }
    sheet.Tabs()->setCurrentIndex(index);
    return qobject_cast<Page*>(sheet.Page(index));
}

// A child control of a page by its object name; fails the test when it is missing.
template <typename Control>
Control* Find(QWidget* page, const char* name) {
    auto* control = page->findChild<Control*>(QLatin1String(name));
    if (control == nullptr) qWarning("control %s not found", name);
    return control;
}
