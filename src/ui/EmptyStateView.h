#pragma once

#include <QWidget>

class QLabel;

namespace quillora {

class GlyphView;

/**
 * What the history list shows when nothing is to be listed: "No History Yet" without a search,
 * "No Matches" with one.
 */
class EmptyStateView final : public QWidget
{
    Q_OBJECT

public:
    explicit EmptyStateView(QWidget* parent = nullptr);

    /** Switches between the two texts. */
    void setSearching(bool searching);

    [[nodiscard]] QString title() const;
    [[nodiscard]] QString description() const;

private:
    QWidget* m_glyphSlot;
    QLabel* m_title;
    QLabel* m_description;
    GlyphView* m_glyph = nullptr;
};

} // namespace quillora
