#pragma once

#include <QString>
#include <functional>

namespace platform {

enum class MessageIcon { Information, Critical };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// Shows a modal message box titled with the application's display name and
// waits for the answer. Yes is the default button of a Yes/No box, and Esc
// answers No.
MessageAnswer showMessage(const QString &text, MessageIcon icon,
                          MessageButtons buttons = MessageButtons::Ok);

// Lets tests answer message boxes without showing them. An empty handler
// brings the real boxes back. Returns the handler it replaces, for the caller
// to put back when it is done.
using MessageHandler = std::function<MessageAnswer(const QString &, MessageIcon, MessageButtons)>;
MessageHandler setMessageHandler(MessageHandler handler);

} // namespace platform
