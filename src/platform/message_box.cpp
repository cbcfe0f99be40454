#include "platform/message_box.h"

#include "common/identity.h"
#include "platform/font_warmup.h"

#include <QMessageBox>
#include <utility>

namespace platform {
namespace {
MessageHandler &handlerSlot()
{
    static MessageHandler handler;
    return handler;
}
} // namespace

MessageHandler setMessageHandler(MessageHandler handler)
{
    return std::exchange(handlerSlot(), std::move(handler));
}

MessageAnswer showMessage(const QString &text, MessageIcon icon, MessageButtons buttons)
{
    if (handlerSlot())
        return handlerSlot()(text, icon, buttons);

    finishFontWarmUp();
    // A carriage return alone breaks the line in the designed texts; Qt only
    // breaks on a line feed.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(icon == MessageIcon::Critical ? QMessageBox::Critical
                                                  : QMessageBox::Information,
                    common::displayName(), shown);
    box.setTextFormat(Qt::PlainText);
    box.setWindowIcon(common::programIcon());
    if (buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }
    const int answer = box.exec();
    if (buttons == MessageButtons::YesNo)
        return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    return MessageAnswer::Ok;
}

} // namespace platform
