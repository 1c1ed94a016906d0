#pragma once

#include "ui/ShellServices.h"

#include <QList>
#include <QWidget>

class QLabel;
class QProgressBar;
class QScrollArea;
class QToolButton;
class QVBoxLayout;

namespace quillora {

class EmptyStateView;
class GateBanner;
class HistoryCardView;
class PermissionGate;
class UpdateBanner;

/**
 * The content of the main window, top to bottom: the gate banner (the permission warning, or the
 * notice that access arrived, with the applications to restart), the update banner, the history list (cards of the
 * entries that match the search, or the empty state) and the control bar ("Clear History", "Polishing..." while a
 * polishing runs, "Check Permissions").
 */
class ContentView final : public QWidget
{
    Q_OBJECT

public:
    ContentView(ShellServices services, PermissionGate& gate, QWidget* parent = nullptr);

    [[nodiscard]] const QString& searchText() const { return m_searchText; }

    /** Filters the list by `text` (no trimming: a space is a search). */
    void setSearchText(const QString& text);

    /** The cards shown, in order. */
    [[nodiscard]] const QList<HistoryCardView*>& cards() const { return m_cards; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* makeControlBar();
    void refreshGate();
    void rebuildList();
    void refreshPolishing();
    void refreshHistoryError();

    ShellServices m_services;
    PermissionGate& m_gate;
    QString m_searchText;
    GateBanner* m_warning;
    GateBanner* m_granted;
    UpdateBanner* m_updateBanner;
    QLabel* m_historyError;
    QLabel* m_accessNotice;
    QScrollArea* m_list;
    QVBoxLayout* m_listColumn;
    EmptyStateView* m_emptyState;
    QList<HistoryCardView*> m_cards;
    QWidget* m_polishing = nullptr;
};

} // namespace quillora
