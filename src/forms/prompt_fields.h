#pragma once

#include <QObject>
#include <QString>
#include <vector>

class QWidget;

namespace form {

// Text boxes that show their prompt inside themselves while empty: the prompt
// goes when the box gets the focus and comes back when it is left empty. Some
// boxes also refuse a typed blank. Whether a box shows its prompt is read from
// its text alone; nothing else is remembered.
class PromptFields : public QObject
{
    Q_OBJECT
public:
    explicit PromptFields(QObject *parent = nullptr);

    void add(QWidget *field, const QString &prompt, bool refuseSpace);

    static QString textOf(const QWidget *field);
    static void setTextOf(QWidget *field, const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Field
    {
        QWidget *widget;
        QString prompt;
        bool refuseSpace;
    };
    const Field *find(const QObject *object) const;

    std::vector<Field> m_fields;
};

} // namespace form
