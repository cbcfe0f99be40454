#include "forms/form_window.h"

#include "common/identity.h"
#include "forms/form_builder.h"
#include "forms/form_covering.h"
#include "forms/form_label.h"
#include "forms/form_menus.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <algorithm>

namespace form {

void FormControls::build(QWidget *window, QWidget *client, const Form &form)
{
    m_formName = QString::fromLatin1(form.objectName);
    window->setObjectName(m_formName);
    // A form window takes its title once it is complete (FormWindow::event).
    if (!qobject_cast<FormWindow *>(window))
        window->setWindowTitle(common::windowTitle());
    window->setWindowIcon(common::programIcon());
    client->setFixedSize(form::px(form.clientWidth), form::px(form.clientHeight));
    client->setAutoFillBackground(true);
    QPalette palette = client->palette();
    palette.setColor(QPalette::Window, QColor::fromRgb(QRgb(form.background)));
    client->setPalette(palette);
    m_controls = form::build(client, form.controls, form.font);
}

void FormControls::buildMenu(QMenuBar *bar,
                             std::initializer_list<std::span<const form::MenuRow>> parts)
{
    m_actions = form::buildMenu(bar, parts);
}

void FormControls::connectLinks(QObject *context, std::span<const form::Link> links) const
{
    for (const form::Link &link : links) {
        const QString name = QString::fromLatin1(link.name);
        if (m_controls.contains(name)) {
            auto *label = control<FormLabel>(link.name);
            QObject::connect(label, &FormLabel::clicked, context, link.command);
            if (link.description)
                label->setAccessibleDescription(QString::fromLatin1(link.description));
        } else {
            QObject::connect(menuAction(link.name), &QAction::triggered, context, link.command);
        }
    }
}

QAction *FormControls::menuAction(const char *name) const
{
    QAction *action = m_actions.value(QString::fromLatin1(name));
    if (!action)
        missing(name, "menu entry");
    return action;
}

void FormControls::missing(const char *name, const char *kind) const
{
    qFatal("%s has no %s named %s", qPrintable(m_formName), kind, name);
}

FormWindow::FormWindow(const Form &form, std::initializer_list<std::span<const form::MenuRow>> menu)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    m_form.build(this, client, form);
    if (menu.size() > 0)
        m_form.buildMenu(menuBar(), menu);
    m_form.connectLinks(this, form.links);
}

bool FormWindow::event(QEvent *event)
{
    // Giving a window its title describes the window to assistive technology
    // as the class it is at that moment. Given while the window was still
    // being built, it left a second description behind that Qt 6.8 keeps
    // apart from the finished window's, and Orca 48 went on asking about it
    // after the window was gone. The title comes as the window is first
    // polished, before it shows.
    if (event->type() == QEvent::Polish && windowTitle().isEmpty())
        setWindowTitle(common::windowTitle());
    return QMainWindow::event(event);
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
    window->move(placementOn(screen->availableGeometry(), window->frameGeometry().size()));
}

QPoint placementOn(const QRect &available, const QSize &frame)
{
    // Centred; but on a screen narrower or lower than the window, the title bar
    // starts at the area's left and top, so that its close button stays on screen.
    const QPoint centred = available.center() - QPoint(frame.width() / 2, frame.height() / 2);
    return {std::max(centred.x(), available.left()), std::max(centred.y(), available.top())};
}

void FormWindow::bringToFront(QWidget *control)
{
    raiseAndTell(control);
}

} // namespace form
