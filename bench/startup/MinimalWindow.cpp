#include <QApplication>
#include <QMainWindow>
#include <QStandardItemModel>
#include <QTreeView>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    QStandardItemModel model;
    model.appendRow(new QStandardItem(QStringLiteral("Website")));
    auto* tree = new QTreeView(&window);
    tree->setModel(&model);
    window.setCentralWidget(tree);
    window.resize(960, 640);
    window.show();
    return QApplication::exec();
}
