#pragma once

#include "platform/PrimarySelection.h"

#include <QByteArray>

#include <memory>
#include <optional>

class QSocketNotifier;
struct _XDisplay;

namespace quillora {

/**
 * The X11 PRIMARY selection, read on a display connection of its own (opened on first use from
 * $DISPLAY). XFixes reports every change of owner and XInput 2 every raw press of the left
 * button, both on this one connection, so the server's own order tells whether a change came after
 * the press that began the gesture, however late the main thread gets to either. The text is
 * asked for as UTF8_STRING (STRING as the fall-back) and waited for at most `readTimeoutMs`. This
 * process never takes ownership of PRIMARY. Without a display, XFixes or XInput 2 nothing is ever
 * read.
 */
class X11PrimarySelection final : public PrimarySelection
{
public:
    /** The longest wait for the owner's answer, in milliseconds. */
    static constexpr int readTimeoutMs = 300;

    X11PrimarySelection();
    ~X11PrimarySelection() override;

    void beginGesture() override;
    [[nodiscard]] std::optional<QString> textChangedDuringGesture() override;

private:
    bool open();
    void drain();
    void handleEvent(void* event);
    [[nodiscard]] std::optional<QByteArray> convert(const char* target);
    [[nodiscard]] std::optional<QByteArray> readIncremental(unsigned long property);

    _XDisplay* m_display = nullptr;
    bool m_opened = false;
    unsigned long m_window = 0;
    int m_fixesEventBase = 0;
    int m_xiOpcode = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    /** Server times, in milliseconds, of the last left press and the last change of owner. */
    std::optional<quint32> m_lastPress;
    std::optional<quint32> m_lastChange;
    std::optional<quint32> m_gestureStart;
};

} // namespace quillora
