#include "ui/accessible_roles.h"

#include <QAccessibleWidget>

#include "ui/preview_box.h"
#include "ui/small_window.h"

namespace vm::ui {

namespace {

QAccessibleInterface* ownWidget(const QString&, QObject* object) {
    if (auto* window = qobject_cast<SmallWindow*>(object))
        return new QAccessibleWidget(window, QAccessible::Window);
    if (auto* preview = qobject_cast<PreviewBox*>(object))
        return new QAccessibleWidget(preview, QAccessible::Graphic);
    return nullptr;
}

}  // namespace

void announceOwnWidgets() {
    static const bool installed = (QAccessible::installFactory(&ownWidget), true);
    (void)installed;
}

}  // namespace vm::ui
