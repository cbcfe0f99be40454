#include "forms/form_builder.h"

#include "common/identity.h"
#include "forms/form_fonts.h"
#include "forms/form_label.h"
#include "forms/multiline_text_box.h"
#include "forms/toggle_button.h"

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <vector>

namespace form {
namespace {
const QColor black(0, 0, 0);
const QColor white(255, 255, 255);
const QColor greyed(128, 128, 128);

QColor colour(int rgb, const QColor &fallback)
{
    return rgb < 0 ? fallback : QColor::fromRgb(QRgb(rgb));
}

void setColours(QWidget *widget, std::initializer_list<QPalette::ColorRole> roles,
                const QColor &value)
{
    QPalette palette = widget->palette();
    for (auto role : roles)
        palette.setColor(role, value);
    widget->setPalette(palette);
}

bool isWindowless(Kind kind)
{
    return kind == Kind::Label || kind == Kind::Line;
}

bool takesFocus(const Control &row)
{
    switch (row.kind) {
    case Kind::Button:
    case Kind::Option:
    case Kind::List:
    case Kind::Text:
    case Kind::MultiText:
    case Kind::ToggleButton:
        return true;
    case Kind::Picture:
        return row.flags & TakesFocus;
    default:
        return false;
    }
}

QWidget *create(const Control &row, QWidget *parent)
{
    const QString caption = row.caption ? QString::fromLatin1(row.caption) : QString();
    const QColor text = colour(row.colours.text, black);
    switch (row.kind) {
    case Kind::Frame: {
        auto *frame = new QGroupBox(caption, parent);
        frame->setAutoFillBackground(true);
        setColours(frame, {QPalette::Window},
                   colour(row.colours.back, frame->palette().color(QPalette::Window)));
        setColours(frame, {QPalette::WindowText, QPalette::Text}, text);
        return frame;
    }
    case Kind::Label: {
        auto *label = new form::FormLabel(parent);
        label->setText(shownCaption(row.caption));
        label->setAlignment((row.flags & Centred ? Qt::AlignHCenter : Qt::AlignLeft) |
                            Qt::AlignTop);
        label->setWordWrap(true);
        setColours(label, {QPalette::WindowText}, text);
        if (row.colours.back >= 0) {
            label->setAutoFillBackground(true);
            setColours(label, {QPalette::Window}, colour(row.colours.back, black));
        }
        return label;
    }
    case Kind::Button:
    case Kind::ToggleButton: {
        QPushButton *button = row.kind == Kind::ToggleButton
                                  ? new form::FormToggleButton(caption, parent)
                                  : new QPushButton(caption, parent);
        button->setAutoDefault(false);
        setColours(button, {QPalette::ButtonText}, text);
        if (row.colours.back >= 0)
            setColours(button, {QPalette::Button}, colour(row.colours.back, white));
        return button;
    }
    case Kind::Option: {
        auto *option = new QRadioButton(caption, parent);
        option->setChecked(row.flags & Selected);
        setColours(option, {QPalette::WindowText}, text);
        if (row.colours.back >= 0) {
            option->setAutoFillBackground(true);
            // Buttons fill their background from the Button role.
            setColours(option, {QPalette::Window, QPalette::Button},
                       colour(row.colours.back, black));
        }
        return option;
    }
    case Kind::List: {
        auto *list = new QComboBox(parent);
        list->setEditable(false);
        QPalette palette = list->palette();
        const QColor back = colour(row.colours.back, white);
        for (auto role : {QPalette::Button, QPalette::Base, QPalette::Window})
            palette.setColor(role, back);
        for (auto group : {QPalette::Active, QPalette::Inactive})
            for (auto role : {QPalette::ButtonText, QPalette::Text, QPalette::WindowText})
                palette.setColor(group, role, text);
        for (auto role : {QPalette::ButtonText, QPalette::Text, QPalette::WindowText})
            palette.setColor(QPalette::Disabled, role, greyed);
        list->setPalette(palette);
        return list;
    }
    case Kind::Text: {
        auto *box = new QLineEdit(caption, parent);
        setColours(box, {QPalette::Base}, colour(row.colours.back, white));
        setColours(box, {QPalette::Text}, text);
        return box;
    }
    case Kind::MultiText: {
        auto *box = new form::MultiLineTextBox(parent);
        box->setText(caption);
        setColours(box, {QPalette::Base}, colour(row.colours.back, white));
        setColours(box, {QPalette::Text}, text);
        return box;
    }
    case Kind::Picture: {
        auto *picture = new QLabel(parent);
        picture->setPixmap(common::programIcon().pixmap(32, 32));
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        picture->setLineWidth(2);
        picture->setAutoFillBackground(true);
        // The box keeps the desktop's own window colour, whatever lies behind it.
        setColours(picture, {QPalette::Window}, QApplication::palette().color(QPalette::Window));
        return picture;
    }
    case Kind::Line: {
        auto *line = new QWidget(parent);
        line->setAutoFillBackground(true);
        setColours(line, {QPalette::Window}, text);
        return line;
    }
    }
    return nullptr;
}
// A box one line high was drawn for its text in the designed face. When the
// fallback face runs a few pixels wider, the last word would wrap onto a line
// nobody can see; let the box grow up to its container's edge instead.
void fitSingleLine(form::FormLabel *label)
{
    // Boxes with room for two lines need no measuring; deciding that from the
    // font's size alone keeps the font files unloaded until the first paint.
    if (label->height() >= 2 * label->font().pixelSize())
        return;
    const QFontMetrics metrics(label->font());
    if (label->height() >= 2 * metrics.lineSpacing())
        return;
    const int needed = metrics.horizontalAdvance(label->text()) + 2 * label->margin();
    if (needed <= label->width())
        return;
    const int room = label->parentWidget()->width() - label->x();
    label->resize(std::min(needed, room), label->height());
}

} // namespace

QString shownCaption(const QString &raw)
{
    QString shown;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw.at(i) == QLatin1Char('&') && i + 1 < raw.size())
            ++i; // "&x" shows x; "&&" shows "&"
        shown.append(raw.at(i));
    }
    return shown;
}

QString shownCaption(const char *caption)
{
    return caption ? shownCaption(QString::fromLatin1(caption)) : QString();
}

QHash<QString, QWidget *> build(QWidget *client, std::span<const Control> table,
                                const Font &windowFont)
{
    const QFont clientFont = makeFont(windowFont, client->font());
    client->setFont(clientFont);

    QHash<QString, QWidget *> controls;
    for (const Control &row : table) {
        QWidget *parent = row.parent ? controls.value(QString::fromLatin1(row.parent)) : client;
        if (!parent)
            qFatal("form: the container %s of %s is not built before it", row.parent, row.name);
        QWidget *widget = create(row, parent);
        widget->setObjectName(QString::fromLatin1(row.name));
        // A control without a font of its own takes the window's, not that of
        // the frame it sits in.
        widget->setFont(makeFont(row.font, clientFont));
        if (row.kind == Kind::Line)
            widget->setGeometry(px(row.left), px(row.top), px(row.width), 1);
        else
            widget->setGeometry(px(row.left), px(row.top), px(row.width), px(row.height));
        if (row.flags & HandPointer)
            widget->setCursor(Qt::PointingHandCursor);
        if (row.kind == Kind::Label && (row.flags & AutoSize))
            static_cast<form::FormLabel *>(widget)->setAutoSize(true);
        else if (row.kind == Kind::Label)
            fitSingleLine(static_cast<form::FormLabel *>(widget));
        widget->setFocusPolicy(takesFocus(row) ? Qt::StrongFocus : Qt::NoFocus);
        if (row.accessibleName)
            widget->setAccessibleName(QString::fromLatin1(row.accessibleName));
        controls.insert(widget->objectName(), widget);
    }

    // Stacking: raising from the last row to the first leaves the first row on
    // top. Labels and lines are painted on their container, so every windowed
    // control lies in front of them.
    for (auto it = table.rbegin(); it != table.rend(); ++it)
        if (isWindowless(it->kind))
            controls.value(QString::fromLatin1(it->name))->raise();
    for (auto it = table.rbegin(); it != table.rend(); ++it)
        if (!isWindowless(it->kind))
            controls.value(QString::fromLatin1(it->name))->raise();

    std::vector<const Control *> chain;
    for (const Control &row : table)
        if (takesFocus(row))
            chain.push_back(&row);
    std::stable_sort(chain.begin(), chain.end(),
                     [](const Control *a, const Control *b) { return a->tab < b->tab; });
    for (std::size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(controls.value(QString::fromLatin1(chain[i - 1]->name)),
                             controls.value(QString::fromLatin1(chain[i]->name)));
    return controls;
}

} // namespace form
