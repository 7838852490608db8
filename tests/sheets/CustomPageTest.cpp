#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include "FakeDesktop.h"
#include "MetaVariableDlg.h"
#include "OptionPageCustomPage.h"
#include "OptionPageSheet.h"
#include "SheetTestUtil.h"

namespace {

constexpr int kCustom = 3;
const QString kSystemCaption = QStringLiteral("System Meta Variable (HTTP-EQUIV)");
const QString kUserCaption = QStringLiteral("User Meta Variables");

CMetaVariableText Text(const char* name, const char* value) {
    return {QString::fromUtf8(name), QString::fromUtf8(value)};
}

// The model's records in order as "name=value", with "*" after the name of a system one.
QStringList Records(const CPageOption& option) {
    QStringList records;
    for (const auto& record : option.metaVariables)
        records << QString::fromStdString(record->name.Str()) +
                       (record->systemVariable == 1 ? QStringLiteral("*=") : QStringLiteral("=")) +
                       QString::fromStdString(record->value.Str());
    return records;
}

QStringList Rows(const QTreeWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        rows << list->topLevelItem(i)->text(0) + QLatin1Char('=') + list->topLevelItem(i)->text(1);
    return rows;
}

void Click(QWidget* page, const char* button) {
    Find<QPushButton>(page, button)->click();
}

}  // namespace

// The "Custom" page and its meta variable dialog.
class CustomPageTest : public QObject {
    Q_OBJECT
private slots:
    void AddAppendsToItsListAndTheModel();
    void ModifyKeepsPlace();
    void RemoveTakesOnlyTheSelectedRecord();
    void DialogRefusesOnlyEmptyName();
};

void CustomPageTest::AddAppendsToItsListAndTheModel() {
    CFakeDesktopScope dialogs;
    CPageOption option;
    CPictureSettings pictures;
    COptionPageSheet sheet(option, pictures);
    QSignalSpy changed(&sheet, &COptionSheet::changed);
    auto* page = OpenPage<COptionPageCustomPage>(sheet, kCustom);
    QCOMPARE(Rows(page->UserList()), QStringList{QStringLiteral("GENERATOR=Pagelorn 1.0")});
    QCOMPARE(page->SystemList()->topLevelItemCount(), 0);

    dialogs->metaVariables = {Text("Content-Language", "de"), Text("keywords", "a"),
                              Text("keywords", "b"), std::nullopt};
    Click(page, "systemAdd");
    Click(page, "userAdd");
    Click(page, "userAdd");
    Click(page, "userAdd");
    QCOMPARE(dialogs->metaCaptions,
             (QStringList{kSystemCaption, kUserCaption, kUserCaption, kUserCaption}));
    QVERIFY(dialogs->metaInitials.at(1).name.isEmpty() &&
            dialogs->metaInitials.at(1).value.isEmpty());
    QCOMPARE(Rows(page->SystemList()), QStringList{QStringLiteral("Content-Language=de")});
    QCOMPARE(page->SystemList()->currentItem(), page->SystemList()->topLevelItem(0));
    QCOMPARE(page->UserList()->topLevelItemCount(), 3);
    QCOMPARE(page->UserList()->selectedItems(), QList{page->UserList()->topLevelItem(2)});
    QCOMPARE(changed.count(), 3);

    // Cancel keeps what was added; duplicate names are kept.
    sheet.reject();
    QCOMPARE(Records(option),
             (QStringList{QStringLiteral("GENERATOR=Pagelorn 1.0"),
                          QStringLiteral("Content-Language*=de"), QStringLiteral("keywords=a"),
                          QStringLiteral("keywords=b")}));
}

void CustomPageTest::ModifyKeepsPlace() {
    CFakeDesktopScope dialogs;
    CPageOption option;
    option.AddMetaVariable("Expires", "0", true);
    option.AddMetaVariable("author", "me", false);
    CPictureSettings pictures;
    COptionPageSheet sheet(option, pictures);
    auto* page = OpenPage<COptionPageCustomPage>(sheet, kCustom);

    page->UserList()->setCurrentItem(page->UserList()->topLevelItem(0));
    dialogs->metaVariables = {Text("generator", "hand made")};
    Click(page, "userModify");
    QCOMPARE(dialogs->metaCaptions, QStringList{kUserCaption});
    QCOMPARE(dialogs->metaInitials.at(0).name, QStringLiteral("GENERATOR"));
    QCOMPARE(dialogs->metaInitials.at(0).value, QStringLiteral("Pagelorn 1.0"));
    QCOMPARE(Records(option),
             (QStringList{QStringLiteral("generator=hand made"), QStringLiteral("Expires*=0"),
                          QStringLiteral("author=me")}));
    QCOMPARE(Rows(page->UserList()),
             (QStringList{QStringLiteral("generator=hand made"), QStringLiteral("author=me")}));

    // A value longer than the record holds is cut in the record and in the row alike.
    page->SystemList()->setCurrentItem(page->SystemList()->topLevelItem(0));
    dialogs->metaVariables = {
        CMetaVariableText{QStringLiteral("Expires"), QString(600, QLatin1Char('v'))}, std::nullopt};
    Click(page, "systemModify");
    QCOMPARE(option.metaVariables[1]->value.View().size(), std::size_t{512});
    QCOMPARE(page->SystemList()->topLevelItem(0)->text(1).size(), 512);
    QCOMPARE(option.metaVariables[1]->systemVariable, 1);
    Click(page, "systemModify");
    QCOMPARE(option.metaVariables[1]->name.Str(), std::string("Expires"));
    QCOMPARE(option.metaVariables[1]->value.View().size(), std::size_t{512});
}

void CustomPageTest::RemoveTakesOnlyTheSelectedRecord() {
    CFakeDesktopScope dialogs;
    CPageOption option;
    option.AddMetaVariable("Refresh", "5", true);
    option.AddMetaVariable("author", "me", false);
    option.AddMetaVariable("author", "you", false);
    CPictureSettings pictures;
    COptionPageSheet sheet(option, pictures);
    auto* page = OpenPage<COptionPageCustomPage>(sheet, kCustom);

    // Without a selection Modify and Remove do nothing.
    page->UserList()->clearSelection();
    Click(page, "userModify");
    Click(page, "userRemove");
    QVERIFY(dialogs->metaCaptions.isEmpty());
    QCOMPARE(option.metaVariables.size(), std::size_t{4});

    page->SystemList()->setCurrentItem(page->SystemList()->topLevelItem(0));
    Click(page, "systemRemove");
    QCOMPARE(page->SystemList()->topLevelItemCount(), 0);
    page->UserList()->setCurrentItem(page->UserList()->topLevelItem(1));
    Click(page, "userRemove");
    QCOMPARE(Records(option),
             (QStringList{QStringLiteral("GENERATOR=Pagelorn 1.0"), QStringLiteral("author=you")}));
    QCOMPARE(Rows(page->UserList()),
             (QStringList{QStringLiteral("GENERATOR=Pagelorn 1.0"), QStringLiteral("author=you")}));
}

void CustomPageTest::DialogRefusesOnlyEmptyName() {
    CFakeDesktopScope dialogs;
    CMetaVariableDlg dialog(kUserCaption, QString(), QStringLiteral("v"));
    QCOMPARE(dialog.windowTitle(), kUserCaption);
    dialog.show();
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("nameEdit"));
    auto* value = dialog.findChild<QLineEdit*>(QStringLiteral("valueEdit"));

    dialog.accept();
    QCOMPARE(dialogs->messages, QStringList{QStringLiteral("Please input name of the variable.")});
    QVERIFY(dialog.isVisible());

    name->setText(QStringLiteral("  "));
    value->clear();
    dialog.accept();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.Name(), QStringLiteral("  "));
    QCOMPARE(dialog.Value(), QString());
    QCOMPARE(dialogs->messages.size(), 1);

    CMetaVariableDlg limited(kSystemCaption, QString(300, QLatin1Char('n')), QString());
    QCOMPARE(limited.findChild<QLineEdit*>(QStringLiteral("nameEdit"))->text().size(), 254);
}

int RunCustomPageTest(int argc, char** argv) {
    CustomPageTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "CustomPageTest.moc"
