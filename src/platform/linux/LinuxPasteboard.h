#pragma once

#include "platform/Pasteboard.h"

#include <QObject>

namespace quillora {

/**
 * The X11 clipboard (the CLIPBOARD selection, through Qt's clipboard) as the pasteboard. It never
 * touches the PRIMARY selection: taking PRIMARY would drop the user's selection in GTK apps. The
 * clipboard holds one item whose types are the clipboard's MIME types, with plain text under
 * "public.utf8-plain-text". The change count moves whenever the clipboard announces a change and
 * on every write of our own. Main thread only, like Qt's clipboard; without a GUI application
 * the pasteboard is empty and refuses writes.
 */
class LinuxPasteboard final : public QObject, public Pasteboard
{
    Q_OBJECT

public:
    LinuxPasteboard();

    [[nodiscard]] qint64 changeCount() const override;
    [[nodiscard]] QList<PasteboardItem> items() const override;
    void clearContents() override;
    /** Merges the items into the clipboard's one item (later types win); false without a clipboard. */
    [[nodiscard]] bool writeItems(const QList<PasteboardItem>& items) override;
    [[nodiscard]] std::optional<QString> string() const override;
    bool setString(const QString& text) override;

private:
    qint64 m_changeCount = 0;
};

} // namespace quillora
