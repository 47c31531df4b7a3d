// The workbench's status line after a fetch: what came, page by page, in French.
#pragma once

#include "SiteFetcher.h"

#include <QString>

namespace trouvel::atelier {

// "page lue (HTTP 200, 9 Ko, 1 redirection)", or what went wrong.
QString pageText(const FetchedPage& page);
// "Recherche « Heat » : page lue (…) ; fiche « 101 » : page lue (…)".
QString replyText(const FetchReply& reply);

} // namespace trouvel::atelier
