// The tool's fixed texts: usage, help and version.
#pragma once

namespace trouvel::cli {

inline constexpr char kUsage[] =
    "usage : trouvel try SCRIPT TITRE [--pick N] [--json] [--proxy HÔTE:PORT] [--timeout S] [--yes|--no]\n"
    "        trouvel batch CATALOGUE.csv --script NOM|FICHIER [--map COL=CHAMP ...] [--from N]\n"
    "                      [--dry-run] [--delay MS] [--proxy HÔTE:PORT] [--timeout S] [--yes|--no]\n"
    "        trouvel --help | --version\n";

inline constexpr char kHelp[] =
    "trouvel : remplit un catalogue de films depuis un site web, avec les mêmes étapes que\n"
    "l'assistant de Trouvel, sans fenêtre.\n"
    "\n"
    "trouvel try SCRIPT TITRE\n"
    "  Cherche TITRE avec le fichier de script SCRIPT (.tvs). Si la recherche donne un seul\n"
    "  candidat, ou si --pick N (à partir de 1) en désigne un, lit aussi la fiche et\n"
    "  télécharge l'image. Affiche les adresses lues, le code et le texte d'état de chaque\n"
    "  étape (avec chaque redirection et l'adresse finale), les candidats, les champs et\n"
    "  l'image, et les motifs qui ne se compilent pas.\n"
    "    --pick N        candidat à ouvrir quand la recherche en donne plusieurs\n"
    "    --json          un objet JSON sur la sortie standard\n"
    "  Code de sortie : 0 quand les étapes ont tourné (quel que soit le résultat),\n"
    "  2 pour un usage incorrect ou un script illisible.\n"
    "\n"
    "trouvel batch CATALOGUE.csv --script NOM|FICHIER\n"
    "  Parcourt toutes les entrées du catalogue (format CSV de Cadrelle) et enregistre, pour\n"
    "  chaque entrée dont la recherche donne exactement un candidat, les champs dans les\n"
    "  colonnes associées (Trouvel.ini à côté du catalogue) et l'image. Les entrées ambiguës,\n"
    "  introuvables ou en échec sont passées et signalées. Le catalogue est réécrit d'un bloc\n"
    "  (fichier temporaire renommé) ; Ctrl-C arrête après l'entrée en cours et enregistre.\n"
    "    --script NOM|FICHIER  script du dossier des scripts du module, ou fichier .tvs\n"
    "    --map COL=CHAMP       associe la colonne COL (numéro ou titre) au champ CHAMP\n"
    "                          (numéro ou nom, 0 : laisser tel quel) et l'écrit dans Trouvel.ini\n"
    "    --from N              commence à l'entrée N (à partir de 1)\n"
    "    --dry-run             n'écrit rien (ni catalogue, ni images, ni Trouvel.ini)\n"
    "    --delay MS            pause entre deux entrées (par défaut 0 vers la machine locale,\n"
    "                          1000 ailleurs)\n"
    "\n"
    "Options communes :\n"
    "    --proxy HÔTE:PORT     passe par ce proxy (sinon la section « Internet » de\n"
    "                          Cadrelle.ini dans le dossier de configuration)\n"
    "    --timeout S           délai en secondes (30 par défaut) pour établir une connexion\n"
    "                          et entre deux morceaux reçus ; au-delà, « Le site ne répond pas »\n"
    "    --yes | --no          réponse aux questions « voulez vous remplacer l'image ? »\n"
    "                          (oui par défaut)\n"
    "    --help, --version\n";

} // namespace trouvel::cli
