#include "windows/screen_reader.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleApplication>
#include <QAccessibleWidget>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>
#include <optional>
#include <utility>

namespace windows::screenreader {
namespace {

// The whole text is one run: Qt's own text boxes report an empty run at every
// offset, and a reader that joins the runs to read a line drops its last
// character.
void wholeRun(int characterCount, int *startOffset, int *endOffset)
{
    *startOffset = 0;
    *endOffset = std::max(0, characterCount);
}

// A single-line text box as Qt describes one, with text attributes a screen
// reader can put together again.
class LineEditAccessible : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface
{
public:
    explicit LineEditAccessible(QLineEdit *box) : QAccessibleWidget(box, QAccessible::EditableText)
    {
        addControllingSignal(QStringLiteral("textChanged(const QString&)"));
        addControllingSignal(QStringLiteral("returnPressed()"));
    }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        if (t == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override
    {
        QString text;
        if (t == QAccessible::Value && box()->echoMode() == QLineEdit::Normal)
            text = box()->text();
        else if (t == QAccessible::Value && box()->echoMode() != QLineEdit::NoEcho)
            text = QString(box()->text().size(), QLatin1Char('*'));
        if (text.isEmpty())
            text = QAccessibleWidget::text(t);
        if (text.isEmpty() && t == QAccessible::Description)
            text = box()->placeholderText();
        return text;
    }

    void setText(QAccessible::Text t, const QString &text) override
    {
        if (t == QAccessible::Value)
            box()->setText(text);
        else
            QAccessibleWidget::setText(t, text);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = true;
        state.readOnly = box()->isReadOnly();
        state.passwordEdit = box()->echoMode() != QLineEdit::Normal;
        state.selectableText = true;
        return state;
    }

    // Text
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        wholeRun(characterCount(), startOffset, endOffset);
        return {};
    }
    int cursorPosition() const override { return box()->cursorPosition(); }
    void setCursorPosition(int position) override { box()->setCursorPosition(position); }
    int selectionCount() const override { return box()->hasSelectedText() ? 1 : 0; }
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex != 0 || !box()->hasSelectedText())
            return;
        *startOffset = box()->selectionStart();
        *endOffset = *startOffset + int(box()->selectedText().size());
    }
    void addSelection(int startOffset, int endOffset) override
    {
        setSelection(0, startOffset, endOffset);
    }
    void removeSelection(int selectionIndex) override
    {
        if (selectionIndex == 0)
            box()->deselect();
    }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override
    {
        if (selectionIndex == 0)
            box()->setSelection(startOffset, endOffset - startOffset);
    }
    QString text(int startOffset, int endOffset) const override
    {
        if (startOffset > endOffset || box()->echoMode() != QLineEdit::Normal)
            return {};
        return box()->text().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(box()->text().size()); }
    QRect characterRect(int offset) const override
    {
        const QString shown = text(offset, offset + 1);
        if (shown.isEmpty())
            return {};
        const QFontMetrics metrics(box()->font());
        const QRect contents = box()->contentsRect().marginsRemoved(box()->textMargins());
        const int x = contents.left() + metrics.horizontalAdvance(text(0, offset));
        QRect rect(x, contents.top(), metrics.horizontalAdvance(shown), metrics.height());
        rect.moveTo(box()->mapToGlobal(rect.topLeft()));
        return rect;
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return box()->cursorPositionAt(box()->mapFromGlobal(point));
    }
    void scrollToSubstring(int startIndex, int endIndex) override
    {
        box()->setCursorPosition(endIndex);
        box()->setCursorPosition(startIndex);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int *startOffset, int *endOffset) const override
    {
        if (box()->echoMode() != QLineEdit::Normal) {
            *startOffset = *endOffset = -1;
            return {};
        }
        return QAccessibleTextInterface::textBeforeOffset(offset == -2 ? cursorPosition() : offset,
                                                          boundaryType, startOffset, endOffset);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int *startOffset, int *endOffset) const override
    {
        if (box()->echoMode() != QLineEdit::Normal) {
            *startOffset = *endOffset = -1;
            return {};
        }
        return QAccessibleTextInterface::textAfterOffset(offset == -2 ? cursorPosition() : offset,
                                                         boundaryType, startOffset, endOffset);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override
    {
        if (box()->echoMode() != QLineEdit::Normal) {
            *startOffset = *endOffset = -1;
            return {};
        }
        return QAccessibleTextInterface::textAtOffset(offset == -2 ? cursorPosition() : offset,
                                                      boundaryType, startOffset, endOffset);
    }

    // Editable text
    void deleteText(int startOffset, int endOffset) override
    {
        box()->setText(box()->text().remove(startOffset, endOffset - startOffset));
    }
    void insertText(int offset, const QString &text) override
    {
        box()->setText(box()->text().insert(offset, text));
    }
    void replaceText(int startOffset, int endOffset, const QString &text) override
    {
        box()->setText(box()->text().replace(startOffset, endOffset - startOffset, text));
    }

private:
    QLineEdit *box() const { return static_cast<QLineEdit *>(widget()); }
};

// The program as Qt describes it, with only the windows that show as its
// children. A window made hidden in advance (the exit window is made at Next)
// is of no use to anyone, and a screen reader that looked at it then keeps it
// as not visible: Qt only ever tells it that a window became showing, never
// that it became visible.
class ApplicationAccessible : public QAccessibleApplication
{
public:
    int childCount() const override { return int(shownWindows().size()); }
    QAccessibleInterface *child(int index) const override
    {
        const QList<QAccessibleInterface *> shown = shownWindows();
        return index >= 0 && index < shown.size() ? shown.at(index) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return int(shownWindows().indexOf(const_cast<QAccessibleInterface *>(child)));
    }

private:
    QList<QAccessibleInterface *> shownWindows() const
    {
        QList<QAccessibleInterface *> shown;
        for (int i = 0; i < QAccessibleApplication::childCount(); ++i) {
            QAccessibleInterface *window = QAccessibleApplication::child(i);
            const auto *widget = window ? qobject_cast<const QWidget *>(window->object()) : nullptr;
            if (window && (!widget || widget->isVisible()))
                shown.append(window);
        }
        return shown;
    }
};

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (object && object == QCoreApplication::instance() &&
        className == QLatin1String("QApplication"))
        return new ApplicationAccessible;
    if (className == QLatin1String("QLineEdit") && object && object->isWidgetType())
        return new LineEditAccessible(static_cast<QLineEdit *>(object));
    return nullptr;
}

// Typing a letter on a closed list picks the next entry starting with it. Qt
// does that through the list's popup, whose list then reports its new current
// entry as focused although it never opened; with the popup's bookkeeping
// kept quiet the list itself announces the entry it now shows.
//
// Opening the list, Qt reports the popup's list as focused but not its entry
// when that was current already: a screen reader then says how many entries
// there are and not which one the user is on. The entry follows once the
// popup has shown.
class ListWatch : public QObject
{
public:
    explicit ListWatch(QComboBox *list) : QObject(list), m_list(list)
    {
        list->installEventFilter(this);
        if (list->view()) {
            m_popup = list->view()->window();
            m_popup->installEventFilter(this);
        }
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Nothing here asks the list anything unless it is a show, hide or key
        // press: the popup sends other events while the list is destroyed.
        if (m_popup && watched == m_popup && watched != m_list) {
            if (event->type() == QEvent::Show) {
                QTimer::singleShot(0, this, &ListWatch::announceOpenEntry);
            } else if (event->type() == QEvent::Hide) {
                // Qt closes the popup first and then takes the entry chosen in it.
                m_closing = true;
                QTimer::singleShot(0, this, [this] { m_closing = false; });
            }
            return false;
        }
        if (watched != m_list || event->type() != QEvent::KeyPress || m_forwarding)
            return false;
        QAbstractItemView *popup = m_list->view();
        const auto *key = static_cast<QKeyEvent *>(event);
        // Space opens the list, and a key with Ctrl or Alt is a command.
        const QString typed = key->text();
        if (typed.isEmpty() || !typed.at(0).isPrint() || typed.at(0).isSpace() ||
            (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) || !popup ||
            popup->isVisible() || !popup->selectionModel())
            return false;
        const QSignalBlocker quiet(popup->selectionModel());
        m_forwarding = true;
        static_cast<QObject *>(m_list)->event(event);
        m_forwarding = false;
        return true;
    }

public:
    // True while the popup is open or closing: an entry chosen there has been
    // heard in the popup and is heard again with the list.
    bool choosingInPopup() const
    {
        return m_closing || (m_list->view() && m_list->view()->isVisible());
    }

private:
    void announceOpenEntry()
    {
        QAbstractItemView *popup = m_list->view();
        if (!QAccessible::isActive() || !popup || !popup->isVisible() ||
            !popup->currentIndex().isValid())
            return;
        QAccessibleEvent event(popup, QAccessible::Focus);
        event.setChild(popup->currentIndex().row());
        QAccessible::updateAccessibility(&event);
    }

    QComboBox *m_list;
    QPointer<QWidget> m_popup;
    bool m_forwarding = false;
    bool m_closing = false;
};

} // namespace

void followList(QComboBox *list)
{
    auto *watch = new ListWatch(list);
    QObject::connect(
        list, &QComboBox::currentTextChanged, watch, [list, watch](const QString &shown) {
            if (!QAccessible::isActive() || shown.isEmpty() || watch->choosingInPopup())
                return;
            // Only the new entry: a reader that heard the old one removed would
            // say that the selected text was deleted.
            QAccessibleTextInsertEvent event(list, 0, shown);
            QAccessible::updateAccessibility(&event);
        });
}

namespace {
QAccessible::UpdateHandler beforeHiddenFilter = nullptr;
void dropEventsOfHiddenWindows(QAccessibleEvent *event);

void forwardPastHiddenFilter(QAccessibleEvent *event)
{
    QAccessible::installUpdateHandler(beforeHiddenFilter);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(&dropEventsOfHiddenWindows);
}

// Controls shown or hidden since the program last waited for input, in the
// order they first changed; none: back as they were.
struct ShowChange
{
    QPointer<QObject> control;
    std::optional<QAccessible::Event> change;
};
QList<ShowChange> pendingShowChanges;

// A window shown and hidden again in one go (closing the result window shows
// the exit window and Back hides it at once) never reached the screen. A
// screen reader told of it would look at it once it was hidden again and keep
// it as not visible for good: Qt only ever tells it that a window became
// showing, never that it became visible. So showing and hiding are told once
// the program waits again, and only when they stuck.
void tellShowChanges()
{
    const QList<ShowChange> changes = std::exchange(pendingShowChanges, {});
    for (const ShowChange &change : changes) {
        if (!change.control || !change.change)
            continue; // gone, or back as it was
        QAccessibleEvent event(change.control.data(), *change.change);
        forwardPastHiddenFilter(&event);
    }
}

// Nothing in a hidden window can be seen, so assistive technology hears
// nothing of it until it shows.
void dropEventsOfHiddenWindows(QAccessibleEvent *event)
{
    const auto *widget = qobject_cast<const QWidget *>(event->object());
    const QAccessible::Event type = event->type();
    if (widget && event->child() < 0 &&
        (type == QAccessible::ObjectShow || type == QAccessible::ObjectHide)) {
        auto known =
            std::find_if(pendingShowChanges.begin(), pendingShowChanges.end(),
                         [widget](const ShowChange &change) { return change.control == widget; });
        if (known == pendingShowChanges.end()) {
            if (pendingShowChanges.isEmpty())
                QTimer::singleShot(0, QCoreApplication::instance(), &tellShowChanges);
            pendingShowChanges.append({const_cast<QWidget *>(widget), type});
        } else if (!known->change) {
            known->change = type;
        } else if (*known->change != type) {
            known->change.reset(); // shown and hidden again, or the other way round
        }
        return;
    }
    if (widget && type != QAccessible::ObjectDestroyed && !widget->window()->isVisible())
        return;
    forwardPastHiddenFilter(event);
}

const QObject *quietControl = nullptr;
QAccessible::UpdateHandler outerHandler = nullptr;

bool isTextChange(QAccessible::Event type)
{
    switch (type) {
    case QAccessible::TextInserted:
    case QAccessible::TextRemoved:
    case QAccessible::TextUpdated:
    case QAccessible::TextCaretMoved:
    case QAccessible::TextSelectionChanged:
        return true;
    default:
        return false;
    }
}

void dropQuietTextChanges(QAccessibleEvent *event)
{
    if (event->object() == quietControl && isTextChange(event->type()))
        return;
    // Everything else goes on as if this handler were not there.
    QAccessible::installUpdateHandler(outerHandler);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(&dropQuietTextChanges);
}
} // namespace

QuietTextChanges::QuietTextChanges(QWidget *control)
{
    if (quietControl)
        return; // already inside one
    quietControl = control;
    outerHandler = QAccessible::installUpdateHandler(&dropQuietTextChanges);
    m_installed = true;
}

QuietTextChanges::~QuietTextChanges()
{
    if (!m_installed)
        return;
    const QAccessible::UpdateHandler current = QAccessible::installUpdateHandler(outerHandler);
    // A handler installed meanwhile stays: it forwards to this one's.
    if (current != &dropQuietTextChanges)
        QAccessible::installUpdateHandler(current);
    quietControl = nullptr;
    outerHandler = nullptr;
}

QString readingOrderText(const QWidget *frame)
{
    QList<const QLabel *> labels;
    for (const QLabel *label : frame->findChildren<const QLabel *>())
        if (!label->isHidden() && !label->text().trimmed().isEmpty())
            labels.append(label);
    std::stable_sort(labels.begin(), labels.end(), [frame](const QLabel *a, const QLabel *b) {
        const QPoint pa = a->mapTo(frame, QPoint(0, 0));
        const QPoint pb = b->mapTo(frame, QPoint(0, 0));
        // Labels on one line rarely share their exact top: half a line apart
        // still counts as the same line.
        const int line = std::max(a->height(), b->height()) / 2;
        if (std::abs(pa.y() - pb.y()) > line)
            return pa.y() < pb.y();
        return pa.x() < pb.x();
    });
    QStringList words;
    for (const QLabel *label : labels)
        words.append(label->text().simplified());
    return words.join(QLatin1Char(' '));
}

void describeWithFrame(QAbstractButton *button, const QWidget *frame)
{
    button->setAccessibleDescription(readingOrderText(frame));
}

namespace {
// The edits that make a button's fault stale: those of the fields at fault
// of the last refusal only.
class FaultWatch : public QObject
{
public:
    explicit FaultWatch(QAbstractButton *button) : QObject(button)
    {
        setObjectName(QStringLiteral("faultWatch"));
    }
    static FaultWatch *of(QAbstractButton *button)
    {
        QObject *found =
            button->findChild<QObject *>(QStringLiteral("faultWatch"), Qt::FindDirectChildrenOnly);
        return found ? static_cast<FaultWatch *>(found) : new FaultWatch(button);
    }
    void forget()
    {
        for (const QMetaObject::Connection &edit : std::exchange(m_edits, {}))
            QObject::disconnect(edit);
    }
    void watch(QLineEdit *field, QAbstractButton *button)
    {
        m_edits.append(QObject::connect(field, &QLineEdit::textEdited, this, [this, button] {
            button->setAccessibleDescription(QString());
            forget();
        }));
    }

private:
    QList<QMetaObject::Connection> m_edits;
};
} // namespace

void describeFault(QAbstractButton *button, const QList<QWidget *> &fields, const QString &message)
{
    FaultWatch *watch = FaultWatch::of(button);
    watch->forget();
    if (fields.isEmpty() || message.isEmpty()) {
        button->setAccessibleDescription(QString());
        return;
    }
    QStringList names;
    for (QWidget *field : fields) {
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(field);
        names.append(face ? face->text(QAccessible::Name) : field->accessibleName());
        if (auto *box = qobject_cast<QLineEdit *>(field))
            watch->watch(box, button);
    }
    button->setAccessibleDescription(names.join(QStringLiteral(" and ")) + QStringLiteral(": ") +
                                     message);
}

ShownText::ShownText(std::function<QString()> text, std::function<bool()> selected)
    : m_text(std::move(text)), m_selected(std::move(selected))
{
}

int ShownText::selectionCount() const
{
    return m_selected() && characterCount() > 0 ? 1 : 0;
}

void ShownText::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex == 0 && selectionCount() == 1)
        *endOffset = characterCount();
}

QString ShownText::text(int startOffset, int endOffset) const
{
    const QString all = m_text();
    if (endOffset < 0 || endOffset > all.size())
        endOffset = int(all.size());
    if (startOffset < 0 || startOffset > endOffset)
        return {};
    return all.mid(startOffset, endOffset - startOffset);
}

int ShownText::characterCount() const
{
    return int(m_text().size());
}

QString ShownText::attributes(int, int *startOffset, int *endOffset) const
{
    wholeRun(characterCount(), startOffset, endOffset);
    return {};
}

void install()
{
    static const bool installed = [] {
        QAccessible::installFactory(&factory);
        // Qt may have described the program already, before any window.
        QAccessibleInterface *program = QAccessible::queryAccessibleInterface(qApp);
        if (program && !dynamic_cast<ApplicationAccessible *>(program))
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(program));
        beforeHiddenFilter = QAccessible::installUpdateHandler(&dropEventsOfHiddenWindows);
        return true;
    }();
    (void)installed;
}

} // namespace windows::screenreader
