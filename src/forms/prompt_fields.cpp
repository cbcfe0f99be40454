#include "forms/prompt_fields.h"

#include "common/text_rules.h"
#include "forms/multiline_text_box.h"
#include "platform/message_box.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace form {

PromptFields::PromptFields(QObject *parent) : QObject(parent) {}

void PromptFields::add(QWidget *field, const QString &prompt, bool refuseSpace)
{
    m_fields.push_back({field, prompt, refuseSpace});
    field->installEventFilter(this);
}

QString PromptFields::textOf(const QWidget *field)
{
    if (auto *line = qobject_cast<const QLineEdit *>(field))
        return line->text();
    if (auto *box = qobject_cast<const MultiLineTextBox *>(field))
        return box->text();
    return {};
}

void PromptFields::setTextOf(QWidget *field, const QString &text)
{
    if (auto *line = qobject_cast<QLineEdit *>(field))
        line->setText(text);
    else if (auto *box = qobject_cast<MultiLineTextBox *>(field))
        box->setText(text);
}

const PromptFields::Field *PromptFields::find(const QObject *object) const
{
    for (const Field &field : m_fields)
        if (field.widget == object)
            return &field;
    return nullptr;
}

bool PromptFields::eventFilter(QObject *watched, QEvent *event)
{
    const Field *field = find(watched);
    if (!field)
        return QObject::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        // Only moves between the controls of the window count. Switching to
        // another window, or a message box popping up, leaves the field as it
        // is: otherwise the box about a refused blank would put the prompt
        // back into the field the user is typing in.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            break;
        const QString trimmed = textrules::trimSpaces(textOf(field->widget));
        if (event->type() == QEvent::FocusIn && trimmed == field->prompt) {
            setTextOf(field->widget, QString());
        } else if (event->type() == QEvent::FocusOut && trimmed.isEmpty()) {
            setTextOf(field->widget, field->prompt);
        }
        break;
    }
    case QEvent::KeyPress: {
        if (!field->refuseSpace || static_cast<QKeyEvent *>(event)->text() != QLatin1String(" "))
            break;
        platform::showMessage(QStringLiteral("Email Address Cannot Contain Space"),
                              platform::MessageIcon::Critical);
        field->widget->setFocus(Qt::OtherFocusReason);
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace form
