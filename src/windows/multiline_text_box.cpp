#include "windows/multiline_text_box.h"

#include <QTextDocument>

namespace windows {

MultiLineTextBox::MultiLineTextBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
}

QString MultiLineTextBox::text() const
{
    // toPlainText() would also turn non-breaking spaces into plain blanks;
    // only the document's own break markers become line breaks here.
    QString raw = document()->toRawText();
    QString text;
    text.reserve(raw.size() + 16);
    for (const QChar c : raw) {
        switch (c.unicode()) {
        case QChar::ParagraphSeparator:
        case QChar::LineSeparator:
        case 0xfdd0: // start of a frame
        case 0xfdd1: // end of a frame
        case u'\n':
            text += QStringLiteral("\r\n");
            break;
        default:
            text += c;
        }
    }
    return text;
}

void MultiLineTextBox::setText(const QString &text)
{
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setPlainText(plain);
}

} // namespace windows
