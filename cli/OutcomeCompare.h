// What changed between a recorded outcome and a new one (both `try --json` objects): every
// difference for a replay, which must give exactly what was recorded; only the signs of a
// site that changed under the script ("drift") for a live run, whose values may move on.
#pragma once

#include <QJsonObject>
#include <QStringList>

namespace trouvel::cli {

// One line per difference, in the outcome's order; empty when both are the same.
QStringList outcomeChanges(const QJsonObject& recorded, const QJsonObject& now);

// Fields that were filled and came back empty, candidates that disappeared, values whose
// shape changed (valueShape), the HTTP status, the redirects and the final address.
// driftedFields, when given, receives the names of the fields that drifted.
QStringList outcomeDrift(const QJsonObject& recorded, const QJsonObject& live, QStringList* driftedFields = nullptr);

// "vide", "balises" (the text holds markup), "année" (four digits), "chiffres" (digits and
// separators only) or "texte".
QString valueShape(const QString& value);

} // namespace trouvel::cli
