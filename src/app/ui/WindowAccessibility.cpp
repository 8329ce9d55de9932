#include "app/ui/WindowAccessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

QAccessibleInterface* windowInterface(const QString& className, QObject* object) {
    // The factory is asked once per class of the object's hierarchy, most derived first.
    if (className != u"TMainForm"_s && className != u"TFavoriteForm"_s && className != u"TForm5"_s)
        return nullptr;
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget || !widget->isWindow())
        return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Window);
}

} // namespace

void installWindowAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(windowInterface);
        return true;
    }();
    Q_UNUSED(installed);
}
