// A pattern of the scripts' dialect compiled for PCRE2 (translated, compiled, JIT-compiled),
// shared by every RegExp of the process: the steps, stripTag and the address check ask for
// the same few dozen patterns for every entry of a walk, and compiling is the costly part.
#pragma once

#include "text/PatternTranslator.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <QString>

#include <memory>

namespace trouvel::text {

struct CompiledPattern {
    QString pattern;
    bool ignoreCase = false;
    bool multiline = false;
    TranslatedPattern translated;
    pcre2_code* code = nullptr; // matching with it is thread-safe; owned
    bool jit = false;

    CompiledPattern() = default;
    ~CompiledPattern();
    CompiledPattern(const CompiledPattern&) = delete;
    CompiledPattern& operator=(const CompiledPattern&) = delete;
};

// PCRE2's text for an error code.
QString pcre2ErrorMessage(int code);

// The compiled pattern, from the process's cache (the most recently used few hundred) or
// compiled now. Throws RegExpError for an invalid pattern.
std::shared_ptr<const CompiledPattern> compiledPattern(const QString& pattern, bool ignoreCase, bool multiline);

} // namespace trouvel::text
