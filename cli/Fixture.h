// A recorded title: what `trouvel record` keeps of one run of the steps so that `trouvel
// check` can replay it offline. One folder per title, plain files:
//
//   fixture.json          the title, the candidate picked, each page fetch (method, address,
//                         POST body, result) naming its hops' files, and the picture
//   pageN-hopM.request    the request of hop M of page fetch N, as sent
//   pageN-hopM.response   the response of that hop, every byte as received
//   picture.EXT           the picture as downloaded
//   outcome.json          what the steps gave (the `try --json` object, indented)
#pragma once

#include "net/SocketPageClient.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace trouvel::cli {

struct RecordedPage {
    bool get = true;
    QString address;
    QString body;       // the POST body, "" for a GET
    std::int16_t code = 0;
    QString failure;    // the fetch failed outright with this message
    QString problem;    // what a non-zero code meant
    std::vector<net::WireExchange> hops;
};

struct RecordedPicture {
    QString address;
    QString result;  // "" when it arrived
    QByteArray bytes; // what arrived
    bool stored = false; // bytes hold a downloaded file
};

struct Fixture {
    QString title;
    int pick = 0; // 0: none
    std::vector<RecordedPage> pages;
    std::optional<RecordedPicture> picture;
    QJsonObject outcome;
    std::vector<QByteArray> storedPages; // the page files the run left, in fetch order (not saved)
};

// The picture's file name in a fixture folder: "picture" and the address's extension.
QString pictureFileName(const QString& address);
// The folder of one title: its letters and digits, lower case, accents dropped, other runs
// of characters as "-", and "--choix-N" for a picked candidate.
QString fixtureFolderName(const QString& title, int pick);
// "<script's folder>/<script's name>.tests"
QString defaultFixtureRoot(const QString& scriptFile);
// The folders under root that hold a fixture.json, sorted by name.
QStringList fixtureFolders(const QString& root);

// Writes the fixture into folder, replacing a fixture already there; "" or the error.
QString saveFixture(const Fixture& fixture, const QString& folder);
// Writes outcome.json only.
QString saveOutcome(const QJsonObject& outcome, const QString& folder);
// Nothing, with error set, when a file is missing or unreadable.
std::optional<Fixture> loadFixture(const QString& folder, QString* error);

} // namespace trouvel::cli
