#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include "FakeDialogs.h"
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

// Names of the model's records with a mark for system ones, in order.
QStringList Records(const CPageOption& option) {
    QStringList names;
    for (const auto& record : option.metaVariables)
        names << QString::fromStdString(record->name.Str()) +
                     (record->systemVariable == 1 ? QStringLiteral("*") : QString());
    return names;
}

QStringList Rows(const QTreeWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        rows << list->topLevelItem(i)->text(0) + QLatin1Char('=') + list->topLevelItem(i)->text(1);
    return rows;
}

}  // namespace

// The "Custom" page and its meta variable dialog.
class CustomPageTest : public QObject {
    Q_OBJECT
private slots:
    void ListsShowTheirKind();
    void AddAppendsAndSelects();
    void ModifyKeepsPlace();
    void RemoveLeavesOtherRows();
    void NothingSelectedDoesNothing();
    void CancelOnSheetKeepsAdditions();
    void DialogRefusesOnlyEmptyName();
};

void CustomPageTest::ListsShowTheirKind() {
    CPageOption option;
    option.AddMetaVariable("Refresh", "30", true);
    option.AddMetaVariable("author", "me", false);
    COptionPageSheet sheet(option);
    auto* page = OpenPage<COptionPageCustomPage>(sheet, kCustom);
    QCOMPARE(Rows(page->UserList()),
             (QStringList{QStringLiteral("GENERATOR=Pagelorn 1.0"), QStringLiteral("author=me")}));
    QCOMPARE(Rows(page->SystemList()), QStringList{QStringLiteral("Refresh=30")});
    QCOMPARE(page->UserList()->headerItem()->text(0), QStringLiteral("Name"));
    QCOMPARE(page->UserList()->headerItem()->text(1), QStringLiteral("Value"));
}

void CustomPageTest::AddAppendsAndSelects() {
    CFakeDialogs dialogs;
    CScopedDialogProvider scope(dialogs);
    CPageOption option;
    COptionPageSheet sheet(option);
    QSignalSpy changed(&sheet, &COptionSheet::changed);
    auto* page = OpenPage<COptionPageCustomPage>(sheet, kCustom);

    dialogs.metaVariables = {Text("Content-Language", "de"), Text("keywords", "a,b"),
                             Text("keywords", "c")};
    Find<QPushButton>(page, "systemAdd")->click();
    Find<QPushButton>(page, "userAdd")->click();
    Find<QPushButton>(page, "userAdd")->click();
    QCOMPARE(dialogs.metaCaptions, (QStringList{kSystemCaption, kUserCaption, kUserCaption}));
    QVERIFY(dialogs.metaInitials.at(0).name.isEmpty() &&
            dialogs.metaInitials.at(0).value.isEmpty());

    QCOMPARE(Records(option),
             (QStringList{QStringLiteral("GENERATOR"), QStringLiteral("Content-Language*"),
                          QStringLiteral("keywords"), QStringLiteral("keywords")}));
    QCOMPARE(option.metaVariables[1]->value.Str(), std::string("de"));
    QCOMPARE(Rows(page->SystemList()), QStringList{QStringLiteral("Content-Language=de")});
    QCOMPARE(page->SystemList()->currentItem(), page->SystemList()->topLevelItem(0));
    QCOMPARE(page->UserList()->selectedItems().size(), 1);
    QCOMPARE(page->UserList()->selectedItems().front(), page->UserList()->topLevelItem(2));
    QCOMPARE(changed.count(), 3);

    dialogs.metaVariables = {std::nullopt};
    Find<QPushButton>(page, "userAdd")->click();
    QCOMPARE(option.metaVariables.size(), std::size_t{4});
    QCOMPARE(page->UserList()->topLevelItemCount(), 3);
    QCOMPARE(changed.count(), 3);
}

void CustomPageTest::ModifyKeepsPlace() {
    CFakeDialogs dialogs;
    CScopedDialogProvider scope(dialogs);
    CPageOption option;
    option.AddMetaVariable("Expires", "0", true);
    option.AddMetaVariable("author", "me", false);
    COptionPageSheet sheet(option);
    auto* page = OpenPage<COptionPageCustomPage>(sheet, kCustom);

    page->UserList()->setCurrentItem(page->UserList()->topLevelItem(0));
    dialogs.metaVariables = {Text("generator", "hand made")};
    Find<QPushButton>(page, "userModify")->click();
    QCOMPARE(dialogs.metaCaptions, QStringList{kUserCaption});
    QCOMPARE(dialogs.metaInitials.at(0).name, QStringLiteral("GENERATOR"));
    QCOMPARE(dialogs.metaInitials.at(0).value, QStringLiteral("Pagelorn 1.0"));
    QCOMPARE(Records(option), (QStringList{QStringLiteral("generator"), QStringLiteral("Expires*"),
                                           QStringLiteral("author")}));
    QCOMPARE(option.metaVariables[0]->value.Str(), std::string("hand made"));
    QCOMPARE(Rows(page->UserList()),
             (QStringList{QStringLiteral("generator=hand made"), QStringLiteral("author=me")}));

    // A value longer than the record holds is cut in the record and in the row alike.
    page->SystemList()->setCurrentItem(page->SystemList()->topLevelItem(0));
    dialogs.metaVariables = {
        CMetaVariableText{QStringLiteral("Expires"), QString(600, QLatin1Char('v'))}};
    Find<QPushButton>(page, "systemModify")->click();
    QCOMPARE(option.metaVariables[1]->value.View().size(), std::size_t{512});
    QCOMPARE(page->SystemList()->topLevelItem(0)->text(1).size(), 512);
    QCOMPARE(option.metaVariables[1]->systemVariable, 1);

    dialogs.metaVariables = {std::nullopt};
    Find<QPushButton>(page, "systemModify")->click();
    QCOMPARE(option.metaVariables[1]->name.Str(), std::string("Expires"));
}

void CustomPageTest::RemoveLeavesOtherRows() {
    CPageOption option;
    option.AddMetaVariable("Refresh", "5", true);
    option.AddMetaVariable("author", "me", false);
    option.AddMetaVariable("author", "you", false);
    COptionPageSheet sheet(option);
    QSignalSpy changed(&sheet, &COptionSheet::changed);
    auto* page = OpenPage<COptionPageCustomPage>(sheet, kCustom);

    page->SystemList()->setCurrentItem(page->SystemList()->topLevelItem(0));
    Find<QPushButton>(page, "systemRemove")->click();
    QCOMPARE(page->SystemList()->topLevelItemCount(), 0);
    QCOMPARE(Records(option), (QStringList{QStringLiteral("GENERATOR"), QStringLiteral("author"),
                                           QStringLiteral("author")}));
    QCOMPARE(Rows(page->UserList()),
             (QStringList{QStringLiteral("GENERATOR=Pagelorn 1.0"), QStringLiteral("author=me"),
                          QStringLiteral("author=you")}));

    // Of two records with the same name, the selected one goes.
    page->UserList()->setCurrentItem(page->UserList()->topLevelItem(1));
    Find<QPushButton>(page, "userRemove")->click();
    QCOMPARE(option.metaVariables.size(), std::size_t{2});
    QCOMPARE(option.metaVariables[1]->value.Str(), std::string("you"));
    QCOMPARE(Rows(page->UserList()),
             (QStringList{QStringLiteral("GENERATOR=Pagelorn 1.0"), QStringLiteral("author=you")}));
    QCOMPARE(changed.count(), 2);
}

void CustomPageTest::NothingSelectedDoesNothing() {
    CFakeDialogs dialogs;
    CScopedDialogProvider scope(dialogs);
    CPageOption option;
    COptionPageSheet sheet(option);
    auto* page = OpenPage<COptionPageCustomPage>(sheet, kCustom);
    page->UserList()->clearSelection();
    Find<QPushButton>(page, "userModify")->click();
    Find<QPushButton>(page, "userRemove")->click();
    Find<QPushButton>(page, "systemRemove")->click();
    QCOMPARE(dialogs.metaCaptions.size(), 0);
    QCOMPARE(option.metaVariables.size(), std::size_t{1});
}

void CustomPageTest::CancelOnSheetKeepsAdditions() {
    CFakeDialogs dialogs;
    CScopedDialogProvider scope(dialogs);
    CPageOption option;
    {
        COptionPageSheet sheet(option);
        auto* page = OpenPage<COptionPageCustomPage>(sheet, kCustom);
        dialogs.metaVariables = {Text("robots", "noindex")};
        Find<QPushButton>(page, "userAdd")->click();
        sheet.reject();
    }
    QCOMPARE(Records(option), (QStringList{QStringLiteral("GENERATOR"), QStringLiteral("robots")}));
}

void CustomPageTest::DialogRefusesOnlyEmptyName() {
    CFakeDialogs dialogs;
    CScopedDialogProvider scope(dialogs);
    CMetaVariableDlg dialog(kUserCaption, QString(), QStringLiteral("v"));
    QCOMPARE(dialog.windowTitle(), kUserCaption);
    dialog.show();
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("nameEdit"));
    auto* value = dialog.findChild<QLineEdit*>(QStringLiteral("valueEdit"));
    QCOMPARE(value->text(), QStringLiteral("v"));

    dialog.accept();
    QCOMPARE(dialogs.messages, QStringList{QStringLiteral("Please input name of the variable.")});
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));

    name->setText(QStringLiteral("  "));
    value->clear();
    dialog.accept();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.Name(), QStringLiteral("  "));
    QCOMPARE(dialog.Value(), QString());
    QCOMPARE(dialogs.messages.size(), 1);

    CMetaVariableDlg limited(kSystemCaption, QString(300, QLatin1Char('n')),
                             QString(600, QLatin1Char('v')));
    QCOMPARE(limited.findChild<QLineEdit*>(QStringLiteral("nameEdit"))->text().size(), 254);
    QCOMPARE(limited.findChild<QLineEdit*>(QStringLiteral("valueEdit"))->text().size(), 512);
}

int RunCustomPageTest(int argc, char** argv) {
    CustomPageTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "CustomPageTest.moc"
