#include "ui/accessible_roles.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QTabBar>
#include <QWidget>

#include <map>

#include "ui/preview_box.h"
#include "ui/small_window.h"

namespace vm::ui {

namespace {

// One tab of a tab bar. Qt's own says the selected tab has the focus wherever the
// focus really is, so a screen reader hears two controls claim it; this one claims
// it only while the tab bar itself has it.
class PageTab : public QAccessibleInterface, public QAccessibleActionInterface {
  public:
    PageTab(QTabBar* bar, int index) : m_bar(bar), m_index(index) {}

    bool isValid() const override { return m_bar && m_index < m_bar->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_bar ? m_bar->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(m_bar.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        if (!isValid()) return {};
        if (t == QAccessible::Name) return m_bar->tabText(m_index).remove(QLatin1Char('&'));
        if (t == QAccessible::Description) return m_bar->tabToolTip(m_index);
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const bool current = m_bar->currentIndex() == m_index;
        s.selectable = s.focusable = true;
        s.selected = current;
        s.focused = current && m_bar->hasFocus();
        s.invisible = !m_bar->isVisible();
        s.disabled = !m_bar->isTabEnabled(m_index);
        return s;
    }
    QRect rect() const override {
        if (!isValid()) return {};
        const QRect tab = m_bar->tabRect(m_index);
        return QRect(m_bar->mapToGlobal(tab.topLeft()), tab.size());
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (isValid() && action == pressAction()) m_bar->setCurrentIndex(m_index);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    QPointer<QTabBar> m_bar;
    int m_index;
};

class TabList : public QAccessibleWidget {
  public:
    explicit TabList(QTabBar* bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}
    ~TabList() override {
        for (const auto& [index, id] : m_tabs) QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return bar()->count(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= bar()->count()) return nullptr;
        if (const auto known = m_tabs.find(index); known != m_tabs.end())
            return QAccessible::accessibleInterface(known->second);
        auto* tab = new PageTab(bar(), index);
        m_tabs[index] = QAccessible::registerAccessibleInterface(tab);
        return tab;
    }
    int indexOfChild(const QAccessibleInterface* tab) const override {
        for (const auto& [index, id] : m_tabs)
            if (QAccessible::accessibleInterface(id) == tab) return index;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (int i = 0; i < childCount(); ++i)
            if (QAccessibleInterface* tab = child(i); tab && tab->rect().contains(x, y)) return tab;
        return nullptr;
    }

  private:
    QTabBar* bar() const { return static_cast<QTabBar*>(widget()); }
    mutable std::map<int, QAccessible::Id> m_tabs;
};

QAccessibleInterface* ownWidget(const QString&, QObject* object) {
    if (auto* window = qobject_cast<SmallWindow*>(object))
        return new QAccessibleWidget(window, QAccessible::Window);
    if (auto* preview = qobject_cast<PreviewBox*>(object))
        return new QAccessibleWidget(preview, QAccessible::Graphic);
    if (auto* tabs = qobject_cast<QTabBar*>(object)) return new TabList(tabs);
    return nullptr;
}

}  // namespace

void announceOwnWidgets() {
    static const bool kInstalled = (QAccessible::installFactory(&ownWidget), true);
    (void)kInstalled;
}

}  // namespace vm::ui
