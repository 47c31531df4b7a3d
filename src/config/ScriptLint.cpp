#include "config/ScriptLint.h"

#include "config/Convert.h"
#include "config/FileContentCache.h"
#include "config/IniFile.h"
#include "config/Script.h"
#include "config/ScriptFile.h"
#include "text/FormCharset.h"
#include "text/RegExp.h"

#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <optional>

namespace trouvel::config {

namespace {

const QStringList kSections = {QStringLiteral("Options"), QStringLiteral("SearchPage"), QStringLiteral("FilmPage"),
                               QStringLiteral("ImgPage")};
const QHash<QString, QStringList> kKeys = {
    {QStringLiteral("options"), {QStringLiteral("Methode"), QStringLiteral("HTTP"), QStringLiteral("UserAgent"), QStringLiteral("Charset")}},
    {QStringLiteral("searchpage"),
     {QStringLiteral("Url"), QStringLiteral("Pattern"), QStringLiteral("Link"), QStringLiteral("ShortText"), QStringLiteral("LongText"),
      QStringLiteral("Unescape")}},
    {QStringLiteral("filmpage"), {QStringLiteral("Url"), QStringLiteral("Count"), QStringLiteral("PatternImg"), QStringLiteral("Unescape")}},
    {QStringLiteral("imgpage"), {QStringLiteral("Url")}},
};

// MatchN, MatchN.M (an alternative, M from 2) and JoinN, N written without leading zeros.
const QRegularExpression kFieldKey(QStringLiteral("^(match|join)([1-9][0-9]{0,4})(?:\\.([2-9]))?$"),
                                   QRegularExpression::CaseInsensitiveOption);

int distance(const QString& a, const QString& b)
{
    const QString x = a.toLower();
    const QString y = b.toLower();
    std::vector<int> row(size_t(y.size()) + 1);
    for (qsizetype j = 0; j <= y.size(); ++j)
        row[size_t(j)] = int(j);
    for (qsizetype i = 1; i <= x.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= y.size(); ++j) {
            const int above = row[size_t(j)];
            row[size_t(j)] = std::min({above + 1, row[size_t(j) - 1] + 1, diagonal + (x[i - 1] == y[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[size_t(y.size())];
}

// The known name nearest to name, when it is near enough to be a slip of the keyboard.
std::optional<QString> nearest(const QString& name, const QStringList& known)
{
    std::optional<QString> best;
    int bestDistance = std::max<int>(2, int(name.size()) / 3) + 1;
    for (const QString& candidate : known) {
        const int d = distance(name, candidate);
        if (d < bestDistance) {
            bestDistance = d;
            best = candidate;
        }
    }
    return best;
}

struct FieldKey {
    bool join = false;
    int number = 0;
    int alternative = 1; // 1: MatchN itself
};
std::optional<FieldKey> fieldKey(const QString& key)
{
    const QRegularExpressionMatch m = kFieldKey.match(key);
    if (!m.hasMatch())
        return std::nullopt;
    const bool join = m.captured(1).compare(QLatin1String("join"), Qt::CaseInsensitive) == 0;
    if (join && m.hasCaptured(3))
        return std::nullopt;
    return FieldKey{join, m.captured(2).toInt(), m.hasCaptured(3) ? m.captured(3).toInt() : 1};
}

// The script as the reader sees it: the first section of each name, the first line of each
// key in it.
class Script {
public:
    explicit Script(const std::vector<IniEntry>& entries)
    {
        QString current;
        QSet<QString> seen;
        bool reading = false;
        for (const IniEntry& e : entries) {
            if (e.kind == IniEntry::Kind::Section) {
                current = e.section.toLower();
                reading = !seen.contains(current);
                seen.insert(current);
            } else if (e.kind == IniEntry::Kind::Key && reading) {
                const QString id = current + u'\n' + e.key.toLower();
                if (!keys_.contains(id))
                    keys_.insert(id, &e);
            }
        }
    }
    const IniEntry* find(const QString& section, const QString& key) const
    {
        return keys_.value(section.toLower() + u'\n' + key.toLower(), nullptr);
    }

private:
    QHash<QString, const IniEntry*> keys_;
};

class Linter {
public:
    explicit Linter(const QByteArray& content)
        : entries_(iniEntries(content)), script_(entries_)
    {
    }

    std::vector<LintWarning> run()
    {
        names();
        options();
        search();
        film();
        picture();
        // By line; within a line in the order found, a cause before what follows from it.
        std::stable_sort(out_.begin(), out_.end(), [](const LintWarning& a, const LintWarning& b) { return a.line < b.line; });
        return std::move(out_);
    }

private:
    void warn(const IniEntry* at, const QString& message, int column = 0)
    {
        LintWarning w;
        if (at) {
            w.line = at->line;
            w.section = at->section;
            w.key = at->key;
        }
        w.column = column;
        w.message = message;
        out_.push_back(std::move(w));
    }
    const IniEntry* find(const char* section, const QString& key) const { return script_.find(QString::fromLatin1(section), key); }

    // Sections and keys never read: unknown, misplaced, given twice.
    void names()
    {
        QHash<QString, int> sectionLines;
        QString section;
        bool duplicate = false;
        QHash<QString, int> keyLines;
        for (const IniEntry& e : entries_) {
            if (e.kind == IniEntry::Kind::Section) {
                section = e.section.toLower();
                keyLines.clear();
                duplicate = sectionLines.contains(section);
                if (duplicate)
                    warn(&e, QStringLiteral("[%1] en double (première ligne %2) : seule la première est lue").arg(e.section).arg(sectionLines[section]));
                else
                    sectionLines.insert(section, e.line);
                if (!kKeys.contains(section)) {
                    const std::optional<QString> near = nearest(e.section, kSections);
                    warn(&e, near ? QStringLiteral("[%1] : section inconnue, vouliez-vous dire [%2] ?").arg(e.section, *near)
                                  : QStringLiteral("[%1] : section inconnue, jamais lue (sections : [Options], [SearchPage], [FilmPage], [ImgPage])")
                                        .arg(e.section));
                }
                continue;
            }
            if (e.kind == IniEntry::Kind::Other) {
                warn(&e, QStringLiteral("ligne sans « = » ni [section] : ignorée (« %1 »)").arg(e.value.left(40)));
                continue;
            }
            if (e.section.isEmpty()) {
                warn(&e, QStringLiteral("%1 : avant toute [section], jamais lue").arg(e.key));
                continue;
            }
            if (duplicate || !kKeys.contains(section))
                continue;
            const QString id = e.key.toLower();
            if (keyLines.contains(id)) {
                warn(&e, QStringLiteral("%1 en double (première ligne %2) : seule la première est lue").arg(e.key).arg(keyLines[id]));
                continue;
            }
            keyLines.insert(id, e.line);
            unknownKey(e, section);
        }
    }

    void unknownKey(const IniEntry& e, const QString& section)
    {
        const QStringList& known = kKeys[section];
        if (std::any_of(known.begin(), known.end(), [&e](const QString& k) { return k.compare(e.key, Qt::CaseInsensitive) == 0; }))
            return;
        if (fieldKey(e.key)) {
            if (section != QLatin1String("filmpage"))
                warn(&e, QStringLiteral("%1 : hors de [FilmPage], ce champ n'est pas lu").arg(e.key));
            return;
        }
        for (auto it = kKeys.begin(); it != kKeys.end(); ++it) {
            for (const QString& k : it.value()) {
                if (it.key() != section && k.compare(e.key, Qt::CaseInsensitive) == 0) {
                    const QString home = *std::find_if(kSections.begin(), kSections.end(),
                                                        [&it](const QString& s) { return s.toLower() == it.key(); });
                    warn(&e, QStringLiteral("%1 : n'est lue que dans [%2]").arg(e.key, home));
                    return;
                }
            }
        }
        QStringList candidates = known;
        static const QRegularExpression number(QStringLiteral("(\\d+)"));
        if (const QRegularExpressionMatch m = number.match(e.key); m.hasMatch() && section == QLatin1String("filmpage"))
            candidates << QStringLiteral("Match%1").arg(m.captured(1).toInt()) << QStringLiteral("Join%1").arg(m.captured(1).toInt());
        const std::optional<QString> near = nearest(e.key, candidates);
        warn(&e, near ? QStringLiteral("%1 : vouliez-vous dire %2 ?").arg(e.key, *near)
                      : QStringLiteral("%1 : clé inconnue dans [%2], jamais lue").arg(e.key, e.section));
    }

    void options()
    {
        if (const IniEntry* m = find("Options", QStringLiteral("Methode")); m && m->value != QLatin1String("0") && m->value != QLatin1String("1"))
            warn(m, QStringLiteral("Methode=%1 : toute autre valeur que 0 envoie les requêtes en POST ; écrivez 0 (GET) ou 1 (POST)").arg(m->value));
        if (const IniEntry* h = find("Options", QStringLiteral("HTTP")); h && !tryToInt16(h->value))
            warn(h, QStringLiteral("HTTP=%1 : pas un nombre entier de 16 bits (0 : HTTP/1.0, 1 : HTTP/1.1), le script ne se charge pas").arg(h->value));
        if (const IniEntry* c = find("Options", QStringLiteral("Charset")); c) {
            if (const QString problem = text::charsetProblem(c->value.trimmed()); !c->value.trimmed().isEmpty() && !problem.isEmpty())
                warn(c, QStringLiteral("Charset : %1 ; le script ne se charge pas").arg(problem));
        }
    }

    // How many groups pattern has, or nothing (with the warning given) when it does not compile.
    std::optional<int> groupsOf(const IniEntry* at, const QString& label, const QString& pattern, int patternColumn)
    {
        text::RegExp regex;
        regex.Pattern(pattern);
        regex.Global(true);
        regex.Multiline(true);
        regex.IgnoreCase(true);
        try {
            return regex.groupCount();
        } catch (const text::RegExpError& error) {
            const int column = error.position() >= 0 ? patternColumn + int(error.position()) : 0;
            warn(at, QStringLiteral("%1 : le motif ne se compile pas%2 : %3")
                         .arg(label, column ? QStringLiteral(" (colonne %1)").arg(column) : QString(), error.message()),
                 column);
            return std::nullopt;
        }
    }

    void address(const char* section, const QString& needs)
    {
        const IniEntry* url = find(section, QStringLiteral("Url"));
        const QString label = QStringLiteral("[%1] Url").arg(QString::fromLatin1(section));
        if (!url) {
            if (!needs.isEmpty())
                warn(nullptr, QStringLiteral("%1 manque : %2").arg(label, needs));
            return;
        }
        if (!needs.isEmpty() && !url->value.contains(QLatin1String("%1")))
            warn(url, QStringLiteral("%1 sans %2 : %3").arg(label, QStringLiteral("%1"), needs));
        static const QRegularExpression scheme(QStringLiteral("^https?://[^/\\s]"), QRegularExpression::CaseInsensitiveOption);
        if (!url->value.startsWith(QLatin1String("%1")) && !scheme.match(url->value).hasMatch())
            warn(url, QStringLiteral("%1 : l'adresse doit commencer par http:// ou https:// suivi du site (« %2 »)").arg(label, url->value.left(60)));
    }

    void search()
    {
        address("SearchPage", QStringLiteral("le titre cherché n'y est pas mis"));
        const IniEntry* pattern = find("SearchPage", QStringLiteral("Pattern"));
        if (!pattern) {
            warn(nullptr, QStringLiteral("[SearchPage] Pattern manque : aucun candidat ne sera trouvé"));
            return;
        }
        const std::optional<int> groups = groupsOf(pattern, QStringLiteral("Pattern"), pattern->value, pattern->valueColumn);
        for (const char* key : {"Link", "ShortText", "LongText"}) {
            const IniEntry* e = find("SearchPage", QString::fromLatin1(key));
            if (!e)
                continue;
            const std::optional<int> index = groupIndex(e->value);
            if (!index) {
                warn(e, QStringLiteral("%1=%2 : pas un numéro de groupe, la colonne restera vide").arg(e->key, e->value));
            } else if (groups && *index + 1 > *groups) {
                warn(e, *groups == 0 ? QStringLiteral("%1=%2, mais Pattern n'a aucun groupe entre parenthèses : la colonne restera vide").arg(e->key, e->value)
                                     : QStringLiteral("%1=%2, mais Pattern n'a que %3 groupe(s) : la colonne restera vide").arg(e->key, e->value).arg(*groups));
            }
        }
    }

    // A field's pattern (MatchN after its "|", or an alternative MatchN.M whole).
    void fieldPattern(const IniEntry* e, const QString& pattern, int column)
    {
        const std::optional<int> groups = groupsOf(e, e->key, pattern, column);
        if (groups && *groups == 0)
            warn(e, QStringLiteral("%1 : le motif n'a pas de groupe entre parenthèses ; la valeur est le groupe 1, le champ restera vide").arg(e->key));
    }

    void film()
    {
        const bool searches = find("SearchPage", QStringLiteral("Url")) != nullptr;
        address("FilmPage", searches ? QStringLiteral("le lien du candidat n'y est pas mis") : QString());
        const IniEntry* countEntry = find("FilmPage", QStringLiteral("Count"));
        int count = 0;
        if (countEntry) {
            const std::optional<std::int16_t> n = tryToInt16(countEntry->value);
            if (!n)
                warn(countEntry, QStringLiteral("Count=%1 : pas un nombre entier de 16 bits, le script ne se charge pas").arg(countEntry->value));
            else if (*n < 0)
                warn(countEntry, QStringLiteral("Count=%1 : négatif, aucun champ n'est lu").arg(*n));
            else if (*n > ScriptFile::kMaxFieldCount)
                warn(countEntry, QStringLiteral("Count=%1 : plus de %2 champs, le script ne se charge pas").arg(*n).arg(ScriptFile::kMaxFieldCount));
            count = std::min<int>(std::max<int>(n.value_or(0), 0), ScriptFile::kMaxFieldCount);
        }
        QHash<int, const IniEntry*> matches;
        for (const IniEntry& e : entries_) {
            if (e.kind != IniEntry::Kind::Key || find("FilmPage", e.key) != &e)
                continue;
            const std::optional<FieldKey> f = fieldKey(e.key);
            if (!f)
                continue;
            const QString base = QStringLiteral("Match%1").arg(f->number);
            const IniEntry* main = find("FilmPage", base);
            if (f->number > count) {
                warn(&e, QStringLiteral("%1 : au-delà de Count=%2, ce champ n'est pas lu").arg(e.key).arg(count));
                continue;
            }
            if (f->join) {
                if (!main)
                    warn(&e, QStringLiteral("%1 sans %2 : rien à rassembler").arg(e.key, base));
                continue;
            }
            if (f->alternative > 1) {
                alternative(e, *f, main);
                continue;
            }
            matches.insert(f->number, &e);
            matchValue(e);
        }
        for (int k = 1; k <= count; ++k) {
            if (!matches.contains(k))
                warn(countEntry, QStringLiteral("Match%1 manque (Count=%2) : ce champ s'appellera « ?? »").arg(k).arg(count));
        }
    }

    void matchValue(const IniEntry& e)
    {
        const qsizetype bar = e.value.indexOf(u'|');
        if (bar < 0) {
            warn(&e, QStringLiteral("%1 : pas de « | » entre le nom et le motif, le champ restera vide").arg(e.key));
            return;
        }
        const qsizetype next = e.value.indexOf(u'|', bar + 1);
        const QString pattern = e.value.mid(bar + 1, next < 0 ? -1 : next - bar - 1);
        if (next >= 0) {
            const int column = e.valueColumn + int(next);
            warn(&e,
                 QStringLiteral("%1 : le motif est coupé au « | » de la colonne %2, la suite est ignorée (un champ n'a pas "
                                "d'alternative : une classe de caractères, ou %1.2 pour un second motif)")
                     .arg(e.key)
                     .arg(column),
                 column);
        }
        fieldPattern(&e, pattern, e.valueColumn + int(bar) + 1);
    }

    void alternative(const IniEntry& e, const FieldKey& f, const IniEntry* main)
    {
        const QString base = QStringLiteral("Match%1").arg(f.number);
        if (!main) {
            warn(&e, QStringLiteral("%1 sans %2 : ce motif n'est jamais essayé").arg(e.key, base));
            return;
        }
        if (f.alternative > 2 && !find("FilmPage", QStringLiteral("%1.%2").arg(base).arg(f.alternative - 1))) {
            warn(&e, QStringLiteral("%1 sans %2.%3 : les motifs de secours sont essayés dans l'ordre, celui-ci ne l'est jamais")
                         .arg(e.key, base)
                         .arg(f.alternative - 1));
            return;
        }
        const QString name = splitFieldSpec(main->value).name;
        if (!name.isEmpty() && e.value.startsWith(name + u'|'))
            warn(&e, QStringLiteral("%1 : un motif de secours s'écrit sans le nom du champ (« %2| » fait partie du motif)").arg(e.key, name));
        fieldPattern(&e, e.value, e.valueColumn);
    }

    void picture()
    {
        const IniEntry* pattern = find("FilmPage", QStringLiteral("PatternImg"));
        const IniEntry* url = find("ImgPage", QStringLiteral("Url"));
        if (pattern && !pattern->value.isEmpty()) {
            const std::optional<int> groups = groupsOf(pattern, QStringLiteral("PatternImg"), pattern->value, pattern->valueColumn);
            if (groups && *groups == 0)
                warn(pattern, QStringLiteral("PatternImg : le motif n'a pas de groupe entre parenthèses ; l'adresse est le groupe 1, il n'y aura pas d'image"));
            address("ImgPage", QStringLiteral("ce que PatternImg trouve n'y est pas mis"));
        } else if (url) {
            warn(url, QStringLiteral("[ImgPage] Url sans [FilmPage] PatternImg : il n'y aura pas d'image"));
        }
        for (const char* section : {"SearchPage", "FilmPage"}) {
            const IniEntry* u = find(section, QStringLiteral("Unescape"));
            if (u && !u->value.trimmed().isEmpty() && u->value.trimmed().compare(QLatin1String("json"), Qt::CaseInsensitive) != 0)
                warn(u, QStringLiteral("Unescape=%1 : seule la valeur json est lue").arg(u->value));
        }
    }

    std::vector<IniEntry> entries_;
    Script script_;
    std::vector<LintWarning> out_;
};

} // namespace

std::vector<LintWarning> lintScript(const QByteArray& content)
{
    return Linter(content).run();
}

QStringList lintScriptFile(const QString& path)
{
    QStringList lines;
    if (const std::optional<QByteArray> content = fileContent(path)) {
        for (const LintWarning& w : lintScript(*content))
            lines << lintWarningLine(QFileInfo(path).fileName(), w);
    }
    return lines;
}

QString lintWarningLine(const QString& fileName, const LintWarning& w)
{
    QString place = fileName;
    if (w.line > 0)
        place += QStringLiteral(":%1").arg(w.line);
    if (w.line > 0 && w.column > 0)
        place += QStringLiteral(":%1").arg(w.column);
    return place + QStringLiteral(" : ") + w.message;
}

QString lintWarningsJson(const std::vector<LintWarning>& warnings)
{
    QJsonArray array;
    for (const LintWarning& w : warnings) {
        array.append(QJsonObject{{QStringLiteral("line"), w.line},
                                 {QStringLiteral("column"), w.column},
                                 {QStringLiteral("section"), w.section},
                                 {QStringLiteral("key"), w.key},
                                 {QStringLiteral("message"), w.message}});
    }
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
}

} // namespace trouvel::config
