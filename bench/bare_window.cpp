// The baseline of the start-up benchmark: a bare Qt program with a main window
// that holds one tab widget with Tobrel's five tab captions, and nothing else.

#include <QApplication>
#include <QMainWindow>
#include <QTabWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    auto* tabs = new QTabWidget(&window);
    for (const char* caption : {"変換", "ﾒﾓﾘｰｶｰﾄﾞ設定", "VGSｷｰ設定", "ﾗﾝﾁｬ", "ｺｰﾄﾞﾘｽﾄ抽出"}) {
        tabs->addTab(new QWidget, QString::fromUtf8(caption));
    }
    window.setCentralWidget(tabs);
    window.setWindowTitle(QStringLiteral("bare"));
    window.show();
    return QApplication::exec();
}
