// The open-file dialog's filter, from "Name|patterns|Name|patterns" (patterns
// joined by ";") to the toolkit's "Name (pattern pattern)" entries.
#pragma once

#include <QStringList>

#include <string>

namespace platform::qt {

// One entry per name. Each pattern matches names whatever their case, and
// "*.*" matches every file, as the desktop the filters were written for does.
QStringList ToQtNameFilters(const std::string& filter);

// The index of the dialog's selected filter among the entries, which the
// dialog may report without their patterns; -1 if none.
qsizetype FilterIndexOf(const QStringList& entries, const QString& selected);

}  // namespace platform::qt
