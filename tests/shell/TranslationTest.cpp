// The window in other languages: the translation the user's locale picks, the German one as the
// window shows it, and a pseudo-translation that finds every text the window shows untranslated.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolBar>
#include <QTranslator>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "CheckDialog.h"
#include "CommandIds.h"
#include "MetaVariableDlg.h"
#include "OptionPageCustomPage.h"
#include "PublishPasswordDlg.h"
#include "PublishProgressDlg.h"
#include "ShellTestUtil.h"
#include "Translations.h"

using namespace CommandId;
using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

// Translators installed for the lifetime of the object, as the program installs them at start.
class CTranslationScope {
public:
    explicit CTranslationScope(const QLocale& locale) {
        for (QTranslator* translator :
             InstallTranslations(*QCoreApplication::instance(), locale,
                                 QString::fromUtf8(PAGELORN_TRANSLATIONS_DIR)))
            installed.emplace_back(translator);
    }
    std::size_t Count() const { return installed.size(); }

private:
    std::vector<std::unique_ptr<QTranslator>> installed;
};

bool QtHasGerman() {
    return QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) +
                             u"/qtbase_de.qm"_s);
}

// What of a shown text did not go through a translation: the text less its shortcut (after a
// tab), less every part the pseudo-translation marked (marks inside marks included), less the
// user's data and the program's name; empty when no letter is left.
QString UnmarkedPart(const QString& shown, const QStringList& userData) {
    QString text = shown.section(u'\t', 0, 0);
    static const QRegularExpression marked(u"⟦[^⟦⟧]*⟧"_s);
    for (QString before; before != text;) {
        before = text;
        text.remove(marked);
    }
    for (const QString& data : userData) text.remove(data);
    text.remove(u"Pagelorn"_s);
    static const QRegularExpression address(u"\\w+://\\S*"_s);
    text.remove(address);
    for (const QChar c : text)
        if (c.isLetter()) return shown;
    return {};
}

// Collects the texts a window shows: its title, labels, buttons, group titles, tabs, list
// entries, column headers, tooltips, menus and the status bar; each with where it was seen.
class CShownTexts {
public:
    void AddWindow(QWidget* window, const QString& where) {
        Add(window->windowTitle(), where + u" title"_s);
        QList<QWidget*> widgets = window->findChildren<QWidget*>();
        widgets.prepend(window);
        for (QWidget* widget : widgets) {
            if (widget != window && !widget->isVisibleTo(window)) continue;
            AddWidget(widget, where + u" / "_s + Name(widget));
        }
    }

    void AddMenu(const QMenu& menu, const QString& where) {
        Add(menu.title(), where);
        for (const QAction* action : menu.actions()) {
            if (action->isSeparator()) continue;
            Add(action->text(), where + u" > "_s + action->text());
            Add(action->toolTip(), where + u" > "_s + action->text() + u" tooltip"_s);
            Add(action->statusTip(), where + u" > "_s + action->text() + u" status"_s);
            if (action->menu()) AddMenu(*action->menu(), where + u" > "_s + action->text());
        }
    }

    void Add(const QString& text, const QString& where) {
        if (!text.isEmpty() && !texts.contains(text)) texts.insert(text, where);
    }

    // Every text that lacks the markers, once, with where it was first seen.
    QStringList Unmarked(const QStringList& userData) const {
        QMap<QString, QString> wrong;
        for (auto it = texts.cbegin(); it != texts.cend(); ++it)
            if (!UnmarkedPart(it.key(), userData).isEmpty()) wrong.insert(it.key(), it.value());
        QStringList lines;
        for (auto it = wrong.cbegin(); it != wrong.cend(); ++it)
            lines << it.value() + u": \""_s + it.key() + u'"';
        return lines;
    }
    qsizetype Count() const { return texts.size(); }

private:
    static QString Name(const QWidget* widget) {
        return widget->objectName().isEmpty()
                   ? QString::fromLatin1(widget->metaObject()->className())
                   : widget->objectName();
    }

    void AddWidget(QWidget* widget, const QString& where) {
        Add(widget->toolTip(), where + u" tooltip"_s);
        Add(widget->statusTip(), where + u" status"_s);
        Add(widget->whatsThis(), where + u" what's this"_s);
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            QString text = label->text();
            if (label->textFormat() != Qt::PlainText && Qt::mightBeRichText(text))
                text = QTextDocumentFragment::fromHtml(text).toPlainText();
            Add(text, where);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            // The standard buttons speak Qt's own translation.
            const auto* box = qobject_cast<QDialogButtonBox*>(button->parentWidget());
            const bool qtButton =
                (box && box->standardButton(button) != QDialogButtonBox::NoButton) ||
                qobject_cast<QProgressDialog*>(button->parentWidget());
            if (!qtButton) Add(button->text(), where);
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            Add(group->title(), where);
        } else if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
            for (int i = 0; i < tabs->count(); ++i) {
                Add(tabs->tabText(i), where + u" tab"_s);
                Add(tabs->tabToolTip(i), where + u" tab tooltip"_s);
            }
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            for (int i = 0; i < combo->count(); ++i) Add(combo->itemText(i), where + u" entry"_s);
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            Add(edit->placeholderText(), where + u" placeholder"_s);
        } else if (auto* spin = qobject_cast<QSpinBox*>(widget)) {
            Add(spin->prefix() + spin->suffix() + spin->specialValueText(), where);
        } else if (auto* header = qobject_cast<QHeaderView*>(widget)) {
            if (header->model() == nullptr) return;
            for (int i = 0; i < header->count(); ++i)
                Add(header->model()->headerData(i, header->orientation()).toString(),
                    where + u" column"_s);
        } else if (auto* bar = qobject_cast<QMenuBar*>(widget)) {
            for (const QAction* title : bar->actions())
                if (title->menu()) AddMenu(*title->menu(), where);
        } else if (auto* tools = qobject_cast<QToolBar*>(widget)) {
            Add(tools->windowTitle(), where);
            for (const QAction* action : tools->actions()) Add(action->toolTip(), where);
        } else if (auto* status = qobject_cast<QStatusBar*>(widget)) {
            Add(status->currentMessage(), where);
        }
    }

    // Each text with the first place it was seen.
    QHash<QString, QString> texts;
};

// Collects a window's texts with each page of its tabs shown in turn.
void CollectTabs(CShownTexts& shown, QWidget* window, const QString& where) {
    shown.AddWindow(window, where);
    for (QTabWidget* tabs : window->findChildren<QTabWidget*>()) {
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            QApplication::processEvents();
            shown.AddWindow(window, where + u" / "_s + tabs->tabText(i));
        }
    }
}

// Shows the modal dialog that `open` starts, collects its texts with every tab shown in turn, and
// closes it.
void CollectModal(CShownTexts& shown, const QString& where, const std::function<void()>& open) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr) return;
        seen = true;
        CollectTabs(shown, dialog, where);
        dialog->close();
    });
    open();
    if (!seen) shown.Add(u"(no dialog)"_s, where);
}

}  // namespace

class TranslationTest : public QObject {
    Q_OBJECT

private slots:
    void LanguageFollowsTheLocale_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("file");
        QTest::newRow("German") << u"de_DE"_s << u"&Datei"_s;
        QTest::newRow("German alone") << u"de"_s << u"&Datei"_s;
        QTest::newRow("Austrian German") << u"de_AT"_s << u"&Datei"_s;
        QTest::newRow("English") << u"en_US"_s << u"&File"_s;
        QTest::newRow("no translation") << u"fr_FR"_s << u"&File"_s;
        QTest::newRow("C") << u"C"_s << u"&File"_s;
    }
    void initTestCase() {
        if (!QFileInfo::exists(QString::fromUtf8(PAGELORN_TRANSLATIONS_DIR) + u"/pagelorn_de.qm"_s))
            QSKIP("no pagelorn_de.qm in the build: lrelease (Debian qt6-l10n-tools) is missing");
    }

    void LanguageFollowsTheLocale() {
        QFETCH(QString, locale);
        QFETCH(QString, file);
        const CTranslationScope scope{QLocale(locale)};
        QCOMPARE(QCoreApplication::translate("CMainFrame", "&File"), file);
        const bool german = file != u"&File"_s;
        // Qt's own buttons speak the same language as the window, never another one.
        QCOMPARE(scope.Count(), german ? (QtHasGerman() ? 2U : 1U) : 0U);
        if (german && QtHasGerman())
            QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), u"Abbrechen"_s);
    }

    void GermanWindowKeepsAKeyPerEntry() {
        const CTranslationScope scope{QLocale(u"de_DE"_s)};
        CFrameFixture f;
        QMenuBar* bar = f.frame.menuBar();
        QStringList titles;
        QStringList wrong = MnemonicClashes(bar->actions());
        for (const QAction* title : bar->actions()) {
            titles << title->text();
            wrong << MnemonicClashes(title->menu()->actions());
        }
        wrong << MnemonicClashes(f.frame.SortMenu()->actions());
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
        QCOMPARE(titles, (QStringList{u"&Datei"_s, u"&Bearbeiten"_s, u"&Website"_s, u"&Ansicht"_s,
                                      u"&Optionen"_s, u"&Hilfe"_s}));
    }

    // Every text the window shows comes from a translation: with a pseudo-translation that wraps
    // each text in markers, the window, its menus, every page of both sheets, the dialogs and the
    // messages show no letter outside the markers but the user's data.
    void EveryShownTextIsTranslated() {
#ifndef PAGELORN_PSEUDO_TRANSLATION
        QSKIP("no pseudo-translation in the build: Python 3 or lupdate is missing");
#else
        QTranslator pseudo;
        QVERIFY(pseudo.load(QString::fromUtf8(PAGELORN_PSEUDO_TRANSLATION)));
        QCoreApplication::installTranslator(&pseudo);
        const auto uninstall = qScopeGuard([&] { QCoreApplication::removeTranslator(&pseudo); });
        QTemporaryDir dir;
        const QStringList userData{dir.path(), u"site.www"_s, u"Holiday"_s, u"Beach"_s,
                                   u"foreign.txt"_s};
        CShownTexts shown;
        CFrameFixture f;
        // A sub-site holding an item whose file is missing, which the check lists.
        const CFolderKey holiday = f.Doc().NewFolder(f.Root());
        f.Doc().SetText(CSiteNodeRef::Of(holiday), CSiteField::Caption, "Holiday", false);
        CSiteItem beach;
        beach.caption = "Beach";
        beach.url = "file://" + dir.filePath(u"beach.jpg"_s).toStdString();
        f.Model().AddItems(holiday, {beach});
        f.desktop->fileNames = {dir.filePath(u"site.www"_s)};
        QVERIFY(f.Trigger(kFileSaveAs));

        f.ClickNode(holiday);
        shown.AddWindow(&f.frame, u"window with a sub-site"_s);
        f.SelectRows({0});
        shown.AddWindow(&f.frame, u"window with an item"_s);
        for (const int id : {kAppAbout, kWebsiteProperties, kLayoutProperties})
            CollectModal(shown, f.frame.Action(id)->text(), [&] { f.frame.Action(id)->trigger(); });
        {
            CMetaVariableDlg variable(COptionPageCustomPage::tr("User Meta Variables"), {}, {},
                                      &f.frame);
            variable.show();
            shown.AddWindow(&variable, u"meta variable"_s);
            shown.Add(CMetaVariableDlg::EmptyNameMessage(), u"meta variable message"_s);
        }
        QVERIFY(f.Trigger(kCheckWebsite));
        auto* check = f.frame.findChild<CCheckDialog*>();
        QVERIFY(check);
        shown.AddWindow(check, u"check"_s);
        auto* problems = check->findChild<QTableWidget*>();
        QVERIFY(problems && problems->rowCount() > 0);
        for (int row = 0; row < problems->rowCount(); ++row)
            for (const int column : {0, 1})
                shown.Add(problems->item(row, column)->text(), u"check list"_s);
        check->close();
        {
            CPublishPasswordDlg password(u"sftp://example.org/www"_s, &f.frame);
            password.show();
            shown.AddWindow(&password, u"password"_s);
            CPublishProgressDlg progress(&f.frame);
            progress.show();
            shown.AddWindow(&progress, u"publish progress"_s);
            PublishProgress sent;
            sent.filesTotal = 3;
            sent.bytesTotal = 3000;
            sent.filesDone = 1;
            sent.bytesDone = 1000;
            progress.Show(sent);
            shown.AddWindow(&progress, u"publish progress, sending"_s);
        }
        // The export: its question before it deletes what it did not make, and its progress.
        CPageOption page = f.Doc().PageOption();
        page.general.location = CTextField<255>(dir.filePath(u"out"_s).toStdString());
        f.Doc().SetPageOption(page);
        QVERIFY(QDir(dir.path()).mkpath(u"out"_s));
        QFile foreign(dir.filePath(u"out/foreign.txt"_s));
        QVERIFY(foreign.open(QIODevice::WriteOnly));
        foreign.close();
        QVERIFY(f.Trigger(kExport));
        QVERIFY(foreign.remove());
        std::atomic<bool> progressSeen{false};
        f.frame.ExportRunner().SetProgressDelay(0ms);
        f.frame.ExportRunner().SetExportFunction([&](const ExportParameters& parameters) {
            const ExportProgress progress{.pagesDone = 1,
                                          .pagesTotal = 2,
                                          .pagesUpToDate = 1,
                                          .filesDone = 1,
                                          .filesTotal = 3,
                                          .filesUpToDate = 0,
                                          .bytesDone = 1'500'000,
                                          .bytesTotal = 4'000'000,
                                          .thumbnailsDone = 0,
                                          .thumbnailsTotal = 1,
                                          .thumbnailsUpToDate = 0};
            const QDeadlineTimer deadline(10s);
            while (!progressSeen && !deadline.hasExpired()) {
                parameters.progress(progress);
                std::this_thread::sleep_for(5ms);
            }
            ExportResult result;
            result.status = ExportStatus::Completed;
            return result;
        });
        int ticks = 0;
        QTimer poll;
        connect(&poll, &QTimer::timeout, &f.frame, [&] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (window->objectName() != u"exportProgress"_s || !window->isVisible()) continue;
                shown.AddWindow(window, u"export progress"_s);
                // Some ticks later the counts have reached the dialog.
                if (++ticks == 20) progressSeen = true;
            }
        });
        poll.start(10);
        QVERIFY(f.Trigger(kExport));
        poll.stop();
        QVERIFY(progressSeen);
        // The file types the import dialog offers, and the user guide's message: missing beside
        // the tests, or not opened.
        QVERIFY(f.Trigger(kImportFiles));
        shown.Add(f.desktop->lastFilter, u"import files filter"_s);
        f.desktop->openSucceeds = false;
        QVERIFY(f.Trigger(kHelpContents));
        // Questions and messages: a delete, a publish without an address, a new project while
        // this one has changes.
        f.SelectRows({0});
        QVERIFY(f.Trigger(kDelete));
        QVERIFY(f.Trigger(kPublish));
        f.Doc().NewFolder(f.Root());
        f.desktop->answers = {CDesktop::Answer::Cancel};
        QVERIFY(f.Trigger(kFileNew));
        shown.AddWindow(&f.frame, u"window after the edits"_s);
        QVERIFY(f.desktop->questions.size() >= 2 && !f.desktop->messages.isEmpty());
        for (const QString& text : f.desktop->questions + f.desktop->messages)
            shown.Add(text, u"message"_s);

        // The recent files, some of them left by other tests, are file names too.
        QStringList names = userData;
        for (int slot = 1; slot <= CRecentFileList::kSlotCount; ++slot)
            names << f.frame.RecentFiles().File(slot);
        names.removeAll(QString());
        const QStringList wrong = shown.Unmarked(names);
        for (const QString& line : wrong) qWarning().noquote() << "not translated:" << line;
        QVERIFY2(wrong.isEmpty(), qPrintable(QString::number(wrong.size()) +
                                             u" texts are shown without a translation"_s));
        QVERIFY(shown.Count() > 200);
#endif
    }
};

int RunTranslationTest(int argc, char** argv) {
    TranslationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TranslationTest.moc"
