#pragma once

#include <QString>

#include <optional>

namespace quillora {

/**
 * The desktop's primary selection: the text the user selected last, in any application, held by
 * that application without a copy. Reading it never takes it over (taking it would drop the
 * selection in some toolkits). Only a selection made during the current gesture counts, so a
 * selection left over from earlier is never used. Main thread only.
 */
class PrimarySelection
{
public:
    PrimarySelection() = default;
    PrimarySelection(const PrimarySelection&) = delete;
    PrimarySelection& operator=(const PrimarySelection&) = delete;
    virtual ~PrimarySelection() = default;

    /**
     * Notes that the user begins a gesture (the first press of a drag or a multi-click). Only an
     * application that takes the selection after this gets its text read. Never fails.
     */
    virtual void beginGesture() = 0;

    /**
     * The text of the primary selection when an application took it since the gesture began;
     * none when nobody did, when its owner offers no text, or when the owner does not answer
     * within the time-out. Never fails.
     */
    [[nodiscard]] virtual std::optional<QString> textChangedDuringGesture() = 0;
};

} // namespace quillora
