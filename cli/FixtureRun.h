// One title's steps run for a fixture: live with every hop kept (record, check --live), or
// over a fixture's recorded downloads (check).
#pragma once

#include "Fixture.h"
#include "WizardSession.h"

#include <QJsonObject>

#include <memory>
#include <optional>

namespace trouvel::cli {

// The steps over the network, kept as a fixture. Nothing, with error set, when the wizard
// did not start or pick names no candidate.
std::optional<Fixture> recordTitle(const SessionOptions& options, const QString& title, int pick,
                                   QString* error);

// The outcome the steps give now over the fixture's recorded downloads; storedPages, when
// given, receives the page files the replay left, in fetch order.
std::optional<QJsonObject> replayTitle(const SessionOptions& options, std::shared_ptr<const Fixture> fixture, QString* error,
                                       std::vector<QByteArray>* storedPages = nullptr);

} // namespace trouvel::cli
