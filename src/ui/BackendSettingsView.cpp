#include "ui/BackendSettingsView.h"

#include "app/BackendSettings.h"
#include "ui/ShellStyle.h"
#include "ui/SystemFont.h"
#include "ui/Theme.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillora {

namespace {

QLineEdit* field(const QString& objectName, const QString& accessibleName, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setAccessibleName(accessibleName);
    return edit;
}

QPushButton* button(const QString& text, const QString& objectName, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    button->setAccessibleName(text);
    button->setAutoDefault(false);
    return button;
}

QLabel* statusLabel(const QString& objectName, QWidget* parent)
{
    QLabel* label = ShellStyle::label(QString(), SystemFont::font(10), Theme::secondaryText(), parent);
    label->setObjectName(objectName);
    label->setWordWrap(true);
    return label;
}

QCoro::Task<> showAnswer(QCoro::Task<QString> check, QPointer<QLabel> label, QPointer<QPushButton> button)
{
    const QString answer = co_await std::move(check);
    if (label) {
        label->setText(answer);
    }
    if (button) {
        button->setEnabled(true);
    }
}

} // namespace

BackendSettingsView::BackendSettingsView(BackendSettings& settings, QWidget* parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_origin(field(QStringLiteral("backend-url-field"), QStringLiteral("Service address"), this))
    , m_originStatus(statusLabel(QStringLiteral("backend-url-status"), this))
    , m_session(ShellStyle::label(QString(), SystemFont::font(12, QFont::DemiBold), Theme::primaryText(), this))
    , m_accessToken(field(QStringLiteral("access-token-field"), QStringLiteral("Access token"), this))
    , m_refreshToken(field(QStringLiteral("refresh-token-field"), QStringLiteral("Refresh token"), this))
    , m_tokenStatus(statusLabel(QStringLiteral("token-status"), this))
    , m_signOut(button(QStringLiteral("Sign Out"), QStringLiteral("sign-out-btn"), this))
    , m_check(button(QStringLiteral("Check Connection"), QStringLiteral("check-connection-btn"), this))
    , m_connection(statusLabel(QStringLiteral("connection-result"), this))
{
    setObjectName(QStringLiteral("tab-backend"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(10);
    column->addWidget(ShellStyle::label(QStringLiteral("Backend Service"), SystemFont::font(14, QFont::Bold),
                                        Theme::primaryText(), this));

    column->addWidget(ShellStyle::label(QStringLiteral("Service address (https, or http to this machine)"),
                                        SystemFont::font(11), Theme::secondaryText(), this));
    auto* originRow = new QHBoxLayout;
    m_origin->setPlaceholderText(QStringLiteral("https://quillora.example.com"));
    originRow->addWidget(m_origin, 1);
    QPushButton* apply = button(QStringLiteral("Apply"), QStringLiteral("apply-backend-url-btn"), this);
    originRow->addWidget(apply);
    column->addLayout(originRow);
    column->addWidget(m_originStatus);

    m_session->setObjectName(QStringLiteral("session-state"));
    column->addSpacing(6);
    column->addWidget(m_session);
    auto* tokens = new QFormLayout;
    tokens->setContentsMargins(0, 0, 0, 0);
    m_accessToken->setEchoMode(QLineEdit::Password);
    m_refreshToken->setEchoMode(QLineEdit::Password);
    tokens->addRow(QStringLiteral("Access token"), m_accessToken);
    tokens->addRow(QStringLiteral("Refresh token"), m_refreshToken);
    column->addLayout(tokens);
    auto* tokenRow = new QHBoxLayout;
    tokenRow->addStretch(1);
    QPushButton* store = button(QStringLiteral("Store Tokens"), QStringLiteral("store-tokens-btn"), this);
    tokenRow->addWidget(m_signOut);
    tokenRow->addWidget(store);
    column->addLayout(tokenRow);
    column->addWidget(m_tokenStatus);

    column->addSpacing(6);
    auto* checkRow = new QHBoxLayout;
    checkRow->addWidget(m_check);
    checkRow->addWidget(m_connection, 1);
    column->addLayout(checkRow);
    column->addStretch(1);

    connect(apply, &QPushButton::clicked, this, &BackendSettingsView::applyOrigin);
    connect(m_origin, &QLineEdit::returnPressed, this, &BackendSettingsView::applyOrigin);
    connect(store, &QPushButton::clicked, this, &BackendSettingsView::storeTokens);
    connect(m_signOut, &QPushButton::clicked, this, [this] {
        m_settings.signOut();
        showStatus(*m_tokenStatus, QStringLiteral("Signed out."), false);
    });
    connect(m_check, &QPushButton::clicked, this, &BackendSettingsView::checkConnection);
    connect(&m_settings, &BackendSettings::changed, this, &BackendSettingsView::refresh);
    m_origin->setText(m_settings.origin());
    refresh();
}

void BackendSettingsView::applyOrigin()
{
    if (const std::optional<QString> refusal = m_settings.setOrigin(m_origin->text())) {
        showStatus(*m_originStatus, *refusal, true);
        return;
    }
    showStatus(*m_originStatus, QStringLiteral("Using %1.").arg(m_settings.origin()), false);
}

void BackendSettingsView::storeTokens()
{
    if (const std::optional<QString> refusal = m_settings.storeTokens(m_accessToken->text(), m_refreshToken->text())) {
        showStatus(*m_tokenStatus, *refusal, true);
        return;
    }
    m_accessToken->clear();
    m_refreshToken->clear();
    showStatus(*m_tokenStatus, QStringLiteral("Session stored."), false);
}

void BackendSettingsView::checkConnection()
{
    m_check->setEnabled(false);
    m_connection->setText(QStringLiteral("Checking..."));
    auto task = showAnswer(m_settings.checkConnection(), m_connection, m_check);
    Q_UNUSED(task);
}

void BackendSettingsView::refresh()
{
    const bool signedIn = m_settings.hasSession();
    m_session->setText(signedIn ? QStringLiteral("Signed in: a session is stored.")
                                : QStringLiteral("Not signed in: no session is stored."));
    m_signOut->setEnabled(signedIn);
}

void BackendSettingsView::showStatus(QLabel& label, const QString& text, bool failure)
{
    label.setText(text);
    ShellStyle::setTextColor(label, failure ? QColor(255, 59, 48) : Theme::secondaryText());
}

} // namespace quillora
