#include "Desktop.h"

#include <QApplication>
#include <QFont>
#include <QScreen>
#include <QWidget>

namespace corvo::platform {

QStringList chineseFontFamilies()
{
    return {QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC"),
            QStringLiteral("WenQuanYi Micro Hei")};
}

void applyChineseFonts(QApplication& app)
{
    QFont font = app.font();
    font.setFamilies(chineseFontFamilies());
    font.setPointSize(9);
    app.setFont(font);
}

QEvent::Type Message1124Event::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void postMessage1124(QObject* receiver)
{
    QApplication::postEvent(receiver, new Message1124Event());
}

QEvent::Type MessageChangedEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void notifyMessageChanged(QObject* line)
{
    MessageChangedEvent event;
    QApplication::sendEvent(line, &event);
}

void centreOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen() ? window.screen() : QApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
}

} // namespace corvo::platform
