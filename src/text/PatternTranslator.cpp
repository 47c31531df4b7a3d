#include "text/PatternTranslator.h"

#include "text/CaseFolding.h"
#include "text/CharSet.h"
#include "text/RegExp.h"

#include <algorithm>
#include <memory>

namespace trouvel::text {

namespace {

// PCRE2 cannot repeat more than this; the dialect allows more.
// The largest count PCRE2 takes in a quantifier; beyond it a count is checked by a callout.
constexpr long long kMaxRepeat = 65535;
// Up to this many runs of 65535 a large count is written out in pieces; past it a callout
// checks the length.
constexpr long long kMaxCountPieces = 64;
// Counts saturate here: no text is that long, so the results stay exact.
constexpr long long kSaturatedCount = 1LL << 53;
// Our parser recurses once per level of parentheses: a hostile pattern must not exhaust
// the stack.
constexpr int kMaxNesting = 250;

struct Node;
using NodePtr = std::unique_ptr<Node>;

struct Node {
    enum class Kind {
        Alternation, Sequence, Chars, LineStart, LineEnd, WordBoundary, NotWordBoundary,
        LookAhead, NegativeLookAhead, Group, Capture, BackReference, Repeat,
    };
    explicit Node(Kind k) : kind(k) {}
    Kind kind;
    std::vector<NodePtr> children;
    CharSet set;          // Chars
    bool negated = false; // Chars
    int number = 0;       // Capture, BackReference: group of the script's pattern
    long long min = 0;    // Repeat
    long long max = -1;   // Repeat, -1 for no upper bound
    qsizetype position = 0; // Repeat: where its quantifier begins
    bool lazy = false;    // Repeat
};

[[noreturn]] void fail(const QString& problem, qsizetype position)
{
    throw RegExpError(QStringLiteral("Expression régulière invalide : %1 (position %2)").arg(problem).arg(position),
                      position);
}

bool isDigit(int c) { return c >= '0' && c <= '9'; }
bool isOctal(int c) { return c >= '0' && c <= '7'; }
bool isLetter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
int hexValue(int c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A class member as parsed: one code unit, or a class escape such as \d.
struct ClassAtom {
    bool isSet = false;
    char16_t c = 0;
    CharSet set;
    qsizetype position = 0;
};

class Parser {
public:
    explicit Parser(const QString& pattern) : src_(pattern), n_(pattern.size()) {}

    NodePtr parse()
    {
        totalGroups_ = countGroups();
        NodePtr root = parseDisjunction();
        if (pos_ < n_) // only a ')' stops a top-level disjunction early
            fail(QStringLiteral("parenthèse fermante « ) » sans parenthèse ouvrante"), pos_);
        return root;
    }
    int groupCount() const { return totalGroups_; }

private:
    int peek(qsizetype ahead = 0) const { return pos_ + ahead < n_ ? src_.at(pos_ + ahead).unicode() : -1; }
    static NodePtr make(Node::Kind k) { return std::make_unique<Node>(k); }
    static NodePtr chars(CharSet set, bool negated = false)
    {
        NodePtr n = make(Node::Kind::Chars);
        n->set = std::move(set);
        n->negated = negated;
        return n;
    }

    // Back-references are told from octal escapes by the number of groups in the whole
    // pattern, those after the reference included.
    int countGroups() const
    {
        int count = 0;
        bool inClass = false;
        for (qsizetype i = 0; i < n_; ++i) {
            const char16_t c = src_.at(i).unicode();
            if (c == u'\\') {
                ++i;
            } else if (inClass) {
                if (c == u']')
                    inClass = false;
            } else if (c == u'[') {
                inClass = true;
            } else if (c == u'(' && (i + 1 >= n_ || src_.at(i + 1) != u'?')) {
                ++count;
            }
        }
        return count;
    }

    NodePtr parseDisjunction()
    {
        NodePtr first = parseAlternative();
        if (peek() != '|')
            return first;
        NodePtr alt = make(Node::Kind::Alternation);
        alt->children.push_back(std::move(first));
        while (peek() == '|') {
            ++pos_;
            alt->children.push_back(parseAlternative());
        }
        return alt;
    }

    NodePtr parseAlternative()
    {
        NodePtr seq = make(Node::Kind::Sequence);
        while (pos_ < n_ && peek() != '|' && peek() != ')')
            seq->children.push_back(parseTerm());
        if (seq->children.size() == 1)
            return std::move(seq->children.front());
        return seq;
    }

    NodePtr parseTerm()
    {
        NodePtr atom;
        bool quantifiable = true;
        const int c = peek();
        switch (c) {
        case '^':
            ++pos_;
            atom = make(Node::Kind::LineStart);
            quantifiable = false;
            break;
        case '$':
            ++pos_;
            atom = make(Node::Kind::LineEnd);
            quantifiable = false;
            break;
        case '\\':
            if (peek(1) == 'b' || peek(1) == 'B') {
                atom = make(peek(1) == 'b' ? Node::Kind::WordBoundary : Node::Kind::NotWordBoundary);
                pos_ += 2;
                quantifiable = false;
            } else {
                atom = parseAtomEscape();
            }
            break;
        case '(':
            atom = parseGroup();
            break;
        case '[':
            atom = parseClass();
            break;
        case '.':
            ++pos_;
            atom = chars(CharSet::single(u'\n'), true);
            break;
        case '*':
        case '+':
        case '?':
            fail(QStringLiteral("rien à répéter avant « %1 »").arg(QChar(c)), pos_);
        case '{': {
            long long min = 0, max = 0;
            if (bracedQuantifierAt(pos_, min, max) > 0)
                fail(QStringLiteral("rien à répéter avant « { »"), pos_);
            ++pos_;
            atom = chars(CharSet::single(u'{'));
            break;
        }
        default:
            ++pos_;
            atom = chars(CharSet::single(char16_t(c)));
            break;
        }
        const qsizetype quantifierPos = pos_;
        long long min = 0, max = -1;
        if (!parseQuantifier(min, max))
            return atom;
        if (!quantifiable)
            fail(QStringLiteral("rien à répéter avant « %1 »").arg(src_.at(quantifierPos)), quantifierPos);
        NodePtr rep = make(Node::Kind::Repeat);
        rep->min = min;
        rep->max = max;
        rep->position = quantifierPos;
        if (peek() == '?') {
            rep->lazy = true;
            ++pos_;
        }
        rep->children.push_back(std::move(atom));
        return rep;
    }

    // Length of a complete "{n}", "{n,}" or "{n,m}" at `at`, or 0; values saturate far
    // beyond any text's length.
    qsizetype bracedQuantifierAt(qsizetype at, long long& min, long long& max) const
    {
        auto number = [&](qsizetype& i, long long& value) {
            const qsizetype begin = i;
            long long v = 0;
            while (i < n_ && isDigit(src_.at(i).unicode())) {
                v = std::min<long long>(v * 10 + (src_.at(i).unicode() - '0'), kSaturatedCount);
                ++i;
            }
            value = v;
            return i > begin;
        };
        qsizetype i = at + 1;
        if (at >= n_ || src_.at(at) != u'{' || !number(i, min))
            return 0;
        max = min;
        if (i < n_ && src_.at(i) == u',') {
            ++i;
            if (!number(i, max))
                max = -1;
        }
        if (i >= n_ || src_.at(i) != u'}')
            return 0;
        return i + 1 - at;
    }

    bool parseQuantifier(long long& min, long long& max)
    {
        const qsizetype at = pos_;
        switch (peek()) {
        case '*': min = 0; max = -1; ++pos_; break;
        case '+': min = 1; max = -1; ++pos_; break;
        case '?': min = 0; max = 1; ++pos_; break;
        case '{': {
            const qsizetype len = bracedQuantifierAt(pos_, min, max);
            if (len == 0)
                return false;
            if (max >= 0 && min > max)
                fail(QStringLiteral("nombres dans le désordre dans le quantificateur { }"), at);
            pos_ += len;
            break;
        }
        default:
            return false;
        }
        return true;
    }

    NodePtr parseGroup()
    {
        const qsizetype start = pos_;
        if (++depth_ > kMaxNesting)
            fail(QStringLiteral("trop de parenthèses imbriquées (%1 au plus)").arg(kMaxNesting), start);
        ++pos_;
        NodePtr group;
        if (peek() == '?') {
            switch (peek(1)) {
            case ':': group = make(Node::Kind::Group); break;
            case '=': group = make(Node::Kind::LookAhead); break;
            case '!': group = make(Node::Kind::NegativeLookAhead); break;
            case '<':
                fail(QStringLiteral("le regard en arrière et les groupes nommés « (?< » n'existent pas dans ce dialecte"), start);
            default:
                fail(QStringLiteral("groupe « (? » non reconnu"), start);
            }
            pos_ += 2;
        } else {
            group = make(Node::Kind::Capture);
            group->number = ++groupIndex_;
        }
        group->children.push_back(parseDisjunction());
        if (peek() != ')')
            fail(QStringLiteral("parenthèse « ( » non fermée"), start);
        ++pos_;
        --depth_;
        return group;
    }

    NodePtr parseClass()
    {
        const qsizetype start = pos_;
        ++pos_;
        bool negated = false;
        if (peek() == '^') {
            negated = true;
            ++pos_;
        }
        CharSet set;
        auto add = [&set](const ClassAtom& a) {
            if (a.isSet)
                set.add(a.set);
            else
                set.add(a.c);
        };
        for (;;) {
            if (pos_ >= n_)
                fail(QStringLiteral("classe de caractères « [ » non fermée"), start);
            if (peek() == ']') {
                ++pos_;
                break;
            }
            const ClassAtom a = parseClassAtom();
            if (peek() == '-' && pos_ + 1 < n_ && peek(1) != ']') {
                ++pos_;
                const ClassAtom b = parseClassAtom();
                if (a.isSet || b.isSet) {
                    // Legacy rule: a range with a class escape at either end is three members.
                    add(a);
                    set.add(u'-');
                    add(b);
                } else if (a.c > b.c) {
                    fail(QStringLiteral("intervalle dans le désordre dans une classe de caractères"), a.position);
                } else {
                    set.add(a.c, b.c);
                }
            } else {
                add(a);
            }
        }
        return chars(std::move(set), negated);
    }

    ClassAtom parseClassAtom()
    {
        ClassAtom a;
        a.position = pos_;
        if (peek() != '\\') {
            a.c = src_.at(pos_++).unicode();
            return a;
        }
        ++pos_;
        if (pos_ >= n_)
            fail(QStringLiteral("« \\ » à la fin du motif"), pos_ - 1);
        const int c = peek();
        if (classEscape(c, a.set)) {
            a.isSet = true;
            ++pos_;
        } else if (c == 'b') {
            a.c = 0x08;
            ++pos_;
        } else if (c == 'c') {
            const int next = peek(1);
            if (isLetter(next) || isDigit(next) || next == '_') {
                a.c = char16_t(next % 32);
                pos_ += 2;
            } else {
                a.c = u'\\'; // "\c" not followed by a control letter is a backslash; 'c' comes next
            }
        } else if (isOctal(c)) {
            a.c = legacyOctal();
        } else {
            a.c = characterEscape();
        }
        return a;
    }

    static bool classEscape(int c, CharSet& set)
    {
        switch (c) {
        case 'd': set = CharSet::digits(); return true;
        case 'D': set = CharSet::digits().complement(); return true;
        case 's': set = CharSet::spaces(); return true;
        case 'S': set = CharSet::spaces().complement(); return true;
        case 'w': set = CharSet::wordChars(); return true;
        case 'W': set = CharSet::wordChars().complement(); return true;
        default: return false;
        }
    }

    // Up to three octal digits with a value of at most 0377.
    char16_t legacyOctal()
    {
        const int first = peek() - '0';
        int value = first;
        ++pos_;
        if (isOctal(peek())) {
            value = value * 8 + (peek() - '0');
            ++pos_;
            if (first <= 3 && isOctal(peek())) {
                value = value * 8 + (peek() - '0');
                ++pos_;
            }
        }
        return char16_t(value);
    }

    // The escapes shared by classes and atoms; pos_ is on the character after '\'.
    char16_t characterEscape()
    {
        const int c = peek();
        ++pos_;
        switch (c) {
        case 'f': return 0x0C;
        case 'n': return 0x0A;
        case 'r': return 0x0D;
        case 't': return 0x09;
        case 'v': return 0x0B;
        case 'x':
        case 'u': {
            const int digits = c == 'x' ? 2 : 4;
            int value = 0;
            for (int i = 0; i < digits; ++i) {
                const int h = hexValue(peek(i));
                if (h < 0)
                    return char16_t(c); // not a complete escape: the letter itself
                value = value * 16 + h;
            }
            pos_ += digits;
            return char16_t(value);
        }
        default:
            return char16_t(c); // identity escape, "\/" "\." "\k" "\p" and the like
        }
    }

    NodePtr parseAtomEscape()
    {
        const qsizetype start = pos_;
        ++pos_;
        if (pos_ >= n_)
            fail(QStringLiteral("« \\ » à la fin du motif"), start);
        const int c = peek();
        CharSet set;
        if (classEscape(c, set)) {
            ++pos_;
            return chars(std::move(set));
        }
        if (c == 'c') {
            if (isLetter(peek(1))) {
                pos_ += 2;
                return chars(CharSet::single(char16_t(src_.at(pos_ - 1).unicode() % 32)));
            }
            return chars(CharSet::single(u'\\'));
        }
        if (c == '0') {
            if (!isDigit(peek(1))) {
                ++pos_;
                return chars(CharSet::single(0));
            }
            return chars(CharSet::single(legacyOctal()));
        }
        if (isDigit(c)) {
            qsizetype i = pos_;
            long long n = 0;
            while (i < n_ && isDigit(src_.at(i).unicode())) {
                n = std::min<long long>(n * 10 + (src_.at(i).unicode() - '0'), 1LL << 31);
                ++i;
            }
            if (n <= totalGroups_) {
                pos_ = i;
                NodePtr ref = make(Node::Kind::BackReference);
                ref->number = int(n);
                return ref;
            }
            // More than there are groups: an octal escape, or "8" / "9" themselves.
            if (c == '8' || c == '9') {
                ++pos_;
                return chars(CharSet::single(char16_t(c)));
            }
            return chars(CharSet::single(legacyOctal()));
        }
        return chars(CharSet::single(characterEscape()));
    }

    const QString& src_;
    const qsizetype n_;
    qsizetype pos_ = 0;
    int totalGroups_ = 0;
    int groupIndex_ = 0;
    int depth_ = 0;
};

constexpr const char16_t* kAsciiWordBoundary =
    u"(?-i:(?<=[0-9A-Z_a-z])(?![0-9A-Z_a-z])|(?<![0-9A-Z_a-z])(?=[0-9A-Z_a-z]))";
constexpr const char16_t* kAsciiNotWordBoundary =
    u"(?-i:(?<=[0-9A-Z_a-z])(?=[0-9A-Z_a-z])|(?<![0-9A-Z_a-z])(?![0-9A-Z_a-z]))";

bool hasBackReference(const Node& n)
{
    if (n.kind == Node::Kind::BackReference)
        return true;
    for (const NodePtr& c : n.children) {
        if (hasBackReference(*c))
            return true;
    }
    return false;
}

bool isNullable(const Node& n)
{
    switch (n.kind) {
    case Node::Kind::Chars:
        return false;
    case Node::Kind::Sequence:
        for (const NodePtr& c : n.children) {
            if (!isNullable(*c))
                return false;
        }
        return true;
    case Node::Kind::Alternation:
        for (const NodePtr& c : n.children) {
            if (isNullable(*c))
                return true;
        }
        return false;
    case Node::Kind::Group:
    case Node::Kind::Capture:
        return isNullable(*n.children.front());
    case Node::Kind::Repeat:
        return n.min == 0 || isNullable(*n.children.front());
    default: // assertions, look-aheads, back-references
        return true;
    }
}

bool hasCapture(const Node& n)
{
    if (n.kind == Node::Kind::Capture)
        return true;
    for (const NodePtr& c : n.children) {
        if (hasCapture(*c))
            return true;
    }
    return false;
}

class Emitter {
public:
    Emitter(TranslateOptions options, int groupCount, std::vector<int> slots, bool numberingOnly)
        : options_(options), numberingOnly_(numberingOnly), slots_(std::move(slots))
    {
        slots_.resize(groupCount + 1, 0);
        markers_.resize(groupCount + 1);
    }

    void emit(const Node& n)
    {
        switch (n.kind) {
        case Node::Kind::Alternation:
            for (size_t i = 0; i < n.children.size(); ++i) {
                if (i > 0)
                    out_ += u'|';
                emit(*n.children[i]);
            }
            break;
        case Node::Kind::Sequence:
            for (const NodePtr& c : n.children)
                emit(*c);
            break;
        case Node::Kind::Chars:
            emitChars(n);
            break;
        case Node::Kind::LineStart:
            // With Multiline, a line begins after LF or CR only (not after U+2028/U+2029).
            out_ += options_.multiline ? u"(?<![^\\x{a}\\x{d}])" : u"\\A";
            break;
        case Node::Kind::LineEnd:
            out_ += options_.multiline ? u"(?![^\\x{a}\\x{d}])" : u"\\z";
            break;
        case Node::Kind::WordBoundary:
            // ASCII word characters: PCRE2's own \b is ASCII only without UCP.
            out_ += options_.unicodeCaseless ? kAsciiWordBoundary : u"\\b";
            break;
        case Node::Kind::NotWordBoundary:
            out_ += options_.unicodeCaseless ? kAsciiNotWordBoundary : u"\\B";
            break;
        case Node::Kind::LookAhead:
        case Node::Kind::NegativeLookAhead:
            out_ += n.kind == Node::Kind::LookAhead ? u"(?=" : u"(?!";
            emit(*n.children.front());
            out_ += u')';
            break;
        case Node::Kind::Group:
            out_ += u"(?:";
            emit(*n.children.front());
            out_ += u')';
            break;
        case Node::Kind::Capture:
            slots_[n.number] = ++pcreGroups_;
            markers_[n.number] = markerStack_;
            out_ += u'(';
            emit(*n.children.front());
            out_ += u')';
            break;
        case Node::Kind::BackReference:
            out_ += u"\\g{" + std::u16string(QString::number(slots_[n.number]).toStdU16String()) + u"}";
            break;
        case Node::Kind::Repeat:
            emitRepeat(n);
            break;
        }
    }

    TranslatedPattern result(int groupCount) &&
    {
        TranslatedPattern t;
        t.pcre = std::move(out_);
        t.groupCount = groupCount;
        t.groupSlot = std::move(slots_);
        t.groupMarkers = std::move(markers_);
        t.countChecks = std::any_of(checks_.begin(), checks_.end(), [](const auto& c) { return c.countMin >= 0; });
        t.emptyChecks = std::move(checks_);
        return t;
    }
    const std::vector<int>& slots() const { return slots_; }

private:
    void emitChars(const Node& n)
    {
        if (numberingOnly_)
            return;
        if (!n.negated && n.set.isSingle() && (!options_.ignoreCase || n.set.ranges()[0].first < 0x80)) {
            const char16_t c = n.set.ranges()[0].first;
            // ASCII letters fold through PCRE2_CASELESS, which knows no other letters here;
            // with Unicode case rules it would also fold 's' to U+017F and 'k' to U+212A.
            if (options_.unicodeCaseless && (c == u's' || c == u'S' || c == u'k' || c == u'K')) {
                out_ += c == u's' || c == u'S' ? u"(?-i:[Ss])" : u"(?-i:[Kk])";
                return;
            }
            appendLiteral(out_, c);
            return;
        }
        const CharSet set = options_.ignoreCase ? caseClosure(n.set) : n.set;
        // The closure is already the dialect's: keep PCRE2's Unicode case rules out of it.
        const bool shield = options_.unicodeCaseless;
        if (shield)
            out_ += u"(?-i:";
        if (set.empty()) {
            out_ += n.negated ? u"[\\x{0}-\\x{ffff}]" : u"[^\\x{0}-\\x{ffff}]";
        } else if (!n.negated && set.isSingle()) {
            appendLiteral(out_, set.ranges()[0].first);
        } else {
            out_ += n.negated ? u"[^" : u"[";
            set.appendClassBody(out_);
            out_ += u']';
        }
        if (shield)
            out_ += u')';
    }

    // One character repeated min to max times (max -1: no limit), written with counts PCRE2
    // takes. A character matches one way or not at all, so pieces in a row find what the
    // whole count finds: the fixed part as runs of 65535, then the optional part as
    // "(?:X{65535}REST|X{0,65534})", which tries the lengths in the same order as the
    // single count would (longest first, or shortest first when lazy) and each only once.
    void emitSplitCount(const Node& body, long long min, long long max, bool lazy)
    {
        for (long long left = min; left > 0; left -= std::min(left, kMaxRepeat)) {
            emit(body);
            appendQuantifier(std::min(left, kMaxRepeat), std::min(left, kMaxRepeat), false);
        }
        if (max < 0) {
            emit(body);
            appendQuantifier(0, -1, lazy);
            return;
        }
        emitOptionalCount(body, max - min, lazy);
    }

    void emitOptionalCount(const Node& body, long long count, bool lazy)
    {
        if (count <= kMaxRepeat) {
            if (count > 0) {
                emit(body);
                appendQuantifier(0, count, lazy);
            }
            return;
        }
        const auto longer = [&] {
            emit(body);
            appendQuantifier(kMaxRepeat, kMaxRepeat, false);
            emitOptionalCount(body, count - kMaxRepeat, lazy);
        };
        const auto shorter = [&] {
            emit(body);
            appendQuantifier(0, kMaxRepeat - 1, lazy);
        };
        out_ += u"(?:";
        if (lazy) {
            shorter();
            out_ += u'|';
            longer();
        } else {
            longer();
            out_ += u'|';
            shorter();
        }
        out_ += u')';
    }

    // The callout that runs checks_[checks_.size()], the check about to be added.
    void appendCallout()
    {
        // Numbered callouts cost less to tell apart than named ones; past 255, the text.
        const std::u16string index = QString::number(checks_.size()).toStdU16String();
        out_ += checks_.size() < 256 ? u"(?C" + index + u")" : u"(?C{" + index + u"})";
    }

    void appendQuantifier(const Node& n) { appendQuantifier(n.min, n.max, n.lazy); }

    void appendQuantifier(long long min, long long max, bool lazy)
    {
        const struct { long long min, max; bool lazy; } n{min, max, lazy};
        if (n.min == 0 && n.max < 0)
            out_ += u'*';
        else if (n.min == 1 && n.max < 0)
            out_ += u'+';
        else if (n.min == 0 && n.max == 1)
            out_ += u'?';
        else {
            QString q = QStringLiteral("{%1").arg(n.min);
            if (n.max < 0)
                q += QLatin1Char(',');
            else if (n.max != n.min)
                q += QStringLiteral(",%1").arg(n.max);
            q += QLatin1Char('}');
            out_ += q.toStdU16String();
        }
        if (n.lazy)
            out_ += u'?';
    }

    void emitRepeat(const Node& n)
    {
        const Node& body = *n.children.front();
        if (body.kind == Node::Kind::LookAhead || body.kind == Node::Kind::NegativeLookAhead) {
            // An assertion matches empty: repeated it is either tried once or, when it may
            // be skipped, skipped (its empty iteration is refused). Groups inside keep their numbers.
            if (n.min == 0) {
                out_ += u"(?:";
                emit(body);
                out_ += u"){0}";
            } else {
                emit(body);
            }
            return;
        }
        if (n.min > kMaxRepeat || n.max > kMaxRepeat) {
            if (body.kind != Node::Kind::Chars)
                fail(QStringLiteral("quantificateur trop grand sur un groupe (%1 au plus)").arg(kMaxRepeat), n.position);
            const long long pieces = n.min / kMaxRepeat + (n.max < 0 ? 0 : (n.max - n.min) / kMaxRepeat);
            if (pieces <= kMaxCountPieces) {
                emitSplitCount(body, n.min, n.max, n.lazy);
                return;
            }
            // Beyond that, "*" followed by a callout that accepts only a length from min to
            // max: on one character an iteration is one code unit, so the matches and their
            // order are the same.
            const int marker = ++pcreGroups_;
            out_ += u"()";
            emit(body);
            out_ += n.lazy ? u"*?" : u"*";
            appendCallout();
            TranslatedPattern::EmptyCheck check;
            check.marker = marker;
            check.countMin = n.min;
            check.countMax = n.max;
            checks_.push_back(check);
            return;
        }
        // Iterations up to the minimum may be empty: a fixed count needs no check.
        const bool nullable = isNullable(body) && n.max != n.min;
        if (!nullable && !(hasCapture(body) && n.max != 1)) {
            emit(body); // every atom is written as a single PCRE2 item
            appendQuantifier(n);
            return;
        }
        // A greedy unbounded repetition with a minimum of 1 whose first iteration may be
        // empty finds what the same repetition with no empty iteration at all finds (an
        // empty first iteration is followed by the others all the same). PCRE2 would end
        // the repetition after that empty first iteration: it is written with a minimum of 0.
        const long long min = nullable && n.min == 1 && n.max < 0 && !n.lazy ? 0 : n.min;
        int loopStart = -1;
        if (nullable && min >= 1) {
            loopStart = ++pcreGroups_;
            out_ += u"()";
        }
        const int marker = ++pcreGroups_;
        out_ += u"(?:()";
        markerStack_.push_back(marker);
        emit(body);
        markerStack_.pop_back();
        if (nullable) {
            appendCallout();
            TranslatedPattern::EmptyCheck check;
            check.marker = marker;
            check.loopStart = loopStart;
            check.neverEmpty = min == 0;
            checks_.push_back(check);
        }
        out_ += u')';
        appendQuantifier(min, n.max, n.lazy);
    }

    TranslateOptions options_;
    bool numberingOnly_;
    std::u16string out_;
    int pcreGroups_ = 0;
    std::vector<int> slots_;
    std::vector<std::vector<int>> markers_;
    std::vector<int> markerStack_;
    std::vector<TranslatedPattern::EmptyCheck> checks_;
};

} // namespace

TranslatedPattern translatePattern(const QString& pattern, TranslateOptions options)
{
    Parser parser(pattern);
    const NodePtr root = parser.parse();
    const int groups = parser.groupCount();
    // A back-reference ignoring case must fold accented letters too: only PCRE2's Unicode
    // case rules do that, so they are turned on, and kept away from everything else.
    options.unicodeCaseless = options.ignoreCase && hasBackReference(*root);
    // Two passes: a back-reference may name a group written after it, whose PCRE2 number is
    // only known once the whole pattern has been written.
    Emitter numbering(options, groups, {}, true);
    numbering.emit(*root);
    Emitter final(options, groups, numbering.slots(), false);
    final.emit(*root);
    TranslatedPattern result = std::move(final).result(groups);
    result.unicodeCaseless = options.unicodeCaseless;
    return result;
}

} // namespace trouvel::text
