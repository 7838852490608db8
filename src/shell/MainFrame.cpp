#include "MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QToolBar>

#include "AboutDlg.h"
#include "CommandIds.h"
#include "Desktop.h"
#include "ProgramInfo.h"
#include "SiteListView.h"
#include "SitePropertyView.h"
#include "SiteTreeView.h"
#include "ThemeIcon.h"

namespace {

QString IdleText() {
    return CMainFrame::tr("Ready");
}

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
    statusBar()->showMessage(IdleText());

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
    connect(document.get(), &CSiteDocument::ModifiedChanged, this, &CMainFrame::ShowTitle);
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
    if (!iconName.isEmpty()) action->setIcon(ThemeIcon(iconName));
    action->setData(commandId);
    actions.insert(commandId, action);
    return action;
}

void CMainFrame::CreateActions() {
    using namespace CommandId;

    AddAction(kFileNew, tr("&New\tCtrl+N"), tr("Create a new document\nNew"), QStringLiteral("new"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    AddAction(kFileOpen, tr("&Open...\tCtrl+O"), tr("Open an existing document\nOpen"),
              QStringLiteral("open"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    AddAction(kFileClose, tr("&Close"), tr("Close the active document\nClose"));
    AddAction(kFileSave, tr("&Save\tCtrl+S"), tr("Save the active document\nSave"),
              QStringLiteral("save"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    AddAction(kFileSaveAs, tr("Save &As..."),
              tr("Save the active document with a new name\nSave As"));
    AddAction(kAppExit, tr("E&xit\tCtrl+Q"),
              tr("Quit the application; prompts to save documents\nExit"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    AddAction(kEditUndo, tr("&Undo\tCtrl+Z"), tr("Undo the last action\nUndo"),
              QStringLiteral("undo"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    AddAction(kEditRedo, tr("&Redo\tCtrl+Shift+Z"), tr("Redo the previously undone action\nRedo"),
              QStringLiteral("redo"))
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    AddAction(kNewFolder, tr("New &Folder\tCtrl+F"), tr("New folder\nNew folder"),
              QStringLiteral("new-folder"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    AddAction(kNewItem, tr("New &Item\tCtrl+I"), tr("New Item\nNew Item"),
              QStringLiteral("new-item"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    AddAction(kEditCut, tr("Cu&t\tCtrl+Shift+X"),
              tr("Cut the selection and put it on the Clipboard\nCut"), QStringLiteral("cut"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_X));
    AddAction(kEditCopy, tr("&Copy\tCtrl+Shift+C"),
              tr("Copy the selection and put it on the Clipboard\nCopy"), QStringLiteral("copy"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    AddAction(kEditPaste, tr("&Paste\tCtrl+Shift+V"), tr("Insert Clipboard contents\nPaste"),
              QStringLiteral("paste"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    // The Delete key belongs to the tree and the list, which handle it themselves; bound here it
    // would also swallow the key in the property form's edit boxes.
    AddAction(kDelete, tr("&Delete\tDel"), tr("Delete folers or items\nDelete"),
              QStringLiteral("delete"));
    AddAction(kMoveUp, tr("Mo&ve Up\tCtrl+Up Arrow"), tr("Move up\nMove up"),
              QStringLiteral("move-up"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
    AddAction(kMoveDown, tr("Move Dow&n\tCtrl+Down Arrow"), tr("Move down\nMove down"),
              QStringLiteral("move-down"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));
    AddAction(kSortByCaption, tr("by &Caption"),
              tr("Put the items of the folder in the order of their captions\nSort by caption"));
    AddAction(kSortByFileName, tr("by &File Name"),
              tr("Put the items of the folder in the order of their files' names\nSort by file "
                 "name"));
    AddAction(kSortByDateTaken, tr("by &Date Taken"),
              tr("Put the items of the folder in the order their photos were taken\nSort by date "
                 "taken"));

    AddAction(kPreview, tr("&Preview"), tr("Preview\nPreview"), QStringLiteral("preview"));
    AddAction(kImportFolder, tr("Import F&older..."), tr("Import a folder\nImport a folder"),
              QStringLiteral("import-folder"));
    AddAction(kImportFiles, tr("Import &Files..."), tr("Import files\nImport files"),
              QStringLiteral("import-files"));
    AddAction(kImportFolderAsSite, tr("Import Folder as Sub-&site..."),
              tr("Import a folder as a new sub-site named after it\nImport folder as sub-site"));
    AddAction(kExport, tr("&Export..."), tr("Export website\nExport website"),
              QStringLiteral("export"));
    AddAction(kCheckWebsite, tr("&Check website..."),
              tr("List what the export would find wrong, writing nothing\nCheck website"));
    AddAction(kPublish, tr("P&ublish..."),
              tr("Export, then put on your web host what changed\nPublish website"));

    QAction* statusToggle = AddAction(kViewStatusBar, tr("&Status Bar"),
                                      tr("Show or hide the status bar\nToggle StatusBar"));
    statusToggle->setCheckable(true);
    statusToggle->setChecked(true);

    AddAction(kWebsiteProperties, tr("&Website Properties..."),
              tr("Website Properties\nWebsite Properties"));
    AddAction(kLayoutProperties, tr("&Layout Properties..."),
              tr("Layout Properties\nLayout Properties"));

    AddAction(kHelpContents, tr("&Contents"), tr("Contents of help\nContents of help "),
              QStringLiteral("help"));
    AddAction(kAppAbout, tr("&About  ! Pagelorn..."), tr("About  ! Pagelorn"));

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
    auto menu = [bar](const QString& title) { return bar->addMenu(title); };

    fileMenu = menu(tr("&File"));
    fileMenu->addAction(Action(kFileNew));
    fileMenu->addAction(Action(kFileOpen));
    fileMenu->addAction(Action(kFileClose));
    fileMenu->addSeparator();
    fileMenu->addAction(Action(kFileSave));
    fileMenu->addAction(Action(kFileSaveAs));
    exitSeparator = fileMenu->addSeparator();
    fileMenu->addAction(Action(kAppExit));

    QMenu* edit = menu(tr("&Edit"));
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
    sortMenu = edit->addMenu(tr("S&ort Items"));
    for (int id : {kSortByCaption, kSortByFileName, kSortByDateTaken})
        sortMenu->addAction(Action(id));

    QMenu* site = menu(tr("&Site"));
    site->addAction(Action(kPreview));
    site->addSeparator();
    site->addAction(Action(kImportFolder));
    site->addAction(Action(kImportFiles));
    site->addAction(Action(kImportFolderAsSite));
    site->addAction(Action(kCheckWebsite));
    site->addAction(Action(kExport));
    site->addAction(Action(kPublish));

    QMenu* view = menu(tr("&View"));
    view->addAction(Action(kViewToolbar));
    view->addAction(Action(kViewStatusBar));

    QMenu* options = menu(tr("&Options"));
    options->addAction(Action(kWebsiteProperties));
    options->addAction(Action(kLayoutProperties));

    QMenu* help = menu(tr("&Help"));
    help->addAction(Action(kHelpContents));
    help->addSeparator();
    help->addAction(Action(kAppAbout));
}

void CMainFrame::CreateToolBar() {
    using namespace CommandId;
    toolBar = addToolBar(tr("Toolbar"));
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
    toggle->setText(tr("&Toolbar"));
    toggle->setStatusTip(tr("Show or hide the toolbar"));
    toggle->setToolTip(tr("Toggle ToolBar"));
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

void CMainFrame::ReturnFocus(QWidget* widget) {
    // The window manager may give the activation to another window when a dialog closes, and a
    // focus set in an inactive window tells nobody: the commands would stay greyed until a click.
    activateWindow();
    if (!widget || !widget->isVisible() || widget->window() != this) widget = treeView;
    widget->setFocus(Qt::OtherFocusReason);
    FocusMoved(widget);
    UpdateActions();
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

bool CMainFrame::focusNextPrevChild(bool next) {
    // The form shows the folder while the tree has the focus and the list's row while the list
    // has it, so its fields follow the pane they show: tree, the folder's fields, list, the row's
    // fields, and round again; a form that shows nothing is passed over.
    QWidget* const focus = QApplication::focusWidget();
    QWidget* const tree = treeView;
    QWidget* const list = listView;
    QWidget* const first = propertyView->CaptionEdit();
    QWidget* const last = propertyView->DescriptionEdit();
    const auto go = [next](QWidget* widget) {
        widget->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    };
    const bool rowShown = document->Selection().pane == CSiteSelection::Pane::List;
    if (next) {
        if (focus == tree || focus == list)
            return go(first->isVisible() ? first : focus == tree ? list : tree);
        if (focus == last) return go(rowShown ? tree : list);
    } else {
        if (focus == tree || focus == list) {
            // Back into the form of the pane before: the list's row before the tree, the
            // folder before the list.
            document->SetPane(focus == tree ? CSiteSelection::Pane::List
                                            : CSiteSelection::Pane::Tree);
            return go(last->isVisible() ? last : focus == tree ? list : tree);
        }
        if (focus == first) return go(rowShown ? list : tree);
    }
    return QMainWindow::focusNextPrevChild(next);
}

void CMainFrame::OnAppAbout() {
    const QPointer<QWidget> focused = QApplication::focusWidget();
    {
        CAboutDlg about(this);
        about.exec();
    }
    ReturnFocus(focused);
}

bool CMainFrame::event(QEvent* event) {
    // Between two status texts the bar says "Ready", as it does when the program starts.
    if (event->type() == QEvent::StatusTip &&
        static_cast<QStatusTipEvent*>(event)->tip().isEmpty()) {
        statusBar()->showMessage(IdleText());
        return true;
    }
    return QMainWindow::event(event);
}
