#pragma once

#include "platform/MouseMonitorRegistry.h"

#include <QByteArray>
#include <QList>
#include <QPoint>

#include <memory>

class QSocketNotifier;
struct _XDisplay;

namespace quillora {

class AppWindows;
class Screens;

/**
 * Global left-button monitors over XInput2 raw button events selected on the root window, on a
 * display connection of its own (opened on first use from $DISPLAY). Raw events need no grab and
 * still arrive while another client holds one. The connection's socket is watched on the main
 * thread, so handlers run there. Raw events carry no position: the pointer is queried when an
 * event arrives. Presses (and the releases that end them) made inside the content area of one of
 * this application's own visible windows belong to this application and reach no monitor; presses
 * on their title bars, which the window manager draws, do.
 */
class X11MouseMonitor final : public MouseMonitor
{
public:
    /** Counts the clicks of a multi-click: presses close enough in time and space add up. */
    class ClickCounter
    {
    public:
        /** The time between presses used when the desktop says nothing, in milliseconds. */
        static constexpr quint64 defaultIntervalMs = 400;
        /** The movement between presses used when the desktop says nothing, in pixels. */
        static constexpr int defaultSlopPixels = 4;

        /**
         * Presses at most `intervalMs` apart that moved at most `slopPixels` make one multi-click;
         * a value that is not positive stands for the default.
         */
        explicit ClickCounter(qint64 intervalMs = defaultIntervalMs, int slopPixels = defaultSlopPixels);

        /** The desktop's double-click interval and drag distance (its style hints), else the defaults. */
        [[nodiscard]] static ClickCounter fromDesktopSettings();

        [[nodiscard]] quint64 intervalMs() const { return m_intervalMs; }
        [[nodiscard]] int slopPixels() const { return m_slopPixels; }

        /** Records a press at server time `timeMs` and pixel position `position`; returns its click count. */
        int press(quint64 timeMs, QPoint position);

        /** The click count of the last press (1 before any press). */
        [[nodiscard]] int current() const { return m_count; }

    private:
        quint64 m_intervalMs;
        int m_slopPixels;
        bool m_hasPress = false;
        quint64 m_timeMs = 0;
        QPoint m_position;
        int m_count = 1;
    };

    /** Monitors that convert positions with `screens` and recognise this application's `ownWindows`. */
    X11MouseMonitor(const Screens& screens, const AppWindows& ownWindows);
    ~X11MouseMonitor() override;

    /** Refuses (returns none) without a display or without XInput 2.2 on it. */
    [[nodiscard]] std::optional<MouseMonitorHandle> addGlobalMonitor(MouseEventType type, Handler handler) override;
    void removeMonitor(MouseMonitorHandle handle) override;

    /** Queries the X server; the origin without a display. */
    [[nodiscard]] QPointF mouseLocation() const override;

private:
    bool startListening();
    void selectRawButtons(bool enabled);
    void drain();
    void handleButton(bool pressed, int rawButton, quint64 timeMs);
    [[nodiscard]] std::optional<QPoint> pointerPixels() const;
    [[nodiscard]] QPointF toScreenPoints(QPoint pixels) const;
    [[nodiscard]] bool isInOwnWindow(QPointF location) const;
    void scheduleDrainIfQueued() const;

    const Screens& m_screens;
    const AppWindows& m_ownWindows;
    _XDisplay* m_display = nullptr;
    int m_xiOpcode = -1;
    bool m_listening = false;
    std::unique_ptr<QSocketNotifier> m_notifier;
    /** The pointer's button mapping: the logical button of each physical one (index = physical − 1). */
    QByteArray m_buttonMap;
    MouseMonitorRegistry m_monitors;
    ClickCounter m_clicks;
    bool m_pressInOwnWindow = false;
};

} // namespace quillora
