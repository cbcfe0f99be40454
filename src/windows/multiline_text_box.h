#pragma once

#include <QPlainTextEdit>

namespace windows {

// A multi-line text box whose text uses CR LF line breaks, as typed text of
// such a box does on the desktop it was designed for. The editor itself keeps
// bare line feeds, so the conversion happens at this edge.
class MultiLineTextBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit MultiLineTextBox(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
};

} // namespace windows
