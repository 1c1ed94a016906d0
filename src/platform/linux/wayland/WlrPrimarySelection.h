#pragma once

#include "platform/PrimarySelection.h"

#include <QByteArray>
#include <QHash>
#include <QList>

#include <functional>
#include <memory>
#include <optional>

class QObject;
struct wl_seat;
struct zwlr_data_control_device_v1;
struct zwlr_data_control_manager_v1;
struct zwlr_data_control_offer_v1;

namespace quillora {

class WaylandConnection;

/**
 * The Wayland primary selection, watched through wlroots' data control protocol
 * (zwlr_data_control_manager_v1, version 2 for the primary selection), which reports every new
 * selection to a client that has no focus. sway offers it; KWin 5.27 offers it but reports no
 * primary selection; GNOME does not offer it. The text is read as UTF-8 from a pipe, waiting at
 * most `readTimeoutMs` for its owner. This process never sets a selection. Main thread.
 */
class WlrPrimarySelection final : public PrimarySelection
{
public:
    /** The longest wait for the owner's text, in milliseconds. */
    static constexpr int readTimeoutMs = 300;
    /** The longest wait for the compositor to report what it has sent, in milliseconds. */
    static constexpr int syncTimeoutMs = 100;

    /** Connects to the compositor and starts watching; without the protocol nothing is watched. */
    WlrPrimarySelection();
    ~WlrPrimarySelection() override;

    void beginGesture() override;
    [[nodiscard]] std::optional<QString> textChangedDuringGesture() override;

    /**
     * Calls `handler` on the main thread, from the event loop, each time an application takes the
     * primary selection; an empty handler stops the calls.
     */
    void setOfferHandler(std::function<void()> handler);

    /**
     * True while the compositor offers data control with the primary selection to this process
     * (KWin 5.27 offers it, yet reports no primary selection through it).
     */
    [[nodiscard]] bool isAvailable() const;

    /**
     * The MIME type to read text in, from those an offer lists: UTF-8 plain text first, then the
     * X11 UTF8_STRING, then plain text of unknown encoding read as UTF-8; none when none is text.
     */
    [[nodiscard]] static std::optional<QByteArray> preferredTextType(const QList<QByteArray>& types);

private:
    friend struct DataControlEvents;

    void offerAnnounced(zwlr_data_control_offer_v1* offer);
    void typeOffered(zwlr_data_control_offer_v1* offer, const char* type);
    void clipboardOffered(zwlr_data_control_offer_v1* offer);
    void primaryOffered(zwlr_data_control_offer_v1* offer);
    void deviceFinished();
    void forget(zwlr_data_control_offer_v1* offer);

    std::unique_ptr<WaylandConnection> m_connection;
    zwlr_data_control_manager_v1* m_manager = nullptr;
    wl_seat* m_seat = nullptr;
    zwlr_data_control_device_v1* m_device = nullptr;
    /** The types of each offer not yet destroyed. */
    QHash<zwlr_data_control_offer_v1*, QList<QByteArray>> m_offers;
    zwlr_data_control_offer_v1* m_primary = nullptr;
    /** Counts every change of the primary selection; a gesture remembers where it began. */
    quint64 m_primaryChanges = 0;
    std::optional<quint64> m_gestureStart;
    std::function<void()> m_offerHandler;
    /** Context of the queued handler calls: none outlives this object. */
    std::unique_ptr<QObject> m_callContext;
};

} // namespace quillora
