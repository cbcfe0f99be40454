#include "forms/multiline_text_box.h"

#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace form {

MultiLineTextBox::MultiLineTextBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, &MultiLineTextBox::keepWithinMaxLength);
}

namespace {
// The first length characters, without half a surrogate pair at the end.
QString leftPart(QString text, qsizetype length)
{
    length = std::max<qsizetype>(0, length);
    if (text.size() <= length)
        return text;
    text.truncate(length);
    if (!text.isEmpty() && text.back().isHighSurrogate())
        text.chop(1);
    return text;
}
} // namespace

void MultiLineTextBox::setMaxLength(int length)
{
    m_maxLength = std::max(0, length);
    keepWithinMaxLength();
}

void MultiLineTextBox::insertFromMimeData(const QMimeData *source)
{
    // Cut before inserting: laying out megabytes of pasted text only to drop
    // most of it again would freeze the window and swell the process.
    const QTextCursor cursor = textCursor();
    const qsizetype kept =
        document()->characterCount() - 1 - (cursor.selectionEnd() - cursor.selectionStart());
    const QString text = source ? source->text() : QString();
    if (text.size() <= m_maxLength - kept) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QMimeData shortened;
    shortened.setText(leftPart(text, m_maxLength - kept));
    QPlainTextEdit::insertFromMimeData(&shortened);
}

void MultiLineTextBox::keepWithinMaxLength()
{
    // Typing at the limit, or anything else that got past it: the characters
    // just before the cursor go, or the end of the text when there are too few.
    const int excess = document()->characterCount() - 1 - m_maxLength;
    if (excess <= 0)
        return;
    QTextCursor cursor = textCursor();
    int end = cursor.position();
    if (end < excess)
        end = document()->characterCount() - 1;
    cursor.setPosition(end - excess);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
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
    setPlainText(leftPart(plain, m_maxLength));
}

} // namespace form
