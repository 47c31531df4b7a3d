#include "text/RegExp.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

namespace trouvel::text {

namespace {

QString pcre2Message(int code)
{
    PCRE2_UCHAR buffer[256];
    const int n = pcre2_get_error_message(code, buffer, 256);
    return n > 0 ? QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer), n) : QStringLiteral("erreur %1").arg(code);
}

PCRE2_SPTR subject(const QString& text)
{
    return reinterpret_cast<PCRE2_SPTR>(text.utf16());
}

} // namespace

RegExpError::RegExpError(const QString& message, qsizetype position)
    : std::runtime_error(message.toStdString()), position_(position)
{
}

const QString& Match::SubMatches(qsizetype j) const
{
    if (j < 0 || j >= groups_.size())
        throw RegExpError(QStringLiteral("SubMatches(%1) : index hors limites (%2 groupes)").arg(j).arg(groups_.size()));
    return groups_[j];
}

struct RegExp::Compiled {
    pcre2_code* code = nullptr;
    pcre2_match_data* matchData = nullptr;
    pcre2_match_context* context = nullptr;
    ~Compiled()
    {
        pcre2_match_context_free(context);
        pcre2_match_data_free(matchData);
        pcre2_code_free(code);
    }
};

RegExp::RegExp() = default;
RegExp::~RegExp() = default;

void RegExp::Pattern(const QString& pattern)
{
    if (pattern != pattern_)
        compiled_.reset();
    pattern_ = pattern;
}

void RegExp::IgnoreCase(bool on)
{
    if (on != ignoreCase_)
        compiled_.reset();
    ignoreCase_ = on;
}

void RegExp::Multiline(bool on)
{
    if (on != multiline_)
        compiled_.reset();
    multiline_ = on;
}

void RegExp::compile()
{
    if (compiled_)
        return;
    uint32_t options = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_ALT_BSUX | PCRE2_DOLLAR_ENDONLY;
    if (ignoreCase_)
        options |= PCRE2_CASELESS;
    if (multiline_)
        options |= PCRE2_MULTILINE;
    int error = 0;
    PCRE2_SIZE offset = 0;
    auto compiled = std::make_unique<Compiled>();
    compiled->code = pcre2_compile(subject(pattern_), pattern_.size(), options, &error, &offset, nullptr);
    if (!compiled->code)
        throw RegExpError(pcre2Message(error), qsizetype(offset));
    pcre2_jit_compile(compiled->code, PCRE2_JIT_COMPLETE);
    compiled->matchData = pcre2_match_data_create_from_pattern(compiled->code, nullptr);
    compiled->context = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(compiled->context, 10'000'000);
    pcre2_set_depth_limit(compiled->context, 100'000);
    compiled_ = std::move(compiled);
}

template <typename Visit>
void RegExp::forEachMatch(const QString& text, bool all, Visit&& visit)
{
    compile();
    const PCRE2_SIZE length = text.size();
    PCRE2_SIZE start = 0;
    while (start <= length) {
        const int rc = pcre2_match(compiled_->code, subject(text), length, start, 0, compiled_->matchData, compiled_->context);
        if (rc == PCRE2_ERROR_NOMATCH)
            return;
        if (rc < 0)
            throw RegExpError(pcre2Message(rc));
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(compiled_->matchData);
        const uint32_t pairs = pcre2_get_ovector_count(compiled_->matchData);
        visit(ovector, pairs);
        if (!all)
            return;
        // After an empty match, step one character on.
        start = ovector[1] > ovector[0] ? ovector[1] : ovector[1] + 1;
    }
}

bool RegExp::Test(const QString& text)
{
    bool found = false;
    forEachMatch(text, false, [&](const PCRE2_SIZE*, uint32_t) { found = true; });
    return found;
}

Matches RegExp::Execute(const QString& text)
{
    Matches result;
    const uint32_t groups = [&] {
        compile();
        uint32_t n = 0;
        pcre2_pattern_info(compiled_->code, PCRE2_INFO_CAPTURECOUNT, &n);
        return n;
    }();
    forEachMatch(text, global_, [&](const PCRE2_SIZE* ov, uint32_t pairs) {
        Match m;
        m.FirstIndex = qsizetype(ov[0]);
        m.Length = qsizetype(ov[1] - ov[0]);
        m.Value = text.mid(m.FirstIndex, m.Length);
        for (uint32_t g = 1; g <= groups; ++g) {
            if (g < pairs && ov[2 * g] != PCRE2_UNSET)
                m.groups_.append(text.mid(qsizetype(ov[2 * g]), qsizetype(ov[2 * g + 1] - ov[2 * g])));
            else
                m.groups_.append(QString());
        }
        result.push_back(std::move(m));
    });
    return result;
}

QString RegExp::Replace(const QString& text, const QString& replacement)
{
    QString out;
    qsizetype copied = 0;
    forEachMatch(text, global_, [&](const PCRE2_SIZE* ov, uint32_t) {
        out.append(QStringView(text).mid(copied, qsizetype(ov[0]) - copied));
        out.append(replacement);
        copied = qsizetype(ov[1]);
    });
    out.append(QStringView(text).mid(copied));
    return out;
}

} // namespace trouvel::text
