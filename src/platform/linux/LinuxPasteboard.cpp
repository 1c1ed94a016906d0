#include "platform/linux/LinuxPasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

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

} // namespace

LinuxPasteboard::LinuxPasteboard()
{
    if (QClipboard* board = clipboard()) {
        connect(board, &QClipboard::changed, this, [this](QClipboard::Mode mode) {
            if (mode == QClipboard::Clipboard) {
                ++m_changeCount;
            }
        });
    }
}

qint64 LinuxPasteboard::changeCount() const
{
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
    if (const QMimeData* current = board->mimeData(QClipboard::Clipboard)) {
        for (const QString& format : current->formats()) {
            merged->setData(format, current->data(format));
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
