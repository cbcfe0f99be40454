#include "forms/form_label.h"

#include <QMetaMethod>
#include <QMouseEvent>

namespace form {

FormLabel::FormLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

void FormLabel::setAutoSize(bool on)
{
    m_autoSize = on;
    setWordWrap(!on);
    if (on)
        resize(sizeHint());
}

void FormLabel::setCaption(const QString &text)
{
    setText(text);
    if (m_autoSize)
        resize(sizeHint());
}

bool FormLabel::isLink() const
{
    return isSignalConnected(QMetaMethod::fromSignal(&FormLabel::clicked));
}

void FormLabel::activate()
{
    if (isLink())
        Q_EMIT clicked();
}

void FormLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && isLink()) {
        m_pressed = true;
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void FormLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_pressed) {
        m_pressed = false;
        event->accept();
        if (rect().contains(event->position().toPoint()))
            Q_EMIT clicked();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

} // namespace form
