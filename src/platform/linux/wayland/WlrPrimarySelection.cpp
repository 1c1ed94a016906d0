#include "platform/linux/wayland/WlrPrimarySelection.h"

#include "platform/linux/wayland/PipeReader.h"
#include "platform/linux/wayland/WaylandConnection.h"

#include <QObject>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include "wlr-data-control-client-protocol.h"

namespace quillora {

namespace {

// The primary selection came with version 2 of the protocol.
constexpr quint32 kPrimaryVersion = 2;

} // namespace

struct DataControlEvents
{
    static WlrPrimarySelection* self(void* data) { return static_cast<WlrPrimarySelection*>(data); }

    static void dataOffer(void* data, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer)
    {
        self(data)->offerAnnounced(offer);
    }
    static void selection(void* data, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer)
    {
        self(data)->clipboardOffered(offer);
    }
    static void finished(void* data, zwlr_data_control_device_v1*) { self(data)->deviceFinished(); }
    static void primarySelection(void* data, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer)
    {
        self(data)->primaryOffered(offer);
    }
    static void offerType(void* data, zwlr_data_control_offer_v1* offer, const char* type)
    {
        self(data)->typeOffered(offer, type);
    }

    static constexpr zwlr_data_control_device_v1_listener device{dataOffer, selection, finished, primarySelection};
    static constexpr zwlr_data_control_offer_v1_listener offer{offerType};
};

WlrPrimarySelection::WlrPrimarySelection()
    : m_connection(WaylandConnection::open(syncTimeoutMs))
    , m_callContext(std::make_unique<QObject>())
{
    if (!m_connection) {
        return;
    }
    const auto manager = m_connection->global(zwlr_data_control_manager_v1_interface.name, kPrimaryVersion);
    const auto seat = m_connection->global(wl_seat_interface.name);
    if (!manager || !seat) {
        return;
    }
    m_manager = static_cast<zwlr_data_control_manager_v1*>(
        m_connection->bind(*manager, &zwlr_data_control_manager_v1_interface, kPrimaryVersion));
    m_seat = static_cast<wl_seat*>(m_connection->bind(*seat, &wl_seat_interface, 1));
    m_device = zwlr_data_control_manager_v1_get_data_device(m_manager, m_seat);
    zwlr_data_control_device_v1_add_listener(m_device, &DataControlEvents::device, this);
    // The current selections arrive at once; they are older than any gesture to come.
    m_connection->roundtrip(syncTimeoutMs);
    m_connection->dispatchFromEventLoop();
}

WlrPrimarySelection::~WlrPrimarySelection()
{
    for (auto offer = m_offers.cbegin(); offer != m_offers.cend(); ++offer) {
        zwlr_data_control_offer_v1_destroy(offer.key());
    }
    if (m_device != nullptr) {
        zwlr_data_control_device_v1_destroy(m_device);
    }
    if (m_seat != nullptr) {
        wl_seat_destroy(m_seat);
    }
    if (m_manager != nullptr) {
        zwlr_data_control_manager_v1_destroy(m_manager);
    }
}

bool WlrPrimarySelection::isAvailable() const
{
    return m_device != nullptr && m_connection->isUsable();
}

void WlrPrimarySelection::setOfferHandler(std::function<void()> handler)
{
    m_offerHandler = std::move(handler);
}

void WlrPrimarySelection::beginGesture()
{
    if (!isAvailable()) {
        return;
    }
    // Everything the compositor reported before this moment belongs to earlier gestures.
    m_connection->roundtrip(syncTimeoutMs);
    m_gestureStart = m_primaryChanges;
}

std::optional<QString> WlrPrimarySelection::textChangedDuringGesture()
{
    if (!isAvailable() || !m_gestureStart) {
        return std::nullopt;
    }
    m_connection->roundtrip(syncTimeoutMs);
    if (m_primaryChanges == *m_gestureStart || m_primary == nullptr) {
        return std::nullopt;
    }
    const std::optional<QByteArray> type = preferredTextType(m_offers.value(m_primary));
    int ends[2];
    if (!type || pipe2(ends, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    zwlr_data_control_offer_v1_receive(m_primary, type->constData(), ends[1]);
    m_connection->flush();
    // The request carries a copy of the write end; ours must go for the end of the text to show.
    close(ends[1]);
    const std::optional<QByteArray> bytes = PipeReader::readToEnd(ends[0], readTimeoutMs);
    close(ends[0]);
    return bytes ? std::optional<QString>(QString::fromUtf8(*bytes)) : std::nullopt;
}

std::optional<QByteArray> WlrPrimarySelection::preferredTextType(const QList<QByteArray>& types)
{
    for (const char* preferred : {"text/plain;charset=utf-8", "UTF8_STRING", "text/plain"}) {
        for (const QByteArray& type : types) {
            if (type.compare(preferred, Qt::CaseInsensitive) == 0) {
                return type;
            }
        }
    }
    return std::nullopt;
}

void WlrPrimarySelection::offerAnnounced(zwlr_data_control_offer_v1* offer)
{
    m_offers.insert(offer, {});
    zwlr_data_control_offer_v1_add_listener(offer, &DataControlEvents::offer, this);
}

void WlrPrimarySelection::typeOffered(zwlr_data_control_offer_v1* offer, const char* type)
{
    if (const auto types = m_offers.find(offer); types != m_offers.end()) {
        types->append(QByteArray(type));
    }
}

void WlrPrimarySelection::clipboardOffered(zwlr_data_control_offer_v1* offer)
{
    // The clipboard is not read here: its offers go as soon as they come.
    forget(offer);
}

void WlrPrimarySelection::primaryOffered(zwlr_data_control_offer_v1* offer)
{
    forget(m_primary);
    m_primary = offer;
    ++m_primaryChanges;
    if (offer == nullptr || !m_offerHandler) {
        return;
    }
    // Queued: the handler may read the selection, which cannot happen while events are dispatched.
    QTimer::singleShot(0, m_callContext.get(), [this] {
        if (m_offerHandler) {
            m_offerHandler();
        }
    });
}

void WlrPrimarySelection::deviceFinished()
{
    // The compositor took the device away (its seat went): nothing more will be reported.
    zwlr_data_control_device_v1_destroy(m_device);
    m_device = nullptr;
}

void WlrPrimarySelection::forget(zwlr_data_control_offer_v1* offer)
{
    if (offer != nullptr && m_offers.remove(offer)) {
        zwlr_data_control_offer_v1_destroy(offer);
    }
}

} // namespace quillora
