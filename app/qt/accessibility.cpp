#include "app/qt/accessibility.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QWidget>

#include "app/qt/text.h"
#include "app/ui/progress_feed.h"

namespace {

Accessible_Event_Handler& event_handler() {
    static Accessible_Event_Handler handler;
    return handler;
}

void send(QAccessibleEvent& event) {
    if (event_handler())
        event_handler()(&event);
    else
        QAccessible::updateAccessibility(&event);
}

QString from_u16(const std::u16string& text) { return QString::fromStdU16String(text); }

QList<Accessible_Part*> parts_of(const QWidget* owner) {
    QList<Accessible_Part*> parts;
    for (QObject* child : owner->children())
        if (auto* part = dynamic_cast<Accessible_Part*>(child)) parts.push_back(part);
    return parts;
}

class Part_Interface final : public QAccessibleObject,
                             public QAccessibleTextInterface,
                             public QAccessibleValueInterface,
                             public QAccessibleActionInterface {
public:
    explicit Part_Interface(Accessible_Part* part) : QAccessibleObject(part) {}
    Accessible_Part* part() const { return static_cast<Accessible_Part*>(object()); }

    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(part()->owner()); }
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QRect rect() const override {
        const QWidget* owner = part()->owner();
        const QRect area = part()->area ? part()->area() : QRect();
        return QRect(owner->mapToGlobal(area.topLeft()), area.size());
    }

    QAccessible::Role role() const override {
        switch (part()->kind) {
        case Accessible_Part::Kind::Text: return QAccessible::EditableText;
        case Accessible_Part::Kind::Label: return QAccessible::StaticText;
        case Accessible_Part::Kind::Bar: return QAccessible::ProgressBar;
        case Accessible_Part::Kind::Button: return QAccessible::Button;
        }
        return QAccessible::NoRole;
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        const QWidget* owner = part()->owner();
        state.invisible = !owner->isVisible();
        state.offscreen = !owner->isVisible();
        if (part()->kind == Accessible_Part::Kind::Text) {
            state.readOnly = true;
            state.multiLine = true;
            state.selectableText = true;
        }
        if (part()->focus_of_owner) {
            state.focusable = true;
            state.focused = owner->hasFocus();
        }
        return state;
    }

    QString text(QAccessible::Text which) const override {
        const Accessible_Part& p = *part();
        switch (which) {
        case QAccessible::Name: return p.label ? p.label() : p.name;
        case QAccessible::Value:
            if (p.kind == Accessible_Part::Kind::Text) return p.text();
            if (p.kind == Accessible_Part::Kind::Bar) return bar_words();
            return {};
        case QAccessible::Description: return p.kind == Accessible_Part::Kind::Bar ? bar_words() : QString();
        default: return {};
        }
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        const Accessible_Part::Kind kind = part()->kind;
        if (type == QAccessible::TextInterface && kind == Accessible_Part::Kind::Text)
            return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::ValueInterface && kind == Accessible_Part::Kind::Bar)
            return static_cast<QAccessibleValueInterface*>(this);
        if (type == QAccessible::ActionInterface && kind == Accessible_Part::Kind::Button)
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }

    // Text: read-only, no selection of its own.
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override { return part()->text().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(part()->text().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

    // Value: the bar's position within 0 ... maximum.
    QVariant currentValue() const override { return part()->feed ? part()->feed->position() : 0; }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return part()->feed ? part()->feed->maximum() : 0; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

    // Action: the button's press.
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction() && part()->press) part()->press();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QString bar_words() const {
        const Progress_Feed* feed = part()->feed;
        return feed ? from_u16(Accessible_Progress_Value(feed->position(), feed->maximum())) : QString();
    }
};

// A window with parts: the parts come first among its children.
class Owner_Interface final : public QAccessibleWidget {
public:
    explicit Owner_Interface(QWidget* widget) : QAccessibleWidget(widget, role_of(widget)) {}

    int childCount() const override { return static_cast<int>(parts_of(widget()).size()) + QAccessibleWidget::childCount(); }

    QAccessibleInterface* child(int index) const override {
        const QList<Accessible_Part*> parts = parts_of(widget());
        if (index < 0) return nullptr;
        if (index < parts.size()) return QAccessible::queryAccessibleInterface(parts[index]);
        return QAccessibleWidget::child(index - static_cast<int>(parts.size()));
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        const QList<Accessible_Part*> parts = parts_of(widget());
        if (!child) return -1;
        for (int i = 0; i < parts.size(); ++i)
            if (child->object() == parts[i]) return i;
        const int index = QAccessibleWidget::indexOfChild(child);
        return index < 0 ? -1 : index + static_cast<int>(parts.size());
    }

    QAccessibleInterface* childAt(int x, int y) const override {
        for (Accessible_Part* part : parts_of(widget())) {
            QAccessibleInterface* child = QAccessible::queryAccessibleInterface(part);
            if (child && child->rect().contains(x, y)) return child;
        }
        return QAccessibleWidget::childAt(x, y);
    }

    QAccessibleInterface* focusChild() const override {
        if (widget()->hasFocus())
            for (Accessible_Part* part : parts_of(widget()))
                if (part->focus_of_owner) return QAccessible::queryAccessibleInterface(part);
        return QAccessibleWidget::focusChild();
    }

private:
    static QAccessible::Role role_of(const QWidget* widget) {
        if (!widget->isWindow()) return QAccessible::Client;
        return widget->windowType() == Qt::Dialog ? QAccessible::Dialog : QAccessible::Window;
    }
};

QAccessibleInterface* factory(const QString&, QObject* object) {
    if (auto* part = dynamic_cast<Accessible_Part*>(object)) return new Part_Interface(part);
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget && !parts_of(widget).isEmpty()) return new Owner_Interface(widget);
    return nullptr;
}

}  // namespace

Accessible_Part::Accessible_Part(QWidget* owner, Kind kind_, QString name_) : QObject(owner), kind(kind_), name(std::move(name_)) {
    static const bool installed = (QAccessible::installFactory(factory), true);
    (void)installed;
}

QWidget* Accessible_Part::owner() const { return static_cast<QWidget*>(parent()); }

QString Accessible_Part::text() const {
    if (!panel) return {};
    const std::uint64_t at = Text_Panel::Revision(*panel);
    if (at != text_cache_at) {
        text_cache = from_u16(Accessible_Text(Text_Panel::Lines(*panel)));
        text_cache_at = at;
    }
    return text_cache;
}

Accessible_Part* Accessible_Text_Part(QWidget* owner, Text& panel, const char* name, bool focus_of_owner) {
    auto* part = new Accessible_Part(owner, Accessible_Part::Kind::Text, QString::fromUtf8(name));
    part->panel = &panel;
    part->area = [&panel] { return Text::Area(panel); };
    part->focus_of_owner = focus_of_owner;
    part->announcer.take(panel);
    return part;
}

Accessible_Part* Accessible_Label_Part(QWidget* owner, std::function<QString()> label, std::function<QRect()> area) {
    auto* part = new Accessible_Part(owner, Accessible_Part::Kind::Label, QString());
    part->label = std::move(label);
    part->area = std::move(area);
    return part;
}

Accessible_Part* Accessible_Bar_Part(QWidget* owner, const Progress_Feed& feed, std::function<QRect()> area) {
    auto* part = new Accessible_Part(owner, Accessible_Part::Kind::Bar, QString::fromUtf8(Accessible_Bar_Name));
    part->feed = &feed;
    part->area = std::move(area);
    return part;
}

Accessible_Part* Accessible_Button_Part(QWidget* owner, const char* name, std::function<QRect()> area,
                                        std::function<void()> press) {
    auto* part = new Accessible_Part(owner, Accessible_Part::Kind::Button, QString::fromUtf8(name));
    part->area = std::move(area);
    part->press = std::move(press);
    part->focus_of_owner = true;
    return part;
}

void Accessible_Text_Changed(Accessible_Part* part) {
    if (!part || !part->panel) return;
    if (!(QAccessible::isActive() || event_handler())) {  // nobody listens
        part->announcer.pass(*part->panel);
        return;
    }
    const std::vector<std::u16string> lines = part->announcer.take(*part->panel);
    if (lines.empty()) return;
    const QString text = part->text();
    for (const std::u16string& line : lines) {
        const QString said = from_u16(line);
        const qsizetype at = text.lastIndexOf(said);
        QAccessibleTextInsertEvent event(part, static_cast<int>(at < 0 ? text.size() : at), said);
        send(event);
    }
}

void Accessible_Focused(Accessible_Part* part) {
    if (!part || !(QAccessible::isActive() || event_handler())) return;
    QAccessibleEvent event(part, QAccessible::Focus);
    send(event);
}

void Accessible_Value_Changed(Accessible_Part* part) {
    if (!part || !part->feed || !(QAccessible::isActive() || event_handler())) return;
    QAccessibleValueChangeEvent event(part, part->feed->position());
    send(event);
}

Accessible_Event_Handler Accessible_Set_Event_Handler(Accessible_Event_Handler handler) {
    std::swap(event_handler(), handler);
    return handler;
}
