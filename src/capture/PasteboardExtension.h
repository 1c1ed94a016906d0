#pragma once

#include "platform/Pasteboard.h"

#include <QList>
#include <QString>

#include <qcoro/qcorotask.h>

#include <functional>

namespace quillora::capture {

/**
 * A copy of everything on the pasteboard: one fresh item per item, holding, in the declared
 * order, the data of every type for which the pasteboard has data. Empty when it holds nothing.
 */
[[nodiscard]] QList<PasteboardItem> backupItems(const Pasteboard& pasteboard);

/**
 * Writes saved items back: clears the pasteboard and writes them in one call. An empty list is not
 * written at all (logged) and reports false; a refused write is logged and reports false.
 */
bool restoreItems(Pasteboard& pasteboard, const QList<PasteboardItem>& items);

/** True when a password manager marked the content secret: its text is then never read. */
[[nodiscard]] bool holdsSecret(const Pasteboard& pasteboard);

/** The plain-text content; empty text when there is none. */
[[nodiscard]] QString string(const Pasteboard& pasteboard);

/**
 * Clears the pasteboard and puts `text` on it as plain text: every text format is replaced, so no
 * application can paste the previous owner's text. Returns false when the pasteboard refused it.
 */
bool setString(Pasteboard& pasteboard, const QString& text);

/**
 * On the main thread: saves the pasteboard, runs `task`, sleeps `restoreInterval` seconds and
 * writes the saved items back. The items are written back even when the task throws; its error
 * then propagates.
 */
QCoro::Task<> performTemporaryTask(Pasteboard& pasteboard, double restoreInterval, std::function<QCoro::Task<>()> task);

} // namespace quillora::capture
