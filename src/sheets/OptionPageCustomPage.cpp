#include "OptionPageCustomPage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "Desktop.h"

namespace {

QTreeWidget* MakeList(QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setColumnCount(2);
    list->setHeaderLabels({COptionPageCustomPage::tr("Name"), COptionPageCustomPage::tr("Value")});
    list->setColumnWidth(0, 110);
    list->setColumnWidth(1, 190);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setAllColumnsShowFocus(true);
    return list;
}

}  // namespace

COptionPageCustomPage::COptionPageCustomPage(CPageOption& option, QWidget* parent)
    : COptionPage(tr("Custom"), parent),
      option(option),
      systemList(MakeList(this)),
      userList(MakeList(this)) {
    systemList->setObjectName(QStringLiteral("systemList"));
    userList->setObjectName(QStringLiteral("userList"));

    auto* layout = new QVBoxLayout(this);
    for (const bool system : {true, false}) {
        auto* box = new QGroupBox(
            system ? tr("System Variables (HTTP-EQUIV)") : tr("User Variables"), this);
        auto* grid = new QGridLayout(box);
        grid->addWidget(List(system), 0, 0, 4, 1);
        const QString prefix = system ? QStringLiteral("system") : QStringLiteral("user");
        auto* add = new QPushButton(tr("Add"), box);
        auto* modify = new QPushButton(tr("Modify"), box);
        auto* remove = new QPushButton(tr("Remove"), box);
        add->setObjectName(prefix + QStringLiteral("Add"));
        modify->setObjectName(prefix + QStringLiteral("Modify"));
        remove->setObjectName(prefix + QStringLiteral("Remove"));
        // Pressing Enter in the sheet must close it, not add a variable.
        for (auto* button : {add, modify, remove}) button->setAutoDefault(false);
        grid->addWidget(add, 0, 1);
        grid->addWidget(modify, 1, 1);
        grid->addWidget(remove, 2, 1);
        grid->setRowStretch(3, 1);
        connect(add, &QPushButton::clicked, this, [this, system] { AddVariable(system); });
        connect(modify, &QPushButton::clicked, this, [this, system] { ModifyVariable(system); });
        connect(remove, &QPushButton::clicked, this, [this, system] { RemoveVariable(system); });
        layout->addWidget(box);
    }
}

void COptionPageCustomPage::InitPage() {
    for (const auto& record : option.metaVariables) {
        auto* row = new QTreeWidgetItem(List(record->systemVariable == 1));
        ShowRecord(row, *record);
        row->setData(0, Qt::UserRole,
                     QVariant::fromValue(reinterpret_cast<quintptr>(record.get())));
    }
}

QString COptionPageCustomPage::Caption(bool system) {
    return system ? tr("System Meta Variable (HTTP-EQUIV)") : tr("User Meta Variables");
}

CMetaVariable* COptionPageCustomPage::RecordOf(const QTreeWidgetItem* row) {
    return reinterpret_cast<CMetaVariable*>(row->data(0, Qt::UserRole).value<quintptr>());
}

void COptionPageCustomPage::ShowRecord(QTreeWidgetItem* row, const CMetaVariable& record) {
    row->setText(0, TextFromBytes(record.name.View()));
    row->setText(1, TextFromBytes(record.value.View()));
}

void COptionPageCustomPage::AddVariable(bool system) {
    const auto entered = TheDesktop().EditMetaVariable(this, Caption(system), {});
    if (!entered) return;
    CMetaVariable& record =
        option.AddMetaVariable(BytesFromText(entered->name), BytesFromText(entered->value), system);
    auto* list = List(system);
    auto* row = new QTreeWidgetItem(list);
    ShowRecord(row, record);
    row->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(&record)));
    list->setCurrentItem(row);
    emit changed();
}

void COptionPageCustomPage::ModifyVariable(bool system) {
    auto* list = List(system);
    const auto selected = list->selectedItems();
    if (selected.isEmpty()) return;
    QTreeWidgetItem* row = selected.front();
    CMetaVariable* record = RecordOf(row);
    // Text the user leaves as it was keeps the record's bytes.
    const CMetaVariableText shown{row->text(0), row->text(1)};
    const auto entered = TheDesktop().EditMetaVariable(this, Caption(system), shown);
    if (!entered) return;
    CMetaVariable updated = *record;
    updated.systemVariable = system ? 1 : 0;
    if (entered->name != shown.name) updated.name = BytesFromText(entered->name);
    if (entered->value != shown.value) updated.value = BytesFromText(entered->value);
    ShowRecord(row, updated);
    list->setCurrentItem(row);
    if (updated == *record) return;
    *record = updated;
    emit changed();
}

void COptionPageCustomPage::RemoveVariable(bool system) {
    auto* list = List(system);
    const auto selected = list->selectedItems();
    if (selected.isEmpty()) return;
    QTreeWidgetItem* row = selected.front();
    const CMetaVariable* record = RecordOf(row);
    auto& records = option.metaVariables;
    const auto found = std::find_if(records.begin(), records.end(),
                                    [record](const auto& entry) { return entry.get() == record; });
    if (found == records.end()) return;
    records.erase(found);
    std::unique_ptr<QTreeWidgetItem>(list->takeTopLevelItem(list->indexOfTopLevelItem(row)));
    emit changed();
}
