// The smallest Qt Widgets program that puts up a window like thymara's main
// window: same title, same fixed size, nothing inside. Start-up time and
// memory of thymara are measured against it.
//
//   thymara_minimal [--menu-bar] [WIDTHxHEIGHT]
//
// WIDTHxHEIGHT is the window's client size in logical pixels; the default is
// thymara's main window: its 508x308 form plus a 19-pixel menu bar.
// --menu-bar puts a two-menu bar at the top of that same area. A menu bar has
// to measure its text before the window can be shown, so this variant pays
// for loading the fonts up front as thymara does; the benchmark reports it
// for comparison.

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QSize>
#include <QWidget>
#include <memory>

namespace {
constexpr QSize defaultSize(508, 327);

QSize parseSize(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('x'));
    if (parts.size() != 2)
        return {};
    bool widthOk = false;
    bool heightOk = false;
    const QSize size(parts.at(0).toInt(&widthOk), parts.at(1).toInt(&heightOk));
    if (!widthOk || !heightOk || size.width() > 10000 || size.height() > 10000)
        return {};
    return size;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);

    bool withMenuBar = false;
    QSize size = defaultSize;
    const QStringList arguments = QApplication::arguments().mid(1);
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("--menu-bar")) {
            withMenuBar = true;
        } else if (const QSize parsed = parseSize(argument); !parsed.isEmpty()) {
            size = parsed;
        } else {
            qWarning("usage: thymara_minimal [--menu-bar] [WIDTHxHEIGHT]");
            return 2;
        }
    }

    // Only the window asked for is built: the plain one must stay minimal.
    std::unique_ptr<QWidget> window;
    if (withMenuBar) {
        auto mainWindow = std::make_unique<QMainWindow>();
        QMenuBar *bar = mainWindow->menuBar();
        bar->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("E&xit"));
        bar->addMenu(QStringLiteral("&Help"))->addAction(QStringLiteral("&About"));
        mainWindow->setCentralWidget(new QWidget);
        window = std::move(mainWindow);
    } else {
        window = std::make_unique<QWidget>();
    }
    window->setWindowTitle(QStringLiteral("Thymara v1.0"));
    window->setFixedSize(size);
    window->show();

    return application.exec();
}
