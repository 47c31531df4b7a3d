#include "text/CompiledPattern.h"

#include "text/RegExp.h"

#include <QHash>

#include <list>
#include <mutex>

namespace trouvel::text {

namespace {

// Our translation nests groups a little deeper than the script's pattern (see PatternTranslator).
constexpr uint32_t kParensNestLimit = 1000;
// Far more than the patterns of the largest scripts (110 fields, a search, stripTag's few).
constexpr qsizetype kCachedPatterns = 512;

struct CompileContextFree { void operator()(pcre2_compile_context* p) const { pcre2_compile_context_free(p); } };


std::shared_ptr<const CompiledPattern> compileNow(const QString& pattern, bool ignoreCase, bool multiline)
{
    auto compiled = std::make_shared<CompiledPattern>();
    compiled->pattern = pattern;
    compiled->ignoreCase = ignoreCase;
    compiled->multiline = multiline;
    compiled->translated = translatePattern(pattern, TranslateOptions{ignoreCase, multiline});

    // Non-UTF mode: a code unit is a character, as in the dialect, so positions are QString
    // positions and no text can be rejected as badly encoded.
    uint32_t options = PCRE2_MATCH_UNSET_BACKREF | PCRE2_NEVER_UTF | PCRE2_NEVER_BACKSLASH_C;
    if (ignoreCase)
        options |= PCRE2_CASELESS;
    options |= compiled->translated.unicodeCaseless ? PCRE2_UCP : PCRE2_NEVER_UCP;
    // PCRE2 10.42 takes a pattern's first character from a leading look-ahead, then looks
    // for its last literal character only after that one: "(?=a)x?a" misses "xxab". Its
    // start-up shortcuts are left out for patterns with a look-ahead ("(" itself is
    // always written escaped, so "(?=" is one of ours).
    if (compiled->translated.pcre.find(u"(?=") != std::u16string::npos)
        options |= PCRE2_NO_START_OPTIMIZE;
    if (compiled->translated.countChecks)
        options |= PCRE2_NO_AUTO_POSSESS;
    // RegExp scans a long text a window of start positions at a time (pcre2_set_offset_limit).
    options |= PCRE2_USE_OFFSET_LIMIT;
    std::unique_ptr<pcre2_compile_context, CompileContextFree> compileContext(pcre2_compile_context_create(nullptr));
    pcre2_set_parens_nest_limit(compileContext.get(), kParensNestLimit);
    int error = 0;
    PCRE2_SIZE offset = 0;
    const std::u16string& pcre = compiled->translated.pcre;
    compiled->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pcre.data()), pcre.size(), options, &error, &offset,
                                   compileContext.get());
    // PCRE2's offset is one in our translation, not in the script's pattern: none is given.
    if (!compiled->code)
        throw RegExpError(QStringLiteral("Expression régulière invalide : %1").arg(pcre2ErrorMessage(error)));
    uint32_t allOptions = 0;
    pcre2_pattern_info(compiled->code, PCRE2_INFO_ALLOPTIONS, &allOptions);
    compiled->anchored = (allOptions & PCRE2_ANCHORED) != 0;
    // PCRE2 10.42's JIT ignores Unicode case rules in back-references outside UTF mode (its
    // interpreter does not): such rare patterns run interpreted.
    compiled->jitPossible = !compiled->translated.unicodeCaseless;
    return compiled;
}

// Least recently used first out; guarded, as plug-in and tool may match from several threads.
class PatternCache {
public:
    std::shared_ptr<const CompiledPattern> get(const QString& pattern, bool ignoreCase, bool multiline)
    {
        const QString key = QString(QChar(u'0' + (ignoreCase ? 1 : 0) + (multiline ? 2 : 0))) + pattern;
        {
            const std::lock_guard lock(mutex_);
            if (auto found = index_.find(key); found != index_.end()) {
                order_.splice(order_.begin(), order_, found.value());
                return found.value()->second;
            }
        }
        std::shared_ptr<const CompiledPattern> compiled = compileNow(pattern, ignoreCase, multiline);
        const std::lock_guard lock(mutex_);
        if (auto found = index_.find(key); found != index_.end())
            return found.value()->second; // compiled meanwhile by another thread
        order_.emplace_front(key, compiled);
        index_.insert(key, order_.begin());
        if (order_.size() > size_t(kCachedPatterns)) {
            index_.remove(order_.back().first);
            order_.pop_back();
        }
        return compiled;
    }

private:
    using Entry = std::pair<QString, std::shared_ptr<const CompiledPattern>>;
    std::mutex mutex_;
    std::list<Entry> order_;
    QHash<QString, std::list<Entry>::iterator> index_;
};

} // namespace

QString pcre2ErrorMessage(int code)
{
    switch (code) {
    // Compiling: the translation has already refused what the dialect refuses, so only
    // PCRE2's own bounds remain.
    case PCRE2_ERROR_PATTERN_TOO_LARGE:
        return QStringLiteral("motif trop grand une fois compilé (répétitions trop nombreuses ou trop longues)");
    case PCRE2_ERROR_PATTERN_TOO_COMPLICATED:
        return QStringLiteral("motif trop compliqué");
    case PCRE2_ERROR_PARENTHESES_NEST_TOO_DEEP:
    case PCRE2_ERROR_PARENTHESES_STACK_CHECK:
    case PCRE2_ERROR_QUERY_BARJX_NEST_TOO_DEEP:
        return QStringLiteral("parenthèses trop profondément imbriquées");
    case PCRE2_ERROR_TOO_MANY_CAPTURES:
        return QStringLiteral("trop de groupes (65535 au plus)");
    case PCRE2_ERROR_QUANTIFIER_TOO_BIG:
        return QStringLiteral("nombre trop grand dans un quantificateur { }");
    case PCRE2_ERROR_CODE_POINT_TOO_BIG:
        return QStringLiteral("code de caractère trop grand");
    case PCRE2_ERROR_LOOKBEHIND_TOO_COMPLICATED:
    case PCRE2_ERROR_LOOKBEHIND_TOO_LONG:
        return QStringLiteral("regard en arrière trop compliqué");
    case PCRE2_ERROR_HEAP_FAILED:
        return QStringLiteral("mémoire insuffisante pour compiler le motif");
    // Matching.
    case PCRE2_ERROR_MATCHLIMIT:
        return QStringLiteral("limite d'essais atteinte");
    case PCRE2_ERROR_DEPTHLIMIT:
        return QStringLiteral("limite de profondeur atteinte");
    case PCRE2_ERROR_HEAPLIMIT:
        return QStringLiteral("limite de mémoire atteinte");
    case PCRE2_ERROR_JIT_STACKLIMIT:
        return QStringLiteral("pile des retours en arrière pleine");
    case PCRE2_ERROR_NOMEMORY:
        return QStringLiteral("mémoire insuffisante");
    default:
        // Any other would be a fault of ours (a translation PCRE2 refuses, a bad argument).
        return QStringLiteral("code d'erreur PCRE2 %1").arg(code);
    }
}

CompiledPattern::~CompiledPattern()
{
    pcre2_code_free(jitCode_);
    pcre2_code_free(code);
}

const pcre2_code* CompiledPattern::jitCode() const
{
    if (!jitPossible)
        return nullptr;
    // A copy, so that threads interpreting `code` meanwhile never see it change.
    std::call_once(jitOnce_, [this] {
        pcre2_code* copy = pcre2_code_copy(code);
        if (copy && pcre2_jit_compile(copy, PCRE2_JIT_COMPLETE) == 0)
            jitCode_ = copy;
        else
            pcre2_code_free(copy);
    });
    return jitCode_;
}

std::shared_ptr<const CompiledPattern> compiledPattern(const QString& pattern, bool ignoreCase, bool multiline)
{
    static PatternCache cache;
    return cache.get(pattern, ignoreCase, multiline);
}

} // namespace trouvel::text
