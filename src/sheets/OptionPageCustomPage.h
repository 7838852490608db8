#pragma once

#include "OptionPage.h"
#include "PageOption.h"

class QTreeWidget;
class QTreeWidgetItem;
class QPushButton;

// "Custom": the meta variables of every page, http-equiv ones in the upper list and named ones
// in the lower, each list with its own Add, Modify and Remove. The model's list keeps insertion
// order across both kinds; each row points at the record it shows.
class COptionPageCustomPage : public COptionPage {
    Q_OBJECT
public:
    explicit COptionPageCustomPage(CPageOption& option, QWidget* parent = nullptr);

    QTreeWidget* SystemList() const { return systemList; }
    QTreeWidget* UserList() const { return userList; }

    void AddVariable(bool system);
    void ModifyVariable(bool system);
    void RemoveVariable(bool system);

protected:
    void InitPage() override;

private:
    QTreeWidget* List(bool system) const { return system ? systemList : userList; }
    static QString Caption(bool system);
    static CMetaVariable* RecordOf(const QTreeWidgetItem* row);
    static void ShowRecord(QTreeWidgetItem* row, const CMetaVariable& record);

    CPageOption& option;
    QTreeWidget* systemList;
    QTreeWidget* userList;
};
