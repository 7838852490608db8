#pragma once

#include <QHash>
#include <QMainWindow>
#include <memory>

#include "SiteTree.h"

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;
class CSiteTreeView;
class CSiteListView;
class CSitePropertyView;

// The main window: the site tree on the left, the list over the property form on the right,
// with the menus, the toolbar and the status bar. It owns the open project's tree and carries
// every command. The commands live in files of their own: the file commands in
// MainFrameFileCommands.cpp, the edit commands in MainFrameEditCommands.cpp.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    CSiteTreeView* GetTreeView() const { return treeView; }
    CSiteListView* GetListView() const { return listView; }
    CSitePropertyView* GetPropertyView() const { return propertyView; }
    CSiteTree& Tree() { return *tree; }

    // The action of a command (ids in CommandIds.h), or null.
    QAction* Action(int commandId) const { return actions.value(commandId); }
    QToolBar* ToolBar() const { return toolBar; }
    QMenu* FileMenu() const { return fileMenu; }

    // Full path of the open project file; empty while the project is untitled.
    const QString& PathName() const { return pathName; }

    // Reads a project file into the window, as File > Open does once the file is chosen. Tells
    // the user what went wrong; false when the file could not be read whole.
    bool OpenProject(const QString& path);

    // Decides which commands are enabled, from the focus, the selections and the project.
    void UpdateActions();

protected:
    bool event(QEvent* event) override;

private:
    QAction* AddAction(int commandId, const QString& text, const QString& statusText,
                       const QString& iconName = QString());
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreatePanes();
    void CycleFocus(bool forward);
    void OnAppAbout();

    enum class FocusedPane { None, Tree, List };
    FocusedPane Focused() const;

    // MainFrameFileCommands.cpp
    void ConnectFileCommands();
    void UpdateFileActions();

    // MainFrameEditCommands.cpp
    void ConnectEditCommands();
    void UpdateEditActions();
    void OnNewFolder();
    void OnNewItem();
    void OnDelete();

    // MainFramePropertyCommands.cpp: the two property sheets.
    void ConnectPropertyCommands();
    void UpdatePropertyActions();
    void OnWebsiteProperties();
    void OnLayoutProperties();

    std::unique_ptr<CSiteTree> tree;
    QString pathName;

    QHash<int, QAction*> actions;
    QMenu* fileMenu = nullptr;
    // The separator above "E&xit": the recent files go in front of it.
    QAction* exitSeparator = nullptr;
    QToolBar* toolBar = nullptr;
    QSplitter* mainSplitter = nullptr;
    QSplitter* rightSplitter = nullptr;
    CSiteTreeView* treeView = nullptr;
    CSiteListView* listView = nullptr;
    CSitePropertyView* propertyView = nullptr;
};
