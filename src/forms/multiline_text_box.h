#pragma once

#include <QPlainTextEdit>
#include <limits>

namespace form {

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

    // As a line edit's: longer text, typed, pasted, dropped or set, is cut.
    // Counts characters of the editor, a line break as one.
    int maxLength() const { return m_maxLength; }
    void setMaxLength(int length);

protected:
    void insertFromMimeData(const QMimeData *source) override;

private:
    void keepWithinMaxLength();

    int m_maxLength = std::numeric_limits<int>::max();
};

} // namespace form
