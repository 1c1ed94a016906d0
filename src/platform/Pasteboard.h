#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace quillora {

/**
 * The type a password manager adds, with the data "secret", to what it copies: such content is
 * never read into this program's results, history or logs.
 */
inline constexpr auto kPasswordManagerHintType = "x-kde-passwordManagerHint";

/**
 * The type name of plain UTF-8 text on the pasteboard. Backends map it onto their own name for it
 * (text/plain;charset=utf-8 on the Linux clipboard); it is kept because stored snapshots name it.
 */
inline constexpr auto kPlainTextType = "public.utf8-plain-text";

/** One pasteboard item: its types in declared order, each with its data when the pasteboard has any. */
struct PasteboardItem
{
    QList<std::pair<QString, std::optional<QByteArray>>> entries;

    bool operator==(const PasteboardItem&) const = default;
};

/**
 * The system's general pasteboard (the clipboard). Its change count moves on every write by
 * anyone, so a reader can tell that new content has arrived.
 */
class Pasteboard
{
public:
    Pasteboard() = default;
    Pasteboard(const Pasteboard&) = delete;
    Pasteboard& operator=(const Pasteboard&) = delete;
    virtual ~Pasteboard() = default;

    /** A number that changes whenever any application writes to the pasteboard. */
    [[nodiscard]] virtual qint64 changeCount() const = 0;

    /** The items on the pasteboard, in order; empty when it holds nothing. */
    [[nodiscard]] virtual QList<PasteboardItem> items() const = 0;

    /** Removes everything from the pasteboard (counts as a write). */
    virtual void clearContents() = 0;

    /**
     * Writes `items` after whatever the pasteboard holds (callers clear first). Entries without
     * data are skipped. Returns false when the pasteboard refused the write.
     */
    [[nodiscard]] virtual bool writeItems(const QList<PasteboardItem>& items) = 0;

    /** The plain-text content, or none when the pasteboard holds no text. */
    [[nodiscard]] virtual std::optional<QString> string() const = 0;

    /**
     * The data of one type of the first item, fetched alone (other types, the text among them,
     * are not read); none when no item has the type.
     */
    [[nodiscard]] virtual std::optional<QByteArray> dataForType(const QString& type) const;

    /**
     * Puts `text` on the pasteboard as plain text, beside what it already holds (callers clear
     * first). Returns false when the pasteboard refused the write.
     */
    virtual bool setString(const QString& text) = 0;
};

} // namespace quillora
