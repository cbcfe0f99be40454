#include "platform/message_box.h"

#include "common/identity.h"
#include "platform/font_warmup.h"

#include <QApplication>
#include <QMessageBox>
#include <algorithm>
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
    // A box that opened behind a window kept above all others (the exit
    // window) would leave the user waiting on a message nobody can see.
    const auto windows = QApplication::topLevelWidgets();
    if (std::any_of(windows.begin(), windows.end(), [](const QWidget *w) {
            return w->isVisible() && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        }))
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
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
