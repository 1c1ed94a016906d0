#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;
class QPushButton;

namespace quillora {

class BackendSettings;

/**
 * The "Backend" page of the settings: the service address (applied at once when accepted), the
 * state of the stored session, fields to store a token pair, "Sign Out", and "Check Connection",
 * which shows what the service answered.
 */
class BackendSettingsView final : public QWidget
{
    Q_OBJECT

public:
    explicit BackendSettingsView(BackendSettings& settings, QWidget* parent = nullptr);

private:
    void applyOrigin();
    void storeTokens();
    void checkConnection();
    void refresh();
    void showStatus(QLabel& label, const QString& text, bool failure);

    BackendSettings& m_settings;
    QLineEdit* m_origin;
    QLabel* m_originStatus;
    QLabel* m_session;
    QLineEdit* m_accessToken;
    QLineEdit* m_refreshToken;
    QLabel* m_tokenStatus;
    QPushButton* m_signOut;
    QPushButton* m_check;
    QLabel* m_connection;
};

} // namespace quillora
