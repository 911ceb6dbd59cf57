#include "cli/CCommandLine.h"

void CCommandLine::AddOption(const QString& name, OptionKind kind)
{
    mKinds.insert(name, kind);
}

bool CCommandLine::Parse(const QStringList& arguments)
{
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(QLatin1String("--")) || argument == QLatin1String("-")) {
            mPositionals.append(argument);
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        QString name = argument.mid(2);
        QString value;
        bool hasInlineValue = false;
        if (const qsizetype equals = name.indexOf(QLatin1Char('=')); equals >= 0) {
            value = name.mid(equals + 1);
            name.truncate(equals);
            hasInlineValue = true;
        }
        const auto kind = mKinds.constFind(name);
        if (kind == mKinds.constEnd())
            return Fail(QStringLiteral("unknown option --%1").arg(name));
        if (*kind == kFlag) {
            if (hasInlineValue)
                return Fail(QStringLiteral("option --%1 takes no value").arg(name));
            mValues[name].append(QString());
            continue;
        }
        if (!hasInlineValue) {
            if (i + 1 >= arguments.size())
                return Fail(QStringLiteral("option --%1 needs a value").arg(name));
            value = arguments[++i];
        }
        if (*kind == kValue && mValues.contains(name))
            return Fail(QStringLiteral("option --%1 is given more than once").arg(name));
        mValues[name].append(value);
    }
    return true;
}

bool CCommandLine::IsSet(const QString& name) const
{
    return mValues.contains(name);
}

QString CCommandLine::Value(const QString& name) const
{
    const QStringList values = mValues.value(name);
    return values.isEmpty() ? QString() : values.last();
}

QStringList CCommandLine::Values(const QString& name) const
{
    return mValues.value(name);
}

bool CCommandLine::Fail(const QString& message)
{
    if (mError.isEmpty())
        mError = message;
    return false;
}
