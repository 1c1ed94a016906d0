#include "platform/linux/LinuxPasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSocketNotifier>

#include <algorithm>

// X11 headers come last: their macros (None, Bool, Status) clash with Qt's.
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

namespace quillora {

namespace {

const QString kTextPlain = QStringLiteral("text/plain");
const QString kTextPlainUtf8 = QStringLiteral("text/plain;charset=utf-8");

QClipboard* clipboard()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr ? QGuiApplication::clipboard()
                                                                                   : nullptr;
}

bool isPlainText(const QString& mimeType)
{
    return mimeType == kTextPlain || mimeType == kTextPlainUtf8;
}

// Every form a toolkit may read text from; a new text must replace all of them.
bool isTextForm(const QString& mimeType)
{
    return mimeType.startsWith(QLatin1String("text/plain")) || mimeType == QLatin1String("UTF8_STRING") ||
           mimeType == QLatin1String("STRING") || mimeType == QLatin1String("TEXT") ||
           mimeType == QLatin1String("COMPOUND_TEXT");
}

} // namespace

LinuxPasteboard::LinuxPasteboard()
{
    if (QClipboard* board = clipboard()) {
        connect(board, &QClipboard::changed, this, [this](QClipboard::Mode mode) {
            if (mode == QClipboard::Clipboard) {
                drainOwnerChanges();
            }
        });
    }
    openOwnerChanges();
}

LinuxPasteboard::~LinuxPasteboard()
{
    m_notifier.reset();
    if (m_display != nullptr) {
        XCloseDisplay(m_display);
    }
}

void LinuxPasteboard::openOwnerChanges()
{
    // A connection of its own: clipboard-owner events arrive in its queue, which only this
    // pasteboard drains.
    m_display = XOpenDisplay(nullptr);
    if (m_display == nullptr) {
        return;
    }
    int errorBase = 0;
    if (XFixesQueryExtension(m_display, &m_fixesEventBase, &errorBase) == 0) {
        XCloseDisplay(m_display);
        m_display = nullptr;
        return;
    }
    const Atom clipboardAtom = XInternAtom(m_display, "CLIPBOARD", False);
    XFixesSelectSelectionInput(m_display, DefaultRootWindow(m_display), clipboardAtom,
                               XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask |
                                   XFixesSelectionClientCloseNotifyMask);
    XSync(m_display, False);
    m_notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(m_display), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] { drainOwnerChanges(); });
}

void LinuxPasteboard::drainOwnerChanges() const
{
    while (m_display != nullptr && XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        if (event.type == m_fixesEventBase + XFixesSelectionNotify) {
            ++m_changeCount;
        }
    }
}

qint64 LinuxPasteboard::changeCount() const
{
    drainOwnerChanges();
    return m_changeCount;
}

QList<PasteboardItem> LinuxPasteboard::items() const
{
    QClipboard* board = clipboard();
    const QMimeData* data = board != nullptr ? board->mimeData(QClipboard::Clipboard) : nullptr;
    if (data == nullptr || data->formats().isEmpty()) {
        return {};
    }
    PasteboardItem item;
    bool hasText = false;
    for (const QString& format : data->formats()) {
        if (isPlainText(format)) {
            // Both plain-text forms stand for the one text type; its data is the text as UTF-8.
            if (!hasText) {
                item.entries.append({QString::fromLatin1(kPlainTextType), data->text().toUtf8()});
                hasText = true;
            }
            continue;
        }
        const QByteArray bytes = data->data(format);
        item.entries.append({format, bytes.isNull() ? std::nullopt : std::optional<QByteArray>(bytes)});
    }
    return {item};
}

std::optional<QByteArray> LinuxPasteboard::dataForType(const QString& type) const
{
    // The clipboard's owner is asked for this one format only.
    QClipboard* board = clipboard();
    const QMimeData* data = board != nullptr ? board->mimeData(QClipboard::Clipboard) : nullptr;
    if (data == nullptr || !data->hasFormat(type)) {
        return std::nullopt;
    }
    return data->data(type);
}

void LinuxPasteboard::clearContents()
{
    if (QClipboard* board = clipboard()) {
        board->clear(QClipboard::Clipboard);
    }
    ++m_changeCount;
}

bool LinuxPasteboard::writeItems(const QList<PasteboardItem>& items)
{
    QClipboard* board = clipboard();
    if (board == nullptr) {
        return false;
    }
    // The clipboard holds a single item: what is already there is kept, and the new types join it.
    auto* merged = new QMimeData;
    const bool writesText = std::any_of(items.cbegin(), items.cend(), [](const PasteboardItem& item) {
        return std::any_of(item.entries.cbegin(), item.entries.cend(), [](const auto& entry) {
            return entry.second && entry.first == QLatin1String(kPlainTextType);
        });
    });
    if (const QMimeData* current = board->mimeData(QClipboard::Clipboard)) {
        for (const QString& format : current->formats()) {
            if (!(writesText && isTextForm(format))) {
                merged->setData(format, current->data(format));
            }
        }
    }
    for (const PasteboardItem& item : items) {
        for (const auto& [type, data] : item.entries) {
            if (!data) {
                continue;
            }
            if (type == QLatin1String(kPlainTextType)) {
                merged->setText(QString::fromUtf8(*data));
            } else {
                merged->setData(type, *data);
            }
        }
    }
    board->setMimeData(merged, QClipboard::Clipboard);
    ++m_changeCount;
    return true;
}

std::optional<QString> LinuxPasteboard::string() const
{
    QClipboard* board = clipboard();
    const QMimeData* data = board != nullptr ? board->mimeData(QClipboard::Clipboard) : nullptr;
    if (data == nullptr || !data->hasText()) {
        return std::nullopt;
    }
    return data->text();
}

bool LinuxPasteboard::setString(const QString& text)
{
    return writeItems({PasteboardItem{{{QString::fromLatin1(kPlainTextType), text.toUtf8()}}}});
}

} // namespace quillora
