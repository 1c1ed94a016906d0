#pragma once

#include "core/PresetRules.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <qcoro/qcorotask.h>

#include <utility>

namespace quillora {

/** What an engine made of one text: a variation per preset that succeeded, and why others failed. */
struct RewriteOutcome
{
    /** Preset name and rewritten text, in preset order, for each preset that succeeded. */
    QList<std::pair<QString, QString>> results;
    /** One reason per preset that failed. */
    QStringList failures;
    /** The model that produced the variations. */
    QString model;
    /** False when a variation came from an engine that cannot follow free-form instructions. */
    bool followsInstructions = true;
    /** Presets whose variation holds corrections only, because their instruction could not be followed. */
    QStringList correctionsOnly;
    /** A quiet note about the whole answer; empty for none. */
    QString note;
};

/** Rewrites a text once per preset. Runs on the main thread. */
class RewriteEngine
{
public:
    RewriteEngine() = default;
    RewriteEngine(const RewriteEngine&) = delete;
    RewriteEngine& operator=(const RewriteEngine&) = delete;
    virtual ~RewriteEngine() = default;

    /** The model name reported when nothing more specific is known. */
    [[nodiscard]] virtual QString model() const = 0;

    /**
     * True when each preset becomes a request to an upstream service, whose requests in flight the
     * service bounds; an engine that rewrites on its own has nothing to queue for.
     */
    [[nodiscard]] virtual bool callsUpstream() const { return true; }

    /**
     * Rewrites `text` for each preset. Never throws: a preset that could not be rewritten is left
     * out of the results and its reason added to the failures.
     */
    virtual QCoro::Task<RewriteOutcome> rewrite(QString text, QList<PresetText> presets) = 0;
};

} // namespace quillora
