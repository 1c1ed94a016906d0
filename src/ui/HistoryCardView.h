#pragma once

#include "app/HistoryItem.h"

#include <QWidget>

#include <functional>
#include <optional>

namespace quillora {

/**
 * One past polishing in the history list: the original text with its copy button, the date in
 * the user's locale (with the model and response time when both are known), then one block per
 * variation with its preset tag, "Copy" and "Paste & Replace". The card never grows wider than
 * the room it is given (a long model name is cut, with the whole of it as hover help), and a long
 * text is laid out only up to its start, the whole of it opening on "Show all".
 */
class HistoryCardView final : public QWidget
{
    Q_OBJECT

public:
    /** What the card's buttons do with a text. */
    struct Actions
    {
        std::function<void(const QString&)> copy;
        std::function<void(const QString&)> paste;
    };

    HistoryCardView(HistoryItem item, Actions actions, QWidget* parent = nullptr);

    [[nodiscard]] const HistoryItem& item() const { return m_item; }

    /** The date line: an abbreviated date and a short time in `locale`. */
    [[nodiscard]] static QString dateText(const QDateTime& timestamp, const QLocale& locale);

    /** The badge's text ("model • 1.23s"), or none when the model or the response time is missing. */
    [[nodiscard]] static std::optional<QString> badgeText(const HistoryItem& item);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* makeResultBlock(const PolishedResult& result);

    HistoryItem m_item;
    Actions m_actions;
};

} // namespace quillora
