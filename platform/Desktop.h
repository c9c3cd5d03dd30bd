#pragma once

#include <QDate>
#include <QEvent>
#include <QString>

class QApplication;
class QObject;
class QWidget;

namespace corvo::platform {

/// Chinese-capable font families first, so no text falls back to empty boxes.
void applyChineseFonts(QApplication& app);
/// The families tried, in order.
QStringList chineseFontFamilies();

/// The short date format of the program: "yyyy-mm-dd".
inline constexpr const char* ShortDateFormat = "yyyy-MM-dd";
inline QString shortDate(const QDate& date)
{
    return date.toString(QString::fromLatin1(ShortDateFormat));
}

/// Window message 1124, posted to a window and handled after the events already queued.
class Message1124Event : public QEvent {
public:
    static QEvent::Type eventType();
    Message1124Event() : QEvent(eventType()) {}
};
void postMessage1124(QObject* receiver);

/// Sent to a message line after a form wrote a new text into it, so a window that owns the
/// line can react (QLabel tells nobody of a new text).
class MessageChangedEvent : public QEvent {
public:
    static QEvent::Type eventType();
    MessageChangedEvent() : QEvent(eventType()) {}
};
void notifyMessageChanged(QObject* line);

/// Centres a top-level window on the screen it is on.
void centreOnScreen(QWidget& window);

} // namespace corvo::platform
