// Screen readers' view of what the windows draw themselves: the text panels, the progress
// window's caption, bar and Cancel button. Each is a small part object, a child of its window,
// that the accessibility tree shows as a child of the window before its real child widgets.
// What the parts say comes from app/ui/accessible_text.h; this only routes it to Qt.
#pragma once

#include <QObject>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>

#include "app/ui/accessible_text.h"

class QAccessibleEvent;
class QWidget;
class Text;
class Progress_Feed;

class Accessible_Part final : public QObject {
public:
    enum class Kind { Text, Label, Bar, Button };

    Accessible_Part(QWidget* owner, Kind kind, QString name);
    QWidget* owner() const;

    Kind kind;
    QString name;                   // the label's text when label is empty
    std::function<QRect()> area;    // in the owner's coordinates
    std::function<QString()> label;
    Text* panel = nullptr;          // Kind::Text
    const Progress_Feed* feed = nullptr;  // Kind::Bar
    std::function<void()> press;    // Kind::Button
    bool focus_of_owner = false;    // what has the keys while the owner has the focus
    Panel_Announcer announcer;
    // The panel's text as last read, and the panel's Revision it was read at.
    mutable QString text_cache;
    mutable std::uint64_t text_cache_at = UINT64_MAX;
    QString text() const;
};

// The parts of a window; each becomes a child of owner.
Accessible_Part* Accessible_Text_Part(QWidget* owner, Text& panel, const char* name, bool focus_of_owner);
Accessible_Part* Accessible_Label_Part(QWidget* owner, std::function<QString()> label, std::function<QRect()> area);
Accessible_Part* Accessible_Bar_Part(QWidget* owner, const Progress_Feed& feed, std::function<QRect()> area);
Accessible_Part* Accessible_Button_Part(QWidget* owner, const char* name, std::function<QRect()> area,
                                        std::function<void()> press);

// GUI thread, after a panel changed: the new lines worth it are announced as inserted text.
void Accessible_Text_Changed(Accessible_Part* part);
// GUI thread, when the owner takes the keys: the part that has them is said to have the focus.
void Accessible_Focused(Accessible_Part* part);
// GUI thread, after the bar was drawn with a new position.
void Accessible_Value_Changed(Accessible_Part* part);

// Where the parts' events go instead of the screen reader, while set (a test's listener: the
// offscreen windows of the tests have no screen reader to send them to). Returns the one before.
using Accessible_Event_Handler = std::function<void(QAccessibleEvent*)>;
Accessible_Event_Handler Accessible_Set_Event_Handler(Accessible_Event_Handler handler);
