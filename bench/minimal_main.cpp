// The smallest Qt Widgets programs that put up a window like thymara's main
// window: same title, same fixed size. Start-up time and memory of thymara
// are measured against them.
//
//   thymara_minimal [--menu-bar] [--text] [WIDTHxHEIGHT]
//
// WIDTHxHEIGHT is the window's client size in logical pixels; the default is
// thymara's main window: its 508x308 form plus a 19-pixel menu bar.
// Without options the window is empty: it never starts the font system.
// --menu-bar puts thymara's menu bar at the top (File, Help, Donate and a
// greyed Make Money Online, with the same entries), --text one word-wrapped
// label of text below it. A window that shows any text pays for loading the
// fonts before it can be sized and shown, as thymara does; with both options
// this is the yardstick a real window is held to.
//
//   thymara_minimal --list
//
// is the yardstick of the screen reader checks instead: a window whose
// focused control is an "Ailment" list of thymara's entries in a frame, and
// which, closed, is destroyed as another window with an Exit button opens;
// closing that one ends the program. What a screen reader hears of it, and
// what Qt prints meanwhile, is Qt's alone (scripts/orca/starts.sh).

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
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

// The main window of --list, and the window that opens as it closes.
class ListWindow : public QMainWindow
{
public:
    ListWindow()
    {
        setAttribute(Qt::WA_DeleteOnClose);
        auto *frame = new QGroupBox(QStringLiteral("Choose one of the following options"));
        auto *list = new QComboBox(frame);
        list->addItems({QStringLiteral("Toothache"), QStringLiteral("Sinus Problems"),
                        QStringLiteral("Hay Fever"), QStringLiteral("Cough")});
        list->setAccessibleName(QStringLiteral("Ailment"));
        list->move(20, 30);
        setCentralWidget(frame);
        list->setFocus();
    }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        auto *next = new QMainWindow;
        next->setAttribute(Qt::WA_DeleteOnClose);
        next->setWindowTitle(windowTitle());
        auto *exit = new QPushButton(QStringLiteral("E&xit"));
        next->setCentralWidget(exit);
        QObject::connect(exit, &QPushButton::clicked, next, &QWidget::close);
        exit->setFocus();
        next->resize(size());
        next->show();
        QMainWindow::closeEvent(event);
    }
};

void addMenuBar(QMainWindow *window)
{
    QMenuBar *bar = window->menuBar();
    bar->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("E&xit"));
    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&Online Help"));
    help->addAction(QStringLiteral("&Visit Us Online"));
    help->addSeparator();
    help->addAction(QStringLiteral("Check for Software &Update"));
    help->addSeparator();
    help->addAction(QStringLiteral("&About Software"));
    bar->addAction(QStringLiteral("&Donate"));
    bar->addAction(QStringLiteral("Make Money &Online"))->setEnabled(false);
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);

    bool withMenuBar = false;
    bool withText = false;
    bool withList = false;
    QSize size = defaultSize;
    const QStringList arguments = QApplication::arguments().mid(1);
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("--list")) {
            withList = true;
        } else if (argument == QLatin1String("--menu-bar")) {
            withMenuBar = true;
        } else if (argument == QLatin1String("--text")) {
            withText = true;
        } else if (const QSize parsed = parseSize(argument); !parsed.isEmpty()) {
            size = parsed;
        } else {
            qWarning("usage: thymara_minimal [--menu-bar] [--text] [WIDTHxHEIGHT] | --list");
            return 2;
        }
    }

    if (withList) {
        auto *window = new ListWindow;
        window->setWindowTitle(QStringLiteral(THYMARA_WINDOW_TITLE));
        window->resize(size);
        window->show();
        return application.exec();
    }

    // Only the window asked for is built: the plain one must stay minimal.
    std::unique_ptr<QWidget> window;
    if (withMenuBar || withText) {
        auto mainWindow = std::make_unique<QMainWindow>();
        if (withMenuBar)
            addMenuBar(mainWindow.get());
        if (withText) {
            auto *label = new QLabel(QStringLiteral(
                "Have a toothache? Or are you suffering from severe cough. Here is an easy and "
                "safe easy way to get relief. Follow the Pagan principles and get better with "
                "the help of herbs."));
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            mainWindow->setCentralWidget(label);
        } else {
            mainWindow->setCentralWidget(new QWidget);
        }
        window = std::move(mainWindow);
    } else {
        window = std::make_unique<QWidget>();
    }
    window->setWindowTitle(QStringLiteral(THYMARA_WINDOW_TITLE));
    window->setFixedSize(size);
    window->show();

    return application.exec();
}
