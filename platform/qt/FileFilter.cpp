#include "platform/qt/FileFilter.h"

#include <QRegularExpression>

namespace platform::qt {
namespace {

// "*.bin" -> "*.[bB][iI][nN]": the toolkit's own dialog and the desktop's
// may match case-sensitively.
QString AnyCase(const QString& pattern)
{
    if (pattern == "*.*") return "*";
    QString out;
    for (const QChar c : pattern) {
        if (c.isLetter() && c.toLower() != c.toUpper())
            out += QString("[%1%2]").arg(c.toLower(), c.toUpper());
        else
            out += c;
    }
    return out;
}

}  // namespace

QStringList ToQtNameFilters(const std::string& filter)
{
    const QStringList parts = QString::fromUtf8(filter.c_str()).split('|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(';', Qt::SkipEmptyParts))
            patterns += AnyCase(pattern.trimmed());
        entries += QString("%1 (%2)").arg(parts[i], patterns.join(' '));
    }
    return entries;
}

qsizetype FilterIndexOf(const QStringList& entries, const QString& selected)
{
    static const QRegularExpression patternsOnly(R"(^ \([^()]*\)$)");
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString& entry = entries[i];
        if (entry == selected) return i;
        if (entry.startsWith(selected) && patternsOnly.match(entry.mid(selected.size())).hasMatch()) return i;
    }
    return -1;
}

}  // namespace platform::qt
