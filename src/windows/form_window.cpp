#include "windows/form_window.h"

#include "common/identity.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>

namespace windows {

FormWindow::FormWindow(const char *objectName, int clientWidthTwips, int clientHeightTwips,
                       int backgroundRgb)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QString::fromLatin1(objectName));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(common::windowTitle());
    setWindowIcon(common::programIcon());

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    m_client->setFixedSize(form::px(clientWidthTwips), form::px(clientHeightTwips));
    m_client->setAutoFillBackground(true);
    QPalette palette = m_client->palette();
    palette.setColor(QPalette::Window, QColor::fromRgb(QRgb(backgroundRgb)));
    m_client->setPalette(palette);
    setCentralWidget(m_client);
}

void FormWindow::buildControls(std::span<const form::Control> table, const form::Font &windowFont)
{
    m_controls = form::build(m_client, table, windowFont);
}

void FormWindow::buildMenu(std::span<const form::MenuRow> rows)
{
    m_actions = form::buildMenu(menuBar(), rows);
}

void FormWindow::closeEvent(QCloseEvent *event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    // Counted as gone before the handling runs: whatever it calls must not
    // find this window and try to reuse or close it again.
    m_closed = true;
    closeHandling();
    event->accept();
}

void FormWindow::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && event->modifiers() == Qt::NoModifier) {
        // A focused push button takes Enter itself; otherwise the default button does.
        auto *focused = qobject_cast<QAbstractButton *>(focusWidget());
        if (focused && !focused->isCheckable() && focused->isEnabled()) {
            focused->click();
            return;
        }
        if (m_defaultButton && m_defaultButton->isEnabled()) {
            m_defaultButton->click();
            return;
        }
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && m_cancelButton &&
        m_cancelButton->isEnabled()) {
        m_cancelButton->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void FormWindow::showEvent(QShowEvent *event)
{
    if (!m_placed) {
        m_placed = true;
        centreOnScreen(this);
    }
    QMainWindow::showEvent(event);
}

void centreOnScreen(QWidget *window)
{
    window->adjustSize();
    window->setFixedSize(window->sizeHint().expandedTo(window->size()));
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QSize frame = window->frameGeometry().size();
    window->move(available.center() - QPoint(frame.width() / 2, frame.height() / 2));
}

} // namespace windows
