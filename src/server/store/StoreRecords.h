#pragma once

#include <QByteArray>
#include <QString>

namespace quillora {

/** A preset as stored for one user. */
struct StoredPreset
{
    qint64 id = 0;
    QString name;
    QString instruction;

    friend bool operator==(const StoredPreset&, const StoredPreset&) = default;
};

/** Outcome of creating or changing a preset. */
struct PresetWrite
{
    enum class Status {
        Done,
        /** The user has no preset with that id. */
        NotFound,
        /** Another preset of the user has the same name, ignoring case. */
        DuplicateName,
        /** The user already has as many presets as allowed. */
        TooMany,
    };

    Status status = Status::Done;
    /** The stored preset (Done). */
    StoredPreset preset;
};

/** A token as stored: the SHA-256 of the token text and its expiry (seconds since the epoch). */
struct TokenRecord
{
    QByteArray hash;
    qint64 expiresAt = 0;
};

/** Outcome of exchanging a refresh token. */
enum class RefreshOutcome {
    /** The token was valid; the new pair is stored and the old refresh token is spent. */
    Rotated,
    /** No such refresh token, or its session has ended. */
    Unknown,
    /** The refresh token has expired. */
    Expired,
    /** The refresh token was already spent; its session has now been ended. */
    Reused,
};

/** One polishing as recorded: who, when, with what, how long. The text itself is not kept. */
struct PolishingRecord
{
    qint64 userId = 0;
    qint64 createdAt = 0;
    QString model;
    double duration = 0;
    qint64 inputCharacters = 0;
    qint64 resultCount = 0;
};

} // namespace quillora
