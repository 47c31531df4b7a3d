// A pattern of the scripts' dialect compiled for PCRE2 (translated and compiled, and
// JIT-compiled when a walk needs it), shared by every RegExp of the process: the steps,
// stripTag and the address check ask for the same few dozen patterns for every entry of a
// walk, and compiling is the costly part.
#pragma once

#include "text/PatternTranslator.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <QString>

#include <atomic>
#include <memory>
#include <mutex>

namespace trouvel::text {

struct CompiledPattern {
    QString pattern;
    bool ignoreCase = false;
    bool multiline = false;
    TranslatedPattern translated;
    pcre2_code* code = nullptr; // interpreted; matching with it is thread-safe; owned
    bool jitPossible = false;   // the JIT may run this pattern (see jitCode)
    bool anchored = false;      // PCRE2 tries it at the start offset only
    // Walks begun with this pattern, counted by RegExp to choose between the interpreter
    // and the JIT.
    mutable std::atomic<unsigned> walks{0};

    // A JIT-compiled copy of `code`, made on the first call; nullptr when it cannot be made.
    // Compiling for the JIT costs more than interpreting a small text a few times, so it is
    // only made for the patterns that need it.
    const pcre2_code* jitCode() const;

    CompiledPattern() = default;
    ~CompiledPattern();
    CompiledPattern(const CompiledPattern&) = delete;
    CompiledPattern& operator=(const CompiledPattern&) = delete;

private:
    mutable std::once_flag jitOnce_;
    mutable pcre2_code* jitCode_ = nullptr;
};

// The French text for a PCRE2 error code (compiling or matching); PCRE2's own are English.
QString pcre2ErrorMessage(int code);

// The compiled pattern, from the process's cache (the most recently used few hundred) or
// compiled now. Throws RegExpError for an invalid pattern.
std::shared_ptr<const CompiledPattern> compiledPattern(const QString& pattern, bool ignoreCase, bool multiline);

} // namespace trouvel::text
