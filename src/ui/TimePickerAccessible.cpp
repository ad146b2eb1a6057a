#include "ui/TimePickerAccessible.h"

#include "ui/TimePickerParts.h"
#include "ui/ZephTimePicker.h"

#include <QAccessibleWidget>

namespace stanzary {

namespace {

ZephTimePicker *pickerOf(QWidget *w)
{
    return qobject_cast<ZephTimePicker *>(w ? w->parentWidget() : nullptr);
}

class PickerAccessible : public QAccessibleWidget
{
public:
    explicit PickerAccessible(ZephTimePicker *picker) : QAccessibleWidget(picker, QAccessible::Grouping) {}

    QString text(QAccessible::Text t) const override
    {
        auto *picker = static_cast<ZephTimePicker *>(widget());
        switch (t) {
        // The whole stamp is in the name: the AT-SPI bridge of Qt 6.4 does
        // not pass a grouping's value on, so a screen reader would hear
        // only "Stamp 3" and then the parts one by one.
        case QAccessible::Name:
            return (picker->accessibleName().isEmpty() ? QStringLiteral("Stamp") : picker->accessibleName())
                   + QStringLiteral(": ") + picker->stampText();
        case QAccessible::Value: return picker->stampText();
        default: return QAccessibleWidget::text(t);
        }
    }

    QAccessibleInterface *focusChild() const override
    {
        auto *picker = static_cast<ZephTimePicker *>(widget());
        if (QWidget *part = picker->partWidget(picker->selectedPart()); part && picker->hasFocus())
            return QAccessible::queryAccessibleInterface(part);
        return QAccessibleWidget::focusChild();
    }
};

// A number field: a spin box whose value the picker's spinner steps.
class PartAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit PartAccessible(TimePartField *field) : QAccessibleWidget(field, QAccessible::SpinBox) {}

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override
    {
        ZephTimePicker *picker = pickerOf(widget());
        if (!picker)
            return QAccessibleWidget::text(t);
        switch (t) {
        case QAccessible::Name: return ZephTimePicker::partName(part());
        case QAccessible::Value: return picker->partText(part());
        default: return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        ZephTimePicker *picker = pickerOf(widget());
        s.focused = picker && picker->hasFocus() && picker->selectedPart() == part();
        s.selected = picker && picker->selectedPart() == part();
        return s;
    }

    QVariant currentValue() const override
    {
        ZephTimePicker *picker = pickerOf(widget());
        return picker ? picker->property(propertyName()) : QVariant();
    }
    void setCurrentValue(const QVariant &value) override
    {
        if (ZephTimePicker *picker = pickerOf(widget()))
            picker->setProperty(propertyName(), value);
    }
    QVariant maximumValue() const override { return ZephTimePicker::partMaximum(part()); }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return part() == ZephTimePicker::FramePart ? 2 : 1; }

private:
    ZephTimePicker::Part part() const { return ZephTimePicker::Part(static_cast<TimePartField *>(widget())->part()); }
    const char *propertyName() const
    {
        static const char *names[3] = {"Minute", "Second", "Frame"};
        return names[part()];
    }
};

QAccessibleInterface *timePickerInterfaces(const QString &className, QObject *object)
{
    if (className == QLatin1StringView(ZephTimePicker::staticMetaObject.className()))
        return new PickerAccessible(static_cast<ZephTimePicker *>(object));
    if (className == QLatin1StringView(TimePartField::staticMetaObject.className()))
        return new PartAccessible(static_cast<TimePartField *>(object));
    return nullptr;
}

} // namespace

void installTimePickerAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(timePickerInterfaces);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace stanzary
