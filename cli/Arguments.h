// A subcommand's arguments, read with QCommandLineParser: positional arguments, switches,
// and long options with a value ("--pick 2" or "--pick=2"), some of them repeatable.
// Everything after "--" is positional.
#pragma once

#include <QHash>
#include <QSet>
#include <QStringList>

namespace trouvel::cli {

class Arguments {
public:
    // valueOptions: names (without "--") that take a value; switches: names that do not.
    Arguments(QSet<QString> valueOptions, QSet<QString> switches) : valueOptions_(std::move(valueOptions)), switches_(std::move(switches)) {}

    // false with error() set, in French, for an unknown option, a missing value or a value
    // given to a switch.
    bool parse(const QStringList& args);
    const QString& error() const { return error_; }

    const QStringList& positional() const { return positional_; }
    bool isSet(const QString& name) const { return set_.contains(name); }
    QString value(const QString& name) const { return values_.value(name).value(0); }
    QStringList values(const QString& name) const { return values_.value(name); }

private:
    QString describeError(const QStringList& args, const QStringList& unknownNames) const;

    QSet<QString> valueOptions_;
    QSet<QString> switches_;
    QStringList positional_;
    QSet<QString> set_;
    QHash<QString, QStringList> values_;
    QString error_;
};

} // namespace trouvel::cli
