// Shared pieces of the Qt window tests: an event counter, a look into a panel, a screen reader's events.
#pragma once

#include <QAccessible>
#include <QEvent>
#include <QObject>
#include <QMap>
#include <QStringList>
#include <string>

#include "app/qt/accessibility.h"
#include "app/qt/text.h"

// Counts the events of each type that reach the watched object.
class Event_Counter : public QObject {
public:
    explicit Event_Counter(QObject* watched) { watched->installEventFilter(this); }
    int count(QEvent::Type type) const { return counts_.value(type); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        ++counts_[event->type()];
        return false;
    }

private:
    QMap<QEvent::Type, int> counts_;
};

inline int Panel_Count(const Text& panel, const std::string& part) {
    int found = 0;
    for (std::size_t i = 0; i < Text::Line_Count(panel); ++i) found += Text::Line(panel, i).find(part) != std::string::npos;
    return found;
}

// While it lives, the events the windows send a screen reader are recorded.
class Accessible_Events {
public:
    Accessible_Events() {
        previous_ = Accessible_Set_Event_Handler([this](QAccessibleEvent* event) {
            if (event->type() == QAccessible::TextInserted)
                inserted << static_cast<QAccessibleTextInsertEvent*>(event)->textInserted();
            if (event->type() == QAccessible::Focus) focused << event->accessibleInterface()->text(QAccessible::Name);
            if (event->type() == QAccessible::ValueChanged)
                values << static_cast<QAccessibleValueChangeEvent*>(event)->value().toInt();
        });
    }
    ~Accessible_Events() { Accessible_Set_Event_Handler(previous_); }
    QStringList inserted;  // texts of text-insert events
    QList<int> values;     // values of value-change events
    QStringList focused;   // names of what was said to take the focus

private:
    Accessible_Event_Handler previous_;
};
