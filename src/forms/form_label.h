#pragma once

#include <QLabel>

namespace form {

// A label of a form. It reports clicks (press and release on the label), and
// when it is sized to its text its box follows every new caption.
class FormLabel : public QLabel
{
    Q_OBJECT
public:
    explicit FormLabel(QWidget *parent = nullptr);

    void setAutoSize(bool on);
    bool autoSize() const { return m_autoSize; }
    // Sets the text shown, growing or shrinking the box to it when sized to
    // its text.
    void setCaption(const QString &text);

    // A label that reacts to clicks is a link.
    bool isLink() const;
    // Does what a click on it does; how assistive technology follows a link.
    void activate();

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_autoSize = false;
    bool m_pressed = false;
};

} // namespace form
