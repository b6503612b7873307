// ValueLabel and the accessible interface that exposes its text as its value.
#include "ValueLabel.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace rdwidgets {

namespace {

// Static text, read-only: the name is the caption, the value and the text
// interface give the label's text.
class AccessibleValueLabel : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit AccessibleValueLabel(QWidget *widget) : QAccessibleWidget(widget, QAccessible::StaticText) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return shown();
        return QAccessibleWidget::text(t);
    }

    // QAccessibleTextInterface: the whole text, no selection, no caret.
    void selection(int, int *startOffset, int *endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override
    {
        const QString all = shown();
        if (startOffset < 0 || endOffset < startOffset || startOffset > all.size())
            return QString();
        return all.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(shown().size()); }
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return QString();
    }

private:
    QString shown() const { return static_cast<const QLabel *>(widget())->text(); }
};

QAccessibleInterface *ValueLabelFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String(ValueLabel::staticMetaObject.className()) && object && object->isWidgetType())
        return new AccessibleValueLabel(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

ValueLabel::ValueLabel(const QString &caption, QWidget *parent, const QString &text)
    : QLabel(text, parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(ValueLabelFactory);
        return true;
    }();
    Q_UNUSED(installed);
    setTextFormat(Qt::PlainText);
    setAccessibleName(caption);
}

} // namespace rdwidgets
