#include "rules/ConfusableRule.h"

namespace quillora {

QString ConfusableRule::parse(const QString& line, ConfusableRule& rule)
{
    const qsizetype arrow = line.indexOf(QLatin1String("=>"));
    const qsizetype bar = line.indexOf(QLatin1Char('|'));
    if (arrow <= 0 || bar < arrow) {
        return {};
    }
    const QString wrong = line.left(arrow).trimmed();
    rule.replacement = line.mid(arrow + 2, bar - arrow - 2).trimmed();
    rule.conditions.clear();
    for (const QString& part : line.mid(bar + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString condition = part.trimmed();
        const qsizetype equals = condition.indexOf(QLatin1Char('='));
        const QString side = condition.left(equals).trimmed();
        if (equals <= 0 || (side != QLatin1String("before") && side != QLatin1String("after"))) {
            return {};
        }
        rule.conditions.append({side == QLatin1String("after"),
                                condition.mid(equals + 1).trimmed().split(QLatin1Char(','), Qt::SkipEmptyParts)});
    }
    return wrong.isEmpty() || rule.replacement.isEmpty() || rule.conditions.isEmpty() ? QString() : wrong;
}

} // namespace quillora
