#pragma once

#include "platform/Accessibility.h"

#include <QElapsedTimer>
#include <QList>
#include <QRectF>
#include <QString>

#include <atspi/atspi.h>

#include <memory>
#include <optional>

namespace quillora {

class Screens;

/**
 * Small helpers over libatspi for the backend: counting the calls that may leave the process,
 * turning GErrors into result codes, owning GObjects, and the reads every operation needs. Main
 * thread only.
 */
namespace AtspiCalls {

/** Counts one call that may go to another process. */
void count();

/** Calls counted so far. */
[[nodiscard]] quint64 callCount();

/** Runs `call`, counted. */
template <typename F> auto counted(F&& call)
{
    count();
    return call();
}

/** The result code of a failed call (and frees the error): InvalidUIElement when the object has gone, else
 * CannotComplete. A call that ran out of its time-out is noted in `lastTimeOut`. */
[[nodiscard]] AXResult failure(GError* error);

/** Started when a call last ran out of its time-out; invalid while none has. */
[[nodiscard]] const QElapsedTimer& lastTimeOut();

/** The text, freed. */
[[nodiscard]] QString takeString(gchar* text);

template <typename T> struct Unref
{
    void operator()(T* object) const
    {
        if (object != nullptr) {
            g_object_unref(object);
        }
    }
};

/** An owned GObject. */
template <typename T> using GPtr = std::unique_ptr<T, Unref<T>>;

/** A reply holding a new reference for `accessible` (which it releases); NoValue for null. */
[[nodiscard]] AXReply<AXElementRef> elementReply(AtspiAccessible* accessible);

/** The element's state set (empty when the application did not answer). */
[[nodiscard]] GPtr<AtspiStateSet> states(AtspiAccessible* accessible);
[[nodiscard]] bool has(const GPtr<AtspiStateSet>& set, AtspiStateType state);
[[nodiscard]] std::optional<int> role(AtspiAccessible* accessible);
/** True for a password field, whose text this program never reads. */
[[nodiscard]] bool isSecret(AtspiAccessible* accessible);

/** The children, each a new reference; on failure empty, with the code in `result` when given. */
[[nodiscard]] QList<AtspiAccessible*> children(AtspiAccessible* accessible, AXResult* result = nullptr);
void unrefAll(const QList<AtspiAccessible*>& list);

/** Element references for the list, whose references it releases. */
[[nodiscard]] AXList elementList(const QList<AtspiAccessible*>& list);

[[nodiscard]] bool isWindowRole(int role);

/** The key bindings of an element's first action; empty without actions. */
[[nodiscard]] QString keyBindings(AtspiAccessible* accessible);

/** A character offset (AT-SPI counts code points) as UTF-16 units of `text`, and back. */
[[nodiscard]] qint64 utf16Offset(const QString& text, qint64 characters);
[[nodiscard]] qint64 characterOffset(const QString& text, qint64 units);

/** Characters `start` to `end` (-1: the end) of the text; `result` says whether the read worked. */
[[nodiscard]] QString textRange(AtspiText* text, int start, int end, AXResult& result);

/** A screen rectangle in X pixels in screen points (points, origin bottom-left, y up). */
[[nodiscard]] QRectF toScreenPoints(const Screens& screens, const AtspiRect& rect);

/** X pixels per point on the primary screen (1 without a GUI application). */
[[nodiscard]] double pixelRatio();

} // namespace AtspiCalls

} // namespace quillora
