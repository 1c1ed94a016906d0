#pragma once

#include "platform/Compositor.h"

#include <QDBusConnection>
#include <QObject>
#include <QPointF>
#include <QString>

#include <qcoro/qcorotask.h>

#include <optional>

namespace quillora {

/**
 * The client of Quillora's GNOME Shell extension, the companion that tells what GNOME tells no
 * ordinary client: the pointer, the focused window's frame, changes and text of the primary
 * selection; and that posts the paste keys and holds a desktop-wide shortcut for this program.
 * The extension answers only an executable named quillora and sends its signals to the one
 * connection that subscribed. Every call has a short time-out: a shell that does not answer
 * is treated as one without the extension. Main thread.
 */
class ShellCompanion final : public QObject
{
    Q_OBJECT

public:
    /** The extension's identifier, as `gnome-extensions enable` takes it. */
    static constexpr auto extensionUuid = "quillora-companion@tessel.com";
    /** The interface version this client speaks. */
    static constexpr uint interfaceVersion = 1;
    /** The longest wait for the shell's answer, in milliseconds. */
    static constexpr int callTimeoutMs = 300;

    /** Talks to the shell on `bus`; subscribes to its signals when the extension answers. */
    explicit ShellCompanion(QDBusConnection bus, QObject* parent = nullptr);
    ~ShellCompanion() override;

    /** True when the extension is enabled and speaks this client's version (asked once). */
    [[nodiscard]] bool isAvailable() const { return m_available; }

    /** The pointer in Qt's global coordinates; none without an answer. */
    [[nodiscard]] QCoro::Task<std::optional<QPointF>> pointer();

    /** The focused window, its frame being the client surface; none without one or an answer. */
    [[nodiscard]] QCoro::Task<std::optional<ForeignWindow>> focusedWindow();

    /** The focused window now, waited for at most the time-out without running the event loop. */
    [[nodiscard]] std::optional<ForeignWindow> focusedWindowNow() const;

    /** The primary selection's text, waited for at most the time-out; none without an answer. */
    [[nodiscard]] std::optional<QString> readPrimary();

    /**
     * Presses and releases `combination` ("ctrl+v", "ctrl+shift+v" or "shift+Insert") in the
     * focused window; false when the shell refused or did not answer.
     */
    bool postKeys(const QString& combination);

    /** Holds `accelerator` ("<Control><Alt>space"; empty releases); none without an answer. */
    [[nodiscard]] QCoro::Task<std::optional<bool>> setShortcut(QString accelerator);

Q_SIGNALS:
    /** Another application took the primary selection. */
    void primaryChanged();
    /** The held shortcut was pressed. */
    void shortcutActivated();

private Q_SLOTS:
    void onPrimaryChanged();
    void onShortcutActivated();

private:
    [[nodiscard]] static std::optional<ForeignWindow> windowFrom(const QDBusMessage& reply);
    [[nodiscard]] QDBusMessage call(const QString& method, const QVariantList& arguments = {}) const;

    QDBusConnection m_bus;
    bool m_available = false;
};

} // namespace quillora
