#include "ShellTestUtil.h"

#include <QAction>
#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

CFrameFixture::CFrameFixture() {
    frame.show();
    frame.activateWindow();
    if (!QTest::qWaitForWindowActive(&frame)) qWarning("the main window did not become active");
    Focus(&Tree());
}

bool CFrameFixture::Trigger(int commandId) {
    frame.UpdateActions();
    QAction* action = frame.Action(commandId);
    if (!action || !action->isEnabled()) return false;
    action->trigger();
    return true;
}

void CFrameFixture::Focus(QWidget* widget) {
    widget->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
}

void CFrameFixture::ClickNode(CFolderKey node) {
    CSiteTreeView& tree = Tree();
    const QModelIndex index = tree.Model().IndexOf(node);
    // A click on the selected node would start renaming it; the user's click would also give
    // the tree the focus.
    if (tree.currentIndex() == index) {
        Focus(&tree);
        return;
    }
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) tree.expand(up);
    tree.scrollTo(index);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualRect(index).center());
}

void CFrameFixture::SelectRows(std::initializer_list<int> rows) {
    CSiteListView& list = List();
    list.clearSelection();
    for (int row : rows) {
        const QModelIndex index = list.model()->index(row, 0);
        list.scrollTo(index);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list.visualRect(index).center());
    }
}

QString CFrameFixture::ListText(int row, int column) const {
    return List().model()->index(row, column).data().toString();
}

int CFrameFixture::ListRows() const {
    return List().model()->rowCount();
}

QString CFrameFixture::TreeLabel(CFolderKey node) const {
    return Tree().Model().IndexOf(node).data().toString();
}

void TypeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

void RenameInPlace(QAbstractItemView& view, const QModelIndex& index, const QString& text) {
    view.setFocus();
    view.setCurrentIndex(index);
    view.edit(index);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (!editor) {
        qWarning("no editor opened: focus in %s",
                 QApplication::focusWidget()
                     ? QApplication::focusWidget()->metaObject()->className()
                     : "nothing");
        return;
    }
    editor->selectAll();
    TypeText(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    // The delegate commits the edit from the event loop.
    QApplication::processEvents();
}

QStringList MenuTexts(const QMenu& menu) {
    QStringList texts;
    for (const QAction* action : menu.actions()) {
        if (!action->isVisible()) continue;
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return texts;
}

int Mnemonic(const QString& text) {
    int key = 0;
    int count = 0;
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&') continue;
        if (text[i + 1] != u'&') {
            key = text[i + 1].toUpper().unicode();
            ++count;
        }
        ++i;
    }
    return count == 1 ? key : -count;
}

QStringList MnemonicClashes(const QList<QAction*>& entries) {
    QStringList wrong;
    QHash<int, QString> taken;
    for (const QAction* action : entries) {
        if (action->isSeparator() || !action->isVisible()) continue;
        const QString text = action->text();
        const int key = Mnemonic(text);
        if (key <= 0)
            wrong << text + QStringLiteral(": ") + QString::number(-key) + QStringLiteral(" keys");
        else if (taken.contains(key))
            wrong << text + QStringLiteral(" and ") + taken[key] + QStringLiteral(" share a key");
        else
            taken.insert(key, text);
    }
    return wrong;
}
