#pragma once

#include <QAccessibleTextInterface>
#include <QList>
#include <functional>

class QAbstractButton;
class QComboBox;
class QWidget;

// What a screen reader needs to follow the program as it is used, beyond the
// tree windows::accessibility describes: the events that make it speak at
// the right moment, and text it can read where Qt offers none or offers it in
// pieces it cannot put together. Debian's Orca is the reader this is checked
// with (scripts/orca_check.sh).
namespace windows::screenreader {

// Teaches Qt's accessibility layer the program's text boxes and which of its
// windows there are to see, and keeps what happens in hidden windows to
// itself. Called by windows::accessibility::install(); only the first call
// does anything.
void install();

// Makes a drop-down list speak the entry it shows: the entry is its text, and
// each new entry is announced as it is chosen with the list closed, the way
// a screen reader expects a selected text to be replaced. Typing a letter on
// the closed list picks an entry without pretending that the list opened.
void followList(QComboBox *list);

// While it lives, assistive technology hears nothing of the control's text
// and caret changing. For a change the control makes to itself as it gets the
// focus: Qt reports the focus only after it, and a screen reader that heard of
// the caret first takes that as the arrival and never says which control was
// reached. The new text is read with the focus anyway.
class QuietTextChanges
{
public:
    explicit QuietTextChanges(QWidget *control);
    ~QuietTextChanges();
    QuietTextChanges(const QuietTextChanges &) = delete;
    QuietTextChanges &operator=(const QuietTextChanges &) = delete;

private:
    bool m_installed = false;
};

// The words shown in the frame, in reading order (top to bottom, then left to
// right): what a screen reader reads out with the button.
QString readingOrderText(const QWidget *frame);

// Describes the button with what the frame shows, so that a screen reader
// reads the outcome with the button that has the focus and in its say-all.
void describeWithFrame(QAbstractButton *button, const QWidget *frame);

// The message box about the e-mail addresses does not say which field is at
// fault, and the user comes back to the button that sent them: the button
// says it (its accessible name and the message) until one of the fields is
// edited. No fields, or an empty message: the button says nothing more.
void describeFault(QAbstractButton *button, const QList<QWidget *> &fields, const QString &message);

// Plain read-only text for an accessible interface that shows a text of its
// own: one line, no attributes but spanning the whole text, and the whole text
// reported as selected while selected() says so.
class ShownText : public QAccessibleTextInterface
{
public:
    ShownText(std::function<QString()> text, std::function<bool()> selected);

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

private:
    std::function<QString()> m_text;
    std::function<bool()> m_selected;
};

} // namespace windows::screenreader
