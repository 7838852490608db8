#include "MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>

#include "AboutDlg.h"
#include "CommandIds.h"
#include "Desktop.h"
#include "SiteListView.h"
#include "SitePropertyView.h"
#include "SiteTreeView.h"

namespace {

const QString kIdleText = QStringLiteral("Ready");

}  // namespace

// The icons are compiled into a static library, whose resources register only when asked to;
// the macro must be used outside any namespace.
static void LoadResources() {
    Q_INIT_RESOURCE(pagelorn);
}

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent), document(std::make_unique<CSiteDocument>()) {
    LoadResources();
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(QString::fromUtf8(kAppTitle));
    setWindowIcon(QIcon(QStringLiteral(":/icons/pagelorn.svg")));
    resize(960, 640);

    CreatePanes();
    CreateActions();
    CreateToolBar();
    CreateMenus();
    statusBar()->showMessage(kIdleText);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect place = geometry();
        place.moveCenter(screen->availableGeometry().center());
        move(place.topLeft());
    }

    ConnectFileCommands();
    ConnectCheckCommand();
    ConnectEditCommands();
    ConnectImportCommands();
    ConnectPropertyCommands();
    ConnectPublishCommand();
    connect(document.get(), &CSiteDocument::SelectionChanged, this, &CMainFrame::UpdateActions);
    connect(document.get(), &CSiteDocument::ClipboardChanged, this, &CMainFrame::UpdateActions);
    connect(listView, &CSiteListView::FolderOpened, treeView, &CSiteTreeView::ExpandNode);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        FocusMoved(now);
        UpdateActions();
    });

    treeView->setFocus();
    lastPane = FocusedPane::Tree;
    document->NewProject();
    UpdateActions();
}

CMainFrame::~CMainFrame() {
    // The views follow the document: they go before it does, and without telling this frame,
    // which is half gone.
    disconnect(qApp, nullptr, this, nullptr);
    document->disconnect(this);
    document->UndoStack().disconnect(this);
    delete takeCentralWidget();
}

void CMainFrame::CreatePanes() {
    // The panes divide the window as it is before it is first shown.
    const int width = frameGeometry().width();
    const int height = frameGeometry().height();

    mainSplitter = new QSplitter(Qt::Horizontal, this);
    mainSplitter->setChildrenCollapsible(false);
    treeView = new CSiteTreeView(*document, mainSplitter);
    treeView->setMinimumWidth(20);
    rightSplitter = new QSplitter(Qt::Vertical, mainSplitter);
    rightSplitter->setChildrenCollapsible(false);
    listView = new CSiteListView(*document, rightSplitter);
    listView->setMinimumHeight(20);
    propertyView = new CSitePropertyView(*document, rightSplitter);
    mainSplitter->setSizes({width / 3, width - width / 3});
    rightSplitter->setSizes({height / 2, height - height / 2});
    setCentralWidget(mainSplitter);
}

QAction* CMainFrame::AddAction(int commandId, const QString& text, const QString& statusText,
                               const QString& iconName) {
    auto* action = new QAction(text, this);
    const qsizetype newline = statusText.indexOf(u'\n');
    action->setStatusTip(statusText.left(newline));
    if (newline >= 0) action->setToolTip(statusText.mid(newline + 1));
    if (!iconName.isEmpty()) action->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(iconName)));
    action->setData(commandId);
    actions.insert(commandId, action);
    return action;
}

void CMainFrame::CreateActions() {
    using namespace CommandId;
    auto text = [](const char* utf8) { return QString::fromUtf8(utf8); };

    AddAction(kFileNew, text("&New\tCtrl+N"), text("Create a new document\nNew"), text("new"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    AddAction(kFileOpen, text("&Open...\tCtrl+O"), text("Open an existing document\nOpen"),
              text("open"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    AddAction(kFileClose, text("&Close"), text("Close the active document\nClose"));
    AddAction(kFileSave, text("&Save\tCtrl+S"), text("Save the active document\nSave"),
              text("save"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    AddAction(kFileSaveAs, text("Save &As..."),
              text("Save the active document with a new name\nSave As"));
    AddAction(kAppExit, text("E&xit"),
              text("Quit the application; prompts to save documents\nExit"));

    AddAction(kEditUndo, text("&Undo\tCtrl+Z"), text("Undo the last action\nUndo"), text("undo"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    AddAction(kEditRedo, text("&Redo\tCtrl+Shift+Z"),
              text("Redo the previously undone action\nRedo"), text("redo"))
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    AddAction(kNewFolder, text("New &Folder\tCtrl+F"), text("New folder\nNew folder"),
              text("new-folder"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    AddAction(kNewItem, text("New &Item\tCtrl+I"), text("New Item\nNew Item"), text("new-item"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    AddAction(kEditCut, text("Cu&t\tCtrl+Shift+X"),
              text("Cut the selection and put it on the Clipboard\nCut"), text("cut"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_X));
    AddAction(kEditCopy, text("&Copy\tCtrl+Shift+C"),
              text("Copy the selection and put it on the Clipboard\nCopy"), text("copy"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    AddAction(kEditPaste, text("&Paste\tCtrl+Shift+V"), text("Insert Clipboard contents\nPaste"),
              text("paste"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    // The Delete key belongs to the tree and the list, which handle it themselves; bound here it
    // would also swallow the key in the property form's edit boxes.
    AddAction(kDelete, text("&Delete\tDel"), text("Delete folers or items\nDelete"),
              text("delete"));
    AddAction(kMoveUp, text("Move &Up\tCtrl+Up Arrow"), text("Move up\nMove up"), text("move-up"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
    AddAction(kMoveDown, text("Move Dow&n\tCtrl+Down Arrow"), text("Move down\nMove down"),
              text("move-down"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));

    AddAction(kPreview, text("&Preview"), text("Preview\nPreview"), text("preview"));
    AddAction(kImportFolder, text("Import F&older"), text("Import a folder\nImport a folder"),
              text("import-folder"));
    AddAction(kImportFiles, text("Import &Files"), text("Import files\nImport files"),
              text("import-files"));
    AddAction(kExport, text("&Export"), text("Export website\nExport website"), text("export"));
    AddAction(kCheckWebsite, text("&Check website..."),
              text("List what the export would find wrong, writing nothing\nCheck website"));
    AddAction(kPublish, tr("P&ublish..."),
              tr("Export, then put on your web host what changed\nPublish website"));

    QAction* statusToggle = AddAction(kViewStatusBar, text("&Status Bar"),
                                      text("Show or hide the status bar\nToggle StatusBar"));
    statusToggle->setCheckable(true);
    statusToggle->setChecked(true);

    AddAction(kWebsiteProperties, text("Website Properties"),
              text("Website Properties\nWebsite Properties"));
    AddAction(kLayoutProperties, text("Layout Properties"),
              text("Layout Properties\nLayout Properties"));

    AddAction(kHelpContents, text("&Contents"), text("Contents of help\nContents of help "),
              text("help"));
    AddAction(kAppAbout, text("&About  ! Pagelorn..."), text("About  ! Pagelorn"));

    QAction* nextPane = AddAction(kNextPane, QString(), QString());
    nextPane->setShortcut(QKeySequence(Qt::Key_F6));
    QAction* previousPane = AddAction(kPreviousPane, QString(), QString());
    previousPane->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));
    addAction(nextPane);
    addAction(previousPane);

    connect(Action(kAppAbout), &QAction::triggered, this, &CMainFrame::OnAppAbout);
    connect(nextPane, &QAction::triggered, this, [this] { CycleFocus(true); });
    connect(previousPane, &QAction::triggered, this, [this] { CycleFocus(false); });
    connect(statusToggle, &QAction::toggled, this,
            [this](bool on) { statusBar()->setVisible(on); });
}

void CMainFrame::CreateMenus() {
    using namespace CommandId;
    QMenuBar* bar = menuBar();
    auto menu = [bar](const char* title) { return bar->addMenu(QString::fromUtf8(title)); };

    fileMenu = menu("&File");
    fileMenu->addAction(Action(kFileNew));
    fileMenu->addAction(Action(kFileOpen));
    fileMenu->addAction(Action(kFileClose));
    fileMenu->addSeparator();
    fileMenu->addAction(Action(kFileSave));
    fileMenu->addAction(Action(kFileSaveAs));
    exitSeparator = fileMenu->addSeparator();
    fileMenu->addAction(Action(kAppExit));

    QMenu* edit = menu("&Edit");
    edit->addAction(Action(kEditUndo));
    edit->addAction(Action(kEditRedo));
    edit->addSeparator();
    edit->addAction(Action(kNewFolder));
    edit->addAction(Action(kNewItem));
    edit->addSeparator();
    edit->addAction(Action(kEditCut));
    edit->addAction(Action(kEditCopy));
    edit->addAction(Action(kEditPaste));
    edit->addAction(Action(kDelete));
    edit->addSeparator();
    edit->addAction(Action(kMoveUp));
    edit->addAction(Action(kMoveDown));

    QMenu* site = menu("Site");
    site->addAction(Action(kPreview));
    site->addSeparator();
    site->addAction(Action(kImportFolder));
    site->addAction(Action(kImportFiles));
    site->addAction(Action(kCheckWebsite));
    site->addAction(Action(kExport));
    site->addAction(Action(kPublish));

    QMenu* view = menu("&View");
    view->addAction(Action(kViewToolbar));
    view->addAction(Action(kViewStatusBar));

    QMenu* options = menu("Options");
    options->addAction(Action(kWebsiteProperties));
    options->addAction(Action(kLayoutProperties));

    QMenu* help = menu("&Help");
    help->addAction(Action(kHelpContents));
    help->addSeparator();
    help->addAction(Action(kAppAbout));
}

void CMainFrame::CreateToolBar() {
    using namespace CommandId;
    toolBar = addToolBar(QStringLiteral("Toolbar"));
    toolBar->setObjectName(QStringLiteral("toolBar"));
    toolBar->setIconSize(QSize(16, 16));
    toolBar->setFloatable(false);
    const std::initializer_list<int> groups[] = {{kFileNew, kFileOpen, kFileSave},
                                                 {kEditUndo, kEditRedo},
                                                 {kNewFolder, kNewItem},
                                                 {kEditCut, kEditCopy, kEditPaste, kDelete},
                                                 {kMoveUp, kMoveDown},
                                                 {kImportFolder, kImportFiles, kExport, kPreview},
                                                 {kHelpContents}};
    bool first = true;
    for (const auto& group : groups) {
        if (!first) toolBar->addSeparator();
        first = false;
        for (int id : group) toolBar->addAction(Action(id));
    }
    // The toolbar's own action, so that the check mark follows the toolbar however it is hidden
    // (its context menu shows the same action).
    QAction* toggle = toolBar->toggleViewAction();
    toggle->setText(QStringLiteral("&Toolbar"));
    toggle->setStatusTip(QStringLiteral("Show or hide the toolbar"));
    toggle->setToolTip(QStringLiteral("Toggle ToolBar"));
    toggle->setData(kViewToolbar);
    actions.insert(kViewToolbar, toggle);
}

void CMainFrame::FocusMoved(QWidget* now) {
    // Nothing focused, another window (a dialog, a menu), the menu bar or the toolbar: the
    // commands stay with the pane the user was in.
    if (!now || now->window() != this || qobject_cast<QMenuBar*>(now) ||
        toolBar->isAncestorOf(now) || now == toolBar)
        return;
    if (now == treeView)
        lastPane = FocusedPane::Tree;
    else if (now == listView)
        lastPane = FocusedPane::List;
    else
        lastPane = FocusedPane::None;
}

void CMainFrame::FinishEditing() {
    // An editor commits what it holds when it loses the focus; the panes themselves hold nothing.
    if (const QPointer<QWidget> focused = QApplication::focusWidget();
        focused && focused != treeView && focused != listView) {
        focused->clearFocus();
        if (focused && focused->isVisible()) focused->setFocus(Qt::OtherFocusReason);
    }
}

void CMainFrame::UpdateActions() {
    UpdateFileActions();
    UpdateEditActions();
    UpdateImportActions();
    UpdatePropertyActions();
}

void CMainFrame::CycleFocus(bool forward) {
    QWidget* const panes[] = {treeView, listView, propertyView};
    const QWidget* focus = QApplication::focusWidget();
    int current = -1;
    for (int i = 0; i < 3; ++i)
        if (focus && (focus == panes[i] || panes[i]->isAncestorOf(focus))) current = i;
    const int next = current < 0 ? 0 : (current + (forward ? 1 : 2)) % 3;
    QWidget* target = panes[next];
    if (target == propertyView && propertyView->CaptionEdit()->isVisible())
        target = propertyView->CaptionEdit();
    target->setFocus(Qt::OtherFocusReason);
}

void CMainFrame::OnAppAbout() {
    CAboutDlg about(this);
    about.exec();
}

bool CMainFrame::event(QEvent* event) {
    // Between two status texts the bar says "Ready", as it does when the program starts.
    if (event->type() == QEvent::StatusTip &&
        static_cast<QStatusTipEvent*>(event)->tip().isEmpty()) {
        statusBar()->showMessage(kIdleText);
        return true;
    }
    return QMainWindow::event(event);
}
