#pragma once

#include "platform/Pasteboard.h"

#include <QObject>

#include <memory>

class QSocketNotifier;
struct _XDisplay;

namespace quillora {

/**
 * The X11 clipboard (the CLIPBOARD selection, through Qt's clipboard) as the pasteboard. It never
 * touches the PRIMARY selection: taking PRIMARY would drop the user's selection in GTK apps. The
 * clipboard holds one item whose types are the clipboard's MIME types, with plain text under
 * "public.utf8-plain-text" (standing for every text form) and every other type as it was. The
 * change count moves whenever any client, this one included, takes ownership of CLIPBOARD, as
 * XFixes reports it on a display connection of its own (read at every look, so it is current
 * without the event loop), and on every write of our own. What this process wrote stays served
 * for as long as it runs. Main thread only, like Qt's clipboard; without a GUI application the
 * pasteboard is empty and refuses writes.
 */
class LinuxPasteboard final : public QObject, public Pasteboard
{
    Q_OBJECT

public:
    LinuxPasteboard();
    ~LinuxPasteboard() override;

    [[nodiscard]] qint64 changeCount() const override;
    [[nodiscard]] QList<PasteboardItem> items() const override;
    void clearContents() override;
    /**
     * Merges the items into the clipboard's one item (later types win; new text replaces every
     * text form held before); false without a clipboard.
     */
    [[nodiscard]] bool writeItems(const QList<PasteboardItem>& items) override;
    [[nodiscard]] std::optional<QString> string() const override;
    [[nodiscard]] std::optional<QByteArray> dataForType(const QString& type) const override;
    bool setString(const QString& text) override;

private:
    void openOwnerChanges();
    void drainOwnerChanges() const;

    mutable qint64 m_changeCount = 0;
    _XDisplay* m_display = nullptr;
    int m_fixesEventBase = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace quillora
