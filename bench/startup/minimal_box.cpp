// The yardstick for the program's start-up: the least a Qt program has to do
// to put one message box on the screen.

#include <QApplication>
#include <QMessageBox>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("使用须知"),
                    QStringLiteral("必须将存放本程序的压缩包的所有文件放在同一目录！！！"
                                   "必须要个图标，否则无法打开!!!"),
                    QMessageBox::Ok);
    box.exec();
    return 0;
}
