#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The options of one subcommand and what a command line gave for them.
// Options are "--name VALUE", "--name=VALUE" or flags "--name"; "--" ends
// the options. A failed parse leaves a message for exit status 2.
class CCommandLine
{
public:
    enum OptionKind { kFlag, kValue, kRepeatedValue };

    void AddOption(const QString& name, OptionKind kind);

    // Parses the arguments after the subcommand. Positional arguments are
    // kept in order; their count is checked by the caller.
    bool Parse(const QStringList& arguments);
    QString ErrorMessage() const { return mError; }

    bool IsSet(const QString& name) const;
    // The last value given (empty when not given).
    QString Value(const QString& name) const;
    QStringList Values(const QString& name) const;
    QStringList Positionals() const { return mPositionals; }

    // Records a usage error found after parsing (a missing option, two that
    // exclude each other); always returns false.
    bool Fail(const QString& message);

private:
    QHash<QString, OptionKind> mKinds;
    QHash<QString, QStringList> mValues;
    QStringList mPositionals;
    QString mError;
};
