#pragma once

#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

struct _AtspiAccessible;
struct _AtspiEvent;
struct _AtspiEventListener;

namespace quillora::test {

/** Another application's accessible element: a reference that libatspi counts. */
using Accessible = std::shared_ptr<_AtspiAccessible>;

/** A change of a text's selection that an application reported, with the text selected when read. */
struct SelectionChange
{
    qint64 pid = 0;
    QString selectedText;
};

/**
 * Reads other applications through AT-SPI as an assistive technology does (libatspi): their
 * elements, texts, selections, states and extents, and the selection changes they report while
 * this process's event loop runs. Reads of an element that has gone return empty values.
 */
class AtspiReader final
{
public:
    AtspiReader();
    ~AtspiReader();
    AtspiReader(const AtspiReader&) = delete;
    AtspiReader& operator=(const AtspiReader&) = delete;

    /** The first element of the application `pid` (breadth first) that `matches`; none when it has none. */
    [[nodiscard]] std::optional<Accessible> find(qint64 pid,
                                                 const std::function<bool(const Accessible&)>& matches) const;

    /** The role's name as AT-SPI spells it ("text", "push button"). */
    [[nodiscard]] QString roleName(const Accessible& element) const;
    [[nodiscard]] QString name(const Accessible& element) const;
    /** The whole text of an element with the Text interface. */
    [[nodiscard]] QString text(const Accessible& element) const;
    /** The first selected range of a text, as start and end offsets; none when nothing is selected. */
    [[nodiscard]] std::optional<std::pair<int, int>> selection(const Accessible& element) const;
    /**
     * The bounds of the characters from `start` to `end` as the toolkit gives them for the screen:
     * on Wayland relative to the window's surface.
     */
    [[nodiscard]] std::optional<QRect> rangeExtents(const Accessible& element, int start, int end) const;
    /** The element's bounds as the toolkit gives them for the screen. */
    [[nodiscard]] std::optional<QRect> extents(const Accessible& element) const;
    [[nodiscard]] bool isFocused(const Accessible& element) const;
    [[nodiscard]] std::vector<Accessible> children(const Accessible& element) const;
    [[nodiscard]] std::optional<Accessible> parent(const Accessible& element) const;

    /** The selection changes reported since the last call, each with its text's selection as it is now. */
    [[nodiscard]] std::vector<SelectionChange> takeSelectionChanges();

private:
    static void onEvent(_AtspiEvent* event, void* data);

    _AtspiEventListener* m_listener = nullptr;
    std::vector<Accessible> m_selectionSources;
};

} // namespace quillora::test
