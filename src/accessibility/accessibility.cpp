#include "accessibility/accessibility.h"

#include "accessibility/application_accessible.h"
#include "accessibility/control_interfaces.h"
#include "accessibility/line_edit_accessible.h"
#include "accessibility/list_accessible.h"
#include "accessibility/reading_order.h"
#include "accessibility/update_filter.h"
#include "forms/form_label.h"
#include "forms/toggle_button.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>

namespace accessibility {
namespace {

// Qt asks the factory once for each class an object is, most derived first;
// the object's own meta-object decides, whatever name it is asked with.
QAccessibleInterface *makeInterface(const QString &, QObject *object)
{
    if (!object)
        return nullptr;
    if (object == QCoreApplication::instance() && qobject_cast<QApplication *>(object))
        return new ApplicationAccessible;
    if (!object->isWidgetType())
        return nullptr;
    if (auto *label = qobject_cast<form::FormLabel *>(object))
        return new LabelAccessible(label);
    // The forms' buttons; Qt's own dialogs keep Qt's description of theirs.
    if (qobject_cast<form::FormToggleButton *>(object) ||
        (object->metaObject() == &QPushButton::staticMetaObject &&
         !qobject_cast<QDialogButtonBox *>(object->parent())))
        return new ButtonAccessible(static_cast<QAbstractButton *>(object));
    if (auto *list = qobject_cast<QComboBox *>(object))
        return new ListAccessible(list);
    if (auto *frame = qobject_cast<QGroupBox *>(object))
        return new FrameAccessible(frame);
    // The windows and their client areas list their controls in reading
    // order. Matched as Qt's classes: Qt may ask while a form window is still
    // being built, and every main window of the program is a form.
    if (auto *window = qobject_cast<QMainWindow *>(object))
        return new ContainerAccessible(window, QAccessible::Window);
    if (object->metaObject() == &QWidget::staticMetaObject &&
        qobject_cast<QMainWindow *>(object->parent()))
        return new ContainerAccessible(static_cast<QWidget *>(object), QAccessible::Client);
    // A dialog built from a layout table (the About window) places its
    // controls itself; Qt's own dialogs have a layout and keep Qt's order.
    if (auto *dialog = qobject_cast<QDialog *>(object); dialog && !dialog->layout())
        return new ContainerAccessible(dialog, QAccessible::Dialog);
    // A password box keeps Qt's own description, which hides what is typed.
    if (auto *box = qobject_cast<QLineEdit *>(object); box && box->echoMode() == QLineEdit::Normal)
        return new LineEditAccessible(box);
    return nullptr;
}

} // namespace

void install()
{
    static const bool installed = [] {
        // Qt asks the factory installed last first, so this one is asked
        // before Qt's own.
        QAccessible::installFactory(&makeInterface);
        // Qt may have described the program already.
        QAccessibleInterface *program = QAccessible::queryAccessibleInterface(qApp);
        if (program && !dynamic_cast<ApplicationAccessible *>(program))
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(program));
        updates::install();
        return true;
    }();
    (void)installed;
}

} // namespace accessibility
